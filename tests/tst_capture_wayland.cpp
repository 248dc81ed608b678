// Capture natively on Wayland, the real program code against headless sway and the desktop
// portal (tests/wayland/run-wayland-test sets them up): with the main window open over a known
// background, the frozen screen is the background alone, and a band takes its block pixel for
// pixel. First on one output, then on a second output at scale 2.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "fakes/FakeServices.h"
#include "fakes/MouseInput.h"
#include "platform/PortalScreenGrabber.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// The background: every 1920x1080 pixel tells where it came from.
QImage background() {
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 251, y % 241, (x / 251 + 7 * (y / 241)) * 4));
        }
    }
    return image;
}

bool swaymsg(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("swaymsg"), arguments);
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

}  // namespace

class TestCaptureWayland : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captureOnOneOutput();
    void captureOnASecondOutputAtScale2();

private:
    void captureOn(const QString& output);
    QString m_background;
};

void TestCaptureWayland::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    m_background = QDir::current().filePath(QStringLiteral("background.png"));
    QVERIFY(background().save(m_background));
    QVERIFY(swaymsg({QStringLiteral("output * bg %1 stretch").arg(m_background)}));
    QTest::qWait(1000);  // swaybg draws it
}

void TestCaptureWayland::captureOn(const QString& output) {
    QScreen* screen = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
        for (QScreen* s : QGuiApplication::screens()) {
            if (s->name() == output) {
                screen = s;
            }
        }
        return screen != nullptr;
        }(),
        10000);
    FakeServices fake;
    PortalScreenGrabber grabber;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(grabber), QString(), &error);
    QVERIFY(form);
    // The main window, magenta, in the middle of the output.
    QImage magenta(500, 400, QImage::Format_RGB32);
    magenta.fill(Qt::magenta);
    form->workspace().replacePicture(magenta, std::nullopt);
    form->setScreen(screen);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWait(500);

    form->startCapture();
    Form2* window = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* f = qobject_cast<Form2*>(w);
            if (f != nullptr && f->isVisible() && f->screenName() == output) {
                window = f;
            }
        }
        return window != nullptr;
        }(),
        20000);
    QVERIFY2(fake.prompts.calls.isEmpty(), qPrintable(fake.prompts.calls.join(u'\n')));
    const QImage frozen = window->frozenImage();
    const QImage expected = background();
    QCOMPARE(frozen.size(), expected.size());
    // Not one pixel of the main window: the background alone.
    QCOMPARE(frozen, expected);
    QVERIFY(QTest::qWaitForWindowExposed(window));

    const QPoint corner(700, 300);
    press(window, corner);
    dragTo(window, corner + QPoint(320, 200));
    release(window, corner + QPoint(320, 200));
    window->TransferCapture();
    QTRY_VERIFY(form->isVisible());
    QCOMPARE(form->workspace().P1->image(),
             expected.copy(corner.x() + 1, corner.y() + 1, 320, 200));
    form->close();
}

void TestCaptureWayland::captureOnOneOutput() {
    captureOn(QStringLiteral("HEADLESS-1"));
}

void TestCaptureWayland::captureOnASecondOutputAtScale2() {
    QVERIFY(swaymsg({QStringLiteral("create_output")}));
    QVERIFY(swaymsg({QStringLiteral("output HEADLESS-2 resolution 1920x1080 scale 2 position "
                                    "1920 0 bg %1 stretch")
                         .arg(m_background)}));
    QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::screens().size() == 2, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        [] {
        for (QScreen* s : QGuiApplication::screens()) {
            if (s->name() == QLatin1String("HEADLESS-2")) {
                return s->devicePixelRatio() == 2.0 && s->geometry() == QRect(1920, 0, 960, 540);
            }
        }
        return false;
        }(),
        10000);
    QTest::qWait(1000);  // swaybg draws the new output
    captureOn(QStringLiteral("HEADLESS-2"));
}

QTEST_MAIN(TestCaptureWayland)
#include "tst_capture_wayland.moc"
