#include "paper/PaperOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kiramo {

std::optional<PaperOptions>
PaperOptionsDialog::askPaperOptions(const PaperOptionsRequest& request) {
    QDialog dialog(m_parent);
    dialog.setWindowTitle(request.title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* trueSize = new QRadioButton(
        QCoreApplication::translate("PaperOptionsDialog", "実寸: %1").arg(request.paper), &dialog);
    auto* fitted = new QRadioButton(
        request.choosePage ? QCoreApplication::translate("PaperOptionsDialog", "用紙に合わせる:")
                           : QCoreApplication::translate("PaperOptionsDialog", "用紙に合わせる"),
        &dialog);
    auto* pages = new QComboBox(&dialog);
    for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::A3,
                                           QPageSize::A5, QPageSize::B5, QPageSize::Legal}) {
        pages->addItem(QPageSize::name(id), static_cast<int>(id));
    }
    pages->setCurrentIndex(
        std::max(0, pages->findData(static_cast<int>(request.defaults.page.id()))));
    auto* labels = new QCheckBox(
        QCoreApplication::translate("PaperOptionsDialog", "マス目の記号 (列 A, B, C… 行 1, 2, 3…)"),
        &dialog);
    labels->setChecked(request.defaults.cellLabels);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const bool hasPaper = !request.paper.isEmpty();
    trueSize->setVisible(hasPaper);
    fitted->setVisible(hasPaper || !request.choosePage);
    (hasPaper && request.defaults.trueSize ? trueSize : fitted)->setChecked(true);
    pages->setVisible(request.choosePage);
    pages->setEnabled(fitted->isChecked());
    QObject::connect(fitted, &QRadioButton::toggled, pages, &QComboBox::setEnabled);
    layout->addWidget(trueSize);
    layout->addWidget(fitted);
    layout->addWidget(pages);
    layout->addWidget(labels);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    PaperOptions options;
    options.trueSize = hasPaper && trueSize->isChecked();
    options.page = QPageSize(static_cast<QPageSize::PageSizeId>(pages->currentData().toInt()));
    options.cellLabels = labels->isChecked();
    return options;
}

}  // namespace kiramo
