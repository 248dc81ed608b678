// The View menu: zoom steps and fits, the mapping between the zoomed (mirrored) view and the
// picture, tones, and that a view never reaches the picture: selection, picks and Copy stay in
// image pixels. Positions given to the mouse are device pixels of the canvas.
#include "app/CanvasView.h"
#include "canvas/Workspace.h"
#include "core/ViewTone.h"
#include "core/ZoomMath.h"
#include "fakes/MouseInput.h"
#include "fakes/Pictures.h"
#include "fakes/Session.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace kiramo;
using namespace kiramo::testing;

class TestView : public QObject {
    Q_OBJECT

private slots:
    void zoomSteps_data();
    void zoomSteps();
    void fitZoom_data();
    void fitZoom();
    void percentText_data();
    void percentText();
    void imagePixelAt_data();
    void imagePixelAt();
    void viewRectRoundTrip_data();
    void viewRectRoundTrip();
    void scrollKeeping_data();
    void scrollKeeping();
    void tone_data();
    void tone();
    void viewLeavesThePicture_data();
    void viewLeavesThePicture();
    void cellLabelsOfTheLastDividedGrid();
    void wheelZoomsAboutThePointer_data();
    void wheelZoomsAboutThePointer();
};

void TestView::zoomSteps_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("100") << 1.0 << 1.5 << 2.0 / 3;
    QTest::newRow("least") << 0.125 << 0.25 << 0.125;
    QTest::newRow("most") << 32.0 << 32.0 << 16.0;
    QTest::newRow("a fit between 1/3 and 1/2") << 0.4 << 0.5 << 1.0 / 3;
    QTest::newRow("a third a hair off") << 0.33333333334 << 0.5 << 0.25;
    QTest::newRow("67") << 2.0 / 3 << 1.0 << 0.5;
    QTest::newRow("fit of 5") << 5.0 << 8.0 << 4.0;
}

void TestView::zoomSteps() {
    QFETCH(double, zoom);
    QFETCH(double, in);
    QFETCH(double, out);
    QCOMPARE(zoomInStep(zoom), in);
    QCOMPARE(zoomOutStep(zoom), out);
}

void TestView::fitZoom_data() {
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("room");
    QTest::addColumn<double>("zoom");
    QTest::newRow("4000x3000 on 1080p") << QSize(4000, 3000) << QSize(1900, 990) << 0.33;
    QTest::newRow("8000x6000, width bound") << QSize(8000, 6000) << QSize(1000, 990) << 0.125;
    QTest::newRow("wide") << QSize(3000, 500) << QSize(1500, 990) << 0.5;
    QTest::newRow("small: whole factor") << QSize(300, 200) << QSize(1900, 990) << 4.0;
    QTest::newRow("exactly twice") << QSize(300, 200) << QSize(600, 400) << 2.0;
    QTest::newRow("tiny: at most 32") << QSize(10, 10) << QSize(1900, 990) << 32.0;
    QTest::newRow("too large: at least 1/8") << QSize(100000, 10) << QSize(1000, 990) << 0.125;
    QTest::newRow("no picture") << QSize(0, 0) << QSize(1000, 990) << 1.0;
}

void TestView::fitZoom() {
    QFETCH(QSize, image);
    QFETCH(QSize, room);
    QFETCH(double, zoom);
    const double fit = kiramo::fitZoom(image, room);
    QVERIFY2(std::abs(fit - zoom) < 0.005, qPrintable(QString::number(fit)));
    // What fits does fit.
    if (zoom > 0.125 && zoom < 32) {
        const QSize shown = ZoomView{image, fit, false}.viewSize();
        QVERIFY(shown.width() <= room.width() && shown.height() <= room.height());
    }
}

