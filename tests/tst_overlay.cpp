#include "canvas/SizeLabel.h"
#include "core/GridGeometry.h"
#include "fakes/MouseInput.h"
#include "fakes/Session.h"
#include "overlay/ColorSwatches.h"
#include "overlay/GridCommands.h"
#include "overlay/GridDrawing.h"
#include "overlay/GridStyleDialog.h"
#include "overlay/GridStyleSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <limits>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

QImage canvasOf(QColor colour, QSize size = QSize(640, 480)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The colour of swatch i of the strip (its middle pixel). Swatches are 285 twips square.
QColor swatch(const Form1& form, int i) {
    const TwipScale m = form.workspace().scale();
    return form.P3()->image().pixelColor(qFloor(m.toPixelsX(i * 285 + 142)),
                                         qFloor(m.toPixelsY(142)));
}

// The strip's height in logical pixels: 285 twips, 19 logical pixels at 96 DPI.
constexpr int kStripLogical = 19;

// Pixels of the image that are grid grey.
int greyPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == kGridGrey;
        }
    }
    return count;
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

    void equalPartsAnswers_data();
    void equalPartsAnswers();
    void equalPartsOnTheStartCanvas();
    void divisionGridFrameOnlyBelowTheTop();
    void centimetreGrid_data();
    void centimetreGrid();
    void centimetreGridOnAClick();
    void centimetreGridOnTheCanvas_data();
    void centimetreGridOnTheCanvas();
    void centimetreGridRefusals_data();
    void centimetreGridRefusals();
    void gridClear();

    void styledLineWidths_data();
    void styledLineWidths();
    void translucentCrossingTintedOnce();
    void styleFromTheSettingsFile();
    void gridStyleCommand_data();
    void gridStyleCommand();
    void unwritableGridStyle();
    void realGridStyleDialog();
    void colourValues();
    void exportPalette_data();
    void exportPalette();
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
    s.form->menus().MPal->trigger();
    for (int x : {10, 20, 30}) {
        press(s.ws().P1, QPoint(x, 10), Qt::RightButton);
    }
    QCOMPARE(swatch(*s.form, 0), QColor(Qt::blue));
    QCOMPARE(swatch(*s.form, 1), QColor(Qt::green));
    QCOMPARE(swatch(*s.form, 2), QColor(Qt::red));
    QCOMPARE(swatch(*s.form, 3), s.form->P3()->background());
    // Every pixel of a swatch is filled, edges included, in every row of the strip.
    const TwipScale m = s.ws().scale();
    const QImage& strip = s.form->P3()->image();
    QCOMPARE(strip.height(), qCeil(kStripLogical * s.form->devicePixelRatioF()));
    for (int x : {qFloor(m.toPixelsX(285)), qFloor(m.toPixelsX(570)) - 1}) {
        for (int y = 0; y < strip.height(); ++y) {
            QCOMPARE(strip.pixelColor(x, y), QColor(Qt::green));
        }
    }
}

void TestOverlay::firstAndRepeatedColours() {
    Session s;
    s.setCanvas(canvasOf(QColor(12, 34, 56)));
    s.form->menus().MPal->trigger();
    const QColor background = s.form->P3()->background();
    press(s.ws().P1, QPoint(5, 5), Qt::RightButton);
    QCOMPARE(swatch(*s.form, 0), QColor(12, 34, 56));
    QCOMPARE(swatch(*s.form, 1), background);
    press(s.ws().P1, QPoint(5, 5), Qt::RightButton);
    QCOMPARE(swatch(*s.form, 1), QColor(12, 34, 56));
    QCOMPARE(swatch(*s.form, 2), background);
}

void TestOverlay::hiddenStripIgnoresColours() {
    Session s;
    s.setCanvas(canvasOf(Qt::red));
    s.form->menus().MPal->trigger();
    press(s.ws().P1, QPoint(5, 5), Qt::RightButton);
    s.form->menus().MPal->trigger();  // hidden
    s.setCanvas(canvasOf(Qt::blue));
    press(s.ws().P1, QPoint(5, 5), Qt::RightButton);
    s.form->menus().MPal->trigger();  // shown again, as it was
    QCOMPARE(swatch(*s.form, 0), QColor(Qt::red));
    QCOMPARE(swatch(*s.form, 1), s.form->P3()->background());
}

