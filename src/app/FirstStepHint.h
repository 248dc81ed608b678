#pragma once

#include <QLabel>

namespace kiramo {

struct Form1Menus;

// What the empty main window shows over its canvas area: the first step (capture, open a file,
// or drop one), naming the menu items by their captions. Clicks and drops go through it to
// what lies below.
class FirstStepHint : public QLabel {
    Q_OBJECT

public:
    FirstStepHint(const Form1Menus& menus, QWidget* parent);
};

}  // namespace kiramo
