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
    const std::optional<QString> name = workspace.askNameToWrite(
        QCoreApplication::translate("ColourCommands", "パレットの書き出し"),
        QCoreApplication::translate("ColourCommands", "GIMP パレット (*.gpl)") +
            QStringLiteral("|*.gpl|All Files (*.*)|*.*|"),
        QStringLiteral("gpl"), QStringLiteral("palette"));
    if (!name) {
        return;
    }
    QString error;
    if (!replaceFileContents(
            *name, gimpPalette(QFileInfo(*name).completeBaseName(), colours).toUtf8(), &error)) {
        prompts.beep();
        prompts.showMessage(error);
    }
}

}  // namespace kiramo
