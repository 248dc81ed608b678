#pragma once

#include "platform/ScreenGrabber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace kiramo::testing {

// A scripted screen grab: answers each start() from the event loop with `answer`, and counts
// the grabs. `Never` leaves the grab hanging until the test calls answerNow() (a slow desktop).
class FakeScreenGrabber final : public ScreenGrabber {
public:
    enum class Answer { Picture, Refuse, Fail, Never };

    QImage screen;          // the primary monitor's picture, when `screens` is empty
    FrozenScreens screens;  // every monitor's, when set
    Answer answer = Answer::Picture;
    QString reason = QStringLiteral("a scripted failure");
    int grabs = 0;
    int cancels = 0;
    bool pending = false;

    void start() override {
        ++grabs;
        pending = true;
        if (answer != Answer::Never) {
            QTimer::singleShot(0, this, [this] { answerNow(answer); });
        }
    }
    void cancel() override {
        ++cancels;
        pending = false;
    }

    // Answers the grab under way, if any, with `how`.
    void answerNow(Answer how = Answer::Picture) {
        if (!pending) {
            return;
        }
        pending = false;
        switch (how) {
        case Answer::Refuse:
            emit refused();
            break;
        case Answer::Fail:
            emit failed(reason);
            break;
        default:
            emit grabbed(frozenScreens());
            break;
        }
    }

    [[nodiscard]] FrozenScreens frozenScreens() const {
        if (!screens.isEmpty()) {
            return screens;
        }
        const QScreen* primary = QGuiApplication::primaryScreen();
        return {FrozenScreen{primary->name(), primary->geometry(), screen}};
    }
};

}  // namespace kiramo::testing
