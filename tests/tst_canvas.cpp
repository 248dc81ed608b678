#include "app/CanvasView.h"
#include "canvas/BackgroundWork.h"
#include "canvas/SelectionController.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/WorkProgress.h"
#include "fakes/MouseInput.h"
#include "fakes/Session.h"
#include "platform/QtPrompts.h"

#include <QApplication>
#include <QPainter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// A 640 x 480 canvas; the left third red, the middle green, the right blue.
QImage stripes() {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 480; ++y) {
        for (int x = 213; x < 640; ++x) {
            image.setPixel(x, y, x < 426 ? qRgb(0, 255, 0) : qRgb(0, 0, 255));
        }
    }
    return image;
}

void drawSelection(Form1& form, QPoint from, QPoint to,
                   Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    press(form.workspace().P1, from);
    dragTo(form.workspace().P1, to, modifiers);
    release(form.workspace().P1, to);
}

// The colour of swatch i of the strip: a pixel in its middle.
QColor swatch(const Form1& form, int i) {
    const TwipScale m = form.workspace().scale();
    return form.P3()->image().pixelColor(qFloor(m.toPixelsX(i * 285 + 142)), 0);
}

}  // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void dragShowsSizeOverTheRectangle();
    void stretchRules_data();
    void stretchRules();
    void twoPressesInARow();
    void rightPressNeverTouchesTheSelection();
    void dropLandsTheGrabbedPointUnderThePointer();
    void dropOutsideTheCanvasRemovesTheSelection();
    void selectionByKeyboard_data();
    void selectionByKeyboard();
    void rightPressOnTheLabel();
    void clickOnTheLabelLeavesTheSelection_data();
    void clickOnTheLabelLeavesTheSelection();
    void pictureLargerThanTheScreenScrolls();
    void canvasShortByRoundingDoesNotScroll();
    void everyRightPressPicksAColour_data();
    void everyRightPressPicksAColour();
    void repaintCoversEveryDevicePixel_data();
    void repaintCoversEveryDevicePixel();
    void longWorkShowsAProgressWindowThatCancels();
};

void TestCanvas::dragShowsSizeOverTheRectangle() {
    Session s;
    s.setCanvas(stripes());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    QVERIFY(s.ws().L1->isVisible());
    QCOMPARE(s.ws().L1->text(), QStringLiteral("100 x 50"));
    QCOMPARE(s.ws().L1->rect(), twipsOf(*s.form, QRectF(10, 10, 100, 50)));
    const double ratio = s.form->devicePixelRatioF();
    QCOMPARE(s.ws().L1->geometry(),
             QRect(qFloor(10 / ratio), qFloor(10 / ratio), qCeil(100 / ratio), qCeil(50 / ratio)));
    QCOMPARE(s.ws().L1->cursor().shape(), Qt::SizeAllCursor);
    QCOMPARE(s.ws().P1->cursor().shape(), Qt::CrossCursor);
}

void TestCanvas::stretchRules_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPoint>("to");  // from (100, 100)
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSizeF>("pixels");  // the size in device pixels; none: still 1 x 1 twip
    const QSizeF unchanged;

    QTest::newRow("free") << 0 << QPoint(300, 200) << 0 << "200 x 100" << QSizeF(200, 100);
    QTest::newRow("free square, ctrl")
        << 0 << QPoint(300, 200) << int(Qt::ControlModifier) << "100 x 100" << QSizeF(100, 100);
    QTest::newRow("free square, alt")
        << 0 << QPoint(300, 150) << int(Qt::AltModifier) << "50 x 50" << QSizeF(50, 50);
    QTest::newRow("left of the anchor") << 0 << QPoint(50, 200) << 0 << "L1" << unchanged;
    QTest::newRow("above the anchor") << 0 << QPoint(300, 50) << 0 << "L1" << unchanged;
    QTest::newRow("one pixel each way") << 0 << QPoint(101, 101) << 0 << "1 x 1" << QSizeF(1, 1);
    // A4 written short side first: the width follows the height by 29.7 / 21.
    QTest::newRow("mode") << 1 << QPoint(300, 240) << 0 << "A4 横" << QSizeF(140 * 29.7 / 21, 140);
    QTest::newRow("mode, shift") << 1 << QPoint(300, 240) << int(Qt::ShiftModifier) << "A4 縦"
                                 << QSizeF(140 * 21 / 29.7, 140);
    QTest::newRow("mode with zero size") << 2 << QPoint(300, 240) << 0 << "L1" << unchanged;
}

