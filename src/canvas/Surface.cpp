#include "canvas/Surface.h"

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

QRgb Surface::colourAt(QPointF local) const {
    const QPoint pixel = devicePixelAt(local, devicePixelRatioF()).toPoint();
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

void paintImageOneToOne(QWidget& widget, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    // Only the exposed part is drawn: a logical rectangle of the widget, the same rectangle in
    // device pixels of the image.
    const double ratio = widget.devicePixelRatioF();
    const QRectF target = exposed;
    const QRectF source(target.topLeft() * ratio, target.size() * ratio);
    QPainter painter(&widget);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // The background only where the image does not reach: a full-screen picture is then written
    // once. The image's partly covered last column and row are filled, then drawn over.
    const QRect covered(0, 0, int(std::floor(image.width() / ratio)),
                        int(std::floor(image.height() / ratio)));
    for (const QRect& uncovered : QRegion(exposed).subtracted(covered)) {
        painter.fillRect(uncovered, background);
    }
    painter.drawImage(target, image, source);
}

}  // namespace kiramo
