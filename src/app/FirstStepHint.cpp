#include "app/FirstStepHint.h"

#include "app/Form1Menus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QRegularExpression>

namespace kiramo {

namespace {

// A menu caption as the user reads it: without its mnemonic marks.
QString plain(const QAction* action) {
    QString text = action->text();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// Logical pixels between the text and the canvas area's edges.
constexpr int kMargin = 8;

}  // namespace

FirstStepHint::FirstStepHint(const Form1Menus& menus, QWidget* parent)
    : QLabel(parent) {
    setObjectName(QStringLiteral("FirstStepHint"));
    setText(QCoreApplication::translate("FirstStepHint", "はじめに\n"
                                                         "・画面を取り込む: %1 ▸ %2\n"
                                                         "・ファイルを開く: %3 ▸ %4\n"
                                                         "・または画像をここにドロップ")
                .arg(plain(menus.MOption->menuAction()), plain(menus.MCap),
                     plain(menus.MFile->menuAction()), plain(menus.MOpen)));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(kMargin);
    // See-through, and mouse events go to the canvas below: a selection or a grid drawn on the
    // blank canvas shows through the text.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

}  // namespace kiramo