void TestCanvas::stretchRules() {
    QFETCH(int, mode);
    QFETCH(QPoint, to);
    QFETCH(int, modifiers);
    QFETCH(QString, caption);
    QFETCH(QSizeF, pixels);
    Session s("@ A4 21x29.7\r\n@ Zero 0x0\r\n");
    s.setCanvas(stripes());
    s.form->selectMode(mode);
    press(s.ws().P1, QPoint(100, 100));
    dragTo(s.ws().P1, to, Qt::KeyboardModifiers(modifiers));
    const LabelRect r = s.ws().L1->rect();
    const LabelRect expected = twipsOf(*s.form, QRectF(QPointF(100, 100), pixels));
    QCOMPARE(s.ws().L1->text(), caption);
    QCOMPARE(QPointF(r.left, r.top), QPointF(expected.left, expected.top));
    QCOMPARE(QSizeF(r.width, r.height),
             pixels.isValid() ? QSizeF(expected.width, expected.height) : QSizeF(1, 1));
    // Released: never stretched, the anchor is no selection.
    release(s.ws().P1, to);
    QCOMPARE(s.ws().L1->isVisible(), pixels.isValid());
}

void TestCanvas::twoPressesInARow() {
    Session s;
    s.setCanvas(stripes());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    press(s.ws().P1, QPoint(300, 300));
    QVERIFY(s.ws().L1->isHidden());  // the first press only removes the selection
    release(s.ws().P1, QPoint(300, 300));
    press(s.ws().P1, QPoint(300, 300));
    QVERIFY(s.ws().L1->isVisible());
    const LabelRect anchor = twipsOf(*s.form, QRectF(300, 300, 0, 0));
    QCOMPARE(s.ws().L1->rect(), (LabelRect{anchor.left, anchor.top, 1, 1}));
}

void TestCanvas::rightPressNeverTouchesTheSelection() {
    Session s;
    s.setCanvas(stripes());
    press(s.ws().P1, QPoint(50, 50), Qt::RightButton);
    QVERIFY(s.ws().L1->isHidden());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    const LabelRect before = s.ws().L1->rect();
    press(s.ws().P1, QPoint(500, 400), Qt::RightButton);
    QVERIFY(s.ws().L1->isVisible());
    QCOMPARE(s.ws().L1->rect(), before);
}

void TestCanvas::dropLandsTheGrabbedPointUnderThePointer() {
    Session s;
    s.setCanvas(stripes());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    press(s.ws().L1, QPoint(30, 20));
    QVERIFY(s.ws().L1->isHidden());
    dragTo(s.ws().P1, QPoint(230, 220));
    release(s.ws().P1, QPoint(230, 220));
    QVERIFY(s.ws().L1->isVisible());
    QCOMPARE(s.ws().L1->rect(), twipsOf(*s.form, QRectF(200, 200, 100, 50)));
    QCOMPARE(s.ws().L1->text(), QStringLiteral("100 x 50"));

    // The anchor stays where it was: stretching again measures from it.
    press(s.ws().P1, QPoint(600, 400));  // removes the selection
    QVERIFY(s.ws().L1->isHidden());
}

void TestCanvas::dropOutsideTheCanvasRemovesTheSelection() {
    Session s;
    s.setCanvas(stripes());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    press(s.ws().L1, QPoint(5, 5));
    release(s.ws().P1, QPoint(700, 100));  // beyond the canvas's right edge
    QVERIFY(s.ws().L1->isHidden());
    QVERIFY(!s.ws().hasSelection());
}

void TestCanvas::selectionByKeyboard_data() {
    QTest::addColumn<QList<int>>("keys");  // after a drag from (10, 10) to (110, 60)
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QRectF>("expected");  // pixels; an empty one: no selection
    QTest::addColumn<QString>("caption");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("right down") << QList<int>{Qt::Key_Right, Qt::Key_Down} << 0
                                << QRectF(11, 11, 100, 50) << "100 x 50";
    QTest::newRow("shift left stops at the edge")
        << QList<int>{Qt::Key_Left} << int(Qt::ShiftModifier) << QRectF(0, 10, 100, 50)
        << "100 x 50";
    QTest::newRow("shift right stops at the far edge")
        << QList<int>(60, Qt::Key_Right) << int(Qt::ShiftModifier) << QRectF(540, 10, 100, 50)
        << "100 x 50";
    QTest::newRow("ctrl right, ctrl up")
        << QList<int>{Qt::Key_Right, Qt::Key_Up} << ctrl << QRectF(10, 10, 101, 49) << "101 x 49";
    QTest::newRow("escape") << QList<int>{Qt::Key_Escape} << 0 << QRectF() << "";
}

