#include "app/Form1Menus.h"

#include "core/ModeTable.h"
#include "core/NumberText.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace kiramo {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* submenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

}  // namespace

void Form1Menus::build(QMenuBar* bar) {
    MFile = submenu(bar, "MFile", QStringLiteral("&File"));
    MOpen = item(MFile, "MOpen", QStringLiteral("&Open..."));
    MSave = item(MFile, "MSave", QStringLiteral("&Save As..."));
    MExportPdf = item(MFile, "MExportPdf", QStringLiteral("Export PDF..."));
    MPrint = item(MFile, "MPrint", QStringLiteral("Print..."));
    MBmpEd = item(MFile, "MBmpEd", QStringLiteral("Send BMP"));
    MBmpEdS = item(MFile, "MBmpEdS", QStringLiteral("Send BMP(selected)"));
    MORBELLO = item(MFile, "MORBELLO", QStringLiteral("Send BMP to ORBELLO"));
    MSPExit = separator(MFile, "MSPExit");
    MExit = item(MFile, "MExit", QStringLiteral("E&xit"));
    for (QAction* image : {MSave, MExportPdf, MPrint}) {
        setCommandEnabled(image, false);
    }
    for (QAction* send : {MBmpEd, MBmpEdS, MORBELLO}) {
        setCommandEnabled(send, false);
        send->setVisible(false);
    }

    MEdit = submenu(bar, "MEdit", QStringLiteral("&Edit"));
    MCopy = item(MEdit, "MCopy", QStringLiteral("&Copy"));
    MPaste = item(MEdit, "MPaste", QStringLiteral("&Paste"));
    // The platform's usual keys; the captions stay as they are.
    MCopy->setShortcut(QKeySequence::Copy);
    MPaste->setShortcut(QKeySequence::Paste);
    MSpPal = separator(MEdit, "MSpPal");
    MPal = item(MEdit, "MPal", QStringLiteral("&Color Table"));
    MSPGrid = separator(MEdit, "MSPGrid");
    MGrid = submenu(MEdit, "MGrid", QStringLiteral("Grid"));
    MGrid8 = item(MGrid, "MGrid8", QCoreApplication::translate("Form1Menus", "1/8 分割"));
    MGridT = item(MGrid, "MGridT", QCoreApplication::translate("Form1Menus", "等分..."));
    MGridCM = item(MGrid, "MGridCM", QCoreApplication::translate("Form1Menus", "寸法(cm)指定..."));
    MGridClear = item(MEdit, "MGridClear", QStringLiteral("Grid Clear"));
    setCommandEnabled(MCopy, false);

    MOption = submenu(bar, "MOption", QStringLiteral("&Option"));
    MCap = item(MOption, "MCap", QStringLiteral("&Capture"));
    MSpMode = separator(MOption, "MSpMode");
    MMode = submenu(MOption, "MMode", QStringLiteral("&Mode"));
    MMode->setToolTipsVisible(true);
    MCanvas = QList<QAction*>(ModeTable::kLast + 1, nullptr);
    addModeItem(0, QStringLiteral("FreeSize"));

    MHelp = submenu(bar, "MHelp", QStringLiteral("&Help"));
    MWeb = item(MHelp, "MWeb", QStringLiteral("Support&Website"));
}

namespace {
const char* const kCommandEnabled = "kiramoCommandEnabled";
}

void Form1Menus::setCommandEnabled(QAction* action, bool enabled) {
    action->setEnabled(enabled);
    action->setProperty(kCommandEnabled, enabled);
}

bool Form1Menus::isCommandEnabled(const QAction* action) {
    const QVariant stored = action->property(kCommandEnabled);
    return stored.isValid() ? stored.toBool() : action->isEnabled();
}

QString unusableModeNote(const CaptureMode& mode) {
    switch (modeSizeFault(mode)) {
    case ModeSizeFault::None:
        return QString();
    case ModeSizeFault::Unreadable:
        return QCoreApplication::translate("Form1Menus",
                                           "寸法が読めないため、選択範囲の比率を決められません。"
                                           "書式: @ 名前 幅x高さ (例: @ A4 29.7x21、x は小文字)");
    case ModeSizeFault::NotPositive:
        break;
    }
    return QCoreApplication::translate(
               "Form1Menus", "寸法 %1x%2 に 0 以下の値があるため、選択範囲の比率を決められ"
                             "ません。幅と高さは 0 より大きい数で書いてください "
                             "(例: @ A4 29.7x21)")
        .arg(writeNumber(mode.width), writeNumber(mode.height));
}

QAction* Form1Menus::addModeItem(int index, const QString& caption) {
    // A "&" in a mode text is shown as written, not taken as a mnemonic.
    QString text = caption;
    text.replace(u'&', QStringLiteral("&&"));
    QAction* action = MMode->addAction(text);
    action->setObjectName(QStringLiteral("MCanvas(%1)").arg(index));
    action->setData(index);
    MCanvas[index] = action;
    return action;
}

}  // namespace kiramo
