#include "fakes/Scale.h"
#include "platform/AppFolders.h"
#include "platform/InstanceChannel.h"
#include "platform/Logging.h"
#include "platform/QtPrompts.h"
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <QFile>
#include <QRegularExpression>

#include <cstring>
#include <functional>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kiramo;

namespace {

// Runs `answer` on the modal dialog as soon as one is shown, so that the dialog call under test
// returns. The timer gives up after five seconds; the dialog is then rejected.
void answerNextDialog(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer(qApp);
    auto* waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            timer->stop();
            answer(modal);
            timer->deleteLater();
            delete waited;
        } else if (++*waited > 500) {
            timer->stop();
            timer->deleteLater();
            delete waited;
        }
    });
    timer->start(10);
}

}  // namespace

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void filterText_data();
    void filterText();
    void metricsAt96Dpi();
    void messageBox();
    void messageWithChoice_data();
    void messageWithChoice();
    void loggingOffByDefault();
    void yesNo_data();
    void yesNo();
    void textPrompt_data();
    void textPrompt();
    void openDialogCancel();
    void saveDialogChoosesName_data();
    void saveDialogChoosesName();
    void socketPath_data();
    void socketPath();
    void laterStartHandsOver_data();
    void laterStartHandsOver();
};

void TestPlatform::filterText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("nameFilters");
#ifdef Q_OS_WIN
    const QString allFiles = QStringLiteral("All Files (*.*)");
#else
    // Names without a dot are files too.
    const QString allFiles = QStringLiteral("All Files (*)");
#endif
    QTest::newRow("open") << QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|All Files (*.*)|*.*|")
                          << QStringList{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)"), allFiles};
    QTest::newRow("save") << QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|All Files (*.*)|*.*|")
                          << QStringList{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"), allFiles};
    QTest::newRow("pattern not in description")
        << "Bitmaps|*.bmp" << QStringList{"Bitmaps (*.bmp)"};
    QTest::newRow("odd entry dropped") << "Bitmaps|*.bmp|Other" << QStringList{"Bitmaps (*.bmp)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestPlatform::filterText() {
    QFETCH(QString, text);
    QFETCH(QStringList, nameFilters);
    QCOMPARE(QtPrompts::nameFilters(parseFilterText(text)), nameFilters);
}

void TestPlatform::socketPath_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("expected");  // the name in the folder; "#" for a hashed one
    QTest::newRow("X11") << "xcb-:0"
                         << "kiramo-xcb-_0-#";
    QTest::newRow("plain") << "wayland-wayland-1"
                           << "kiramo-wayland-wayland-1";
    QTest::newRow("a path") << "xcb-/tmp/../x"
                            << "kiramo-xcb-_tmp_.._x-#";
    QTest::newRow("too long") << QString(200, u'a') << "kiramo-#";
}

void TestPlatform::socketPath() {
    QFETCH(QString, display);
    QFETCH(QString, expected);
    const QString path =
        InstanceChannel::socketPath(QStringLiteral("/run/user/1000/KIRAMO"), display);
    QVERIFY2(path.size() <= 100, qPrintable(path));
    QCOMPARE(QFileInfo(path).path(), QStringLiteral("/run/user/1000/KIRAMO"));
    QString name = QFileInfo(path).fileName();
    name.replace(QRegularExpression(QStringLiteral("[0-9a-f]{8,}$")), QStringLiteral("#"));
    QCOMPARE(name, expected);
}

void TestPlatform::laterStartHandsOver_data() {
    QTest::addColumn<QString>("leftThere");  // what lies at the socket's path before
    QTest::newRow("nothing") << "";
    QTest::newRow("a dead KIRAMO's socket") << "socket";
    QTest::newRow("a file") << "file";
}

