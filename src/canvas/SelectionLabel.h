#pragma once

#include "platform/ScreenMetrics.h"

#include <QLabel>

namespace kiramo {

// A rectangle in twips of the canvas: left, top, width, height, fractions kept.
struct TwipsRect {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
    bool operator==(const TwipsRect&) const = default;
};

// The selection's size label `L1`: a yellow caption, centred, on a see-through background with
// a thin frame, stretched over the selected rectangle of the canvas. Its rectangle is kept in
// twips; the widget shows it rounded to pixels. Visible means selected.
class SelectionLabel : public QLabel {
    Q_OBJECT

public:
    SelectionLabel(const ScreenMetrics& metrics, QWidget* canvas);

    [[nodiscard]] const TwipsRect& twips() const { return m_twips; }
    void setTwips(const TwipsRect& rect);

private:
    ScreenMetrics m_metrics;
    TwipsRect m_twips;
};

}  // namespace kiramo