void TestCanvas::selectionByKeyboard() {
    QFETCH(QList<int>, keys);
    QFETCH(int, modifiers);
    QFETCH(QRectF, expected);
    QFETCH(QString, caption);
    Session s;
    s.setCanvas(stripes());
    drawSelection(*s.form, QPoint(10, 10), QPoint(110, 60));
    for (const int key : keys) {
        QTest::keyClick(s.ws().P1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }
    QCOMPARE(s.ws().hasSelection(), !expected.isEmpty());
    if (!expected.isEmpty()) {
        QCOMPARE(s.ws().L1->rect(), twipsOf(*s.form, expected));
        QCOMPARE(s.ws().L1->text(), caption);
    }
}

void TestCanvas::rightPressOnTheLabel() {
    Session s;
    s.setCanvas(stripes());
    s.form->menus().MPal->trigger();
    drawSelection(*s.form, QPoint(200, 10), QPoint(300, 60));
    s.form->showMaximized();
    press(s.ws().L1, QPoint(50, 5), Qt::RightButton);  // canvas pixel (250, 15): green
    QCOMPARE(s.form->windowState() & Qt::WindowMaximized, Qt::WindowNoState);
    QVERIFY(s.ws().L1->isVisible());
    QCOMPARE(s.form->P3()->image().pixelColor(0, 0), QColor(0, 255, 0));
}

void TestCanvas::clickOnTheLabelLeavesTheSelection_data() {
    QTest::addColumn<QRectF>("drawn");  // device pixels, drawn with the mouse
    QTest::addColumn<QRectF>("set");    // twips, set directly (where drawn is empty)
    // At scale factors 1.25 and 2 the corner lies inside a logical pixel, right of and below
    // the label widget's own corner.
    QTest::newRow("drawn") << QRectF(51, 61, 100, 50) << QRectF();
    QTest::newRow("between device pixels") << QRectF() << QRectF(1514, 764, 1500, 750);
}

void TestCanvas::clickOnTheLabelLeavesTheSelection() {
    QFETCH(QRectF, drawn);
    QFETCH(QRectF, set);
    Session s;
    s.setCanvas(stripes());
    if (drawn.isEmpty()) {
        s.ws().L1->setRect(LabelRect{set.x(), set.y(), set.width(), set.height()});
        s.ws().L1->show();
    } else {
        drawSelection(*s.form, drawn.topLeft().toPoint(), drawn.bottomRight().toPoint());
    }
    const LabelRect before = s.ws().L1->rect();
    // Pressed and released on the same device pixel of the canvas, inside the label.
    const QPointF at = QPointF(qCeil(s.ws().scale().toPixelsX(before.left)),
                               qCeil(s.ws().scale().toPixelsY(before.top))) +
                       QPointF(5, 5);
    press(s.ws().L1, at - devicePointIn(s.ws().P1, s.ws().L1, QPointF(0, 0)));
    QVERIFY(s.ws().L1->isHidden());
    release(s.ws().P1, at);
    QVERIFY(s.ws().L1->isVisible());
    QCOMPARE(s.ws().L1->rect(), before);
}

void TestCanvas::everyRightPressPicksAColour_data() {
    QTest::addColumn<bool>("onLabel");   // else on the bare canvas
    QTest::addColumn<QPoint>("second");  // the second press, a double-click's
    QTest::addColumn<QColor>("newest");  // swatch 0 afterwards
    // The first press is at (250, 30), green; the label, when there is one, covers it.
    QTest::newRow("same colour twice") << false << QPoint(250, 30) << QColor(0, 255, 0);
    QTest::newRow("two colours fast") << false << QPoint(500, 30) << QColor(0, 0, 255);
    QTest::newRow("twice on the label") << true << QPoint(250, 30) << QColor(0, 255, 0);
}

void TestCanvas::everyRightPressPicksAColour() {
    QFETCH(bool, onLabel);
    QFETCH(QPoint, second);
    QFETCH(QColor, newest);
    Session s;
    s.setCanvas(stripes());
    s.form->menus().MPal->trigger();
    QWidget* target = s.ws().P1;
    QPointF origin;  // the target's origin in device pixels of the canvas
    if (onLabel) {
        drawSelection(*s.form, QPoint(200, 10), QPoint(300, 60));
        target = s.ws().L1;
        origin = devicePointIn(s.ws().P1, s.ws().L1, QPointF(0, 0));
    }
    press(target, QPointF(250, 30) - origin, Qt::RightButton);
    release(target, QPointF(250, 30) - origin, Qt::RightButton);
    doubleClick(target, QPointF(second) - origin, Qt::RightButton);
    QCOMPARE(swatch(*s.form, 0), newest);
    QCOMPARE(swatch(*s.form, 1), QColor(0, 255, 0));
    QCOMPARE(s.ws().L1->isVisible(),
             onLabel);  // right presses leave the selection alone

    // The second press of a left double-click is no press: it starts no selection, neither
    // where the first press removed one nor where the first click anchored one (a click is no
    // selection).
    press(s.ws().P1, QPoint(10, 400));
    release(s.ws().P1, QPoint(10, 400));
    doubleClick(s.ws().P1, QPoint(10, 400));
    QVERIFY(s.ws().L1->isHidden());
}

void TestCanvas::canvasShortByRoundingDoesNotScroll() {
    // A window a logical pixel short of its canvas: at a fractional scale that is the rounding
    // of its size to device pixels (or a window manager's resize steps), not too little room.
    Session s;
    s.setCanvas(QImage(700, 500, QImage::Format_RGB32));
    s.form->resize(s.form->size() - QSize(1, 1));
    auto* scroll = s.form->findChild<QScrollArea*>();
    QVERIFY(scroll);
    const double ratio = s.form->devicePixelRatioF();
    const bool bars = ratio == std::floor(ratio);
    QCOMPARE(scroll->horizontalScrollBar()->isVisible(), bars);
    QCOMPARE(scroll->verticalScrollBar()->isVisible(), bars);
    s.form->resize(s.form->size() - QSize(1, 1));  // two short: it scrolls
    QVERIFY(scroll->horizontalScrollBar()->isVisible());
}

void TestCanvas::pictureLargerThanTheScreenScrolls() {
    Session s;
    const QRect available = s.form->screen()->availableGeometry();
    const double ratio = s.form->devicePixelRatioF();
    // Half as large again as the screen, in device pixels; the bottom-right quarter blue.
    QImage picture((available.size() * ratio * 3) / 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QRect corner(picture.width() / 2, picture.height() / 2, picture.width() / 2,
                       picture.height() / 2);
    for (int y = corner.top(); y <= corner.bottom(); ++y) {
        for (int x = corner.left(); x <= corner.right(); ++x) {
            picture.setPixel(x, y, qRgb(0, 0, 255));
        }
    }
    s.form->menus().MPal->trigger();  // the colour strip, to see the picks
    s.setCanvas(picture);
    // It arrives fitted to the screen; Actual Size shows it one to one.
    QVERIFY(s.form->canvasView().zoom() < 1.0);
    s.form->canvasView().actualSize();
    QVERIFY(s.form->width() <= available.width() && s.form->height() <= available.height());
    QCOMPARE(s.ws().P1->imageSize(), picture.size());  // one to one, not scaled

    // Scrolled to the far bottom-right: the last pixels are in view and answer the mouse.
    auto* scroll = s.form->findChild<QScrollArea*>();
    QVERIFY(scroll);
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    Surface* canvas = s.ws().P1;
    const QPoint last(picture.width() - 10, picture.height() - 10);
    QVERIFY(canvas->visibleRegion().contains((QPointF(last) / ratio).toPoint()));
    press(canvas, last, Qt::RightButton);
    QCOMPARE(swatch(*s.form, 0), QColor(Qt::blue));

    const QPoint from = last - QPoint(200, 100);
    drawSelection(*s.form, from, last);
    const TwipScale m = s.ws().scale();
    QCOMPARE(s.ws().L1->rect(), (LabelRect{m.toTwipsX(from.x()), m.toTwipsY(from.y()),
                                           m.toTwipsX(200), m.toTwipsY(100)}));
    // The label dragged within the view lands there; the top-left of the canvas is out of view
    // and takes no drop.
    SizeLabel* label = s.ws().L1;
    press(label, QPoint(2, 2));
    release(canvas, from - QPoint(50, 50) + QPoint(2, 2));
    QVERIFY(label->isVisible());
    QCOMPARE(label->rect().left, m.toTwipsX(from.x() - 50));
    press(label, QPoint(2, 2));
    release(canvas, QPoint(5, 5));
    QVERIFY(label->isHidden());
}

void TestCanvas::repaintCoversEveryDevicePixel_data() {
    // A repaint of part of a widget at any ratio: every device pixel the part touches shows the
    // picture's pixel or, past the picture, the background; nothing else changes. (At fractional
    // ratios a logical edge falls inside a device pixel.) The widget lies at `at` (logical) in
    // what is painted, as a scrolled canvas does: its picture starts at the device pixel that
    // deviceOrigin names, and the pointer is measured from there.
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRect>("exposed");
    QTest::addColumn<QPoint>("at");
    for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.25}) {
        const QByteArray in = QByteArray::number(ratio);
        QTest::newRow("inside " + in) << ratio << QRect(3, 5, 17, 11) << QPoint(0, 0);
        QTest::newRow("over the picture's edge " + in)
            << ratio << QRect(21, 13, 20, 20) << QPoint(0, 0);
        QTest::newRow("past the picture " + in) << ratio << QRect(37, 1, 5, 7) << QPoint(0, 0);
        QTest::newRow("scrolled " + in) << ratio << QRect(3, 3, 30, 30) << QPoint(-3, -3);
        QTest::newRow("scrolled by one " + in) << ratio << QRect(1, 2, 30, 30) << QPoint(-1, -2);
        QTest::newRow("moved " + in) << ratio << QRect(0, 0, 30, 30) << QPoint(3, 1);
    }
}