void TestOverlay::lastSwatchDropsOut() {
    Session s;
    // 646 logical pixels, 9690 twips: swatches 0..33.
    QImage picture = canvasOf(Qt::black, QSize(qFloor(646 * s.form->devicePixelRatioF()), 100));
    for (int i = 0; i < 35; ++i) {
        picture.setPixel(i, 0, qRgb(i, 100, 200));
    }
    s.setCanvas(picture);
    s.form->menus().MPal->trigger();
    QCOMPARE(s.form->width(), 646);
    for (int i = 0; i < 35; ++i) {
        press(s.ws().P1, QPoint(i, 0), Qt::RightButton);
    }
    QCOMPARE(swatch(*s.form, 0), QColor(34, 100, 200));
    QCOMPARE(swatch(*s.form, 33), QColor(1, 100, 200));  // the first colour has dropped out
}

void TestOverlay::stripTogglesWindowHeight() {
    Session s;
    s.setCanvas(canvasOf(Qt::gray));
    const int height = s.form->height();
    const QImage canvas = s.ws().P1->image();
    s.form->menus().MPal->trigger();
    // 285 twips high, within a device pixel.
    const TwipScale m = s.ws().scale();
    const double ratio = s.form->devicePixelRatioF();
    QVERIFY2(qAbs(m.toTwipsY(s.form->P3()->height() * ratio) - 285) < m.y,
             qPrintable(QString::number(m.toTwipsY(s.form->P3()->height() * ratio))));
    QCOMPARE(s.form->height(), height + s.form->P3()->height());
    QVERIFY(s.form->P3()->isVisible());
    s.form->menus().MPal->trigger();
    QCOMPARE(s.form->height(), height);
    QCOMPARE(s.ws().P1->image(), canvas);
}

void TestOverlay::equalPartsAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("n");  // the N taken; 0: nothing drawn
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("101") << "101" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("-5") << "-5" << 0;
    QTest::newRow("12cm") << "12cm" << 12;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("100") << "100" << 100;
}

void TestOverlay::equalPartsAnswers() {
    QFETCH(QString, answer);
    QFETCH(int, n);
    Session s;
    // The vertical lines inside the image: every step = floor(W / N) twips from the left edge
    // up to W, on pixel floor(x / twips per pixel). At 15 twips a pixel W is 9600 twips and a
    // line falls on the right edge, pixel 640, beyond the image: N columns. At other scales
    // the whole-twip step leaves a rest, and there can be more.
    const double tpp = s.ws().scale().x;
    const double width = 640 * tpp;
    const double step = n > 0 ? std::floor(width / n) : 0.0;
    int columns = 0;
    for (int k = 0; n > 0 && k * step <= width; ++k) {
        columns += std::floor(k * step / tpp) < 640;
    }
    QVERIFY(tpp != 15.0 || columns == n);
    s.setCanvas(canvasOf(Qt::white, QSize(640, 480)));
    press(s.ws().P1, QPoint(0, 10));  // a selection 640 x 400 pixels, at the left edge
    dragTo(s.ws().P1, QPoint(640, 410));
    s.fake.prompts.textAnswers.enqueue(answer);
    s.form->menus().MGridT->trigger();
    QCOMPARE(s.fake.prompts.calls.size(), 1);
    QCOMPARE(s.fake.prompts.calls.first(),
             "text: \r\n選択部分左右幅を基準に\r\n何等分のグリッドを描きますか？\r\n | "
             "等分グリッドの指定 | 10");
    // A column is a vertical line when it is grey all the way down the selection.
    const QImage& image = s.ws().P1->image();
    int lines = 0;
    for (int x = 0; x < image.width(); ++x) {
        bool grey = true;
        for (int y = 10; y <= 409 && grey; ++y) {
            grey = image.pixelColor(x, y) == kGridGrey;
        }
        lines += grey;
    }
    QCOMPARE(lines, columns);
    QCOMPARE(s.ws().hasSelection(), columns == 0);
}

