// Real pointer events (xdotool, through the X server) under a window manager, at the scale
// factor CTest pins: a press lands on the device pixel under the pointer, whatever the scale,
// and a canvas that fits in the window never scrolls. Positions are device pixels.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "core/Caption.h"
#include "fakes/FakeServices.h"
#include "fakes/Scale.h"
#include "fakes/WindowManager.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// Runs xdotool with `arguments` (screen positions in device pixels) and waits until the X
// server has handed out what it made.
void xdotool(const QStringList& arguments) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), arguments), 0);
    QGuiApplication::sync();
    QCoreApplication::processEvents();
}

QString number(int value) {
    return QString::number(value);
}

// A left-button drag from `from` to `to` (screen); a plain click when they are the same.
void drag(QPoint from, QPoint to) {
    xdotool({"mousemove", number(from.x()), number(from.y()), "mousedown", "1", "mousemove",
             number(to.x()), number(to.y()), "mouseup", "1"});
}

// Pixel (x, y) is (x % 251, y % 241, 99): every pixel of a block tells where it came from.
QImage pattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 251, y % 241, 99));
        }
    }
    return image;
}

// Counts the mouse buttons released on a widget.
class Releases : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::MouseButtonRelease ? 1 : 0;
        return false;
    }
};

}  // namespace

class TestPointerX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void bandStartsUnderThePointer_data();
    void bandStartsUnderThePointer();
    void selectionStartsUnderThePointer_data();
    void selectionStartsUnderThePointer();
    void canvasThatFitsDoesNotScroll_data();
    void canvasThatFitsDoesNotScroll();
    void scrolledCanvasPicksThePaintedPixel_data();
    void scrolledCanvasPicksThePaintedPixel();

private:
    // The main window shown with `picture` as its canvas, and the screen's device pixel that
    // shows the canvas's pixel (0, 0).
    std::unique_ptr<Form1> showCanvas(const QImage& picture, QPoint* origin);

    FakeServices m_fake;
    WindowManager m_windowManager;
};

void TestPointerX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    checkPinnedScale();
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));
}

std::unique_ptr<Form1> TestPointerX11::showCanvas(const QImage& picture, QPoint* origin) {
    QString error;
    std::unique_ptr<Form1> form = startKiramo(m_fake.services(), QString(), &error);
    if (!form) {
        return form;
    }
    form->workspace().P1->setImage(picture);
    form->P3()->show();  // the colour strip
    form->workspace().CommitCanvas();
    form->move(40, 30);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        return nullptr;
    }
    QTest::qWait(100);
    // The canvas's pixel (0, 0) on the screen: below the menu bar, within a device pixel or
    // two of where the window's logical place puts it.
    const double ratio = form->devicePixelRatioF();
    const QPoint near = (form->workspace().P1->mapToGlobal(QPointF(0, 0)) * ratio).toPoint();
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    for (int y = near.y() - 3; y <= near.y() + 3; ++y) {
        for (int x = near.x() - 3; x <= near.x() + 3; ++x) {
            if (shot.copy(x, y, 2, 2) == picture.copy(0, 0, 2, 2)) {
                *origin = QPoint(x, y);
            }
        }
    }
    return form;
}

void TestPointerX11::bandStartsUnderThePointer_data() {
    QTest::addColumn<QPoint>("corner");
    // Odd and even device pixels: at a fractional scale each falls differently between two
    // logical pixels.
    for (const QPoint corner : {QPoint(401, 301), QPoint(402, 302), QPoint(403, 303)}) {
        QTest::addRow("%d,%d", corner.x(), corner.y()) << corner;
    }
}

void TestPointerX11::bandStartsUnderThePointer() {
    QFETCH(QPoint, corner);
    const QImage screen =
        pattern(QGuiApplication::primaryScreen()->geometry().size() * pinnedScale());
    m_fake.screen.screen = screen;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(m_fake.services(), QString(), &error);
    QVERIFY2(form, qPrintable(error));
    form->show();
    form->startCapture();
    QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
    Form2* window = form->captureWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(100);

    drag(corner, corner + QPoint(320, 200));
    QTRY_COMPARE(window->band()->text(), QStringLiteral("320 x 200"));
    const LabelRect band = window->band()->rect();
    QCOMPARE(QPointF(band.left, band.top), QPointF(corner));
    window->TransferCapture();
    QCOMPARE(form->workspace().P1->image(),
             screen.copy(QRect(corner + QPoint(1, 1), QSize(320, 200))));
    QCOMPARE(form->windowTitle(), "*Untitled (320x200) Mode:FreeSize" + captionNotice());
    form->close();
}

void TestPointerX11::selectionStartsUnderThePointer_data() {
    QTest::addColumn<QPoint>("corner");  // device pixels of the canvas
    for (const QPoint corner :
         {QPoint(101, 50), QPoint(102, 51), QPoint(103, 52), QPoint(104, 53)}) {
        QTest::addRow("%d,%d", corner.x(), corner.y()) << corner;
    }
}

