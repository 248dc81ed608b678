// A capture with the real screen grab under an X server and a window manager: the frozen
// image is the screen as displayed, without the main window, and the canvas is the block of it
// that the band marked.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "core/Caption.h"
#include "fakes/CaptureWindows.h"
#include "fakes/FakeServices.h"
#include "fakes/MouseInput.h"
#include "fakes/Scale.h"
#include "fakes/WindowManager.h"
#include "platform/X11ScreenGrabber.h"

#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <cstring>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// Bit for bit the same monitors: places, sizes, formats and every byte of every line.
bool sameBytes(const FrozenScreens& a, const FrozenScreens& b) {
    if (a.size() != b.size()) {
        qWarning("%d monitors against %d", int(a.size()), int(b.size()));
        return false;
    }
    for (int i = 0; i < a.size(); ++i) {
        const QImage& x = a.at(i).image;
        const QImage& y = b.at(i).image;
        if (a.at(i).geometry != b.at(i).geometry || x.size() != y.size() ||
            x.format() != y.format()) {
            qWarning() << "monitor" << i << x.size() << y.size() << x.format() << y.format();
            return false;
        }
        for (int line = 0; line < x.height(); ++line) {
            if (std::memcmp(x.constScanLine(line), y.constScanLine(line),
                            std::size_t(x.width()) * 4) != 0) {
                qWarning("monitor %d: line %d differs", i, line);
                return false;
            }
        }
    }
    return true;
}

// Shared-memory segments this process made that still exist: a segment lives on while this
// process or the X server has it attached.
int sharedSegments() {
    QGuiApplication::sync();  // the X server has carried out every detach sent so far
    QFile table(QStringLiteral("/proc/sysvipc/shm"));
    if (!table.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray me = QByteArray::number(QCoreApplication::applicationPid());
    int count = 0;
    table.readLine();  // the heading
    for (QByteArray line = table.readLine(); !line.isEmpty(); line = table.readLine()) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        count += fields.size() > 4 && fields.at(4) == me ? 1 : 0;  // cpid
    }
    return count;
}

}  // namespace

class TestCaptureX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { removeCaptureWindows(); }
    void captureOfAKnownPicture();
    void windowComesBackWhereItWas();
    void sharedMemoryGrabIsTheOldGrab();
    void sharedMemoryIsGivenBack_data();
    void sharedMemoryIsGivenBack();

private:
    testing::WindowManager m_windowManager;
};

void TestCaptureX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));
}

void TestCaptureX11::captureOfAKnownPicture() {
    // Positions and sizes here are device pixels of the screen, whatever the scale factor; only
    // window geometry is logical.
    checkPinnedScale();
    const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    // A picture whose pixel (x, y) is (x % 251, y % 241, 99), over the top-left of the screen.
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
    picture.setGeometry(QRect(QPoint(0, 0), coveringSize(pattern.size(), ratio)));
    picture.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picture));

    FakeServices fake;
    X11ScreenGrabber grabber;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(grabber), QString(), &error);
    QVERIFY(form);
    form->workspace().P1->setImage(QImage(400, 300, QImage::Format_RGB32));  // a black canvas
    form->workspace().CommitCanvas();
    form->move(QPoint(120, 100) / ratio);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWait(200);
    const QRect place = form->frameGeometry();
    const QRectF covered = QRectF(form->frameGeometry().adjusted(2, 2, -2, -2));
    QVERIFY(
        QRectF(pattern.rect()).contains(QRectF(covered.topLeft() * ratio, covered.size() * ratio)));

    form->startCapture();
    QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
    auto* window = form->captureWindow();
    const QImage frozen = window->frozenImage();
    // The monitor's every device pixel, at any scale (logical size times the ratio can be a
    // pixel short at a fractional one).
    QCOMPARE(frozen.size(), grabScreensWithToolkit().constFirst().image.size());
    // What lay beneath the main window, not the main window.
    for (const QPointF& p : {covered.topLeft(), covered.center(), covered.bottomRight()}) {
        const QPoint pixel = (p * ratio).toPoint();
        QCOMPARE(frozen.pixelColor(pixel), pattern.pixelColor(pixel));
    }
    QCOMPARE(frozen.copy(0, 0, 800, 600), pattern);

    const QPoint corner(150, 120);
    press(window, corner);
    dragTo(window, corner + QPoint(200, 100));
    release(window, corner + QPoint(200, 100));
    doubleClick(window->band(), QPoint(4, 4));

    QTRY_VERIFY(!form->captureWindow());
    QCOMPARE(form->workspace().P1->image(), pattern.copy(corner.x() + 1, corner.y() + 1, 200, 100));
    QCOMPARE(form->windowTitle(), "*Untitled (200x100) Mode:FreeSize" + captionNotice());
    QTRY_VERIFY(form->isVisible());
    // Back where it was, not wherever the window manager puts a new window.
    QTRY_COMPARE(form->frameGeometry().topLeft(), place.topLeft());
    form->close();
}