void TestPlatform::laterStartHandsOver() {
    QFETCH(QString, leftThere);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kiramo-test"));
    if (leftThere == "socket") {
        // Bound and closed, never removed: what a killed KIRAMO leaves.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        std::memcpy(address.sun_path, native.constData(), std::size_t(native.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFileInfo(path).exists());
    }
    if (leftThere == "file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(!InstanceChannel::handOff(path, "capture", 1000));  // nobody listens yet

    InstanceChannel first;
    QString reason;
    QVERIFY2(first.listen(path, &reason), qPrintable(reason));
    QList<QByteArray> requests;
    connect(&first, &InstanceChannel::requested, this,
            [&requests](const QByteArray& r) { requests.append(r); });
    // A second KIRAMO finds the first there and does not take its place.
    InstanceChannel second;
    QVERIFY(!second.listen(path, &reason));

    // The later start waits for the answer, which the first gives from its event loop.
    bool handed = false;
    std::unique_ptr<QThread> later(QThread::create(
        [&handed, path] { handed = InstanceChannel::handOff(path, "capture", 5000); }));
    later->start();
    QTRY_COMPARE(requests, QList<QByteArray>{"capture"});
    QTRY_VERIFY(later->isFinished());
    QVERIFY(handed);
}

void TestPlatform::metricsAt96Dpi() {
    // 96 logical DPI: 15 twips a logical pixel, so 15 / scale a device pixel.
    testing::checkPinnedScale();
    const ScreenMetrics metrics = ScreenMetrics::fromPrimaryScreen();
    QCOMPARE(metrics.twipsPerPixelX, 15.0 / testing::pinnedScale());
    QCOMPARE(metrics.twipsPerPixelY, 15.0 / testing::pinnedScale());
    QCOMPARE(metrics.toLogicalX(2565.0, testing::pinnedScale()), 171.0);
}

void TestPlatform::messageBox() {
    QtPrompts prompts;
    QString title;
    QString text;
    answerNextDialog([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    prompts.showMessage(QStringLiteral("範囲が選択されていません"));
    QCOMPARE(title, QStringLiteral("KIRAMO"));
    QCOMPARE(text, QStringLiteral("範囲が選択されていません"));
}

void TestPlatform::messageWithChoice_data() {
    QTest::addColumn<QString>("press");  // "OK", "Enter" or "choice"
    QTest::addColumn<bool>("expected");
    QTest::newRow("OK") << "OK" << false;
    QTest::newRow("Enter takes OK") << "Enter" << false;
    QTest::newRow("the other button") << "choice" << true;
}

void TestPlatform::messageWithChoice() {
    QFETCH(QString, press);
    QFETCH(bool, expected);
    QtPrompts prompts;
    answerNextDialog([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("text"));
        QPushButton* other = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QLatin1String("other")) {
                other = qobject_cast<QPushButton*>(b);
            }
        }
        QVERIFY(other);
        if (press == QLatin1String("choice")) {
            other->click();
        } else if (press == QLatin1String("Enter")) {
            QTest::keyClick(box, Qt::Key_Return);
        } else {
            box->button(QMessageBox::Ok)->click();
        }
    });
    QCOMPARE(prompts.showMessageWithChoice(QStringLiteral("text"), QStringLiteral("other")),
             expected);
}

void TestPlatform::loggingOffByDefault() {
    // Nothing below a warning is printed until the user's rules ask for it.
    for (const QLoggingCategory* c : {&lcCapture(), &lcFiles()}) {
        QVERIFY(QByteArray(c->categoryName()).startsWith("kiramo."));
        QVERIFY(!c->isInfoEnabled());
        QVERIFY(!c->isDebugEnabled());
        QVERIFY(c->isWarningEnabled());
    }
    QLoggingCategory::setFilterRules(QStringLiteral("kiramo.*=true"));
    const bool on = lcCapture().isInfoEnabled() && lcFiles().isDebugEnabled();
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(on);
}

void TestPlatform::yesNo_data() {
    QTest::addColumn<int>("button");  // the one clicked; NoButton: Enter is pressed
    QTest::addColumn<bool>("defaultYes");
    QTest::addColumn<bool>("expected");
    QTest::newRow("yes") << int(QMessageBox::Yes) << false << true;
    QTest::newRow("no") << int(QMessageBox::No) << true << false;
    QTest::newRow("Enter, No default") << int(QMessageBox::NoButton) << false << false;
    QTest::newRow("Enter, Yes default") << int(QMessageBox::NoButton) << true << true;
}

void TestPlatform::yesNo() {
    QFETCH(int, button);
    QFETCH(bool, defaultYes);
    QFETCH(bool, expected);
    QtPrompts prompts;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answerNextDialog([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        QVERIFY(box);
        icon = box->icon();
        if (button == QMessageBox::NoButton) {
            QTest::keyClick(box, Qt::Key_Return);
        } else {
            box->button(QMessageBox::StandardButton(button))->click();
        }
    });
    QCOMPARE(prompts.askYesNo(QStringLiteral("上書きしますか？"),
                              defaultYes ? Prompts::Answer::Yes : Prompts::Answer::No),
             expected);
    QCOMPARE(icon, QMessageBox::Warning);
}

