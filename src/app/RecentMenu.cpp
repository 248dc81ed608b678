#include "app/RecentMenu.h"

#include "canvas/Workspace.h"
#include "files/ImageFiles.h"
#include "files/RecentPictures.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace kiramo {

void fillRecentMenu(QMenu* menu, Workspace& workspace) {
    menu->clear();
    const QStringList files = recentPictures(workspace);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(u'&', QStringLiteral("&&"));
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        item->setObjectName(QStringLiteral("MRecentFile(%1)").arg(i));
        // A file that is gone stays listed, greyed, until the list is cleared.
        item->setEnabled(QFileInfo(path).isFile());
        QObject::connect(item, &QAction::triggered, &workspace,
                         [&workspace, path] { LoadCanvasImage(workspace, path); });
    }
    if (files.isEmpty()) {
        menu->addAction(QCoreApplication::translate("Form1Menus", "(なし)"))->setEnabled(false);
    }
    menu->addSeparator();
    QAction* clear = menu->addAction(QCoreApplication::translate("Form1Menus", "一覧を消去(&C)"));
    clear->setObjectName(QStringLiteral("MRecentClear"));
    clear->setEnabled(!files.isEmpty());
    QObject::connect(clear, &QAction::triggered, &workspace,
                     [&workspace] { clearRecentPictures(workspace); });
}

}  // namespace kiramo
