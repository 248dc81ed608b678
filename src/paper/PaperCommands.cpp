#include "paper/PaperCommands.h"

#include "canvas/Workspace.h"
#include "core/FileNames.h"
#include "paper/PaperScene.h"
#include "platform/FileReplacement.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace kiramo {

namespace {

// Device units of the PDF: fine enough that a line lies within a micrometre of its place.
constexpr int kPdfResolution = 1200;

// The layout of a page of `sizeMm` as Qt takes it: a portrait size and an orientation.
QPageLayout pageLayoutOf(QSizeF sizeMm) {
    const bool landscape = sizeMm.width() > sizeMm.height();
    const QSizeF portrait = landscape ? sizeMm.transposed() : sizeMm;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

std::optional<PaperOptions> askOptions(Workspace& workspace, PaperOptionsPrompt& prompt,
                                       const QString& title, bool choosePage) {
    PaperOptionsRequest request;
    request.title = title;
    if (const std::optional<PaperPage> paper = truePaper(workspace)) {
        request.paper = paperText(workspace.currentMode().name, paper->sizeMm);
    }
    request.choosePage = choosePage;
    request.defaults.page = QPageSize(defaultPageSize(QLocale()));
    return prompt.askPaperOptions(request);
}

QString exportPdfTitle() {
    return QCoreApplication::translate("PaperCommands", "PDF の書き出し");
}

QString printTitle() {
    return QCoreApplication::translate("PaperCommands", "印刷");
}

}  // namespace

bool writePdf(const Workspace& workspace, const PaperOptions& options, const QString& path,
              QString* error) {
    const PaperScene scene =
        paperScene(workspace, options, options.page.size(QPageSize::Millimeter));
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setCreator(QStringLiteral("KIRAMO"));
        writer.setTitle(scene.legend);
        writer.setPageLayout(pageLayoutOf(scene.page.sizeMm));
        QPainter painter(&writer);
        if (!painter.isActive()) {
            *error = cannotWriteMessage(
                path, QCoreApplication::translate("PaperCommands", "PDF を作成できません"));
            return false;
        }
        paintScene(painter, scene, QRectF(QPointF(), scene.page.sizeMm), QPointF(),
                   kPdfResolution / kMmPerInch);
    }
    // The whole document is made before the file is touched.
    return replaceFileContents(path, file.data(), error);
}

void printPaper(const Workspace& workspace, const PaperOptions& options, QPrinter& printer) {
    const QSizeF sheetMm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
    const PaperScene scene = paperScene(workspace, options, sheetMm);
    const TilePlan plan = tilePaper(scene.page.sizeMm, sheetMm);
    printer.setFullPage(true);
    printer.setPageOrientation(plan.sheetMm.width() > plan.sheetMm.height()
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    printer.setDocName(scene.legend);
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return;
    }
    const double unitsPerMm = printer.resolution() / kMmPerInch;
    for (const SheetTile& tile : plan.tiles) {
        if (&tile != &plan.tiles.constFirst()) {
            printer.newPage();
        }
        paintScene(painter, scene, tile.paperMm, plan.contentMm, unitsPerMm);
        if (plan.tiled()) {
            paintTileMarks(painter, plan, tile, scene.legend, unitsPerMm);
        }
    }
}

void exportPdfCommand(Workspace& workspace, PaperOptionsPrompt& paper) {
    const std::optional<PaperOptions> options =
        askOptions(workspace, paper, exportPdfTitle(), true);
    if (!options) {
        return;
    }
    Prompts& prompts = workspace.prompts();
    const std::optional<QString> chosen = workspace.askNameToWrite(
        exportPdfTitle(),
        QCoreApplication::translate("PaperCommands",
                                    "PDF (*.pdf)|*.pdf|すべてのファイル (*.*)|*.*|"),
        QStringLiteral("pdf"), QStringLiteral("image"));
    if (!chosen) {
        return;
    }
    const QString& name = *chosen;
    QString error;
    std::optional<WaitCursor> hourglass(std::in_place);
    const bool written = writePdf(workspace, *options, name, &error);
    hourglass.reset();
    if (!written) {
        prompts.beep();
        prompts.showMessage(error);
    }
}

void printCommand(Workspace& workspace, PaperOptionsPrompt& paper) {
    const std::optional<PaperOptions> options = askOptions(workspace, paper, printTitle(), false);
    if (!options) {
        return;
    }
    PrintRequest request;
    request.title = printTitle();
    request.document =
        paperScene(workspace, *options, options->page.size(QPageSize::Millimeter)).legend;
    // The whole name, "29.7" and all, in the folder that Save As and Export PDF start in.
    request.pdfFile = QDir::current().filePath(
        fileNameOf(request.document.isEmpty() ? QStringLiteral("image") : request.document) +
        QStringLiteral(".pdf"));
    workspace.prompts().previewPrint(request, [&workspace, &options](QPrinter& printer) {
        printPaper(workspace, *options, printer);
    });
}

}  // namespace kiramo
