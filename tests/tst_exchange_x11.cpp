// The clipboard shared with another program under a real X server: what Copy offers, xclip
// reads back; what xclip offers, Paste takes.
#include "canvas/SizeLabel.h"
#include "fakes/Pictures.h"
#include "fakes/Session.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// Runs xclip while this process keeps serving its own clipboard.
QByteArray xclip(const QStringList& arguments, QProcess& process) {
    process.start(QStringLiteral("xclip"), arguments);
    if (!process.waitForStarted(5000)) {
        return QByteArray();
    }
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
    }
    return process.readAllStandardOutput();
}

}  // namespace

class TestExchangeX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void copyIsReadByAnotherProgram();
    void pasteTakesWhatAnotherProgramOffers_data();
    void pasteTakesWhatAnotherProgramOffers();
};

void TestExchangeX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty(),
             "xclip is needed for this test (scripts/install-deps)");
}

void TestExchangeX11::copyIsReadByAnotherProgram() {
    Session s;
    const QImage canvas = patternImage(QSize(320, 240));
    s.setCanvas(canvas);
    s.ws().L1->setRect(LabelRect{1500, 750, 3000, 1500});
    s.ws().L1->show();
    s.form->menus().MCopy->trigger();
    QProcess process;
    const QByteArray png = xclip({"-selection", "clipboard", "-t", "image/png", "-o"}, process);
    QCOMPARE(process.exitCode(), 0);
    QImage read;
    QVERIFY2(read.loadFromData(png, "png"), process.readAllStandardError().constData());
    QCOMPARE(read.convertToFormat(QImage::Format_RGB32), canvas.copy(100, 50, 200, 100));
}

void TestExchangeX11::pasteTakesWhatAnotherProgramOffers_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("taken");  // by the sizes that a file load takes
    QTest::newRow("480 x 360") << QSize(480, 360) << true;
    // 140 MB decoded: more than Qt's own conversion of the clipboard lets a picture take.
    QTest::newRow("7000 x 5000") << QSize(7000, 5000) << true;
    QTest::newRow("a side over 16384") << QSize(40000, 800) << false;
}

void TestExchangeX11::pasteTakesWhatAnotherProgramOffers() {
    QFETCH(QSize, size);
    QFETCH(bool, taken);
    Session s;
    QTemporaryDir folder;
    const QImage offered = patternImage(size);
    const QString file = folder.filePath(QStringLiteral("offered.png"));
    QVERIFY(offered.save(file, "png"));
    // The clipboard is this program's first, so that what the previous row's xclip offered is
    // not taken for what this one offers.
    QGuiApplication::clipboard()->setText(QStringLiteral("mine"));
    QTRY_VERIFY(QGuiApplication::clipboard()->ownsClipboard());
    // xclip keeps serving the clipboard in the background until another program owns it.
    QProcess owner;
    owner.start(QStringLiteral("xclip"),
                {"-selection", "clipboard", "-t", "image/png", "-i", file});
    QVERIFY(owner.waitForStarted(5000));
    // Until xclip owns the clipboard, it may still hold this program's own last copy.
    QTRY_VERIFY(!QGuiApplication::clipboard()->ownsClipboard() &&
                QGuiApplication::clipboard()->mimeData()->formats().contains("image/png"));
    const QImage before = s.ws().P1->image();
    s.form->menus().MPaste->trigger();
    if (taken) {
        QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join(", ")));
        QCOMPARE(s.ws().P1->image(), offered);
        if (size.width() < 1000) {
            QTRY_COMPARE(s.form->innerSize(), size);
        }
    } else {
        QCOMPARE(s.fake.prompts.calls.size(), 2);
        QCOMPARE(s.fake.prompts.calls.first(), QStringLiteral("beep"));
        QVERIFY(s.fake.prompts.calls.last().contains(QStringLiteral("大きすぎます")));
        QCOMPARE(s.ws().P1->image(), before);
    }
    owner.kill();
    owner.waitForFinished(3000);
}

QTEST_MAIN(TestExchangeX11)
#include "tst_exchange_x11.moc"
