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

void Surface::fitWidgetToImage() {
    // The widget is measured in logical pixels; one image pixel must be one device pixel.
    const double ratio = devicePixelRatioF();
    resize(static_cast<int>(std::ceil(m_image.width() / ratio)),
           static_cast<int>(std::ceil(m_image.height() / ratio)));
}

void Surface::paintEvent(QPaintEvent* event) {
    // Only the exposed part is drawn: logical rectangle on the widget, the same rectangle in
    // device pixels of the image.
    const double ratio = devicePixelRatioF();
    const QRectF target = event->rect();
    const QRectF source(target.topLeft() * ratio, target.size() * ratio);
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), m_background);
    painter.drawImage(target, m_image, source);
}

}  // namespace kiramo