void TestOverlay::equalPartsOnTheStartCanvas() {
    Session s;  // 2475 x 2055 twips: 165 x 137 pixels at 15 twips a pixel
    const QImage before = s.ws().P1->image().copy();
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("10"));
    s.form->menus().MGridT->trigger();
    QVERIFY(s.fake.prompts.calls.first().startsWith("text: \r\n画像左右幅を基準に"));
    const QImage& image = s.ws().P1->image();
    QList<int> columns;
    QList<int> rows;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, 3) == kGridGrey && image.pixelColor(x, 100) == kGridGrey) {
            columns.append(x);
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(3, y) == kGridGrey && image.pixelColor(100, y) == kGridGrey) {
            rows.append(y);
        }
    }
    // Every floor(W / 10) twips, from 0 to the canvas's width and height in twips, on pixel
    // floor(twips / twips per pixel): at 15 twips a pixel 0, 247, ..., 2470 across and 0, 247,
    // ..., 1976 down.
    const TwipScale m = s.ws().scale();
    const double step = std::floor(m.toTwipsX(image.width()) / 10);
    auto lines = [step](double extent, double twipsPerPixel) {
        QList<int> at;
        for (double x = 0; x <= extent; x += step) {
            at.append(qFloor(x / twipsPerPixel));
        }
        return at;
    };
    QCOMPARE(columns, lines(m.toTwipsX(image.width()), m.x));
    QCOMPARE(rows, lines(m.toTwipsY(image.height()), m.y));
    if (m.x == 15.0) {
        QCOMPARE(columns, (QList<int>{0, 16, 32, 49, 65, 82, 98, 115, 131, 148, 164}));
        QCOMPARE(rows, (QList<int>{0, 16, 32, 49, 65, 82, 98, 115, 131}));
    }
    s.form->menus().MGridClear->trigger();
    QCOMPARE(s.ws().P1->image(), before);
}

void TestOverlay::divisionGridFrameOnlyBelowTheTop() {
    Session s;
    s.setCanvas(canvasOf(Qt::white, QSize(320, 320)));
    s.form->menus().MGrid8->trigger();  // whole canvas: no frame, the top row has one dot only
    QImage image = s.ws().P1->image();
    QCOMPARE(image.pixelColor(0, 0), kGridGrey);
    QCOMPARE(image.pixelColor(160, 1), QColor(Qt::white));
    // The division line at x = 40 is dotted: about every other pixel down the column is grey.
    auto greyInColumn = [&](int x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            n += image.pixelColor(x, y) == kGridGrey;
        }
        return n;
    };
    QVERIFY2(greyInColumn(40) > 80 && greyInColumn(40) < 240,
             qPrintable(QString::number(greyInColumn(40))));
    QVERIFY(greyInColumn(41) < 20);
    QVERIFY(s.fake.prompts.calls.isEmpty());

    s.form->menus().MGridClear->trigger();
    press(s.ws().P1, QPoint(80, 80));
    dragTo(s.ws().P1, QPoint(240, 240));
    s.form->menus().MGrid8->trigger();
    image = s.ws().P1->image();
    QVERIFY(!s.ws().hasSelection());
    QCOMPARE(image.pixelColor(80, 80), kGridGrey);  // top-left corner of the frame
    auto greyInRow = [&](int y) {
        int n = 0;
        for (int x = 82; x < 239; ++x) {  // between the diagonals' ends
            n += image.pixelColor(x, y) == kGridGrey;
        }
        return n;
    };
    QVERIFY(greyInRow(80) > 30 && greyInRow(80) < 120);  // the frame's top edge, dotted
    QCOMPARE(greyInRow(79), 0);
    QCOMPARE(image.pixelColor(50, 50), QColor(Qt::white));  // nothing outside the selection
}

void TestOverlay::centimetreGrid_data() {
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QSize>("selection");  // pixels, from (0, 10)
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<int>("stepPixels");
    QTest::newRow("landscape") << QByteArray("@ F 30x20") << QSize(400, 200) << "F [ 30x20 ] 横位置"
                               << 400 * 5 / 30;
    QTest::newRow("square is portrait")
        << QByteArray("@ F 30x20") << QSize(200, 200) << "F [ 30x20 ] 縦位置" << 200 * 5 / 20;
    QTest::newRow("short side first, landscape")
        << QByteArray("@ A4 21x29.7") << QSize(420, 210) << "A4 [ 21x29.7 ] 横位置" << 100;
}

