#include "capture/WaitWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kiramo {

WaitWindow::WaitWindow()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("WaitWindow"));
    setWindowTitle(QStringLiteral("KIRAMO"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QCoreApplication::translate("WaitWindow", "画面の取り込みを待っています…"), this));
    auto* button = new QPushButton(QCoreApplication::translate("WaitWindow", "中止"), this);
    button->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(button, 0, Qt::AlignRight);
    connect(button, &QPushButton::clicked, this, &QWidget::close);
}

void WaitWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WaitWindow::dismiss() {
    m_quiet = true;
    close();
}

void WaitWindow::closeEvent(QCloseEvent* event) {
    if (!m_quiet) {
        m_quiet = true;
        emit cancelled();
    }
    QWidget::closeEvent(event);
}

}  // namespace kiramo
