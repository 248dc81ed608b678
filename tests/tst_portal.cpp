// Capture through the desktop portal, against a fake portal (fake_portal.py) on the private
// session bus that CTest starts for this test: what the user sees for each answer.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "capture/WaitWindow.h"
#include "fakes/FakeServices.h"
#include "fakes/Pictures.h"
#include "platform/ClosingAnimation.h"
#include "platform/PortalScreenGrabber.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// The fake portal for one test, ended with it.
struct FakePortal {
    QProcess process;

    bool start(const QStringList& arguments) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KIRAMO_PYTHON),
                      QStringList{QStringLiteral(KIRAMO_TESTS_DIR "/fake_portal.py")} + arguments);
        return process.waitForStarted(10000) && process.waitForReadyRead(20000) &&
               process.readAll().startsWith("ready");
    }
    ~FakePortal() {
        process.kill();
        process.waitForFinished(5000);
    }
};

// A main window whose screen is read through the portal.
struct PortalSession {
    FakeServices fake;
    PortalScreenGrabber grabber;
    std::unique_ptr<Form1> form;

    PortalSession() {
        QString error;
        form = startKiramo(fake.services(grabber), QString(), &error);
        form->show();
    }
    ~PortalSession() { form->close(); }
};

// The notice that the capture waits for the desktop, once it shows.
WaitWindow* visibleWaitWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* wait = qobject_cast<WaitWindow*>(w); wait != nullptr && wait->isVisible()) {
            return wait;
        }
    }
    return nullptr;
}

// Asks the fake portal started with "late" to do `method` (see fake_portal.py), and lets
// what it sent before its reply reach the receivers.
QVariant tellPortal(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
                                       QStringLiteral("/org/freedesktop/portal/desktop"),
                                       QStringLiteral("org.kiramo.FakePortal"), method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    QCoreApplication::processEvents();
    return reply.arguments().value(0);
}

// The primary monitor's device-pixel size.
QSize deviceSize() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s->size() * s->devicePixelRatio();
}

}  // namespace

class TestPortal : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void requestPath_data();
    void requestPath();
    void scratchFiles_data();
    void scratchFiles();
    void answers_data();
    void answers();
    void missingService();
    void abandonWhileWaiting_data();
    void abandonWhileWaiting();
    void lateAnswerAfterGivingUp();
    void noPictureLeft_data();
    void noPictureLeft();
    void denialRules_data();
    void denialRules();
    void denial_data();
    void denial();
    void waitWindowInPictureAsksAgain();
    void answerFromAnotherProgram();
    void closingAnimation_data();
    void closingAnimation();
};

void TestPortal::initTestCase() {
    QVERIFY(!QDir::tempPath().isEmpty());
    QVERIFY(!QDir::currentPath().startsWith(QDir::tempPath()));  // kept pictures lie here
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QStringLiteral("org.freedesktop.portal.Desktop")));
}

void TestPortal::requestPath_data() {
    QTest::addColumn<QString>("unique");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << ":1.42"
                           << "/org/freedesktop/portal/desktop/request/1_42/t";
    QTest::newRow("two dots") << ":1.4.2"
                              << "/org/freedesktop/portal/desktop/request/1_4_2/t";
}

void TestPortal::requestPath() {
    QFETCH(QString, unique);
    QFETCH(QString, expected);
    QCOMPARE(PortalScreenGrabber::requestPath(unique, QStringLiteral("t")), expected);
}

void TestPortal::scratchFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("scratch");
    QTest::newRow("temporary") << "/tmp/out.png" << true;
    QTest::newRow("runtime") << "/run/user/1000/shot.png" << true;
    QTest::newRow("deeper") << "/tmp/a/b.png" << true;
    QTest::newRow("pictures") << "/home/u/Pictures/Screenshot.png" << false;
    QTest::newRow("look-alike") << "/tmpfoo/out.png" << false;
    QTest::newRow("climbs out") << "/tmp/../home/u/out.png" << false;
}

void TestPortal::scratchFiles() {
    QFETCH(QString, path);
    QFETCH(bool, scratch);
    QCOMPARE(PortalScreenGrabber::isScratchFile(
                 path, {QStringLiteral("/tmp"), QStringLiteral("/run/user/1000")}),
             scratch);
}