void TestOverlay::centimetreGrid() {
    QFETCH(QByteArray, mode);
    QFETCH(QSize, selection);
    QFETCH(QString, firstLine);
    QFETCH(int, stepPixels);
    Session s(mode);
    s.setCanvas(canvasOf(Qt::white));
    s.form->selectMode(1);
    press(s.ws().P1, QPoint(0, 10));
    dragTo(s.ws().P1, QPoint(selection.width(), 10 + selection.height()), Qt::NoModifier);
    const LabelRect r = s.ws().L1->rect();
    const TwipScale m = s.ws().scale();  // the mode's ratio aside:
    s.ws().L1->setRect(
        LabelRect{r.left, r.top, m.toTwipsX(selection.width()), m.toTwipsY(selection.height())});
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("5"));
    s.form->menus().MGridCM->trigger();
    QCOMPARE(s.fake.prompts.calls.first().section(" | ", 0, 0),
             "text: " + firstLine + "\r\n画像左上を基点に\r\n何cmのグリッドを描きますか？\r\n");
    QVERIFY(s.fake.prompts.calls.first().endsWith(" | グリッド寸法の指定 | 5"));
    const QImage& image = s.ws().P1->image();
    QCOMPARE(image.pixelColor(stepPixels, 100), kGridGrey);
    QCOMPARE(image.pixelColor(stepPixels - 1, 100), QColor(Qt::white));
    QCOMPARE(image.pixelColor(0, 100), kGridGrey);  // the frame's left edge
    QCOMPARE(image.pixelColor(50, 10), kGridGrey);  // and its top edge
    QVERIFY(!s.ws().hasSelection());
}

void TestOverlay::centimetreGridOnAClick() {
    // A selection of 1 x 1 twip, as a press leaves before it is stretched (a click leaves
    // none); with A4 and 5 cm its lines are 5/21 twip apart. Lines and frame all fall on the
    // pressed pixel.
    Session s("@ A4 29.7x21\r\n");
    s.setCanvas(canvasOf(Qt::white));
    s.form->selectMode(1);
    press(s.ws().P1, QPoint(30, 40));
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("5"));
    s.form->menus().MGridCM->trigger();
    QVERIFY(s.fake.prompts.calls.first().startsWith("text: A4 [ 29.7x21 ] 縦位置"));
    QCOMPARE(s.ws().P1->image().pixelColor(30, 40), kGridGrey);
    QCOMPARE(greyPixels(s.ws().P1->image()), 1);
    QVERIFY(!s.ws().hasSelection());
}

void TestOverlay::centimetreGridOnTheCanvas_data() {
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QString>("position");
    QTest::newRow("lying") << QSize(297, 150) << "横位置";
    QTest::newRow("upright") << QSize(210, 300) << "縦位置";
}

void TestOverlay::centimetreGridOnTheCanvas() {
    // No selection: the whole canvas is the paper, lying or upright by its own shape; 5 cm
    // of A4 is a fifth of the canvas' width (21 or 29.7 cm across it).
    QFETCH(QSize, canvas);
    QFETCH(QString, position);
    Session s("@ A4 29.7x21\r\n");
    QImage white(canvas, QImage::Format_RGB32);
    white.fill(Qt::white);
    s.setCanvas(white);
    s.form->selectMode(1);
    emit s.form->menus().MEdit->aboutToShow();
    QVERIFY(Form1Menus::isCommandEnabled(s.form->menus().MGridCM));
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("5"));
    s.form->menus().MGridCM->trigger();
    QVERIFY2(s.fake.prompts.calls.first().startsWith("text: A4 [ 29.7x21 ] " + position),
             qPrintable(s.fake.prompts.calls.first()));
    const QImage& image = s.ws().P1->image();
    const double across = canvas.width() > canvas.height() ? 29.7 : 21.0;
    const int step = qRound(canvas.width() * 5.0 / across);
    QCOMPARE(image.pixelColor(0, canvas.height() / 2), kGridGrey);
    QCOMPARE(image.pixelColor(step, canvas.height() / 2), kGridGrey);
    QCOMPARE(image.pixelColor(step / 2, canvas.height() / 2 + 1), QColor(Qt::white));
}

void TestOverlay::centimetreGridRefusals_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("FreeSize, no selection")
        << 0 << false << QStringList{"beep", "message: FreeSizeは寸法(cm)指定ができません"};
    QTest::newRow("FreeSize") << 0 << true
                              << QStringList{"beep", "message: FreeSizeは寸法(cm)指定ができません"};
    QTest::newRow("mode without size")
        << 2 << true << QStringList{"beep", "message: Zeroは寸法が0のため寸法(cm)指定ができません"};
}

