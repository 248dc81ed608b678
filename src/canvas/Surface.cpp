#include "canvas/Surface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace kiramo {

Surface::Surface(const QColor& background, QWidget* parent)
    : QWidget(parent)
    , m_background(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::setImage(const QImage& image) {
    m_image = image.convertToFormat(QImage::Format_RGB32);
    m_image.setDevicePixelRatio(1.0);
    fitWidgetToImage();
    update();
}

void Surface::clear(QSize pixels) {
    QImage blank(pixels.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    blank.fill(m_background);
    setImage(blank);
}

void Surface::resizeImage(QSize pixels) {
    if (pixels == m_image.size()) {
        return;
    }
    QImage grown(pixels.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    grown.fill(m_background);
    {
        QPainter painter(&grown);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_image);
    }
    setImage(grown);
}

QRgb Surface::colourOf(QPoint pixel) const {
    return m_image.valid(pixel) ? m_image.pixel(pixel) : m_background.rgb();
}

void Surface::fitWidgetToImage() {
    // The widget is measured in logical pixels; one image pixel must be one device pixel.
    const double ratio = devicePixelRatioF();
    resize(static_cast<int>(std::ceil(m_image.width() / ratio)),
           static_cast<int>(std::ceil(m_image.height() / ratio)));
}

void Surface::paintEvent(QPaintEvent* event) {
    paintImageOneToOne(*this, event->rect(), m_image, m_background);
}

QPointF devicePixelAt(QPointF logical, double ratio) {
    // Far below a pixel, far above the error of a multiplication by the ratio.
    constexpr double kSlack = 1e-6;
    return QPointF(std::floor(logical.x() * ratio + kSlack),
                   std::floor(logical.y() * ratio + kSlack));
}

QPoint deviceOrigin(QPointF device) {
    return QPoint(static_cast<int>(std::floor(device.x() + 0.5)),
                  static_cast<int>(std::floor(device.y() + 0.5)));
}

QPoint devicePixelUnder(const QWidget& widget, const QMouseEvent& event) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF pointer = devicePixelAt(event.scenePosition(), ratio);
    const QPoint origin =
        deviceOrigin(QPointF(widget.mapTo(widget.window(), QPoint(0, 0))) * ratio);
    return QPoint(static_cast<int>(pointer.x()) - origin.x(),
                  static_cast<int>(pointer.y()) - origin.y());
}

void paintImageOneToOne(QPainter& painter, double ratio, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    // Where the device puts the widget's origin: inside a device pixel when the widget lies at a
    // logical position that is odd at 150 %, say (or is scrolled by one). The image starts at
    // the deviceOrigin of it, the pixel the pointer is measured from. It is handed to the paint
    // engine in device pixels from there, one to one: from a fractional start, or at a scale
    // that a rounding error left a hair off 1, the engine would round the start its own way (a
    // half away from zero) and step through the image a hair short of a pixel, and could show
    // the pixel beside the one the pointer names.
    const QPointF origin = painter.deviceTransform().map(QPointF(0, 0));
    const QPoint start = deviceOrigin(origin);
    // The device pixels that the exposed logical rectangle touches (the window system repaints
    // every one of them), as pixels of the image: at a fractional ratio a logical edge falls
    // inside a device pixel, which must not be left unpainted.
    const QRect device(QPoint(int(std::floor(origin.x() + exposed.left() * ratio)),
                              int(std::floor(origin.y() + exposed.top() * ratio))) -
                           start,
                       QPoint(int(std::ceil(origin.x() + (exposed.right() + 1) * ratio)) - 1,
                              int(std::ceil(origin.y() + (exposed.bottom() + 1) * ratio)) - 1) -
                           start);
    const QPointF shift = QPointF(start) - origin;
    painter.save();
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, shift.x() / ratio, shift.y() / ratio), true);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // The background only where the image does not reach: a full-screen picture is then written
    // once.
    for (const QRect& uncovered : QRegion(device).subtracted(image.rect())) {
        painter.fillRect(uncovered, background);
    }
    const QRect shown = device & image.rect();
    if (!shown.isEmpty()) {
        painter.drawImage(shown.topLeft(), image, shown);
    }
    painter.restore();
}

void paintImageOneToOne(QWidget& widget, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    QPainter painter(&widget);
    paintImageOneToOne(painter, widget.devicePixelRatioF(), exposed, image, background);
}

}  // namespace kiramo