void TestPortal::answers_data() {
    QTest::addColumn<QString>("how");       // the fake portal's answer
    QTest::addColumn<QString>("file");      // "scratch", "kept": where the picture lies; "junk"
    QTest::addColumn<QString>("expected");  // "frozen", "quiet" or the message's reason
    QTest::newRow("picture in a scratch folder") << "picture"
                                                 << "scratch"
                                                 << "frozen";
    QTest::newRow("picture among the user's files") << "picture"
                                                    << "kept"
                                                    << "frozen";
    QTest::newRow("user says no") << "refuse"
                                  << "scratch"
                                  << "quiet";
    // The permission store says "yes": a failure, however quick.
    QTest::newRow("portal fails") << "fail"
                                  << "scratch"
                                  << "デスクトップが画面の読み取りに失敗しました。";
    QTest::newRow("unreadable picture") << "picture"
                                        << "junk"
                                        << "を読めません。";
}

void TestPortal::answers() {
    QFETCH(QString, how);
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QTemporaryDir scratch;  // under the temporary folder
    QTemporaryDir kept(QDir::currentPath() + QStringLiteral("/portal-XXXXXX"));
    const QString path = (file == QLatin1String("kept") ? kept.path() : scratch.path()) +
                         QStringLiteral("/screen.png");
    const QImage screen = patternImage(deviceSize(), 5);
    if (file == QLatin1String("junk")) {
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
    } else {
        QVERIFY(screen.save(path));
    }
    FakePortal portal;
    QVERIFY(portal.start({how, QUrl::fromLocalFile(path).toString(), QStringLiteral("--store"),
                          QStringLiteral("yes")}));
    PortalSession s;
    const QString caption = s.form->windowTitle();

    s.form->startCapture();
    if (expected == QLatin1String("frozen")) {
        QTRY_VERIFY_WITH_TIMEOUT(s.form->captureWindow() && s.form->captureWindow()->isVisible(),
                                 20000);
        QVERIFY(!s.form->isVisible());
        QCOMPARE(s.form->captureWindow()->frozenImage(), screen);
        // The portal made the picture for this request: gone, wherever it lay.
        QVERIFY(!QFile::exists(path));
        s.form->captureWindow()->abandon();
        QTRY_VERIFY(s.form->isVisible());
        QVERIFY(s.fake.prompts.calls.isEmpty());
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(s.form->isVisible(), 20000);
    QVERIFY(!s.form->captureWindow());
    QCOMPARE(s.form->windowTitle(), caption);
    if (expected == QLatin1String("quiet")) {
        QVERIFY(s.fake.prompts.calls.isEmpty());
    } else {
        QCOMPARE(s.fake.prompts.calls.size(), 2);
        QCOMPARE(s.fake.prompts.calls.at(0), QStringLiteral("beep"));
        QVERIFY2(s.fake.prompts.calls.at(1).startsWith(
                     QStringLiteral("message: 画面を取り込めません。\n")),
                 qPrintable(s.fake.prompts.calls.at(1)));
        QVERIFY2(s.fake.prompts.calls.at(1).endsWith(expected),
                 qPrintable(s.fake.prompts.calls.at(1)));
    }
    QTRY_VERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestPortal::missingService() {
    PortalSession s;
    s.form->startCapture();
    QTRY_VERIFY_WITH_TIMEOUT(s.form->isVisible(), 20000);
    QCOMPARE(s.fake.prompts.calls,
             QStringList({QStringLiteral("beep"),
                          QStringLiteral("message: 画面を取り込めません。\nデスクトップのスクリーン"
                                         "ショット機能 (xdg-desktop-portal) が見つかりません。")}));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestPortal::abandonWhileWaiting_data() {
    QTest::addColumn<bool>("escape");  // Escape, or the window closed
    QTest::newRow("escape") << true;
    QTest::newRow("closed") << false;
}

void TestPortal::abandonWhileWaiting() {
    QFETCH(bool, escape);
    FakePortal portal;
    QVERIFY(portal.start({QStringLiteral("never")}));
    PortalSession s;
    s.form->startCapture();
    WaitWindow* wait = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((wait = visibleWaitWindow()) != nullptr, 10000);
    QVERIFY(!s.form->isVisible());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);  // the user is to answer
    if (escape) {
        QTest::keyClick(wait, Qt::Key_Escape);
    } else {
        wait->close();
    }
    QTRY_VERIFY(s.form->isVisible());
    QVERIFY(!s.form->captureWindow());
    QVERIFY(s.fake.prompts.calls.isEmpty());
    // A new capture can start at once.
    s.form->startCapture();
    QTRY_VERIFY(!s.form->isVisible());
}

void TestPortal::lateAnswerAfterGivingUp() {
    // The user gives up on a capture and starts another; only then does the desktop answer the
    // first one (a refusal): the second capture waits for its own answer.
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("screen.png"));
    const QImage screen = patternImage(deviceSize(), 5);
    QVERIFY(screen.save(path));
    FakePortal portal;
    QVERIFY(portal.start({QStringLiteral("late"), QUrl::fromLocalFile(path).toString()}));
    PortalSession s;
    s.form->startCapture();
    QTRY_VERIFY_WITH_TIMEOUT(visibleWaitWindow() != nullptr, 10000);
    QTest::keyClick(visibleWaitWindow(), Qt::Key_Escape);
    QTRY_VERIFY(s.form->isVisible());
    s.form->startCapture();
    QTRY_COMPARE_WITH_TIMEOUT(tellPortal(QStringLiteral("Calls")).toUInt(), 2u, 10000);

    tellPortal(QStringLiteral("Reply"), {0u});
    tellPortal(QStringLiteral("Respond"), {0u, 1u});
    tellPortal(QStringLiteral("Reply"), {1u});
    tellPortal(QStringLiteral("Respond"), {1u, 0u});
    QTRY_VERIFY_WITH_TIMEOUT(s.form->captureWindow() && s.form->captureWindow()->isVisible(),
                             20000);
    QCOMPARE(s.form->captureWindow()->frozenImage(), screen);
    QVERIFY(s.fake.prompts.calls.isEmpty());
    s.form->captureWindow()->abandon();
    QTRY_VERIFY(s.form->isVisible());
}

void TestPortal::noPictureLeft_data() {
    QTest::addColumn<bool>("late");  // answered only after the user gave up
    QTest::newRow("answered") << false;
    QTest::newRow("late") << true;
}

void TestPortal::noPictureLeft() {
    // The desktop writes a new file into the user's Pictures folder for every request, as GNOME
    // and KDE do; none stays.
    QFETCH(bool, late);
    QTemporaryDir home(QDir::currentPath() + QStringLiteral("/home-XXXXXX"));
    const QString pictures = home.filePath(QStringLiteral("Pictures"));
    QVERIFY(QDir().mkpath(pictures));
    const QString source = home.filePath(QStringLiteral("screen.png"));
    const QImage screen = patternImage(deviceSize(), 3);
    QVERIFY(screen.save(source));
    FakePortal portal;
    QVERIFY(
        portal.start({late ? QStringLiteral("late") : QStringLiteral("picture"),
                      QUrl::fromLocalFile(source).toString(), QStringLiteral("--into"), pictures}));
    PortalSession s;
    for (uint i = 0; i < 3; ++i) {
        s.form->startCapture();
        if (late) {
            QTRY_VERIFY_WITH_TIMEOUT(visibleWaitWindow() != nullptr, 10000);
            QTest::keyClick(visibleWaitWindow(), Qt::Key_Escape);
            QTRY_VERIFY(s.form->isVisible());
            tellPortal(QStringLiteral("Reply"), {i});
            tellPortal(QStringLiteral("Respond"), {i, 0u});
            QVERIFY(!s.form->captureWindow());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(
                s.form->captureWindow() && s.form->captureWindow()->isVisible(), 20000);
            QCOMPARE(s.form->captureWindow()->frozenImage(), screen);
            s.form->captureWindow()->abandon();
            QTRY_VERIFY(s.form->isVisible());
        }
        QTRY_COMPARE(QDir(pictures).entryList(QDir::Files), QStringList());
    }
    QCOMPARE(tellPortal(QStringLiteral("Calls")).toUInt(), 3u);
}

void TestPortal::denialRules_data() {
    QTest::addColumn<QStringList>("stored");  // the entry for programs outside a sandbox
    QTest::addColumn<int>("ms");              // how soon the failure came
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<bool>("denial");
    QTest::newRow("stored no, slow") << QStringList{"no"} << 5000 << false << true;
    QTest::newRow("stored yes, quick") << QStringList{"yes"} << 10 << false << false;
    QTest::newRow("unset, quick") << QStringList{} << 50 << false << true;
    QTest::newRow("unset, slow") << QStringList{} << 1000 << false << false;
    QTest::newRow("interactive") << QStringList{"no"} << 10 << true << false;
}

void TestPortal::denialRules() {
    QFETCH(QStringList, stored);
    QFETCH(int, ms);
    QFETCH(bool, interactive);
    QFETCH(bool, denial);
    // An entry of a sandboxed program says nothing about this one.
    QMap<QString, QStringList> permissions{{QStringLiteral("org.example.App"), {"no"}}};
    if (!stored.isEmpty()) {
        permissions.insert(QString(), stored);
    }
    QCOMPARE(PortalScreenGrabber::isDenial(PortalScreenGrabber::storedPermission(permissions), ms,
                                           interactive),
             denial);
}

void TestPortal::denial_data() {
    QTest::addColumn<bool>("useDesktop");  // the message's other button
    QTest::newRow("desktop's own capture") << true;
    QTest::newRow("OK") << false;
}

void TestPortal::denial() {
    // The desktop keeps a "no": the message says so and offers the desktop's own screenshot,
    // which is not subject to it.
    QFETCH(bool, useDesktop);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("screen.png"));
    // The block the user chose in the desktop's dialog: frozen as it is, not stretched.
    const QImage screen = patternImage(QSize(300, 200), 7);
    QVERIFY(screen.save(path));
    FakePortal portal;
    QVERIFY(portal.start({QStringLiteral("deny"), QUrl::fromLocalFile(path).toString(),
                          QStringLiteral("--store"), QStringLiteral("no")}));
    PortalSession s;
    s.fake.prompts.choiceAnswers.enqueue(useDesktop);
    s.form->startCapture();
    QTRY_COMPARE_WITH_TIMEOUT(s.fake.prompts.calls.size(), 2, 20000);
    QCOMPARE(s.fake.prompts.calls.at(0), QStringLiteral("beep"));
    const QString message = s.fake.prompts.calls.at(1);
    QVERIFY2(message.startsWith(QStringLiteral("choice: 画面を取り込めません。\nデスクトップが"
                                               "画面の読み取りを許可していません")),
             qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("DeletePermission screenshot screenshot ''")),
             qPrintable(message));
    QVERIFY2(message.endsWith(QStringLiteral(" | デスクトップの画面取り込みを使う")),
             qPrintable(message));
    if (useDesktop) {
        QTRY_VERIFY_WITH_TIMEOUT(s.form->captureWindow() && s.form->captureWindow()->isVisible(),
                                 20000);
        QCOMPARE(s.form->captureWindow()->frozenImage(), screen);
        QCOMPARE(qdbus_cast<QList<bool>>(tellPortal(QStringLiteral("Interactive"))),
                 QList<bool>({false, true}));
        s.form->captureWindow()->abandon();
    } else {
        QCOMPARE(qdbus_cast<QList<bool>>(tellPortal(QStringLiteral("Interactive"))),
                 QList<bool>({false}));
    }
    QTRY_VERIFY(s.form->isVisible());
    QCOMPARE(s.fake.prompts.calls.size(), 2);
}

