#include "overlay/GridStyleSettings.h"

#include "canvas/Workspace.h"
#include "core/ColourValues.h"
#include "overlay/GridStyleDialog.h"
#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace kiramo {

namespace {

const QString kColour = QStringLiteral("Grid/color");
const QString kWidth = QStringLiteral("Grid/width");
const QString kOpacity = QStringLiteral("Grid/opacity");

}  // namespace

GridStyle readGridStyle(const QString& file) {
    const QSettings settings(file, QSettings::IniFormat);
    // A value with a comma reads as a list, whose text is empty: a bad value like any other.
    return gridStyleFromText(settings.value(kColour).toString(), settings.value(kWidth).toString(),
                             settings.value(kOpacity).toString());
}

bool writeGridStyle(const QString& file, const GridStyle& style) {
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(kColour, hexColour(style.colour.rgb()));
    settings.setValue(kWidth, style.width);
    settings.setValue(kOpacity, style.opacity);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void gridStyleCommand(Workspace& workspace, GridStylePrompt& prompt) {
    const QString file = workspace.folders().userSettingsFile();
    const std::optional<GridStyle> chosen = prompt.askGridStyle(readGridStyle(file));
    if (!chosen || writeGridStyle(file, *chosen)) {
        return;
    }
    workspace.prompts().beep();
    workspace.prompts().showMessage(
        QCoreApplication::translate("GridStyleSettings", "グリッドの表示形式を %1 に保存できません")
            .arg(QDir::toNativeSeparators(file)));
}

}  // namespace kiramo
