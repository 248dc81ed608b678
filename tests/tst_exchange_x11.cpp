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
    s.form->workspace().L1->setRect(LabelRect{1500, 750, 3000, 1500});
    s.form->workspace().L1->show();
    s.form->menus().MCopy->trigger();
    QProcess process;
    const QByteArray png = xclip({"-selection", "clipboard", "-t", "image/png", "-o"}, process);
    QCOMPARE(process.exitCode(), 0);
    QImage read;
    QVERIFY2(read.loadFromData(png, "png"), process.readAllStandardError().constData());
    QCOMPARE(read.convertToFormat(QImage::Format_RGB32), canvas.copy(100, 50, 200, 100));
}

void TestExchangeX11::pasteTakesWhatAnotherProgramOffers() {
    Session s;
    QTemporaryDir folder;
    const QImage offered = patternImage(QSize(480, 360));
    const QString file = folder.filePath(QStringLiteral("offered.png"));
    QVERIFY(offered.save(file, "png"));
    // xclip keeps serving the clipboard in the background until another program owns it.
    QProcess owner;
    owner.start(QStringLiteral("xclip"),
                {"-selection", "clipboard", "-t", "image/png", "-i", file});
    QVERIFY(owner.waitForStarted(5000));
    // Until xclip owns the clipboard, it may still hold this program's own last copy.
    QTRY_VERIFY(!QGuiApplication::clipboard()->ownsClipboard() &&
                QGuiApplication::clipboard()->mimeData()->formats().contains("image/png"));
    s.form->menus().MPaste->trigger();
    QVERIFY(s.fake.prompts.calls.isEmpty());
    QCOMPARE(s.form->workspace().P1->image(), offered);
    QTRY_COMPARE(s.form->innerSize(), QSize(480, 360));
    owner.kill();
    owner.waitForFinished(3000);
}

QTEST_MAIN(TestExchangeX11)
#include "tst_exchange_x11.moc"
