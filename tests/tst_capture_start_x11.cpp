// `kiramo --capture` as a launcher or a key binding runs it: the program itself, under an X
// server with a window manager, driven through the X server by xdotool. At scale 1, so that
// screen pixels are the frozen screen's.
#include "fakes/Pictures.h"
#include "fakes/WindowManager.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace kiramo::testing;

namespace {

// Runs xdotool with `arguments`; its output.
QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The visible windows whose title matches `pattern` (a regular expression).
int visibleWindows(const QString& pattern) {
    return int(xdotool({"search", "--onlyvisible", "--name", pattern})
                   .split(u'\n', Qt::SkipEmptyParts)
                   .size());
}

const QString kCaptureWindow = QStringLiteral("^KIRAMO$");
const QString kMainWindow = QStringLiteral("Mode:FreeSize");

// Where `block` lies on the screen, or (-1, -1).
QPoint find(const QImage& screen, const QImage& block) {
    const QRgb first = block.pixel(0, 0);
    for (int y = 0; y + block.height() <= screen.height(); ++y) {
        for (int x = 0; x + block.width() <= screen.width(); ++x) {
            if (screen.pixel(x, y) == first &&
                screen.copy(x, y, block.width(), block.height()) == block) {
                return QPoint(x, y);
            }
        }
    }
    return QPoint(-1, -1);
}

}  // namespace

class TestCaptureStartX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void captureAloneTakesTheBandMovedByKeys();
    void abandonedCaptureAloneEndsTheProgram();
    void laterCaptureGoesToTheRunningKiramo();

private:
    // Starts the program with `arguments`, in folders of this test's own.
    QProcess* kiramo(const QStringList& arguments);

    WindowManager m_windowManager;
    QTemporaryDir m_dir;
    QList<QProcess*> m_started;
};

void TestCaptureStartX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_dir.isValid());
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));
    // A copy of the program: its settings files are made beside it, here, not in the build.
    const QString program = m_dir.filePath(QStringLiteral("bin/kiramo"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("bin"))));
    QVERIFY(QFile::copy(QStringLiteral(KIRAMO_PROGRAM), program));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("run"))));
    QVERIFY(QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestCaptureStartX11::cleanup() {
    for (QProcess* p : std::as_const(m_started)) {
        p->kill();
        p->waitForFinished();
        delete p;
    }
    m_started.clear();
}

QProcess* TestCaptureStartX11::kiramo(const QStringList& arguments) {
    auto* process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1"));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(m_dir.filePath(QStringLiteral("bin/kiramo")), arguments);
    m_started.append(process);
    return process;
}

void TestCaptureStartX11::captureAloneTakesTheBandMovedByKeys() {
    const QImage screen = patternImage(QGuiApplication::primaryScreen()->geometry().size());
    QLabel backdrop;  // the screen that the capture freezes
    backdrop.setWindowFlag(Qt::FramelessWindowHint);
    backdrop.setContentsMargins(0, 0, 0, 0);
    backdrop.setPixmap(QPixmap::fromImage(screen));
    backdrop.showFullScreen();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));
    QTest::qWait(200);

    QProcess* process = kiramo({QStringLiteral("--capture")});
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kCaptureWindow) == 1, 20000);
    QCOMPARE(visibleWindows(kMainWindow), 0);
    backdrop.hide();  // the screen is frozen: what follows on it is KIRAMO's alone
    QTest::qWait(300);

    xdotool({"mousemove", "401", "301", "mousedown", "1", "mousemove", "600", "400", "mousemove",
             "721", "501", "mouseup", "1"});
    QTest::qWait(200);
    xdotool({"key", "Right", "Right", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(
        visibleWindows(QStringLiteral("^\\*Untitled \\(320x200\\) Mode:FreeSize")) == 1, 20000);
    QCOMPARE(visibleWindows(kCaptureWindow), 0);
    QCOMPARE(process->state(), QProcess::Running);

    // The canvas shows the block of the frozen screen one pixel right of and below the band's
    // corner, two pixels further right than it was drawn.
    const QImage expected = screen.copy(404, 302, 320, 200);
    QImage shot;
    QTRY_VERIFY_WITH_TIMEOUT(
        (shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
             QImage::Format_RGB32),
         find(shot, expected).x() >= 0),
        10000);
}

void TestCaptureStartX11::abandonedCaptureAloneEndsTheProgram() {
    QProcess* process = kiramo({QStringLiteral("--capture")});
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kCaptureWindow) == 1, 20000);
    QTest::qWait(300);
    xdotool({"mousemove", "200", "200", "click", "1", "key", "Escape"});
    QVERIFY(process->waitForFinished(20000));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    QCOMPARE(visibleWindows(kMainWindow), 0);
}

void TestCaptureStartX11::laterCaptureGoesToTheRunningKiramo() {
    QProcess* first = kiramo({});
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kMainWindow) == 1, 20000);

    // The later start hands the capture over and ends; the first one freezes the screen.
    QProcess* later = kiramo({QStringLiteral("--capture")});
    QVERIFY(later->waitForFinished(20000));
    QCOMPARE(later->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kCaptureWindow) == 1, 20000);
    QCOMPARE(visibleWindows(kMainWindow), 0);

    // Given up, the capture leaves the first KIRAMO running with its window back.
    QTest::qWait(300);
    xdotool({"mousemove", "200", "200", "click", "1", "key", "Escape"});
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(kMainWindow) == 1, 20000);
    QCOMPARE(visibleWindows(kCaptureWindow), 0);
    QCOMPARE(first->state(), QProcess::Running);
}

QTEST_MAIN(TestCaptureStartX11)
#include "tst_capture_start_x11.moc"