void TestPortal::waitWindowInPictureAsksAgain() {
    // The desktop hands over a picture taken while the waiting window was on the screen (GNOME
    // takes it right after the user allowed it): thrown away, and asked for again without it.
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("screen.png"));
    const QImage screen = patternImage(deviceSize(), 5);
    QVERIFY(screen.save(path));
    FakePortal portal;
    QVERIFY(portal.start({QStringLiteral("late"), QUrl::fromLocalFile(path).toString()}));
    PortalSession s;
    s.form->startCapture();
    QTRY_VERIFY_WITH_TIMEOUT(visibleWaitWindow() != nullptr, 10000);
    tellPortal(QStringLiteral("Reply"), {0u});
    tellPortal(QStringLiteral("Respond"), {0u, 0u});
    QTRY_COMPARE_WITH_TIMEOUT(tellPortal(QStringLiteral("Calls")).toUInt(), 2u, 10000);
    QVERIFY(visibleWaitWindow() == nullptr);
    QVERIFY(!s.form->captureWindow());
    QVERIFY(!QFile::exists(path));  // the picture thrown away is removed all the same
    QVERIFY(screen.save(path));
    tellPortal(QStringLiteral("Reply"), {1u});
    tellPortal(QStringLiteral("Respond"), {1u, 0u});
    QTRY_VERIFY_WITH_TIMEOUT(s.form->captureWindow() && s.form->captureWindow()->isVisible(),
                             20000);
    QCOMPARE(s.form->captureWindow()->frozenImage(), screen);
    s.form->captureWindow()->abandon();
    QTRY_VERIFY(s.form->isVisible());
}

