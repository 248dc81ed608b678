#include "app/Form1Menus.h"

#include "app/MenuEntry.h"

#include "core/ModeTable.h"
#include "core/NumberText.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace kiramo {

namespace {

QString captionOf(const MenuEntry& entry) {
    return entry.translated ? QCoreApplication::translate("Form1Menus", entry.caption)
                            : QString::fromUtf8(entry.caption);
}

QAction* named(QAction* action, const QString& name) {
    action->setObjectName(name);
    return action;
}

}  // namespace

void Form1Menus::build(QMenuBar* bar) {
    const std::span<const MenuEntry> entries = form1MenuBar();
    m_items.clear();
    m_menuBarMenus.clear();
    for (const MenuEntry& entry : entries) {
        const QString name = QLatin1String(entry.name);
        if (entry.menu != nullptr) {
            QMenu* menu = entry.in == nullptr ? bar->addMenu(captionOf(entry))
                                              : (this->*entry.in)->addMenu(captionOf(entry));
            menu->setObjectName(name);
            named(menu->menuAction(), name);
            this->*entry.menu = menu;
            m_items.append(menu->menuAction());
        } else {
            QMenu* in = this->*entry.in;
            QAction* action = named(entry.caption == nullptr ? in->addSeparator()
                                                             : in->addAction(captionOf(entry)),
                                    name);
            if (entry.shortcut != QKeySequence::UnknownKey) {
                action->setShortcut(entry.shortcut);
            }
            if (entry.keys != nullptr) {
                action->setShortcuts(QKeySequence::listFromString(QLatin1String(entry.keys)));
            }
            action->setCheckable(entry.checkable);
            if (!entry.startsEnabled || entry.needsImage) {
                setCommandEnabled(action, false);
            }
            action->setVisible(entry.visible);
            action->setCheckable(entry.checkable);
            if (entry.action != nullptr) {
                this->*entry.action = action;
            }
            m_items.append(action);
        }
        // A menu comes before the items in it: the menu bar menu of the holder is known.
        m_menuBarMenus.append(entry.in == nullptr ? this->*entry.menu
                                                  : m_menuBarMenus.at(m_items.indexOf(
                                                        (this->*entry.in)->menuAction())));
    }

    MMode->setToolTipsVisible(true);
    MCanvas = QList<QAction*>(ModeTable::kLast + 1, nullptr);
    // "FreeSize", as the mode table names its mode 0: the item that the menu has from the start.
    addModeItem(0, ModeTable().mode(0)->menuCaption);
}

void Form1Menus::enableImageCommands() {
    m_imageArrived = true;
    const std::span<const MenuEntry> entries = form1MenuBar();
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        if (entries[i].needsImage) {
            setCommandEnabled(m_items.at(i), true);
        }
    }
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
    // The Mode items are the ones that carry their index.
    QAction* before = nullptr;
    for (QAction* other : MMode->actions()) {
        if (!other->data().isValid()) {
            before = other;
            break;
        }
    }
    auto* action = new QAction(text, MMode);
    MMode->insertAction(before, named(action, QStringLiteral("MCanvas(%1)").arg(index)));
    action->setData(index);
    MCanvas[index] = action;
    return action;
}

}  // namespace kiramo
