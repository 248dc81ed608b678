#pragma once

#include "paper/PaperOptions.h"

#include <QPointer>
#include <QWidget>

namespace kiramo {

// The paper options asked in a modal dialog over one parent window.
class PaperOptionsDialog final : public PaperOptionsPrompt {
public:
    explicit PaperOptionsDialog(QWidget* parent = nullptr)
        : m_parent(parent) {}

    std::optional<PaperOptions> askPaperOptions(const PaperOptionsRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace kiramo
