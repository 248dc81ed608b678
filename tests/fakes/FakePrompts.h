#pragma once

#include "paper/PaperOptions.h"
#include "platform/Prompts.h"

#include <QQueue>
#include <QStringList>
#include <functional>

namespace kiramo::testing {

// Prompts, and the paper options, answered from a script. Every call is recorded in `calls` as one
// line ("beep", "message: text", "choice: text | button", "yesno: text", "text: prompt | title |
// default", "open: title", "save: title", "paper: title | paper", "print: title"). A print preview
// with a queued file name prints to that PDF through a QPrinter whose page is `printerPage`. A
// question without a queued answer fails the running test and is answered as if the user had
// cancelled, so a test never hangs on a dialog.
class FakePrompts final : public Prompts, public PaperOptionsPrompt {
public:
    QStringList calls;
    QQueue<bool> yesNoAnswers;
    QQueue<bool> choiceAnswers;   // true: the message's other button
    QList<Answer> yesNoDefaults;  // the default button of each Yes/No question, in order
    QQueue<QString> textAnswers;
    QQueue<std::optional<QString>> openAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QList<FileDialogRequest> fileRequests;
    QQueue<std::optional<PaperOptions>> paperAnswers;
    QList<PaperOptionsRequest> paperRequests;
    QQueue<QString> printFiles;
    QList<PrintRequest> printRequests;
    QPageSize printerPage = QPageSize(QPageSize::A4);
    // The text of every progress window, which shows at once; each asks to cancel as soon as
    // it shows while `cancelProgress` is set.
    QStringList progressTexts;
    bool cancelProgress = false;
    // Runs as each progress window is asked for, before the work starts: what the user does
    // meanwhile.
    std::function<void()> whileProgress;

    void beep() override;
    void showMessage(const QString& text) override;
    bool showMessageWithChoice(const QString& text, const QString& choice) override;
    bool askYesNo(const QString& text, Answer defaultButton) override;
    QString askText(const QString& prompt, const QString& title,
                    const QString& defaultAnswer) override;
    std::optional<QString> askOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> askSaveFileName(const FileDialogRequest& request) override;
    std::optional<PaperOptions> askPaperOptions(const PaperOptionsRequest& request) override;
    void previewPrint(const PrintRequest& request,
                      const std::function<void(QPrinter&)>& render) override;
    std::unique_ptr<ProgressWindow> showProgress(const QString& text, int delayMs) override;
};

}  // namespace kiramo::testing