void TestView::percentText_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<QString>("text");
    QTest::newRow("1/8") << 0.125 << "12.5 %";
    QTest::newRow("1/3") << 1.0 / 3 << "33 %";
    QTest::newRow("2/3") << 2.0 / 3 << "67 %";
    QTest::newRow("1") << 1.0 << "100 %";
    QTest::newRow("32") << 32.0 << "3200 %";
    QTest::newRow("a fit") << 0.16666 << "17 %";
}

void TestView::percentText() {
    QFETCH(double, zoom);
    QFETCH(QString, text);
    QCOMPARE(zoomPercentText(zoom), text);
}

void TestView::imagePixelAt_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<QPoint>("view");
    QTest::addColumn<QPoint>("pixel");
    // The picture is 10 x 10.
    QTest::newRow("1:1") << 1.0 << false << QPoint(7, 3) << QPoint(7, 3);
    QTest::newRow("1:1 left of the view") << 1.0 << false << QPoint(-3, 0) << QPoint(-3, 0);
    QTest::newRow("200 % block start") << 2.0 << false << QPoint(2, 4) << QPoint(1, 2);
    QTest::newRow("200 % block end") << 2.0 << false << QPoint(3, 5) << QPoint(1, 2);
    QTest::newRow("400 % last") << 4.0 << false << QPoint(39, 39) << QPoint(9, 9);
    QTest::newRow("150 % one, two") << 1.5 << false << QPoint(1, 2) << QPoint(1, 1);
    QTest::newRow("150 % third") << 1.5 << false << QPoint(3, 3) << QPoint(2, 2);
    QTest::newRow("33 %") << 1.0 / 3 << false << QPoint(3, 0) << QPoint(10, 1);
    QTest::newRow("mirrored 1:1") << 1.0 << true << QPoint(0, 0) << QPoint(9, 0);
    QTest::newRow("mirrored 400 % first") << 4.0 << true << QPoint(0, 1) << QPoint(9, 0);
    QTest::newRow("mirrored 400 % last") << 4.0 << true << QPoint(39, 4) << QPoint(0, 1);
}

void TestView::imagePixelAt() {
    QFETCH(double, zoom);
    QFETCH(bool, mirrored);
    QFETCH(QPoint, view);
    QFETCH(QPoint, pixel);
    const ZoomView v{QSize(10, 10), zoom, mirrored};
    QCOMPARE(v.imagePixelAt(view), pixel);
    // The pixel's block in the view holds the device pixel.
    const QRectF block = v.viewRectOf(QRectF(pixel, QSizeF(1, 1)));
    QVERIFY(block.contains(QPointF(view) + QPointF(0.5, 0.5)));
}

void TestView::viewRectRoundTrip_data() {
    QTest::addColumn<double>("zoom");
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<QRect>("image");
    QTest::addColumn<QRectF>("view");
    QTest::newRow("400 %") << 4.0 << false << QRect(2, 3, 4, 5) << QRectF(8, 12, 16, 20);
    QTest::newRow("mirrored 200 %") << 2.0 << true << QRect(0, 0, 3, 1) << QRectF(14, 0, 6, 2);
    QTest::newRow("50 %") << 0.5 << false << QRect(2, 2, 4, 4) << QRectF(1, 1, 2, 2);
}

void TestView::viewRectRoundTrip() {
    QFETCH(double, zoom);
    QFETCH(bool, mirrored);
    QFETCH(QRect, image);
    QFETCH(QRectF, view);
    const ZoomView v{QSize(10, 10), zoom, mirrored};
    QCOMPARE(v.viewRectOf(QRectF(image)), view);
    QCOMPARE(v.imageRectShownIn(view.toAlignedRect()), image);
}

void TestView::scrollKeeping_data() {
    QTest::addColumn<QPointF>("image");
    QTest::addColumn<QPointF>("pointer");
    QTest::addColumn<QPoint>("scroll");
    // 1000 x 1000 at 400 % in a 400 x 300 viewport: at most 3600 x 3700.
    QTest::newRow("kept") << QPointF(100, 100) << QPointF(50, 60) << QPoint(350, 340);
    QTest::newRow("near the origin") << QPointF(5, 5) << QPointF(50, 60) << QPoint(0, 0);
    QTest::newRow("near the end") << QPointF(999, 999) << QPointF(10, 10) << QPoint(3600, 3700);
}