void TestCaptureX11::windowComesBackWhereItWas() {
    // Placed by the window manager, not by the program: shown again after a hide, such a window
    // would be placed anew.
    FakeServices fake;
    X11ScreenGrabber grabber;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(grabber), QString(), &error);
    QVERIFY(form);
    QWidget other;  // so that the window manager's placement has something to avoid
    other.setGeometry(0, 0, 300, 300);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTest::qWait(200);
    const QPoint place = form->frameGeometry().topLeft();
    other.hide();

    form->startCapture();
    QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
    form->captureWindow()->abandon();
    QTRY_VERIFY(form->isVisible());
    QTest::qWait(200);
    QCOMPARE(form->frameGeometry().topLeft(), place);
    form->close();
}

void TestCaptureX11::sharedMemoryGrabIsTheOldGrab() {
    // Something other than black on the screen, every byte of it different somewhere.
    QImage noise(640, 480, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, 0xff000000u | (seed >> 8));
        }
    }
    QLabel picture;
    picture.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    picture.setPixmap(QPixmap::fromImage(noise));
    picture.setGeometry(QRect(QPoint(30, 40), noise.size()));
    picture.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picture));
    QTest::qWait(200);

    X11ScreenGrabber grabber;
    const FrozenScreens fast = grabber.grabNow();
    QVERIFY(grabber.usedSharedMemory());
    QVERIFY(sameBytes(fast, grabScreensWithToolkit()));
    // The grab started and answered from the event loop gives the same.
    FrozenScreens answered;
    connect(&grabber, &ScreenGrabber::grabbed, this,
            [&](const FrozenScreens& screens) { answered = screens; });
    grabber.start();
    QVERIFY(answered.isEmpty());
    QTRY_COMPARE(answered.size(), fast.size());
    QCOMPARE(answered.first().image, fast.first().image);
}

void TestCaptureX11::sharedMemoryIsGivenBack_data() {
    // A frozen picture keeps the segment it was grabbed into; segments made ready for a grab
    // that does not come, or not used by it, go at once.
    QTest::addColumn<int>("prepares");
    QTest::addColumn<bool>("grab");
    QTest::newRow("grab") << 0 << true;
    QTest::newRow("made ready, grab") << 1 << true;
    QTest::newRow("made ready twice, grab") << 2 << true;
    QTest::newRow("made ready, cancelled") << 1 << false;
}

void TestCaptureX11::sharedMemoryIsGivenBack() {
    QFETCH(int, prepares);
    QFETCH(bool, grab);
    const FrozenScreens reference = grabScreensWithToolkit();
    const int before = sharedSegments();
    QVERIFY(before >= 0);
    {
        X11ScreenGrabber grabber;
        for (int i = 0; i < prepares; ++i) {
            grabber.prepare();
        }
        if (grab) {
            const FrozenScreens frozen = grabber.grabNow();
            QVERIFY(grabber.usedSharedMemory());
            QCOMPARE(sharedSegments(), before + frozen.size());
            QVERIFY(sameBytes(frozen, reference));
        } else {
            grabber.cancel();
            QCOMPARE(sharedSegments(), before);
        }
    }
    QCOMPARE(sharedSegments(), before);
}

QTEST_MAIN(TestCaptureX11)
#include "tst_capture_x11.moc"