void TestOverlay::centimetreGridRefusals() {
    QFETCH(int, mode);
    QFETCH(bool, select);
    QFETCH(QStringList, calls);
    Session s("@ A4 29.7x21\r\n@ Zero 0x0\r\n");
    s.setCanvas(canvasOf(Qt::white));
    s.form->selectMode(mode);
    if (select) {
        press(s.ws().P1, QPoint(10, 10));
        dragTo(s.ws().P1, QPoint(200, 100));
    }
    const QImage before = s.ws().P1->image();
    s.form->menus().MGridCM->trigger();
    QCOMPARE(s.fake.prompts.calls, calls);
    QCOMPARE(s.ws().P1->image(), before);
    QCOMPARE(s.ws().hasSelection(), select);
}

void TestOverlay::gridClear() {
    Session s;
    s.setCanvas(canvasOf(Qt::white));
    const QImage clean = s.ws().P1->image().copy();
    s.form->menus().MGrid8->trigger();
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("7"));
    s.form->menus().MGridT->trigger();
    QVERIFY(greyPixels(s.ws().P1->image()) > 0);
    s.form->menus().MGridClear->trigger();  // both grids go
    QCOMPARE(s.ws().P1->image(), clean);

    s.form->menus().MGrid8->trigger();
    const QImage withGrid = s.ws().P1->image().copy();
    s.form->menus().MPal->trigger();  // commits: the grid stays from now on
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("3"));
    s.form->menus().MGridT->trigger();
    s.form->menus().MGridClear->trigger();
    QCOMPARE(s.ws().P1->image(), withGrid);
    QCOMPARE(s.form->innerSize(),
             coveringSize(QSize(640, 480), s.form->devicePixelRatioF()) + QSize(0, kStripLogical));
}

void TestOverlay::styledLineWidths_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("first");  // the first column (row) covered by a line at 20
    QTest::newRow("1") << 1 << 20;
    QTest::newRow("2") << 2 << 20;
    QTest::newRow("3") << 3 << 19;
    QTest::newRow("4") << 4 << 19;
    QTest::newRow("5") << 5 << 18;
}

void TestOverlay::styledLineWidths() {
    // A framed grid from pixel (20, 20) to (40, 40) with one solid line across at row 30: each
    // line covers exactly `width` columns (rows) from `first`, the frame closes at its corners.
    QFETCH(int, width);
    QFETCH(int, first);
    QImage image = canvasOf(Qt::white, QSize(64, 64));
    Grid grid;
    grid.lines.append(QLineF(20 * 15.0, 30 * 15.0, 40 * 15.0, 30 * 15.0));
    grid.frame = QRectF(20 * 15.0, 20 * 15.0, 20 * 15.0, 20 * 15.0);
    const GridStyle style{QColor(255, 0, 0), width, 100};
    drawGrid(image, grid, TwipScale{}, style);
    const QColor red(255, 0, 0);
    auto covered = [&](auto at) {
        QList<int> hits;
        for (int i = 0; i < 64; ++i) {
            if (at(i) == red) {
                hits.append(i);
            }
        }
        return hits;
    };
    QList<int> expected;
    for (int i = first; i < first + width; ++i) {
        expected.append(i);
    }
    // Across the left edge, between its ends; down through the middle line, away from the edges.
    QCOMPARE(covered([&](int x) { return x < 30 ? image.pixelColor(x, 25) : QColor(); }), expected);
    QList<int> middle;
    for (int i = 0; i < width; ++i) {
        middle.append(30 + first - 20 + i);
    }
    QCOMPARE(covered([&](int y) { return y > 24 && y < 36 ? image.pixelColor(25, y) : QColor(); }),
             middle);
    // The outer corner pixel of the frame is covered: no notch.
    QCOMPARE(image.pixelColor(first, first), red);
    QCOMPARE(image.pixelColor(first - 1, first - 1), QColor(Qt::white));

    // A line of one pixel (a grid on a click) becomes a square.
    QImage dot = canvasOf(Qt::white, QSize(16, 16));
    Grid point;
    point.lines.append(QLineF(8 * 15.0, 8 * 15.0, 8 * 15.0, 8 * 15.0));
    drawGrid(dot, point, TwipScale{}, style);
    int reds = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            reds += dot.pixelColor(x, y) == red;
        }
    }
    QCOMPARE(reds, width * width);
    QCOMPARE(dot.pixelColor(8 - (width - 1) / 2, 8 + width / 2), red);
}

