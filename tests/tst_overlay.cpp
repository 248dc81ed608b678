#include "fakes/MouseInput.h"
#include "fakes/Session.h"
#include "overlay/ColorSwatches.h"

#include <QAction>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

QImage canvasOf(QColor colour, QSize size = QSize(640, 480)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The colour of swatch i of the strip (its middle pixel).
QColor swatch(const Form1& form, int i) {
    return form.P3->image().pixelColor(i * 19 + 9, 9);
}

}  // namespace

class TestOverlay : public QObject {
    Q_OBJECT

private slots:
    void lastSwatchIndex_data();
    void lastSwatchIndex();
    void rightClicksFillSwatchesNewestLeft();
    void firstAndRepeatedColours();
    void hiddenStripIgnoresColours();
    void lastSwatchDropsOut();
    void stripTogglesWindowHeight();
};

void TestOverlay::lastSwatchIndex_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("n");
    QTest::newRow("9690 twips") << 9690.0 << 33;
    QTest::newRow("half goes down to even") << 285.0 * 2.5 << 1;
    QTest::newRow("half goes up to even") << 285.0 * 3.5 << 3;
    QTest::newRow("exact") << 285.0 * 3 << 2;
    QTest::newRow("narrower than a swatch") << 100.0 << -1;
}

void TestOverlay::lastSwatchIndex() {
    QFETCH(double, width);
    QFETCH(int, n);
    QCOMPARE(kiramo::lastSwatchIndex(width, 285.0), n);
}

void TestOverlay::rightClicksFillSwatchesNewestLeft() {
    Session s;
    QImage picture = canvasOf(Qt::white);
    picture.setPixelColor(10, 10, Qt::red);
    picture.setPixelColor(20, 10, Qt::green);
    picture.setPixelColor(30, 10, Qt::blue);
    s.setCanvas(picture);
    s.form->menus.MPal->trigger();
    for (int x : {10, 20, 30}) {
        press(s.form->P1, QPoint(x, 10), Qt::RightButton);
    }
    QCOMPARE(swatch(*s.form, 0), QColor(Qt::blue));
    QCOMPARE(swatch(*s.form, 1), QColor(Qt::green));
    QCOMPARE(swatch(*s.form, 2), QColor(Qt::red));
    QCOMPARE(swatch(*s.form, 3), s.form->P3->background());
    // Every pixel of a swatch is filled, edges included.
    QCOMPARE(s.form->P3->image().pixelColor(19, 0), QColor(Qt::green));
    QCOMPARE(s.form->P3->image().pixelColor(37, 18), QColor(Qt::green));
}

void TestOverlay::firstAndRepeatedColours() {
    Session s;
    s.setCanvas(canvasOf(QColor(12, 34, 56)));
    s.form->menus.MPal->trigger();
    const QColor background = s.form->P3->background();
    press(s.form->P1, QPoint(5, 5), Qt::RightButton);
    QCOMPARE(swatch(*s.form, 0), QColor(12, 34, 56));
    QCOMPARE(swatch(*s.form, 1), background);
    press(s.form->P1, QPoint(5, 5), Qt::RightButton);
    QCOMPARE(swatch(*s.form, 1), QColor(12, 34, 56));
    QCOMPARE(swatch(*s.form, 2), background);
}

void TestOverlay::hiddenStripIgnoresColours() {
    Session s;
    s.setCanvas(canvasOf(Qt::red));
    s.form->menus.MPal->trigger();
    press(s.form->P1, QPoint(5, 5), Qt::RightButton);
    s.form->menus.MPal->trigger();  // hidden
    s.setCanvas(canvasOf(Qt::blue));
    press(s.form->P1, QPoint(5, 5), Qt::RightButton);
    s.form->menus.MPal->trigger();  // shown again, as it was
    QCOMPARE(swatch(*s.form, 0), QColor(Qt::red));
    QCOMPARE(swatch(*s.form, 1), s.form->P3->background());
}

void TestOverlay::lastSwatchDropsOut() {
    Session s;
    QImage picture = canvasOf(Qt::black, QSize(646, 100));  // 9690 twips: swatches 0..33
    for (int i = 0; i < 35; ++i) {
        picture.setPixel(i, 0, qRgb(i, 100, 200));
    }
    s.setCanvas(picture);
    s.form->menus.MPal->trigger();
    QCOMPARE(s.form->width(), 646);
    for (int i = 0; i < 35; ++i) {
        press(s.form->P1, QPoint(i, 0), Qt::RightButton);
    }
    QCOMPARE(swatch(*s.form, 0), QColor(34, 100, 200));
    QCOMPARE(swatch(*s.form, 33), QColor(1, 100, 200));  // the first colour has dropped out
}

void TestOverlay::stripTogglesWindowHeight() {
    Session s;
    s.setCanvas(canvasOf(Qt::gray));
    const int height = s.form->height();
    const QImage canvas = s.form->P1->image();
    s.form->menus.MPal->trigger();
    QCOMPARE(s.form->height(), height + 19);
    QVERIFY(s.form->P3->isVisible());
    s.form->menus.MPal->trigger();
    QCOMPARE(s.form->height(), height);
    QCOMPARE(s.form->P1->image(), canvas);
}

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
