#pragma once

#include "paper/PaperOptions.h"

#include <QString>

class QPrinter;

namespace kiramo {

class Workspace;

// "Export PDF...": asks `paper` how the picture goes on paper, then for a file name, then
// writes it.
void exportPdfCommand(Workspace& workspace, PaperOptionsPrompt& paper);
// "Print...": asks `paper` how the picture goes on paper, then shows the printout in a preview
// from which the user prints.
void printCommand(Workspace& workspace, PaperOptionsPrompt& paper);

// Writes the picture with its grids as a PDF of one page: the mode's paper at true size, or the
// options' page with the picture fitted on it. The PDF is made whole in memory and then put in
// place by replaceFileContents, so a failed export leaves a file there as it was. False, with
// `error` naming the file and the reason, on failure.
[[nodiscard]] bool writePdf(const Workspace& workspace, const PaperOptions& options,
                            const QString& path, QString* error);

// Prints the picture with its grids on `printer`'s paper: a true-size paper larger than a sheet
// is tiled over several sheets, overlapping, each with its row, column and cut marks. The
// printer is turned to the orientation that suits the picture.
void printPaper(const Workspace& workspace, const PaperOptions& options, QPrinter& printer);

}  // namespace kiramo