void TestOverlay::translucentCrossingTintedOnce() {
    // Half-opaque lines over white: a crossing is the same pink as a line alone, not darker.
    QImage image = canvasOf(Qt::white, QSize(40, 40));
    Grid grid;
    grid.lines = {QLineF(0, 10 * 15.0, 39 * 15.0, 10 * 15.0),
                  QLineF(10 * 15.0, 0, 10 * 15.0, 39 * 15.0)};
    drawGrid(image, grid, TwipScale{}, GridStyle{QColor(255, 0, 0), 3, 50});
    const QColor pink(255, 127, 127);
    QCOMPARE(image.pixelColor(30, 10), pink);
    QCOMPARE(image.pixelColor(10, 30), pink);
    QCOMPARE(image.pixelColor(10, 10), pink);
    QCOMPARE(image.pixelColor(9, 11), pink);
    QCOMPARE(image.pixelColor(30, 12), QColor(Qt::white));
}

void TestOverlay::styleFromTheSettingsFile() {
    // kiramo.conf red and 3 pixels wide: the 1/8 grid's division lines are 3 red columns in
    // the copied picture; once the file is gone the next grid is the one-pixel grey again.
    Session s;
    const QString conf = s.ws().folders().userSettingsFile();
    QFile file(conf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Grid]\ncolor=#FF0000\nwidth=3\n");
    file.close();
    s.setCanvas(canvasOf(Qt::white, QSize(320, 320)));
    s.form->menus().MGrid8->trigger();
    s.form->menus().MCopy->trigger();
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(copied.size(), QSize(320, 320));
    const QColor red(255, 0, 0);
    int dots = 0;
    for (int y = 2; y < 100; ++y) {
        if (y > 30 && y < 50) {
            continue;  // where the diagonal and the line across cross it
        }
        if (copied.pixelColor(40, y) == red) {
            ++dots;
            QCOMPARE(copied.pixelColor(39, y), red);
            QCOMPARE(copied.pixelColor(41, y), red);
            QCOMPARE(copied.pixelColor(38, y), QColor(Qt::white));
            QCOMPARE(copied.pixelColor(42, y), QColor(Qt::white));
        }
    }
    QVERIFY2(dots > 15 && dots < 40, qPrintable(QString::number(dots)));  // 3 on, 6 off
    QCOMPARE(s.ws().drawnGrids().last().style, (GridStyle{red, 3, 100}));

    QVERIFY(QFile::remove(conf));
    s.form->menus().MGridClear->trigger();
    s.form->menus().MGrid8->trigger();
    QCOMPARE(s.ws().P1->image().pixelColor(0, 0), kGridGrey);
    QCOMPARE(s.ws().drawnGrids().last().style, GridStyle{});
}

namespace {

// Answers "Grid Style..." with a queued style (nothing: cancelled) and records what it was shown.
struct ScriptedStyle final : GridStylePrompt {
    std::optional<GridStyle> answer;
    QList<GridStyle> shown;
    std::optional<GridStyle> askGridStyle(const GridStyle& current) override {
        shown.append(current);
        return answer;
    }
};

}  // namespace

