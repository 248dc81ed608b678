#include "canvas/Surface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
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
    m_toned = QImage();
    m_scaled = QImage();
    fitWidgetToImage();
    update();
}

void Surface::imageEdited() {
    m_toned = QImage();
    m_scaled = QImage();
    update();
}

void Surface::setView(double zoom, ViewTone tone, bool mirrored) {
    zoom = std::clamp(zoom, minimumZoom(), maximumZoom());
    if (zoom == m_zoom && tone == m_tone && mirrored == m_mirrored) {
        return;
    }
    if (tone != m_tone || mirrored != m_mirrored) {
        m_toned = QImage();
    }
    m_scaled = QImage();
    m_zoom = zoom;
    m_tone = tone;
    m_mirrored = mirrored;
    fitWidgetToImage();
    update();
    emit viewChanged();
}

void Surface::setCellLabels(const QList<CellLabel>& labels) {
    m_cellLabels = labels;
    update();
}

const QImage& Surface::shownImage() {
    const QImage* shown = &m_image;
    if (m_tone != ViewTone::Colour || m_mirrored) {
        if (m_toned.isNull()) {
            m_toned = toneImage(m_image, m_tone, m_mirrored);
        }
        shown = &m_toned;
    }
    if (m_zoom < 1.0) {
        if (m_scaled.isNull()) {
            // Made once per zoom: scaling down smoothly averages every image pixel, too slow for
            // each paint of a large picture.
            m_scaled =
                shown->scaled(view().viewSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        shown = &m_scaled;
    }
    return *shown;
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
    const QSize shown = view().viewSize();
    resize(static_cast<int>(std::ceil(shown.width() / ratio)),
           static_cast<int>(std::ceil(shown.height() / ratio)));
}

void Surface::paintEvent(QPaintEvent* event) {
    if (m_zoom == 1.0 && m_tone == ViewTone::Colour && !m_mirrored && m_cellLabels.isEmpty()) {
        paintImageOneToOne(*this, event->rect(), m_image, m_background);
        return;
    }
    QPainter painter(this);
    if (m_zoom <= 1.0) {
        paintImageOneToOne(painter, devicePixelRatioF(), event->rect(), shownImage(), m_background);
    } else {
        paintZoomed(painter, event->rect());
    }
    if (!m_cellLabels.isEmpty()) {
        paintCellLabels(painter);
    }
}

namespace {

// Sets `painter`'s world transform to device pixels from where the widget shows its image's
// pixel (0, 0), and gives the device pixels that the exposed logical rectangle touches (the
// window system repaints every one of them) in those units: at a fractional ratio a logical
// edge falls inside a device pixel, which must not be left unpainted.
QRect toDevicePixels(QPainter& painter, double ratio, const QRect& exposed) {
    const QPointF origin = painter.deviceTransform().map(QPointF(0, 0));
    const QPoint start = deviceOrigin(origin);
    const QRect device(QPoint(int(std::floor(origin.x() + exposed.left() * ratio)),
                              int(std::floor(origin.y() + exposed.top() * ratio))) -
                           start,
                       QPoint(int(std::ceil(origin.x() + (exposed.right() + 1) * ratio)) - 1,
                              int(std::ceil(origin.y() + (exposed.bottom() + 1) * ratio)) - 1) -
                           start);
    const QPointF shift = QPointF(start) - origin;
    painter.setWorldTransform(
        QTransform(1 / ratio, 0, 0, 1 / ratio, shift.x() / ratio, shift.y() / ratio), true);
    return device;
}

}  // namespace

void Surface::paintZoomed(QPainter& painter, const QRect& exposed) {
    // Above zoom 1 every image pixel is a block of device pixels, unsmoothed; only the image
    // pixels that the exposed part shows are handed to the paint engine.
    const QImage& shown = shownImage();
    const ZoomView plain{shown.size(), m_zoom, false};
    painter.save();
    const QRect device = toDevicePixels(painter, devicePixelRatioF(), exposed);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& uncovered :
         QRegion(device).subtracted(QRect(QPoint(0, 0), plain.viewSize()))) {
        painter.fillRect(uncovered, m_background);
    }
    const QRect source = plain.imageRectShownIn(device) & shown.rect();
    if (!source.isEmpty()) {
        painter.drawImage(QRectF(source.left() * m_zoom, source.top() * m_zoom,
                                 source.width() * m_zoom, source.height() * m_zoom),
                          shown, source);
    }
    painter.restore();
}

void Surface::paintCellLabels(QPainter& painter) {
    // Drawn in logical pixels at the widget's own font size, whatever the zoom; where the cells
    // are narrower than their names, only every second (third...) name is drawn.
    const ZoomView shown = view();
    const double ratio = devicePixelRatioF();
    const QFontMetricsF metrics(font());
    const double pad = 2.0;
    const double textHeight = metrics.height() + 2 * pad;
    QList<const CellLabel*> columns;
    QList<const CellLabel*> rows;
    for (const CellLabel& label : m_cellLabels) {
        (label.column ? columns : rows).append(&label);
    }
    const auto every = [&](const QList<const CellLabel*>& labels, bool across) {
        if (labels.size() < 2) {
            return 1;
        }
        const QPointF a = shown.viewPointOf(labels[0]->at) / ratio;
        const QPointF b = shown.viewPointOf(labels[1]->at) / ratio;
        const double gap = across ? std::abs(b.x() - a.x()) : std::abs(b.y() - a.y());
        const double need =
            across ? metrics.horizontalAdvance(labels.last()->text) + 3 * pad : textHeight + pad;
        return gap <= 0 ? 1 : std::max(1, int(std::ceil(need / gap)));
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const auto& [labels, across] : {std::pair{columns, true}, std::pair{rows, false}}) {
        const int step = every(labels, across);
        for (qsizetype i = 0; i < labels.size(); i += step) {
            const CellLabel& label = *labels[i];
            const QPointF at = shown.viewPointOf(label.at) / ratio;
            const double width = metrics.horizontalAdvance(label.text) + 2 * pad;
            // Names of columns hang below the grid's top edge, names of rows right of its left
            // edge (its right edge when mirrored).
            QRectF box(0, 0, width, textHeight);
            if (across) {
                box.moveCenter(QPointF(at.x(), at.y() + pad + textHeight / 2));
            } else {
                const double x = shown.mirrored ? at.x() - pad - width : at.x() + pad;
                box.moveTopLeft(QPointF(x, at.y() - textHeight / 2));
            }
            painter.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
            painter.setBrush(QColor(255, 255, 255, 220));
            painter.drawRoundedRect(box, 3, 3);
            painter.setPen(Qt::black);
            painter.drawText(box, Qt::AlignCenter, label.text);
        }
    }
    painter.restore();
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
    painter.save();
    const QRect device = toDevicePixels(painter, ratio, exposed);
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

QPoint imagePixelUnder(const QWidget& widget, const QMouseEvent& event) {
    const QPoint device = devicePixelUnder(widget, event);
    if (const auto* surface = qobject_cast<const Surface*>(&widget)) {
        return surface->view().imagePixelAt(device);
    }
    return device;
}

QPointF logicalOfImage(const QWidget& widget, QPointF image) {
    const double ratio = widget.devicePixelRatioF();
    if (const auto* surface = qobject_cast<const Surface*>(&widget)) {
        return surface->view().viewPointOf(image) / ratio;
    }
    return image / ratio;
}

void paintImageOneToOne(QWidget& widget, const QRect& exposed, const QImage& image,
                        const QColor& background) {
    QPainter painter(&widget);
    paintImageOneToOne(painter, widget.devicePixelRatioF(), exposed, image, background);
}

}  // namespace kiramo
