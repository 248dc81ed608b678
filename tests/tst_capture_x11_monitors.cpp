// A capture with the real screen grab on an X server with two monitors (run-xorg-test): the
// band is drawn on the monitor left of the primary one, and the canvas is the block of that
// monitor's pixels that it marked, exactly, whatever each monitor's scale factor.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "fakes/FakeServices.h"
#include "fakes/MouseInput.h"
#include "fakes/Scale.h"
#include "fakes/WindowManager.h"
#include "platform/X11ScreenGrabber.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace kiramo;
using namespace kiramo::testing;

class TestCaptureX11Monitors : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captureOnTheMonitorLeftOfThePrimary();

private:
    testing::WindowManager m_windowManager;
};

void TestCaptureX11Monitors::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));
}

void TestCaptureX11Monitors::captureOnTheMonitorLeftOfThePrimary() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 2);
    QScreen* primary = QGuiApplication::primaryScreen();
    QScreen* left = screens.at(screens.at(0) == primary ? 1 : 0);
    QVERIFY(left->geometry().right() < primary->geometry().left());
    const double ratio = left->devicePixelRatio();
    // The scales that QT_SCREEN_SCALE_FACTORS asks for, the left monitor's first.
    const QStringList scales = qEnvironmentVariable("KIRAMO_EXPECTED_SCALES", "1,1").split(u',');
    QCOMPARE(ratio, scales.at(0).toDouble());
    QCOMPARE(primary->devicePixelRatio(), scales.at(1).toDouble());

    // A picture whose pixel (x, y) is (x % 251, y % 241, 99), over the top-left of the left
    // monitor; positions and sizes of pixels are that monitor's device pixels.
    QImage pattern(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < pattern.height(); ++y) {
        for (int x = 0; x < pattern.width(); ++x) {
            pattern.setPixel(x, y, qRgb(x % 251, y % 241, 99));
        }
    }
    QLabel picture;
    picture.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QPixmap pixmap = QPixmap::fromImage(pattern);
    pixmap.setDevicePixelRatio(ratio);
    picture.setPixmap(pixmap);
    picture.setScreen(left);
    picture.setGeometry(QRect(left->geometry().topLeft(), coveringSize(pattern.size(), ratio)));
    picture.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picture));
    QCOMPARE(picture.screen(), left);

    // The program's own screen source, on the primary monitor.
    std::unique_ptr<ScreenGrabber> grabber(createScreenGrabber());
    QVERIFY(qobject_cast<X11ScreenGrabber*>(grabber.get()));
    FakeServices fake;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(*grabber), QString(), &error);
    QVERIFY(form);
    form->workspace().P1->setImage(QImage(400, 300, QImage::Format_RGB32));  // a black canvas
    form->workspace().CommitCanvas();
    form->move(primary->geometry().topLeft() + QPoint(100, 100));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWait(200);

    form->startCapture();
    QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
    Form2* window = nullptr;
    const auto onLeft = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* candidate = qobject_cast<Form2*>(w);
            if (candidate != nullptr && candidate->isVisible() && candidate->screen() == left &&
                candidate->geometry() == left->geometry()) {
                window = candidate;
            }
        }
        return window != nullptr;
    };
    QTRY_VERIFY(onLeft());
    QVERIFY(window != form->captureWindow());
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->devicePixelRatioF(), ratio);
    const QImage frozen = window->frozenImage();
    QCOMPARE(frozen.size(), QSize(1920, 1080));
    QCOMPARE(frozen.copy(0, 0, 800, 600), pattern);

    const QPoint corner(150, 120);
    press(window, corner);
    dragTo(window, corner + QPoint(200, 100));
    release(window, corner + QPoint(200, 100));
    doubleClick(window->band(), QPoint(4, 4));

    QTRY_VERIFY(!form->captureWindow());
    QCOMPARE(form->workspace().P1->image(), pattern.copy(corner.x() + 1, corner.y() + 1, 200, 100));
    QTRY_VERIFY(form->isVisible());
    form->close();
}

QTEST_MAIN(TestCaptureX11Monitors)
#include "tst_capture_x11_monitors.moc"
