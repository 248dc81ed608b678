#include "files/FileCommands.h"

#include "app/Form1.h"
#include "core/FileNames.h"
#include "files/ImageFiles.h"
#include "platform/ProgramStarter.h"
#include "platform/Prompts.h"
#include "platform/WaitCursor.h"

#include <QDir>
#include <QFileInfo>

namespace kiramo {

void openCommand(Form1& form) {
    FileDialogRequest request;
    request.title = QStringLiteral("ファイルを開く");
    request.filters = parseFilterText(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|All Files (*.*)|*.*|"));
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bmp");
    request.initialName = QStringLiteral("image");
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = form.services.prompts.askOpenFileName(request);
    if (!chosen) {
        return;
    }
    // The next Open dialog starts in the folder used last.
    QDir::setCurrent(QFileInfo(*chosen).absolutePath());
    const QString file = trimBlanks(*chosen);
    const QString key = extensionKey(file);
    if (key == QLatin1String(".BMP")) {
        LoadCanvasImage(form, file);
        return;
    }
    const QString command = form.state.associations.lookup(key);
    if (command.isEmpty()) {
        form.services.prompts.beep();
        form.services.prompts.showMessage(QStringLiteral("該当する拡張子 [") + key.mid(1) +
                                          QStringLiteral("] が関連付けされていません"));
        return;
    }
    startAssociated(form, command, file);
}

void startAssociated(Form1& form, const QString& command, const QString& file) {
    const WaitCursor hourglass;
    const CommandLine line = commandWithFile(command, file);
    form.services.programs.startDetached(line.program, line.arguments);
}

void saveAsCommand(Form1& form) {
    FileDialogRequest request;
    request.title = QStringLiteral("保存");
    request.filters =
        parseFilterText(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|All Files (*.*)|*.*|"));
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bmp");
    request.initialName =
        form.state.CurrentFile.isEmpty() ? QStringLiteral("image") : form.state.CurrentFile;
    request.initialFolder = QDir::currentPath();
    const std::optional<QString> chosen = form.services.prompts.askSaveFileName(request);
    if (!chosen) {
        return;
    }
    SaveImageFile(form, trimBlanks(*chosen));
}

void loadCommandLine(Form1& form, const QString& commandLine) {
    if (const std::optional<QString> path = commandLinePath(commandLine)) {
        LoadCanvasImage(form, *path);
    }
}

}  // namespace kiramo
