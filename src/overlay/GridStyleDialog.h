#pragma once

#include "core/GridStyle.h"

#include <QPointer>
#include <QWidget>

#include <optional>

namespace kiramo {

// The question "Grid Style..." asks. The command asks through this interface only, so that
// tests can answer it from a script.
class GridStylePrompt {
public:
    virtual ~GridStylePrompt() = default;

    // The style chosen starting from `current`, or nothing when the user cancelled.
    virtual std::optional<GridStyle> askGridStyle(const GridStyle& current) = 0;
};

// The grid style asked in a modal dialog over one parent window: colour, width and opacity,
// with a sample of the grid as it will be drawn.
class GridStyleDialog final : public GridStylePrompt {
public:
    explicit GridStyleDialog(QWidget* parent = nullptr)
        : m_parent(parent) {}

    std::optional<GridStyle> askGridStyle(const GridStyle& current) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace kiramo
