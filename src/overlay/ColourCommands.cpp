#include "overlay/ColourCommands.h"

#include "canvas/Workspace.h"
#include "core/ColourValues.h"
#include "core/FileNames.h"
#include "platform/FileReplacement.h"
#include "platform/Prompts.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace kiramo {

namespace {

// False, after saying so, when the strip holds no colour.
bool haveColours(Workspace& workspace, const QList<QRgb>& colours) {
    if (colours.isEmpty()) {
        workspace.prompts().showMessage(
            QCoreApplication::translate("ColourCommands", "カラーテーブルに色がありません"));
        return false;
    }
    return true;
}

// The proposed name: the current file's with ".gpl", or "palette.gpl".
QString proposedName(const Workspace& workspace) {
    const QString& current = workspace.currentFile();
    if (current.isEmpty()) {
        return QStringLiteral("palette.gpl");
    }
    const QFileInfo info(current);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".gpl"));
}

}  // namespace

void copyColourValues(Workspace& workspace, const QList<QRgb>& colours) {
    if (haveColours(workspace, colours)) {
        QGuiApplication::clipboard()->setText(colourValuesText(colours));
    }
}

void exportPalette(Workspace& workspace, const QList<QRgb>& colours) {
    if (!haveColours(workspace, colours)) {
        return;
    }
    Prompts& prompts = workspace.prompts();
    FileDialogRequest request;
    request.title = QCoreApplication::translate("ColourCommands", "パレットの書き出し");
    request.filters =
        parseFilterText(QCoreApplication::translate("ColourCommands", "GIMP パレット (*.gpl)") +
                        QStringLiteral("|*.gpl|All Files (*.*)|*.*|"));
    request.defaultSuffix = QStringLiteral("gpl");
    request.initialName = proposedName(workspace);
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = prompts.askSaveFileName(request);
    if (!chosen) {
        return;
    }
    const QString name = trimBlanks(*chosen);
    if (!workspace.mayReplace(name)) {
        return;
    }
    QString error;
    if (!replaceFileContents(
            name, gimpPalette(QFileInfo(name).completeBaseName(), colours).toUtf8(), &error)) {
        prompts.beep();
        prompts.showMessage(error);
    }
}

}  // namespace kiramo
