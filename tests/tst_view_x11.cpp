// The View menu's zoom with real keys and pointer events (xdotool, through the X server) under a
// window manager, on a 1920 x 1080 screen: Fit shows the whole of a large picture, Ctrl+1 goes
// back to one to one, and a zoomed canvas selects and picks in the picture's own pixels.
// Positions are device pixels.
#include "app/CanvasView.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "fakes/FakeServices.h"
#include "fakes/Scale.h"
#include "fakes/WindowManager.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

void xdotool(const QStringList& arguments) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
    QGuiApplication::sync();
    QCoreApplication::processEvents();
}

QString number(int value) {
    return QString::number(value);
}

// Pixel (x, y) is (x % 251, y % 241, 99), but for a 64-pixel square of its own colour in each
// corner, which a picture scaled down smoothly still shows in its corner pixels.
QImage picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 251, y % 241, 99));
        }
    }
    const int w = size.width() - 64;
    const int h = size.height() - 64;
    QPainter painter(&image);
    painter.fillRect(0, 0, 64, 64, QColor(255, 0, 0));
    painter.fillRect(w, 0, 64, 64, QColor(0, 255, 0));
    painter.fillRect(0, h, 64, 64, QColor(0, 0, 255));
    painter.fillRect(w, h, 64, 64, QColor(255, 255, 0));
    return image;
}

}  // namespace

class TestViewX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fitShowsTheWholePicture();
    void zoomedSelectionCopiesImagePixels_data();
    void zoomedSelectionCopiesImagePixels();
    void zoomedPickTakesThePixelUnderThePointer();

private:
    // The main window with `image` arrived as a new picture, shown and active.
    std::unique_ptr<Form1> show(const QImage& image);
    // The screen's device pixel that shows the canvas's top-left corner.
    [[nodiscard]] static QPoint canvasOrigin(const Form1& form);
    // Presses `keys` (xdotool's names) `times` times and waits for the zoom to change.
    static void press(const QString& keys, int times = 1);

    FakeServices m_fake;
    WindowManager m_windowManager;
};

void TestViewX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    checkPinnedScale();
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size() * pinnedScale(),
             QSize(1920, 1080));
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));
}

std::unique_ptr<Form1> TestViewX11::show(const QImage& image) {
    QString error;
    std::unique_ptr<Form1> form = startKiramo(m_fake.services(), QString(), &error);
    if (!form) {
        return form;
    }
    form->move(0, 0);
    form->show();
    if (!QTest::qWaitForWindowActive(form.get())) {
        return nullptr;
    }
    form->workspace().replacePicture(image, QStringLiteral("picture"));
    QTest::qWait(300);
    return form;
}

QPoint TestViewX11::canvasOrigin(const Form1& form) {
    const Surface* P1 = form.workspace().P1;
    return (P1->mapToGlobal(QPointF(0, 0)) * P1->devicePixelRatioF()).toPoint();
}

void TestViewX11::press(const QString& keys, int times) {
    for (int i = 0; i < times; ++i) {
        xdotool({"key", "--clearmodifiers", keys});
    }
    QTest::qWait(300);
}

