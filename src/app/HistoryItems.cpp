#include "app/HistoryItems.h"

#include "app/Form1Menus.h"
#include "canvas/Workspace.h"

#include <QAction>
#include <QCoreApplication>

namespace kiramo {

namespace {

QString stepName(const char* step) {
    QString name = QCoreApplication::translate("Form1Menus", step);
    name.remove(u'&');
    if (name.endsWith(QLatin1String("..."))) {
        name.chop(3);
    }
    // The caption's own "&" marks its mnemonic; the step's shows as written.
    return name.replace(u'&', QStringLiteral("&&"));
}

}  // namespace

QString undoCaption(const char* step) {
    return *step == '\0' ? QCoreApplication::translate("Form1Menus", "元に戻す(&U)")
                         : QCoreApplication::translate("HistoryItems", "元に戻す(&U): %1")
                               .arg(stepName(step));
}

QString redoCaption(const char* step) {
    return *step == '\0' ? QCoreApplication::translate("Form1Menus", "やり直し(&R)")
                         : QCoreApplication::translate("HistoryItems", "やり直し(&R): %1")
                               .arg(stepName(step));
}

void showHistoryItems(Form1Menus& menus, const Workspace& workspace) {
    const EditHistory& history = workspace.history();
    menus.MUndo->setText(undoCaption(history.undoLabel()));
    menus.MRedo->setText(redoCaption(history.redoLabel()));
    Form1Menus::setCommandEnabled(menus.MUndo, history.canUndo());
    Form1Menus::setCommandEnabled(menus.MRedo, history.canRedo());
}

}  // namespace kiramo
