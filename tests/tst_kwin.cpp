// Reading the screen through KWin's screenshot interface, against a fake KWin (fake_kwin.py) and
// a fake portal (fake_portal.py) on the private session bus CTest starts for this test, with two
// monitors side by side (offscreen-two-screens.json).
#include "fakes/Pictures.h"
#include "platform/KWinScreenGrabber.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// A fake started for one test, ended with it.
struct Fake {
    QProcess process;

    bool start(const QString& script, const QStringList& arguments) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KIRAMO_PYTHON),
                      QStringList{QStringLiteral(KIRAMO_TESTS_DIR "/") + script} + arguments);
        return process.waitForStarted(10000) && process.waitForReadyRead(20000) &&
               process.readAll().startsWith("ready");
    }
    ~Fake() {
        process.kill();
        process.waitForFinished(5000);
    }
};

// What the fake KWin was asked so far.
QStringList kwinCalls() {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.KWin"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
        QStringLiteral("org.kiramo.FakeKWin"), QStringLiteral("Calls")));
    return reply.arguments().value(0).toStringList();
}

// `picture` as KWin writes it, in `format` with 16 bytes more on every line, as the fake KWin
// reads it for `name`.
bool writeRaw(const QString& folder, const QString& name, const QImage& picture,
              QImage::Format format) {
    const QImage image = picture.convertToFormat(format);
    const qsizetype stride = image.bytesPerLine() + 16;
    QByteArray bytes(stride * image.height(), '\x5a');
    for (int y = 0; y < image.height(); ++y) {
        memcpy(bytes.data() + y * stride, image.constScanLine(y), size_t(image.bytesPerLine()));
    }
    QFile raw(folder + u'/' + name + QStringLiteral(".raw"));
    QFile meta(folder + u'/' + name + QStringLiteral(".json"));
    const QJsonObject metadata{{"width", image.width()},
                               {"height", image.height()},
                               {"stride", qint64(stride)},
                               {"format", int(format)}};
    return raw.open(QIODevice::WriteOnly) && raw.write(bytes) == bytes.size() &&
           meta.open(QIODevice::WriteOnly) && meta.write(QJsonDocument(metadata).toJson()) > 0;
}

// The whole desktop's pixels, and each monitor's part of them.
QImage desktopPicture() {
    return patternImage(QSize(480, 200), 9);
}

}  // namespace

class TestKWin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void grabs_data();
    void grabs();
    void cancelled();
    void interactive();
};

void TestKWin::initTestCase() {
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    QCOMPARE(QGuiApplication::primaryScreen()->name(), QStringLiteral("Left-1"));
}

void TestKWin::grabs_data() {
    QTest::addColumn<QString>("how");           // the fake KWin's answer; "" for no KWin
    QTest::addColumn<QStringList>("monitors");  // what KWin has pixels for
    QTest::addColumn<int>("format");            // of those pixels
    QTest::addColumn<QStringList>("calls");     // KWin is asked over two grabs
    const int premultiplied = QImage::Format_ARGB32_Premultiplied;
    const QStringList both{"Left-1", "Right-2"};
    const QStringList each{"CaptureScreen Left-1", "CaptureScreen Right-2"};
    QTest::newRow("each monitor") << "pixels" << both << premultiplied << each + each;
    QTest::newRow("each monitor, bytes in another order")
        << "pixels" << both << int(QImage::Format_RGBA8888) << each + each;
    // As under XWayland, where the toolkit's monitors are XWAYLAND0, ...
    QTest::newRow("monitor names KWin does not know")
        << "pixels" << QStringList{"workspace"} << premultiplied
        << each + QStringList{"CaptureWorkspace", "CaptureWorkspace"};
    QTest::newRow("KWin says no: the portal from then on")
        << "deny" << both << premultiplied << each;
    QTest::newRow("too few bytes: the portal each time")
        << "short" << both << premultiplied << each + each;
    QTest::newRow("no KWin") << "" << both << premultiplied << QStringList();
}

