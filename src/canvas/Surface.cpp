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

QPoint devicePixelUnder(const QWidget& widget, const QMouseEvent& event) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF pointer = devicePixelAt(event.scenePosition(), ratio);
    // A widget whose origin lies inside a device pixel of the window (a logical position that
    // is odd at 150 %, say) is painted from the nearest whole device pixel, a half rounding up.
    const QPointF origin = QPointF(widget.mapTo(widget.window(), QPoint(0, 0))) * ratio;
    return QPoint(static_cast<int>(pointer.x() - std::floor(origin.x() + 0.5)),
                  static_cast<int>(pointer.y() - std::floor(origin.y() + 0.5)));
}

void paintImageOneToOne(QPainter& painter, double ratio, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    // The exposed logical rectangle widened to whole device pixels (the window system repaints
    // every device pixel it touches), and painted in whole device pixels: at a fractional ratio a
    // logical edge falls inside a device pixel, which must not be left unpainted.
    const QRect device(
        QPoint(int(std::floor(exposed.left() * ratio)), int(std::floor(exposed.top() * ratio))),
        QPoint(int(std::ceil((exposed.left() + exposed.width()) * ratio)) - 1,
               int(std::ceil((exposed.top() + exposed.height()) * ratio)) - 1));
    const auto logical = [ratio](const QRect& r) {
        return QRectF(r.x() / ratio, r.y() / ratio, r.width() / ratio, r.height() / ratio);
    };
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // The background only where the image does not reach: a full-screen picture is then written
    // once.
    for (const QRect& uncovered : QRegion(device).subtracted(image.rect())) {
        painter.fillRect(logical(uncovered), background);
    }
    const QRect shown = device & image.rect();
    if (!shown.isEmpty()) {
        painter.drawImage(logical(shown), image, QRectF(shown));
    }
}

void paintImageOneToOne(QWidget& widget, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    QPainter painter(&widget);
    paintImageOneToOne(painter, widget.devicePixelRatioF(), exposed, image, background);
}

}  // namespace kiramo
