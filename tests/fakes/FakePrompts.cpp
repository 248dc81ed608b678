#include "fakes/FakePrompts.h"

#include <QTest>

namespace kiramo::testing {

namespace {

template <typename T> T takeOr(QQueue<T>& queue, T cancelled, const QString& question) {
    if (queue.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("FakePrompts has no answer for: ") + question),
                     __FILE__, __LINE__);
        return cancelled;
    }
    return queue.dequeue();
}

}  // namespace

void FakePrompts::beep() {
    calls.append(QStringLiteral("beep"));
}

void FakePrompts::showMessage(const QString& text) {
    calls.append(QStringLiteral("message: ") + text);
}

bool FakePrompts::askYesNo(const QString& text) {
    calls.append(QStringLiteral("yesno: ") + text);
    return takeOr(yesNoAnswers, false, calls.last());
}

QString FakePrompts::askText(const QString& prompt, const QString& title,
                             const QString& defaultAnswer) {
    calls.append(QStringLiteral("text: %1 | %2 | %3").arg(prompt, title, defaultAnswer));
    return takeOr(textAnswers, QString(), calls.last());
}

std::optional<QString> FakePrompts::askOpenFileName(const FileDialogRequest& request) {
    calls.append(QStringLiteral("open: ") + request.title);
    fileRequests.append(request);
    return takeOr(openAnswers, std::optional<QString>(), calls.last());
}

std::optional<QString> FakePrompts::askSaveFileName(const FileDialogRequest& request) {
    calls.append(QStringLiteral("save: ") + request.title);
    fileRequests.append(request);
    return takeOr(saveAnswers, std::optional<QString>(), calls.last());
}

}  // namespace kiramo::testing
