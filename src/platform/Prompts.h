#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QPrinter;

namespace kiramo {

// One entry of a file dialog's type list: what the user reads and the pattern it filters by.
struct FileFilter {
    QString description;  // "All Files (*.*)"
    QString pattern;      // "*.*"
    bool operator==(const FileFilter&) const = default;
};

// Splits a filter text written as "description|pattern|description|pattern|" (the trailing
// "|" optional) into its entries. An odd last description without a pattern is dropped.
[[nodiscard]] QList<FileFilter> parseFilterText(const QString& text);

// Everything an Open or Save As dialog is set up with.
struct FileDialogRequest {
    QString title;
    QList<FileFilter> filters;
    int selectedFilter = 0;  // 0-based index into filters
    QString defaultSuffix;   // added when the user types a name without one ("bmp")
    QString initialName;     // file name, or a full path, proposed in the name field
    QString initialFolder;   // where the dialog starts when initialName has no folder
};

// Everything a print preview is set up with.
struct PrintRequest {
    QString title;     // of the preview window
    QString document;  // the printout's name, the print job's title
    QString pdfFile;   // the file proposed when the user prints to a PDF file
};

// A window over the main window, modal to it, that shows a long piece of work going on and
// offers to cancel it. It goes when the object does.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // How far the work has come: 0 to 1000, or -1 while that is not known.
    virtual void setPermille(int permille) = 0;
    // True once the window is on the screen: from then on it takes the user's input.
    [[nodiscard]] virtual bool isShown() const = 0;
    // True once the user asked to cancel (the button, Escape, closing the window).
    [[nodiscard]] virtual bool cancelRequested() const = 0;
};

// The program's dialogs with the user: message boxes titled KIRAMO, the text-input prompt, the
// Open and Save As dialogs and the system beep. Widgets and commands call this interface only,
// so that tests can answer each question from a script.
class Prompts {
public:
    virtual ~Prompts() = default;

    virtual void beep() = 0;
    // Message box with an OK button only.
    virtual void showMessage(const QString& text) = 0;
    // Message box with OK and one more button, captioned `choice`; true when the user pressed
    // that one. Where a front end has no such box, the message is shown with OK alone.
    virtual bool showMessageWithChoice(const QString& text, const QString& choice) {
        showMessage(text);
        (void)choice;
        return false;
    }
    enum class Answer { Yes, No };
    // Yes/No message box with the warning icon, `defaultButton` taking Enter; true when the
    // answer is Yes.
    virtual bool askYesNo(const QString& text, Answer defaultButton) = 0;
    // Text-input prompt with OK and Cancel; Cancel gives an empty answer.
    virtual QString askText(const QString& prompt, const QString& title,
                            const QString& defaultAnswer) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> askOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> askSaveFileName(const FileDialogRequest& request) = 0;
    // A preview of the printout that `render` paints into the printer it is given, as often as
    // the preview needs; from there the user chooses the printer and prints, or closes it.
    virtual void previewPrint(const PrintRequest& request,
                              const std::function<void(QPrinter&)>& render) = 0;
    // A progress window saying `text`, which comes on the screen `delayMs` after this call if
    // the work has not ended by then (work that is soon done shows none). Null for none, as
    // here.
    virtual std::unique_ptr<ProgressWindow> showProgress(const QString& text, int delayMs);
};

}  // namespace kiramo