void TestPortal::answerFromAnotherProgram() {
    // Another program on the bus sends a Response on our Request object, naming a file of the
    // user's: neither taken for the portal's answer nor removed.
    QTemporaryDir kept(QDir::currentPath() + QStringLiteral("/portal-XXXXXX"));
    const QString path = kept.filePath(QStringLiteral("photo.png"));
    QVERIFY(patternImage(deviceSize(), 5).save(path));
    FakePortal portal;
    QVERIFY(portal.start({QStringLiteral("late"), QUrl::fromLocalFile(path).toString()}));
    PortalSession s;
    s.form->startCapture();
    QTRY_COMPARE_WITH_TIMEOUT(tellPortal(QStringLiteral("Calls")).toUInt(), 1u, 10000);
    const QString request =
        tellPortal(QStringLiteral("Path"), {0u}).value<QDBusObjectPath>().path();
    QVERIFY(!request.isEmpty());
    QDBusConnection other =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    QDBusMessage forged = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    forged << 0u << QVariantMap{{QStringLiteral("uri"), QUrl::fromLocalFile(path).toString()}};
    QVERIFY(other.send(forged));
    // The bus passes messages on in order: once it has answered the other program, and then
    // this one, the forged answer has reached this program if it ever will.
    other.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    tellPortal(QStringLiteral("Calls"));
    QCoreApplication::processEvents();
    QVERIFY(QFile::exists(path));
    QVERIFY(!s.form->captureWindow());
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
    tellPortal(QStringLiteral("Reply"), {0u});
    tellPortal(QStringLiteral("Respond"), {0u, 1u});
    QTRY_VERIFY_WITH_TIMEOUT(s.form->isVisible(), 10000);
}

