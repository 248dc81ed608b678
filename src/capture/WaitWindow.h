#pragma once

#include <QWidget>

namespace kiramo {

// The small window shown while the desktop takes its time to hand over the screen (it may be
// asking the user for permission): says so, and lets the user give up with Escape, its button
// or by closing it.
class WaitWindow : public QWidget {
    Q_OBJECT

public:
    WaitWindow();

    // Closes the window without reporting it as the user's cancel: the program is done waiting.
    void dismiss();

signals:
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_quiet = false;  // closed by the program, not by the user
};

}  // namespace kiramo
