#pragma once

#include "core/PageLayout.h"
#include "core/ViewTone.h"
#include "core/ZoomMath.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

class QMouseEvent;
class QPainter;

namespace kiramo {

// A picture box: a widget that shows a persistent image, one image pixel per device pixel.
// What is drawn into the image stays until the image is replaced, and can be read back. The
// widget always has the size of its image as shown: at zoom 1 the image's size. The view (zoom,
// tone, mirror, cell labels) changes only what is painted; the image stays as it is.
class Surface : public QWidget {
    Q_OBJECT

public:
    Surface(const QColor& background, QWidget* parent);

    [[nodiscard]] const QImage& image() const { return m_image; }
    [[nodiscard]] QColor background() const { return m_background; }
    [[nodiscard]] QSize imageSize() const { return m_image.size(); }
    // The colour of the image pixel `pixel` (device pixels of the widget, see devicePixelUnder);
    // the background colour outside the image.
    [[nodiscard]] QRgb colourOf(QPoint pixel) const;

    // Replaces the picture; the widget takes its size.
    void setImage(const QImage& image);
    // A blank picture of `pixels` in the background colour.
    void clear(QSize pixels);
    // Gives the picture a new size, keeping the pixels that still fit and filling new ones
    // with the background colour.
    void resizeImage(QSize pixels);
    // Runs `edit` on the image (drawing into it in place), then repaints.
    template <typename Edit> void editImage(Edit&& edit) {
        edit(m_image);
        imageEdited();
    }

    // The view: `zoom` device pixels per image pixel, the colours in `tone`, left and right
    // swapped when `mirrored`. The widget takes the zoomed size; viewChanged() follows.
    void setView(double zoom, ViewTone tone, bool mirrored);
    [[nodiscard]] ZoomView view() const { return ZoomView{m_image.size(), m_zoom, m_mirrored}; }
    [[nodiscard]] ViewTone tone() const { return m_tone; }
    // Cell names drawn over the picture, not into it; positions in image pixels.
    void setCellLabels(const QList<CellLabel>& labels);

    // Gives the surface pixels of its own where its image still shares them with a copy, so
    // that the next drawing into it does not have to copy first. Nothing visible changes.
    void detachImage() { m_image.bits(); }

signals:
    // The zoom or the orientation changed: what lies over the picture must move with it.
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitWidgetToImage();
    void imageEdited();
    // The image as painted: tone and mirror applied, and below zoom 1 smoothly scaled down.
    [[nodiscard]] const QImage& shownImage();
    void paintZoomed(QPainter& painter, const QRect& exposed);
    void paintCellLabels(QPainter& painter);

    QColor m_background;
    QImage m_image;
    double m_zoom = 1.0;
    ViewTone m_tone = ViewTone::Colour;
    bool m_mirrored = false;
    QList<CellLabel> m_cellLabels;
    QImage m_toned;   // tone and mirror applied; null while not made or not needed
    QImage m_scaled;  // the shown image smoothly scaled to the view below zoom 1; null likewise
};

// The device pixel under a point `logical` pixels from a widget's origin, the widget showing
// `ratio` device pixels per logical pixel: whole numbers, the pixel that holds the point. The
// pointer sits on whole device pixels; a position that the conversion to logical pixels and
// back left a rounding error short of one still counts as that pixel.
[[nodiscard]] QPointF devicePixelAt(QPointF logical, double ratio);

// The device pixel at which a widget whose origin lies at `device` (device pixels of its
// window, fractional where the widget's logical position falls inside a device pixel) shows its
// image's pixel (0, 0) when it paints one to one: the nearest one, a half rounding up.
[[nodiscard]] QPoint deviceOrigin(QPointF device);

// The device pixel of `widget` under the pointer of `event`, a mouse event of any widget in the
// same window: the pixel that shows the image's pixel of these coordinates when the widget
// paints one to one. Taken from the event's position in the window, which the window system
// reports in whole device pixels and Qt divides by the ratio; the event's position in its
// widget is rounded to whole logical pixels, which at a scale above 1 is a device pixel or more
// away.
[[nodiscard]] QPoint devicePixelUnder(const QWidget& widget, const QMouseEvent& event);
// The image pixel under the pointer of `event` when `widget` is a Surface, through its view;
// for any other widget the device pixel under it.
[[nodiscard]] QPoint imagePixelUnder(const QWidget& widget, const QMouseEvent& event);
// Where image position `image` (pixels) shows on `widget`, in its logical pixels: through the
// view of a Surface, one to one on any other widget.
[[nodiscard]] QPointF logicalOfImage(const QWidget& widget, QPointF image);
// Paints the part `exposed` (logical pixels) of `widget` from `image`, one image pixel per
// device pixel; what the image does not cover shows `background`.
void paintImageOneToOne(QWidget& widget, const QRect& exposed, const QImage& image,
                        const QColor& background);
// The same with `painter` on a device of `ratio` device pixels per logical pixel, the widget's
// origin where the painter's device transform puts it: every device pixel that `exposed`
// touches is painted, and no other.
void paintImageOneToOne(QPainter& painter, double ratio, const QRect& exposed, const QImage& image,
                        const QColor& background);

}  // namespace kiramo
