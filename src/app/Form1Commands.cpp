// The main window's menu bar, one entry per item in menu order, and the wiring of its commands to
// the routines of each part of the program. A new command is one entry here plus its routine.
#include "app/CanvasView.h"
#include "app/Form1.h"
#include "app/MenuEntry.h"
#include "app/MenuRules.h"
#include "app/RecentMenu.h"
#include "exchange/Clipboard.h"
#include "exchange/HandOff.h"
#include "files/FileCommands.h"
#include "overlay/ColourCommands.h"
#include "overlay/GridCommands.h"
#include "overlay/GridStyleSettings.h"
#include "paper/PaperCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace kiramo {

namespace {

using M = Form1Menus;

// The menus, the English captions and the Grid commands' Japanese ones (translated) are the
// program's own texts. Landscape and the View menu's tones, mirror and cell names have a check
// mark; Copy and Paste take the platform's usual keys.
const MenuEntry kMenuBar[] = {
    {.name = "MFile", .menu = &M::MFile, .caption = "&File"},
    {.name = "MOpen",
     .in = &M::MFile,
     .action = &M::MOpen,
     .caption = "&Open...",
     .run = [](Form1& f) { openCommand(f.workspace()); }},
    {.name = "MSave",
     .in = &M::MFile,
     .action = &M::MSave,
     .caption = "&Save As...",
     .needsImage = true,
     .run = [](Form1& f) { saveAsCommand(f.workspace()); }},
    {.name = "MExportPdf",
     .in = &M::MFile,
     .action = &M::MExportPdf,
     .caption = "Export PDF...",
     .needsImage = true,
     .run = [](Form1& f) { exportPdfCommand(f.workspace(), f.paperOptions()); }},
    {.name = "MPrint",
     .in = &M::MFile,
     .action = &M::MPrint,
     .caption = "Print...",
     .needsImage = true,
     .run = [](Form1& f) { printCommand(f.workspace(), f.paperOptions()); }},
    // The three Send items stay hidden for the whole run, their enabled state kept all the same.
    {.name = "MBmpEd",
     .in = &M::MFile,
     .action = &M::MBmpEd,
     .caption = "Send BMP",
     .visible = false,
     .needsImage = true,
     .run = [](Form1& f) { sendBitmap(f.workspace()); }},
    {.name = "MBmpEdS",
     .in = &M::MFile,
     .action = &M::MBmpEdS,
     .caption = "Send BMP(selected)",
     .startsEnabled = false,
     .visible = false,
     .needsSelection = true,
     .run = [](Form1& f) { sendSelectedBitmap(f.workspace()); }},
    {.name = "MORBELLO",
     .in = &M::MFile,
     .action = &M::MORBELLO,
     .caption = "Send BMP to ORBELLO",
     .visible = false,
     .needsImage = true,
     .run = [](Form1& f) { sendToOrbello(f.workspace()); }},
    {.name = "MSPExit", .in = &M::MFile, .action = &M::MSPExit},
    {.name = "MExit",
     .in = &M::MFile,
     .action = &M::MExit,
     .caption = "E&xit",
     .run = [](Form1& f) { f.close(); }},
    {.name = "MSpRecent", .in = &M::MFile},
    {.name = "MSaveFile",
     .in = &M::MFile,
     .action = &M::MSaveFile,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "上書き保存(&S)"),
     .translated = true,
     .keys = "Ctrl+S",
     .needsImage = true,
     .run = [](Form1& f) { saveCommand(f.workspace()); }},
    {.name = "MRecent",
     .in = &M::MFile,
     .menu = &M::MRecent,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "最近使ったファイル(&R)"),
     .translated = true},
    // Enabled as File opens while a picture is kept from an earlier run (LastPicture).
    {.name = "MRestore",
     .in = &M::MFile,
     .action = &M::MRestore,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "前回の画像を復元(&L)"),
     .translated = true,
     .startsEnabled = false,
     .run = [](Form1& f) { f.lastPicture().restore(); }},

    {.name = "MEdit", .menu = &M::MEdit, .caption = "&Edit"},
    {.name = "MCopy",
     .in = &M::MEdit,
     .action = &M::MCopy,
     .caption = "&Copy",
     .shortcut = QKeySequence::Copy,
     .needsImage = true,
     .run = [](Form1& f) { copyCommand(f.workspace()); }},
    {.name = "MPaste",
     .in = &M::MEdit,
     .action = &M::MPaste,
     .caption = "&Paste",
     .shortcut = QKeySequence::Paste,
     .run = [](Form1& f) { pasteCommand(f.workspace()); }},
    {.name = "MSpPal", .in = &M::MEdit, .action = &M::MSpPal},
    {.name = "MPal",
     .in = &M::MEdit,
     .action = &M::MPal,
     .caption = "&Color Table",
     .run = [](Form1& f) { f.toggleColorTable(); }},
    {.name = "MSPGrid", .in = &M::MEdit, .action = &M::MSPGrid},
    {.name = "MGrid", .in = &M::MEdit, .menu = &M::MGrid, .caption = "Grid"},
    {.name = "MGrid8",
     .in = &M::MGrid,
     .action = &M::MGrid8,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "1/8 分割"),
     .translated = true,
     .run = [](Form1& f) { DrawDivisionGrid(f.workspace(), 8); }},
    {.name = "MGridT",
     .in = &M::MGrid,
     .action = &M::MGridT,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "等分..."),
     .translated = true,
     .run = [](Form1& f) { drawEqualPartsGrid(f.workspace()); }},
    // Enabled at start; from the first drop-down of Edit on, only with a mode. Without a
    // selection it grids the whole canvas, as the other two grids do.
    {.name = "MGridCM",
     .in = &M::MGrid,
     .action = &M::MGridCM,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "寸法(cm)指定..."),
     .translated = true,
     .needsMode = true,
     .run = [](Form1& f) { drawCentimetreGrid(f.workspace()); }},
    {.name = "MGridStyle",
     .in = &M::MGrid,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "グリッドの表示形式(&S)..."),
     .translated = true,
     .run = [](Form1& f) { gridStyleCommand(f.workspace(), f.gridStylePrompt()); }},
    {.name = "MGridClear",
     .in = &M::MEdit,
     .action = &M::MGridClear,
     .caption = "Grid Clear",
     .run = [](Form1& f) { gridClear(f.workspace()); }},
    // Enabled while there is a step to take back (again); captioned with it (HistoryItems).
    {.name = "MUndo",
     .in = &M::MEdit,
     .action = &M::MUndo,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "元に戻す(&U)"),
     .translated = true,
     .startsEnabled = false,
     .keys = "Ctrl+Z",
     .run = [](Form1& f) { f.workspace().undo(); }},
    {.name = "MRedo",
     .in = &M::MEdit,
     .action = &M::MRedo,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "やり直し(&R)"),
     .translated = true,
     .startsEnabled = false,
     .keys = "Ctrl+Shift+Z; Ctrl+Y",
     .run = [](Form1& f) { f.workspace().redo(); }},
    {.name = "MSpColours", .in = &M::MEdit},
    {.name = "MCopyColours",
     .in = &M::MEdit,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "色の値をコピー(&V)"),
     .translated = true,
     .run = [](Form1& f) { copyColourValues(f.workspace(), f.swatchColours()); }},
    {.name = "MExportPalette",
     .in = &M::MEdit,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "パレットを書き出す(&E)..."),
     .translated = true,
     .run = [](Form1& f) { exportPalette(f.workspace(), f.swatchColours()); }},

    // What is shown, never the picture: zoom, tones, mirror and cell names.
    {.name = "MView",
     .menu = &M::MView,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "表示(&V)"),
     .translated = true},
    {.name = "MZoomIn",
     .in = &M::MView,
     .action = &M::MZoomIn,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "拡大(&I)"),
     .translated = true,
     .keys = "Ctrl++; Ctrl+=",
     .run = [](Form1& f) { f.canvasView().zoomIn(); }},
    {.name = "MZoomOut",
     .in = &M::MView,
     .action = &M::MZoomOut,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "縮小(&O)"),
     .translated = true,
     .keys = "Ctrl+-",
     .run = [](Form1& f) { f.canvasView().zoomOut(); }},
    {.name = "MActualSize",
     .in = &M::MView,
     .action = &M::MActualSize,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "実際のサイズ(&A)"),
     .translated = true,
     .keys = "Ctrl+1",
     .run = [](Form1& f) { f.canvasView().actualSize(); }},
    {.name = "MFit",
     .in = &M::MView,
     .action = &M::MFit,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "画面に合わせる(&F)"),
     .translated = true,
     .keys = "Ctrl+0",
     .run = [](Form1& f) { f.canvasView().fit(); }},
    {.name = "MSpTone", .in = &M::MView},
    {.name = "MGreyscale",
     .in = &M::MView,
     .action = &M::MGreyscale,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "グレースケール(&G)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.canvasView().toggleTone(ViewTone::Greyscale); }},
    {.name = "MValues3",
     .in = &M::MView,
     .action = &M::MValues3,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "明暗 3 段階(&3)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.canvasView().toggleTone(ViewTone::Values3); }},
    {.name = "MValues5",
     .in = &M::MView,
     .action = &M::MValues5,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "明暗 5 段階(&5)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.canvasView().toggleTone(ViewTone::Values5); }},
    {.name = "MMirror",
     .in = &M::MView,
     .action = &M::MMirror,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "左右反転(&M)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.canvasView().toggleMirror(); }},
    {.name = "MCellLabels",
     .in = &M::MView,
     .action = &M::MCellLabels,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "セル番号(&L)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.canvasView().toggleCellLabels(); }},
    {.name = "MSpZoom", .in = &M::MView},
    // The zoom as the user reads it, "%1" standing for "200 %" (CanvasView fills it in).
    {.name = "MZoomShown",
     .in = &M::MView,
     .action = &M::MZoomShown,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "表示倍率: %1"),
     .translated = true,
     .startsEnabled = false},

    {.name = "MOption", .menu = &M::MOption, .caption = "&Option"},
    {.name = "MCap",
     .in = &M::MOption,
     .action = &M::MCap,
     .caption = "&Capture",
     .run = [](Form1& f) { f.startCapture(); }},
    {.name = "MSpMode", .in = &M::MOption, .action = &M::MSpMode},
    // Its items are the modes of the settings file (Form1Menus::addModeItem).
    {.name = "MMode", .in = &M::MOption, .menu = &M::MMode, .caption = "&Mode"},
    // Below the modes: the rectangle of every mode turned, as Shift turns it, for the run.
    {.name = "MSpLandscape", .in = &M::MMode, .action = &M::MSpLandscape},
    {.name = "MLandscape",
     .in = &M::MMode,
     .action = &M::MLandscape,
     .caption = QT_TRANSLATE_NOOP("Form1Menus", "横向き(&L)"),
     .translated = true,
     .checkable = true,
     .run = [](Form1& f) { f.setLandscape(f.menus().MLandscape->isChecked()); }},

    {.name = "MHelp", .menu = &M::MHelp, .caption = "&Help"},
    {.name = "MWeb",
     .in = &M::MHelp,
     .action = &M::MWeb,
     .caption = "Support&Website",
     .run = [](Form1& f) { openSupportPage(f.workspace()); }},
};

}  // namespace

std::span<const MenuEntry> form1MenuBar() {
    return kMenuBar;
}

void Form1::connectCommands() {
    const std::span<const MenuEntry> entries = form1MenuBar();
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        const MenuEntry& entry = entries[i];
        if (entry.run != nullptr) {
            connect(m_menus.item(i), &QAction::triggered, this,
                    [this, run = entry.run] { run(*this); });
        }
        if (entry.in == nullptr) {
            QMenu* menu = m_menus.*entry.menu;
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu] { menuOpening(m_menus, menu, m_workspace); });
        }
    }
    connectModeItem(0);
    connect(m_menus.MRecent, &QMenu::aboutToShow, this,
            [this] { fillRecentMenu(m_menus.MRecent, m_workspace); });
    connect(m_menus.MFile, &QMenu::aboutToShow, this,
            [this] { Form1Menus::setCommandEnabled(m_menus.MRestore, m_lastPicture.exists()); });
}

}  // namespace kiramo