void TestPlatform::textPrompt_data() {
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default kept") << true << QString() << "10";
    QTest::newRow("typed") << true << "12cm"
                           << "12cm";
    QTest::newRow("cancel gives empty") << false << "7"
                                        << "";
}

void TestPlatform::textPrompt() {
    QFETCH(bool, accept);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QtPrompts prompts;
    QString label;
    QString title;
    answerNextDialog([&](QWidget* dialog) {
        auto* input = qobject_cast<QInputDialog*>(dialog);
        QVERIFY(input);
        label = input->labelText();
        title = input->windowTitle();
        if (!typed.isEmpty()) {
            input->setTextValue(typed);
        }
        accept ? input->accept() : input->reject();
    });
    const QString answer = prompts.askText(
        QStringLiteral("\r\n画像左右幅を基準に\r\n何等分のグリッドを描きますか？\r\n"),
        QStringLiteral("等分グリッドの指定"), QStringLiteral("10"));
    QCOMPARE(answer, expected);
    QCOMPARE(title, QStringLiteral("等分グリッドの指定"));
    QCOMPARE(label, QStringLiteral("\n画像左右幅を基準に\n何等分のグリッドを描きますか？\n"));
}

void TestPlatform::openDialogCancel() {
    QTemporaryDir folder;
    QFile(folder.filePath(QStringLiteral("README"))).open(QIODevice::WriteOnly);
    QtPrompts prompts;
    QString title;
    QStringList shownPatterns;
    answerNextDialog([&](QWidget* dialog) {
        title = dialog->windowTitle();
        if (auto* model = dialog->findChild<QFileSystemModel*>()) {
            shownPatterns = model->nameFilters();
        }
        qobject_cast<QDialog*>(dialog)->reject();
    });
    FileDialogRequest request;
    request.initialFolder = folder.path();
    request.selectedFilter = 1;
    request.title = QStringLiteral("ファイルを開く");
    request.filters = parseFilterText(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|All Files (*.*)|*.*|"));
    request.initialName = QStringLiteral("image");
    request.defaultSuffix = QStringLiteral("bmp");
    QVERIFY(!prompts.askOpenFileName(request).has_value());
    QCOMPARE(title, QStringLiteral("ファイルを開く"));
    // "All Files" shows a name without a dot.
    QVERIFY(QDir::match(shownPatterns, QStringLiteral("README")));
}

void TestPlatform::saveDialogChoosesName_data() {
    QTest::addColumn<QString>("typed");  // "": the proposed name is kept
    QTest::addColumn<QString>("saved");  // "": the dialog gives no name
    QTest::newRow("proposed") << ""
                              << "image.bmp";
    QTest::newRow("blanks around") << "  Blank  "
                                   << "Blank.bmp";
    QTest::newRow("blanks around, own extension") << " Blank.png "
                                                  << "Blank.png";
    QTest::newRow("blanks inside kept") << "a b"
                                        << "a b.bmp";
    QTest::newRow("only blanks") << "   "
                                 << "";
}

void TestPlatform::saveDialogChoosesName() {
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QTemporaryDir folder;
    QtPrompts prompts;
    QStringList filters;
    QString selectedFilter;
    answerNextDialog([&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files);
        filters = files->nameFilters();
        selectedFilter = files->selectedNameFilter();
        if (!typed.isEmpty()) {
            auto* field = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(field);
            field->setText(typed);
        }
        QMetaObject::invokeMethod(files, "accept");
    });
    FileDialogRequest request;
    request.title = QStringLiteral("保存");
    request.filters =
        parseFilterText(QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|All Files (*.*)|*.*|"));
    request.initialName = QStringLiteral("image");
    request.initialFolder = folder.path();
    request.defaultSuffix = QStringLiteral("bmp");
    const std::optional<QString> chosen = prompts.askSaveFileName(request);
    QCOMPARE(filters.size(), 2);
    QCOMPARE(selectedFilter, filters.first());
    if (saved.isEmpty()) {
        QVERIFY(!chosen.has_value());
        return;
    }
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, QDir::toNativeSeparators(QDir(folder.path()).filePath(saved)));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
