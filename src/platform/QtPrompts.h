#pragma once

#include "platform/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace kiramo {

// Prompts through Qt's message box, input dialog and file dialogs, owned by one parent window.
class QtPrompts final : public Prompts {
public:
    static QString title() { return QStringLiteral("KIRAMO"); }

    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void beep() override;
    void showMessage(const QString& text) override;
    bool showMessageWithChoice(const QString& text, const QString& choice) override;
    bool askYesNo(const QString& text, Answer defaultButton) override;
    QString askText(const QString& prompt, const QString& title,
                    const QString& defaultAnswer) override;
    std::optional<QString> askOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> askSaveFileName(const FileDialogRequest& request) override;
    void previewPrint(const PrintRequest& request,
                      const std::function<void(QPrinter&)>& render) override;
    // A QProgressDialog titled KIRAMO, modal to the parent window.
    std::unique_ptr<ProgressWindow> showProgress(const QString& text, int delayMs) override;

    // The name filters as QFileDialog takes them: a description without its pattern in
    // parentheses gets it appended; off Windows "*.*" becomes "*", as names need no dot there.
    [[nodiscard]] static QStringList nameFilters(const QList<FileFilter>& filters);

private:
    std::optional<QString> askFileName(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
};

}  // namespace kiramo
