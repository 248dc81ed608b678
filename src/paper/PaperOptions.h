#pragma once

#include <QPageSize>
#include <QString>

#include <optional>

namespace kiramo {

// How a picture goes on paper: at the true size of the current mode's paper, or fitted on a
// page; with or without the names of the grid's cells.
struct PaperOptions {
    bool trueSize = true;  // only where the mode has a paper size
    QPageSize page = QPageSize(QPageSize::A4);
    bool cellLabels = false;
};

// Everything the paper options dialog is set up with.
struct PaperOptionsRequest {
    QString title;
    QString paper;           // "A4 29.7 x 21 cm"; "" in FreeSize, which has no true size
    bool choosePage = true;  // false when a printer dialog chooses the page
    PaperOptions defaults;
};

// The question Export PDF and Print start with. The commands ask through this interface only,
// so that tests can answer it from a script.
class PaperOptionsPrompt {
public:
    virtual ~PaperOptionsPrompt() = default;

    // The paper options, or nothing when the user cancelled.
    virtual std::optional<PaperOptions> askPaperOptions(const PaperOptionsRequest& request) = 0;
};

}  // namespace kiramo