void TestPointerX11::selectionStartsUnderThePointer() {
    QFETCH(QPoint, corner);
    const QImage picture = pattern(QSize(400, 300));
    QPoint origin(-1, -1);
    std::unique_ptr<Form1> form = showCanvas(picture, &origin);
    QVERIFY(form);
    QVERIFY(origin.x() >= 0);
    const TwipScale m = form->workspace().scale();
    SizeLabel* L1 = form->workspace().L1;
    const QPoint at = origin + corner;
    // A click is no selection (away from the drag: a press there would be a double-click's).
    Releases releases;
    form->workspace().P1->installEventFilter(&releases);
    drag(at + QPoint(150, 80), at + QPoint(150, 80));
    QTRY_COMPARE(releases.count, 1);
    QVERIFY(L1->isHidden());

    drag(at, at + QPoint(200, 100));
    QTRY_COMPARE(L1->text(), QStringLiteral("200 x 100"));
    const LabelRect r = L1->rect();
    QCOMPARE(QPointF(m.toPixelsX(r.left), m.toPixelsY(r.top)), QPointF(corner));

    // The colour picked is the canvas pixel under the pointer, one pixel further another: on
    // the bare canvas and on the see-through label.
    for (const QPoint step : {QPoint(-2, -1), QPoint(-1, -1), QPoint(0, 0), QPoint(1, 1)}) {
        xdotool({"mousemove", number(at.x() + step.x()), number(at.y() + step.y()), "click", "3"});
        QTRY_COMPARE(form->P3()->image().pixel(0, 0), picture.pixel(corner + step));
    }
    form->close();
}

void TestPointerX11::canvasThatFitsDoesNotScroll_data() {
    QTest::addColumn<QSize>("canvas");
    QTest::newRow("600x400") << QSize(600, 400);
    QTest::newRow("601x401") << QSize(601, 401);
    QTest::newRow("777x333") << QSize(777, 333);
}

void TestPointerX11::canvasThatFitsDoesNotScroll() {
    QFETCH(QSize, canvas);
    QPoint origin(-1, -1);
    std::unique_ptr<Form1> form = showCanvas(pattern(canvas), &origin);
    QVERIFY(form);
    QVERIFY(origin.x() >= 0);
    auto* scroll = form->findChild<QScrollArea*>();
    QVERIFY(scroll);
    QTest::qWait(200);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    // Every pixel of the canvas shows: its last one is where it belongs on the screen.
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint last(canvas.width() - 1, canvas.height() - 1);
    QCOMPARE(shot.pixel(origin + last), pattern(canvas).pixel(last));
    form->close();
}

void TestPointerX11::scrolledCanvasPicksThePaintedPixel_data() {
    QTest::addColumn<int>("from");  // the least scroll bar value tried
    QTest::newRow("7") << 7;
    QTest::newRow("35") << 35;
}

void TestPointerX11::scrolledCanvasPicksThePaintedPixel() {
    QFETCH(int, from);
    QString error;
    std::unique_ptr<Form1> form = startKiramo(m_fake.services(), QString(), &error);
    QVERIFY2(form, qPrintable(error));
    const QImage picture = pattern(QSize(2500, 2000));  // larger than the screen
    form->workspace().P1->setImage(picture);
    form->P3()->show();
    form->workspace().CommitCanvas();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto* scroll = form->findChild<QScrollArea*>();
    QVERIFY(scroll);
    // Scrolled so that the canvas's origin falls on the middle of a device pixel of the window,
    // where one can (not at a whole scale).
    const double ratio = form->devicePixelRatioF();
    const QPoint view = scroll->viewport()->mapTo(form.get(), QPoint(0, 0));
    const auto middle = [ratio, from](int at) {
        for (int value = from; value < from + 4; ++value) {
            const double device = (at - value) * ratio;
            if (device - std::floor(device) == 0.5) {
                return value;
            }
        }
        return from;
    };
    scroll->horizontalScrollBar()->setValue(middle(view.x()));
    scroll->verticalScrollBar()->setValue(middle(view.y()));
    QTest::qWait(200);

    // A right click picks the colour that the screen shows under the pointer.
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint at =
        (scroll->viewport()->mapToGlobal(QPointF(scroll->viewport()->rect().center())) * ratio)
            .toPoint();
    for (const QPoint step : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
        const QPoint pixel = at + step;
        xdotool({"mousemove", number(pixel.x()), number(pixel.y()), "click", "3"});
        QTRY_COMPARE(form->P3()->image().pixel(0, 0), shot.pixel(pixel));
    }
    form->close();
}

QTEST_MAIN(TestPointerX11)
#include "tst_pointer_x11.moc"