void TestView::scrollKeeping() {
    QFETCH(QPointF, image);
    QFETCH(QPointF, pointer);
    QFETCH(QPoint, scroll);
    QCOMPARE(kiramo::scrollKeeping(ZoomView{QSize(1000, 1000), 4.0, false}, image, pointer,
                                   QSize(400, 300)),
             scroll);
}

void TestView::tone_data() {
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("tone");
    QTest::addColumn<int>("grey");
    const int grey = int(ViewTone::Greyscale);
    const int three = int(ViewTone::Values3);
    const int five = int(ViewTone::Values5);
    QTest::newRow("red grey") << qRgb(255, 0, 0) << grey << 76;
    QTest::newRow("green grey") << qRgb(0, 255, 0) << grey << 150;
    QTest::newRow("3: black") << qRgb(0, 0, 0) << three << 0;
    QTest::newRow("3: last dark") << qRgb(85, 85, 85) << three << 0;
    QTest::newRow("3: first middle") << qRgb(86, 86, 86) << three << 127;
    QTest::newRow("3: last middle") << qRgb(170, 170, 170) << three << 127;
    QTest::newRow("3: first light") << qRgb(171, 171, 171) << three << 255;
    QTest::newRow("5: white") << qRgb(255, 255, 255) << five << 255;
    QTest::newRow("5: 128") << qRgb(128, 128, 128) << five << 127;
    QTest::newRow("5: 200") << qRgb(200, 200, 200) << five << 191;
    QTest::newRow("5: blue") << qRgb(0, 0, 255) << five << 0;
}

void TestView::tone() {
    QFETCH(QRgb, colour);
    QFETCH(int, tone);
    QFETCH(int, grey);
    QCOMPARE(toneOf(colour, ViewTone(tone)), qRgb(grey, grey, grey));
    QImage one(2, 1, QImage::Format_RGB32);
    one.fill(colour);
    one.setPixel(1, 0, qRgb(255, 255, 255));
    const QImage shown = toneImage(one, ViewTone(tone), true);
    QCOMPARE(shown.pixel(1, 0), qRgb(grey, grey, grey));
}

void TestView::viewLeavesThePicture_data() {
    QTest::addColumn<int>("zoomIns");  // steps above 100 %
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<QRect>("selected");  // image pixels for a drag of 200 x 100 device pixels
    // The drag starts on device pixel (40, 20) of the canvas, in a 300 x 200 picture.
    QTest::newRow("100 %") << 0 << false << QRect(40, 20, 200, 100);
    QTest::newRow("200 %") << 2 << false << QRect(20, 10, 100, 50);
    QTest::newRow("400 %") << 4 << false << QRect(10, 5, 50, 25);
    QTest::newRow("mirrored 100 %") << 0 << true << QRect(60, 20, 200, 100);
    QTest::newRow("mirrored 200 %") << 2 << true << QRect(180, 10, 100, 50);
}

