#pragma once

#include "app/Form1Menus.h"

#include <QKeySequence>

#include <span>

namespace kiramo {

class Form1;

// One item of the main window's menu bar: a menu, a separator or a command. The table of them
// (Form1Commands.cpp) is the one place that says what the menu bar holds; building the menus,
// connecting the commands, EnableImageCommands and the drop-down rules all read it.
struct MenuEntry {
    // The item's object name; for an item that code or tests name, also its Form1Menus member.
    const char* name = nullptr;
    // The menu it sits in; nullptr for a menu of the menu bar itself.
    QMenu* Form1Menus::*in = nullptr;
    // Where the item is kept: `menu` for a menu (of the bar or a submenu), `action` for the rest.
    // A command that nothing names needs neither: Form1Menus::item gives it by its place here.
    QMenu* Form1Menus::*menu = nullptr;
    QAction* Form1Menus::*action = nullptr;
    // The caption, byte for byte; nullptr for a separator. A translated caption is marked with
    // QT_TRANSLATE_NOOP("Form1Menus", ...) and shown through QCoreApplication::translate.
    const char* caption = nullptr;
    bool translated = false;
    bool startsEnabled = true;
    bool visible = true;
    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey;
    // Keys of the item's own, in QKeySequence's portable text, several separated by "; " (the
    // first is the one the menu shows); nullptr for none.
    const char* keys = nullptr;
    // Shown with a check mark, which the item's command sets or clears.
    bool checkable = false;
    // Disabled at start, enabled by EnableImageCommands once the canvas holds a picture.
    bool needsImage = false;
    // Enabled anew each time the menu bar menu that holds the item drops down: only while a
    // selection exists, only while a mode other than FreeSize is current (both, when both
    // are set), and only after a picture arrived when it also needs an image.
    bool needsSelection = false;
    bool needsMode = false;
    // The command; nullptr for an item without one (menus, separators).
    void (*run)(Form1& form) = nullptr;

    [[nodiscard]] bool hasDropDownRule() const { return needsSelection || needsMode; }
};

// The main window's menu bar in menu order: every menu comes before the items in it.
[[nodiscard]] std::span<const MenuEntry> form1MenuBar();

}  // namespace kiramo