void TestCanvas::repaintCoversEveryDevicePixel() {
    QFETCH(double, ratio);
    QFETCH(QRect, exposed);
    QFETCH(QPoint, at);
    QImage picture(45, 37, QImage::Format_RGB32);  // every pixel another colour
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb(x, y, 99));
        }
    }
    const QColor background(Qt::darkCyan);
    const QRgb untouched = qRgb(255, 0, 255);
    QImage device(80, 80, QImage::Format_RGB32);
    device.fill(untouched);
    device.setDevicePixelRatio(ratio);
    {
        QPainter painter(&device);
        painter.translate(at);
        paintImageOneToOne(painter, ratio, exposed, picture, background);
    }
    const QPointF origin = QPointF(at) * ratio;
    const QPoint start = deviceOrigin(origin);
    const QRectF touched(origin + QPointF(exposed.topLeft()) * ratio,
                         QSizeF(exposed.size()) * ratio);
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            const bool inside = touched.intersects(QRectF(x, y, 1, 1));
            const QPoint pixel = QPoint(x, y) - start;
            const QRgb expected = !inside                          ? untouched
                                  : picture.rect().contains(pixel) ? picture.pixel(pixel)
                                                                   : background.rgb();
            QVERIFY2(device.pixel(x, y) == expected,
                     qPrintable(QStringLiteral("device pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void TestCanvas::longWorkShowsAProgressWindowThatCancels() {
    // The real progress window: Escape on it, once it shows, asks the work to stop.
    QWidget window;
    window.show();
    QtPrompts prompts;
    prompts.setParentWindow(&window);
    WorkProgress progress;
    QString shown;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &window, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QProgressDialog*>(w);
            if (dialog != nullptr && dialog->isVisible() && shown.isEmpty()) {
                shown = dialog->labelText();
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        }
    });
    look.start(20);
    QTimer::singleShot(20000, &window, [&] { progress.abandon(); });  // never hang the test
    bool offTheUiThread = false;
    runOffUiThread(prompts, QStringLiteral("作業中"), progress, [&] {
        offTheUiThread = QThread::currentThread() != QCoreApplication::instance()->thread();
        while (!progress.abandoned()) {
            QThread::msleep(5);
        }
    });
    QVERIFY(offTheUiThread);
    QCOMPARE(shown, QStringLiteral("作業中"));
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
