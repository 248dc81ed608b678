#include "platform/QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

namespace kiramo {

void QtPrompts::beep() {
    QApplication::beep();
}

void QtPrompts::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompts::showMessageWithChoice(const QString& text, const QString& choice) {
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, m_parent);
    QPushButton* other = box.addButton(choice, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == other;
}

bool QtPrompts::askYesNo(const QString& text, Answer defaultButton) {
    QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.setDefaultButton(defaultButton == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::askText(const QString& prompt, const QString& title,
                           const QString& defaultAnswer) {
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    // The prompts keep their CR LF line ends as data; the label breaks lines at LF only.
    QString shown = prompt;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    dialog.setLabelText(shown);
    dialog.setTextValue(defaultAnswer);
    dialog.setInputMode(QInputDialog::TextInput);
    // As wide as a classic input box, so that the title is not cut short. The dialog keeps
    // itself at its layout's size, so the answer field is what gets the width.
    if (auto* field = dialog.findChild<QLineEdit*>()) {
        field->setMinimumWidth(320);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.textValue();
}

QStringList QtPrompts::nameFilters(const QList<FileFilter>& filters) {
    QStringList names;
    for (const FileFilter& f : filters) {
        QString pattern = f.pattern;
        QString description = f.description;
#ifndef Q_OS_WIN
        // Off Windows a name need not hold a dot: "*.*" would hide "README" or "photo".
        QStringList patterns = pattern.split(u';');
        for (QString& p : patterns) {
            if (p.trimmed() == QLatin1String("*.*")) {
                p = QStringLiteral("*");
            }
        }
        pattern = patterns.join(u';');
        description.replace(u'(' + f.pattern + u')', u'(' + pattern + u')');
#endif
        const QString inParentheses = u'(' + pattern + u')';
        names.append(description.contains(inParentheses) ? description
                                                         : description + u' ' + inParentheses);
    }
    return names;
}

std::optional<QString> QtPrompts::askOpenFileName(const FileDialogRequest& request) {
    return askFileName(request, false);
}

std::optional<QString> QtPrompts::askSaveFileName(const FileDialogRequest& request) {
    return askFileName(request, true);
}

std::optional<QString> QtPrompts::askFileName(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent, request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks its own overwrite question before saving.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList names = nameFilters(request.filters);
    dialog.setNameFilters(names);
    if (request.selectedFilter >= 0 && request.selectedFilter < names.size()) {
        dialog.selectNameFilter(names[request.selectedFilter]);
    }
    // A saved name loses the blanks typed around it before the default suffix is added, so the
    // suffix is added here rather than by the dialog ("  Blank  " is Blank.bmp, not
    // "  Blank  .bmp").
    if (!save) {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    }
    if (!request.initialName.isEmpty()) {
        dialog.selectFile(request.initialName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    if (!save) {
        return QDir::toNativeSeparators(chosen);
    }
    const QFileInfo info(chosen);
    QString name = info.fileName();
    while (name.startsWith(u' ')) {
        name.remove(0, 1);
    }
    while (name.endsWith(u' ')) {
        name.chop(1);
    }
    if (name.isEmpty()) {
        return std::nullopt;  // only blanks: no name to save under
    }
    if (!request.defaultSuffix.isEmpty() && !name.contains(u'.')) {
        name += u'.' + request.defaultSuffix;
    }
    return QDir::toNativeSeparators(info.dir().filePath(name));
}

namespace {

class QtProgressWindow final : public ProgressWindow {
public:
    QtProgressWindow(QWidget* parent, const QString& text, int delayMs)
        : m_dialog(text, QString(), 0, 0, parent) {
        m_dialog.setWindowTitle(QtPrompts::title());
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        // The dialog shows itself after this time, or earlier when its estimate says the work
        // will take longer; the time counts from a value at the bar's minimum.
        m_dialog.setValue(0);
        m_dialog.setMinimumDuration(delayMs);
        // Escape hides a dialog (reject) without the cancel that its button and closing give.
        QObject::connect(&m_dialog, &QDialog::rejected, &m_dialog, &QProgressDialog::cancel);
    }

    void setPermille(int permille) override {
        if (permille < 0) {
            m_dialog.setRange(0, 0);  // a bar that only shows that something goes on
            return;
        }
        m_dialog.setRange(0, 1000);
        if (permille != m_dialog.value()) {
            m_dialog.setValue(permille);
        }
    }
    bool isShown() const override { return m_dialog.isVisible(); }
    bool cancelRequested() const override { return m_dialog.wasCanceled(); }

private:
    QProgressDialog m_dialog;
};

}  // namespace

std::unique_ptr<ProgressWindow> QtPrompts::showProgress(const QString& text, int delayMs) {
    return std::make_unique<QtProgressWindow>(m_parent, text, delayMs);
}

void QtPrompts::previewPrint(const PrintRequest& request,
                             const std::function<void(QPrinter&)>& render) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(request.document);
    // The PDF file proposed when the user prints to one. Qt's own print dialog (Unix) takes it
    // from the printer; without it, it would propose the document's name cut at its last "."
    // ("A4 29.7 x 21 cm" gave "A4 29.pdf"), or only a folder on Wayland. Where the preview
    // asks for the file itself (Windows, macOS) it does so only for a PDF printer; a native
    // printer there would print to the file. A name ending in ".pdf" turns the printer into a
    // PDF writer, so it is set back to its own output; the dialog sets the file again.
    const QPrinter::OutputFormat format = printer.outputFormat();
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const bool proposeFile = true;
#else
    const bool proposeFile = format != QPrinter::NativeFormat;
#endif
    if (proposeFile) {
        printer.setOutputFileName(request.pdfFile);
        printer.setOutputFormat(format);
    }
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setWindowTitle(request.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&render](QPrinter* p) { render(*p); });
    dialog.exec();
}

}  // namespace kiramo