void TestOverlay::gridStyleCommand_data() {
    QTest::addColumn<bool>("answered");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestOverlay::gridStyleCommand() {
    // The dialog starts from the style kept; an answer is kept beside the file's other settings
    // and the next grid is drawn in it; a cancel leaves the file alone.
    QFETCH(bool, answered);
    Session s;
    const QString conf = s.ws().folders().userSettingsFile();
    {
        QFile file(conf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Grid]\ncolor=#00FF00\nwidth=9\n[Recent]\nfile1=/tmp/a.bmp\n");
    }
    const GridStyle blue{QColor(0, 0, 255), 2, 60};
    ScriptedStyle prompt;
    if (answered) {
        prompt.answer = blue;
    }
    kiramo::gridStyleCommand(s.ws(), prompt);
    const GridStyle green{QColor(0, 255, 0), 1, 100};  // its bad width reads as 1
    QCOMPARE(prompt.shown, QList<GridStyle>{green});
    const QSettings kept(conf, QSettings::IniFormat);
    QCOMPARE(kept.value("Recent/file1").toString(), QStringLiteral("/tmp/a.bmp"));
    QCOMPARE(kept.value("Grid/width").toString(), answered ? QStringLiteral("2") : "9");
    QCOMPARE(readGridStyle(conf), answered ? blue : green);

    s.setCanvas(canvasOf(Qt::white, QSize(160, 160)));
    s.form->menus().MGrid8->trigger();
    QCOMPARE(s.ws().drawnGrids().last().style, readGridStyle(conf));
    QVERIFY(s.fake.prompts.calls.isEmpty());
}

void TestOverlay::unwritableGridStyle() {
    // kiramo.conf cannot be written (a folder has its name): the user is told, nothing changes.
    Session s;
    const QString conf = s.ws().folders().userSettingsFile();
    QVERIFY(QDir().mkpath(conf));
    ScriptedStyle prompt;
    prompt.answer = GridStyle{QColor(0, 0, 255), 2, 60};
    kiramo::gridStyleCommand(s.ws(), prompt);
    QCOMPARE(s.fake.prompts.calls,
             (QStringList{"beep", "message: グリッドの表示形式を " +
                                      QDir::toNativeSeparators(conf) + " に保存できません"}));
    QCOMPARE(readGridStyle(conf), GridStyle{});
}

void TestOverlay::realGridStyleDialog() {
    // The real dialog shows the style it is given and answers what its controls say.
    GridStyleDialog dialog;
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(shown != nullptr);
        auto* width = shown->findChild<QSpinBox*>(QStringLiteral("width"));
        QCOMPARE(width->value(), 3);
        QCOMPARE(shown->findChild<QSpinBox*>(QStringLiteral("opacity"))->value(), 40);
        QCOMPARE(shown->findChild<QPushButton*>(QStringLiteral("colour"))->text(),
                 QStringLiteral("#FF0000"));
        width->setValue(5);
        shown->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const std::optional<GridStyle> answer = dialog.askGridStyle({QColor(255, 0, 0), 3, 40});
    QCOMPARE(answer, std::optional<GridStyle>(GridStyle{QColor(255, 0, 0), 5, 40}));
}

namespace {

QAction* menuItem(const Form1& form, const char* name) {
    return form.findChild<QAction*>(QLatin1String(name));
}

}  // namespace

void TestOverlay::colourValues() {
    Session s;
    s.setCanvas(canvasOf(Qt::white));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    menuItem(*s.form, "MCopyColours")->trigger();  // nothing recorded yet
    QCOMPARE(s.fake.prompts.calls, QStringList{"message: カラーテーブルに色がありません"});
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));

    s.form->menus().MPal->trigger();
    for (const QRgb c : {qRgb(1, 2, 3), qRgb(255, 128, 0), qRgb(16, 160, 255)}) {
        s.form->PushColorSwatch(c);
    }
    menuItem(*s.form, "MCopyColours")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("#10A0FF\n#FF8000\n#010203\n"));

    // Hovering the middle of swatch 1 (19 logical pixels a swatch) names its colour.
    const QPoint at(19 + 9, 9);
    QHelpEvent help(QEvent::ToolTip, at, s.form->P3()->mapToGlobal(at));
    QCoreApplication::sendEvent(s.form->P3(), &help);
    QCOMPARE(QToolTip::text(), QStringLiteral("#FF8000\nR 255, G 128, B 0"));
}

void TestOverlay::exportPalette_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("replace");
    QTest::newRow("new file") << false << false;
    QTest::newRow("replaced") << true << true;
    QTest::newRow("kept") << true << false;
}

void TestOverlay::exportPalette() {
    QFETCH(bool, existing);
    QFETCH(bool, replace);
    Session s;
    s.setCanvas(canvasOf(Qt::white));
    s.form->menus().MPal->trigger();
    s.form->PushColorSwatch(qRgb(255, 0, 10));
    s.form->PushColorSwatch(qRgb(0, 1, 2));
    const QString file = s.fake.path(QStringLiteral("sky.gpl"));
    if (existing) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        s.fake.prompts.yesNoAnswers.enqueue(replace);
    }
    s.fake.prompts.saveAnswers.enqueue(file);
    menuItem(*s.form, "MExportPalette")->trigger();
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), existing && !replace
                                    ? QByteArray("old")
                                    : QByteArray("GIMP Palette\nName: sky\nColumns: 2\n#\n"
                                                 "  0   1   2\t#000102\n255   0  10\t#FF000A\n"));
    QCOMPARE(s.fake.prompts.fileRequests.last().defaultSuffix, QStringLiteral("gpl"));
}

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