void TestView::viewLeavesThePicture() {
    QFETCH(int, zoomIns);
    QFETCH(bool, mirrored);
    QFETCH(QRect, selected);
    Session s;
    const QImage picture = patternImage(QSize(300, 200));
    s.setCanvas(picture);
    s.form->toggleColorTable();
    CanvasView& view = s.form->canvasView();
    for (int i = 0; i < zoomIns; ++i) {
        view.zoomIn();
    }
    if (mirrored) {
        view.toggleMirror();
    }
    view.toggleTone(ViewTone::Values3);
    Surface* P1 = s.ws().P1;
    const double zoom = view.zoom();
    QCOMPARE(P1->view().viewSize(), QSize(qRound(300 * zoom), qRound(200 * zoom)));

    press(P1, QPoint(40, 20));
    dragTo(P1, QPoint(240, 120));
    release(P1, QPoint(240, 120));
    QCOMPARE(s.ws().L1->text(),
             QStringLiteral("%1 x %2").arg(selected.width()).arg(selected.height()));
    QCOMPARE(s.ws().selectionPixels(), selected);
    QCOMPARE(s.ws().selectedImage(), picture.copy(selected));
    // The label lies over what it selected.
    const double shownLeft = P1->view().viewRectOf(QRectF(selected)).x() / P1->devicePixelRatioF();
    QVERIFY(std::abs(s.ws().L1->x() - shownLeft) <= 1);

    // A pick takes the picture's own colour under the pointer.
    s.ws().hideSelection();
    press(P1, QPoint(41, 21), Qt::RightButton);
    const QPoint under = P1->view().imagePixelAt(QPoint(41, 21));
    QCOMPARE(s.form->P3()->image().pixel(0, 0), picture.pixel(under));
    QCOMPARE(s.ws().picture(), picture);
}

void TestView::cellLabelsOfTheLastDividedGrid() {
    Session s;
    s.setCanvas(patternImage(QSize(300, 200)));
    CanvasView& view = s.form->canvasView();
    view.toggleCellLabels();
    const QImage before = s.ws().P1->grab().toImage();
    // An equal-parts grid of three columns, then the eighths: the labels stay the first's.
    const QRectF whole = s.ws().pictureTwips();
    s.ws().recordGrid(equalPartsGrid(whole, equalPartsStep(whole.width(), 3)),
                      GridSpacing{GridSpacing::Kind::EqualParts, 3});
    s.ws().recordGrid(divisionGrid(whole, 8), GridSpacing{});
    const QImage labelled = s.ws().P1->grab().toImage();
    QVERIFY(labelled != before);
    QCOMPARE(s.ws().picture(), patternImage(QSize(300, 200)));
    view.toggleCellLabels();
    QCOMPARE(s.ws().P1->grab().toImage(), before);
}

void TestView::wheelZoomsAboutThePointer_data() {
    QTest::addColumn<int>("delta");  // one notch towards (away from) the user zooms out (in)
    QTest::addColumn<double>("zoom");
    QTest::newRow("in") << 120 << 1.5;
    QTest::newRow("out") << -120 << 2.0 / 3;
}

void TestView::wheelZoomsAboutThePointer() {
    QFETCH(int, delta);
    QFETCH(double, zoom);
    Session s;
    // Larger than the screen at either zoom, so that the view scrolls and the window keeps its
    // size.
    const QSize size =
        s.form->screen()->availableGeometry().size() * s.form->devicePixelRatioF() * 3;
    s.setCanvas(patternImage(size));
    CanvasView& view = s.form->canvasView();
    view.actualSize();
    auto* scroll = s.form->findChild<QScrollArea*>();
    // Away from the edges, where a zoom about the pointer would scroll past them.
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum() / 2);
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum() / 2);
    QWidget* port = scroll->viewport();
    const QPointF pointer(port->width() / 3, port->height() / 3);
    const auto under = [&] {
        const QPointF inCanvas = s.ws().P1->mapFrom(port, pointer);
        return s.ws().P1->view().imagePixelAt(
            (inCanvas * s.ws().P1->devicePixelRatioF()).toPoint());
    };
    const QPoint before = under();
    QWheelEvent wheel(pointer, port->mapToGlobal(pointer), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(port, &wheel);
    QCOMPARE(view.zoom(), zoom);
    // The same picture pixel under the pointer, give or take the rounding of a scroll value.
    const QPoint after = under();
    QVERIFY2((after - before).manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2 -> %3,%4")
                                                                     .arg(before.x())
                                                                     .arg(before.y())
                                                                     .arg(after.x())
                                                                     .arg(after.y())));
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
