#include "platform/QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace kiramo {

void QtPrompts::beep() {
    QApplication::beep();
}

void QtPrompts::showMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.setDefaultButton(QMessageBox::Yes);
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
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialFolder.isEmpty()) {
        dialog.setDirectory(request.initialFolder);
    }
    if (!request.initialName.isEmpty()) {
        dialog.selectFile(request.initialName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

}  // namespace kiramo
