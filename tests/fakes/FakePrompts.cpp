#include "fakes/FakePrompts.h"

#include <QPrinter>
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

bool FakePrompts::showMessageWithChoice(const QString& text, const QString& choice) {
    calls.append(QStringLiteral("choice: %1 | %2").arg(text, choice));
    return takeOr(choiceAnswers, false, calls.last());
}

bool FakePrompts::askYesNo(const QString& text, Answer defaultButton) {
    calls.append(QStringLiteral("yesno: ") + text);
    yesNoDefaults.append(defaultButton);
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

std::optional<PaperOptions> FakePrompts::askPaperOptions(const PaperOptionsRequest& request) {
    calls.append(QStringLiteral("paper: %1 | %2").arg(request.title, request.paper));
    paperRequests.append(request);
    return takeOr(paperAnswers, std::optional<PaperOptions>(), calls.last());
}

void FakePrompts::previewPrint(const PrintRequest& request,
                               const std::function<void(QPrinter&)>& render) {
    calls.append(QStringLiteral("print: ") + request.title);
    printRequests.append(request);
    const QString file = takeOr(printFiles, QString(), calls.last());
    if (file.isEmpty()) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(printerPage);
    render(printer);
}

std::unique_ptr<ProgressWindow> FakePrompts::showProgress(const QString& text, int delayMs) {
    Q_UNUSED(delayMs);
    struct Window final : ProgressWindow {
        bool cancel = false;
        void setPermille(int) override {}
        bool isShown() const override { return true; }
        bool cancelRequested() const override { return cancel; }
    };
    progressTexts.append(text);
    auto window = std::make_unique<Window>();
    window->cancel = cancelProgress;
    if (whileProgress) {
        whileProgress();
    }
    return window;
}

}  // namespace kiramo::testing