void TestKWin::grabs() {
    QFETCH(QString, how);
    QFETCH(QStringList, monitors);
    QFETCH(int, format);
    QFETCH(QStringList, calls);
    const QImage desktop = desktopPicture();
    const QList<QRect> places{{0, 0, 320, 200}, {320, 0, 160, 100}};
    QTemporaryDir folder;
    QVERIFY(desktop.save(folder.filePath(QStringLiteral("portal.png"))));
    for (const QString& name : monitors) {
        const QRect block = name == QLatin1String("workspace") ? desktop.rect()
                            : name == QLatin1String("Left-1")  ? places.at(0)
                                                               : places.at(1);
        QVERIFY(writeRaw(folder.path(), name, desktop.copy(block), QImage::Format(format)));
    }
    Fake kwin;
    if (!how.isEmpty()) {
        QVERIFY(kwin.start(QStringLiteral("fake_kwin.py"), {how, folder.path()}));
    }
    Fake portal;
    QVERIFY(
        portal.start(QStringLiteral("fake_portal.py"),
                     {QStringLiteral("picture"),
                      QUrl::fromLocalFile(folder.filePath(QStringLiteral("portal.png"))).toString(),
                      QStringLiteral("--into"), folder.path()}));

    KWinScreenGrabber grabber;
    for (int round = 0; round < 2; ++round) {
        QSignalSpy grabbed(&grabber, &ScreenGrabber::grabbed);
        QSignalSpy failed(&grabber, &ScreenGrabber::failed);
        grabber.start();
        QCOMPARE(grabbed.size() + failed.size(), 0);  // never from within start()
        QVERIFY2(grabbed.wait(20000), qPrintable(failed.value(0).value(0).toString()));
        const auto frozen = grabbed.at(0).at(0).value<FrozenScreens>();
        QCOMPARE(frozen.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(frozen.at(i).name, QGuiApplication::screens().at(i)->name());
            QCOMPARE(frozen.at(i).geometry, places.at(i));
            QCOMPARE(frozen.at(i).image, desktop.copy(places.at(i)));
        }
        QCOMPARE(failed.size(), 0);
    }
    if (!how.isEmpty()) {
        QCOMPARE(kwinCalls(), calls);
    }
}

void TestKWin::cancelled() {
    // Given up on before KWin has written everything: nothing is reported, and the next grab
    // reads its own pixels.
    QTemporaryDir folder;
    const QImage desktop = desktopPicture();
    QVERIFY(writeRaw(folder.path(), QStringLiteral("Left-1"), desktop.copy(0, 0, 320, 200),
                     QImage::Format_RGB32));
    QVERIFY(writeRaw(folder.path(), QStringLiteral("Right-2"), desktop.copy(320, 0, 160, 100),
                     QImage::Format_RGB32));
    Fake kwin;
    QVERIFY(kwin.start(QStringLiteral("fake_kwin.py"), {QStringLiteral("pixels"), folder.path()}));
    KWinScreenGrabber grabber;
    QSignalSpy grabbed(&grabber, &ScreenGrabber::grabbed);
    QSignalSpy failed(&grabber, &ScreenGrabber::failed);
    grabber.start();
    grabber.cancel();
    // Once KWin has been asked twice and has answered this, its answers have come.
    QTRY_COMPARE(kwinCalls().size(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(grabbed.size() + failed.size(), 0);
    grabber.start();
    QVERIFY(grabbed.wait(20000));
    QCOMPARE(grabbed.size(), 1);
    QCOMPARE(grabbed.at(0).at(0).value<FrozenScreens>().at(1).image,
             desktop.copy(320, 0, 160, 100));
}

void TestKWin::interactive() {
    // Only the portal lets the user choose what to take: KWin is not asked.
    QTemporaryDir folder;
    const QImage chosen = patternImage(QSize(120, 80), 3);
    QVERIFY(chosen.save(folder.filePath(QStringLiteral("chosen.png"))));
    QVERIFY(writeRaw(folder.path(), QStringLiteral("Left-1"), desktopPicture().copy(0, 0, 320, 200),
                     QImage::Format_RGB32));
    Fake kwin;
    QVERIFY(kwin.start(QStringLiteral("fake_kwin.py"), {QStringLiteral("pixels"), folder.path()}));
    Fake portal;
    QVERIFY(portal.start(
        QStringLiteral("fake_portal.py"),
        {QStringLiteral("picture"),
         QUrl::fromLocalFile(folder.filePath(QStringLiteral("chosen.png"))).toString()}));
    KWinScreenGrabber grabber;
    grabber.setInteractive(true);
    QSignalSpy grabbed(&grabber, &ScreenGrabber::grabbed);
    grabber.start();
    QVERIFY(grabbed.wait(20000));
    const auto frozen = grabbed.at(0).at(0).value<FrozenScreens>();
    QCOMPARE(frozen.size(), 1);
    QCOMPARE(frozen.at(0).image, chosen);
    QCOMPARE(kwinCalls(), QStringList());
}

QTEST_MAIN(TestKWin)
#include "tst_kwin.moc"