void TestViewX11::fitShowsTheWholePicture() {
    const QImage image = picture(QSize(4000, 3000));
    std::unique_ptr<Form1> form = show(image);
    QVERIFY(form);
    CanvasView& view = form->canvasView();
    // Larger than the screen: it arrives fitted, and Ctrl+0 fits it again after Ctrl+1.
    QVERIFY(view.zoom() < 1.0);
    press("ctrl+1");
    QCOMPARE(view.zoom(), 1.0);
    // One to one: the screen shows the picture's pixels where the view says.
    Surface* P1 = form->workspace().P1;
    auto* scroll = form->findChild<QScrollArea*>();
    const double ratio = form->devicePixelRatioF();
    QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint middle =
        (scroll->viewport()->mapToGlobal(QPointF(scroll->viewport()->rect().center())) * ratio)
            .toPoint();
    for (const QPoint step : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(17, 9)}) {
        const QPoint at = middle + step;
        QCOMPARE(shot.pixel(at), image.pixel(at - canvasOrigin(*form)));
    }

    press("ctrl+0");
    QVERIFY(view.zoom() < 1.0);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect shown(canvasOrigin(*form), P1->view().viewSize());
    QVERIFY(QRect(QPoint(0, 0), shot.size()).contains(shown));
    QCOMPARE(shot.pixel(shown.topLeft()), qRgb(255, 0, 0));
    QCOMPARE(shot.pixel(shown.topRight()), qRgb(0, 255, 0));
    QCOMPARE(shot.pixel(shown.bottomLeft()), qRgb(0, 0, 255));
    QCOMPARE(shot.pixel(shown.bottomRight()), qRgb(255, 255, 0));
    QCOMPARE(form->workspace().picture(), image);
    form->close();
}

void TestViewX11::zoomedSelectionCopiesImagePixels_data() {
    QTest::addColumn<QString>("keys");
    QTest::newRow("Ctrl+=") << "ctrl+equal";
    QTest::newRow("Ctrl++") << "ctrl+plus";
}

void TestViewX11::zoomedSelectionCopiesImagePixels() {
    QFETCH(QString, keys);
    const QImage image = picture(QSize(600, 400));
    std::unique_ptr<Form1> form = show(image);
    QVERIFY(form);
    QCOMPARE(form->canvasView().zoom(), 1.0);
    press(keys, 2);
    QCOMPARE(form->canvasView().zoom(), 2.0);
    // A drag over 200 x 100 screen pixels from the screen pixel showing image pixel (100, 50)
    // (its block's first device pixel) selects 100 x 50 image pixels from there.
    Surface* P1 = form->workspace().P1;
    const QPoint start = canvasOrigin(*form) + P1->view().viewPointOf(QPointF(100, 50)).toPoint();
    xdotool({"mousemove", number(start.x()), number(start.y()), "mousedown", "1", "mousemove",
             number(start.x() + 200), number(start.y() + 100), "mouseup", "1"});
    QTRY_COMPARE(form->workspace().L1->text(), QStringLiteral("100 x 50"));
    form->menus().MCopy->trigger();
    QTRY_COMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 image.copy(100, 50, 100, 50));
    form->close();
}

void TestViewX11::zoomedPickTakesThePixelUnderThePointer() {
    const QImage image = picture(QSize(600, 400));
    std::unique_ptr<Form1> form = show(image);
    QVERIFY(form);
    form->toggleColorTable();
    press("ctrl+equal", 4);
    QCOMPARE(form->canvasView().zoom(), 4.0);
    QTest::qWait(200);
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint origin = canvasOrigin(*form);
    const Surface* P1 = form->workspace().P1;
    // Around the block of the image pixel in the middle of the scrolled view: the last device
    // pixel of the block before, its first and last, the first of the next.
    auto* scroll = form->findChild<QScrollArea*>();
    const QPoint middle =
        (scroll->viewport()->mapToGlobal(QPointF(scroll->viewport()->rect().center())) *
         form->devicePixelRatioF())
            .toPoint();
    const QPoint block =
        origin +
        P1->view().viewPointOf(QPointF(P1->view().imagePixelAt(middle - origin))).toPoint();
    for (const QPoint step : {QPoint(-1, -1), QPoint(0, 0), QPoint(3, 3), QPoint(4, 4)}) {
        const QPoint at = block + step;
        xdotool({"mousemove", number(at.x()), number(at.y()), "click", "3"});
        const QPoint pixel = P1->view().imagePixelAt(at - origin);
        QTRY_COMPARE(form->P3()->image().pixel(0, 0), image.pixel(pixel));
        QCOMPARE(shot.pixel(at), image.pixel(pixel));
    }
    form->close();
}

QTEST_MAIN(TestViewX11)
#include "tst_view_x11.moc"