void TestPortal::closingAnimation_data() {
    QTest::addColumn<QString>("desktop");   // XDG_CURRENT_DESKTOP
    QTest::addColumn<QString>("animates");  // what the shell says; "" for no shell
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("GNOME animating") << "GNOME"
                                     << "true" << kGnomeShellClosingMilliseconds;
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME"
                                    << "true" << kGnomeShellClosingMilliseconds;
    QTest::newRow("GNOME without animations") << "GNOME"
                                              << "false" << 0;
    QTest::newRow("GNOME, the shell not answering") << "GNOME"
                                                    << "" << 0;
    QTest::newRow("another desktop") << "KDE"
                                     << "true" << 0;
}

void TestPortal::closingAnimation() {
    // A window of ours fades on GNOME for a while after it left: the screen is read after that.
    QFETCH(QString, desktop);
    QFETCH(QString, animates);
    QFETCH(int, milliseconds);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("screen.png"));
    QVERIFY(patternImage(deviceSize(), 5).save(path));
    QStringList arguments{QStringLiteral("late"), QUrl::fromLocalFile(path).toString()};
    if (!animates.isEmpty()) {
        arguments << QStringLiteral("--shell-animates") << animates;
    }
    FakePortal portal;
    QVERIFY(portal.start(arguments));
    QCOMPARE(closingAnimationMilliseconds(QDBusConnection::sessionBus(), desktop), milliseconds);

    qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
    PortalSession s;
    QElapsedTimer sinceHidden;
    sinceHidden.start();
    s.form->startCapture();
    QTRY_COMPARE_WITH_TIMEOUT(tellPortal(QStringLiteral("Calls")).toUInt(), 1u, 10000);
    QVERIFY(sinceHidden.elapsed() >= milliseconds);
    qunsetenv("XDG_CURRENT_DESKTOP");
    tellPortal(QStringLiteral("Reply"), {0u});
    tellPortal(QStringLiteral("Respond"), {0u, 1u});
    QTRY_VERIFY_WITH_TIMEOUT(s.form->isVisible(), 10000);
}

QTEST_MAIN(TestPortal)
#include "tst_portal.moc"
