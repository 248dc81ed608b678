#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Capture.h"
#include "capture/Form2.h"
#include "core/Caption.h"
#include "fakes/CaptureWindows.h"
#include "fakes/FakeServices.h"
#include "fakes/MouseInput.h"
#include "fakes/Pictures.h"
#include "fakes/Scale.h"
#include "fakes/Session.h"
#include "platform/DesktopPicture.h"

#include <QAction>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

QImage patternScreen(QSize size) {
    return patternImage(size, 7);
}

// A main window over fake services whose screen shows patternScreen().
struct CaptureSession : Session {
    explicit CaptureSession(const QByteArray& settings = QByteArray())
        : Session(settings) {
        fake.screen.screen = patternScreen(QSize(1280, 1024));
    }

    // Starts a capture and waits until the frozen screen is shown.
    Form2* capture() {
        form->startCapture();
        if (!QTest::qWaitFor(
                [&] { return form->captureWindow() && form->captureWindow()->isVisible(); })) {
            return nullptr;
        }
        return form->captureWindow();
    }
};

}  // namespace

class TestCapture : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { removeCaptureWindows(); }
    void freezesTheScreen();
    void bandFollowsThePointer();
    void bandMovesByItsLabel();
    void strayDoubleClickTakesNothing();
    void bandShowsOnDarkAndLightScreens_data();
    void bandShowsOnDarkAndLightScreens();
    void transferTakesTheBlockBelowAndRightOfTheCorner();
    void transferInAModeKeepsTheFraction();
    void landscapeTurnsSelectionAndBand_data();
    void landscapeTurnsSelectionAndBand();
    void bandByKeyboard_data();
    void bandByKeyboard();
    void clickOnTheBandLeavesIt_data();
    void clickOnTheBandLeavesIt();
    void transferAndAbandonEndInTheNormalState_data();
    void transferAndAbandonEndInTheNormalState();
    void abandonLeavesEverything_data();
    void abandonLeavesEverything();

    void screenSource_data();
    void screenSource();
    void kwinSource_data();
    void kwinSource();
    void monitorBlocks_data();
    void monitorBlocks();
    void monitorParts_data();
    void monitorParts();
    void everyMonitorIsFrozen();
    void aMonitorGoneMeanwhile();
    void grabOutcomes_data();
    void grabOutcomes();
    void captureAloneOutcomes_data();
    void captureAloneOutcomes();
};

void TestCapture::freezesTheScreen() {
    CaptureSession s;
    Form2* window = s.capture();
    QVERIFY(window);
    QCOMPARE(s.fake.screen.grabs, 1);
    QVERIFY(!s.form->isVisible());
    QCOMPARE(window->frozenImage(), s.fake.screen.screen);
    QVERIFY(window->band()->isHidden());
    QCOMPARE(window->band()->text(), QStringLiteral("L1"));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(window->cursor().shape(), Qt::CrossCursor);

    // A second capture command while one is under way does nothing.
    s.form->startCapture();
    QCOMPARE(s.form->captureWindow(), window);
    window->abandon();
}

void TestCapture::bandFollowsThePointer() {
    CaptureSession s("@ A4 21x29.7\r\n");
    Form2* window = s.capture();
    QVERIFY(window);
    SizeLabel* band = window->band();

    press(window, QPoint(10, 20));
    QVERIFY(band->isVisible());
    QCOMPARE(band->rect(), (LabelRect{10, 20, 1, 1}));
    release(window, QPoint(10, 20));
    dragTo(window, QPoint(330, 220));
    QCOMPARE(band->rect(), (LabelRect{10, 20, 320, 200}));
    QCOMPARE(band->text(), QStringLiteral("320 x 200"));
    // The widget covers the band's device pixels, from the logical pixel holding its corner.
    const double ratio = window->devicePixelRatioF();
    QCOMPARE(band->geometry(),
             QRect(qFloor(10 / ratio), qFloor(20 / ratio), qCeil(320 / ratio), qCeil(200 / ratio)));

    dragTo(window, QPoint(5, 300));   // left of the anchor: no change
    dragTo(window, QPoint(400, 10));  // above it: no change
    dragTo(window, QPoint(11, 300));  // one pixel wide: no change
    QCOMPARE(band->text(), QStringLiteral("320 x 200"));
    dragTo(window, QPoint(500, 120), Qt::NoModifier, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(band->rect().width, 320.0);  // not the left button alone

    dragTo(window, QPoint(500, 120), Qt::ControlModifier);
    QCOMPARE(band->text(), QStringLiteral("100 x 100"));

    // Another press does not move the anchor.
    press(window, QPoint(600, 600));
    dragTo(window, QPoint(60, 70));
    QCOMPARE(band->rect(), (LabelRect{10, 20, 50, 50}));

    s.form->selectMode(1);
    dragTo(window, QPoint(60, 220));
    QCOMPARE(band->text(), QStringLiteral("A4 283x200 横"));
    dragTo(window, QPoint(60, 220), Qt::ShiftModifier);
    QCOMPARE(band->text(), QStringLiteral("A4 141x200 縦"));
    window->abandon();
}

void TestCapture::bandMovesByItsLabel() {
    CaptureSession s;
    Form2* window = s.capture();
    QVERIFY(window);
    SizeLabel* band = window->band();
    press(window, QPoint(100, 100));
    dragTo(window, QPoint(300, 200));
    release(window, QPoint(300, 200));

    press(band, QPoint(20, 30));  // grabbed 20, 30 inside the label
    QVERIFY(band->isHidden());
    dragTo(window, QPoint(520, 430));
    QVERIFY(band->isHidden());
    release(window, QPoint(520, 430));
    QVERIFY(band->isVisible());
    QCOMPARE(band->rect(), (LabelRect{500, 400, 200, 100}));
    QCOMPARE(band->text(), QStringLiteral("200 x 100"));

    // Stretching again measures from the first anchor, from where the label now is.
    press(window, QPoint(5, 5));
    dragTo(window, QPoint(150, 160));
    QCOMPARE(band->rect(), (LabelRect{500, 400, 50, 60}));
    window->abandon();
}

void TestCapture::bandShowsOnDarkAndLightScreens_data() {
    QTest::addColumn<QColor>("screen");
    QTest::newRow("black") << QColor(Qt::black);
    QTest::newRow("white") << QColor(Qt::white);
    QTest::newRow("grey") << QColor(128, 128, 128);
}

void TestCapture::bandShowsOnDarkAndLightScreens() {
    QFETCH(QColor, screen);
    CaptureSession s;
    s.fake.screen.screen.fill(screen);
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(40, 50));
    dragTo(window, QPoint(240, 150));
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Along the band's top edge and over its caption, both a light and a dark pixel: the band
    // stands out whatever lies below.
    const double ratio = window->devicePixelRatioF();
    const QRect band((window->band()->geometry().topLeft()) * ratio,
                     window->band()->size() * ratio);
    bool light = false;
    bool dark = false;
    for (int x = band.left(); x < band.right(); ++x) {
        const int grey = qGray(shown.pixel(x, band.top()));
        light = light || grey > 200;
        dark = dark || grey < 55;
    }
    QVERIFY(light && dark);
    light = dark = false;
    for (int x = band.left(); x < band.right(); ++x) {
        const int grey = qGray(shown.pixel(x, band.center().y()));
        light = light || grey > 200;
        dark = dark || grey < 55;
    }
    QVERIFY(light && dark);
    window->abandon();
}

void TestCapture::strayDoubleClickTakesNothing() {
    CaptureSession s;
    const QImage canvas = s.ws().P1->image();
    const QString caption = s.form->windowTitle();
    s.form->move(200, 150);
    const QPoint place = s.form->pos();
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(40, 50));
    release(window, QPoint(40, 50));
    doubleClick(window->band(), QPoint(0, 0));  // the second press lands on the 1x1 band
    QVERIFY(s.form->captureWindow());
    QCOMPARE(s.ws().P1->image(), canvas);
    QCOMPARE(s.form->windowTitle(), caption);

    window->abandon();  // the window comes back where it was
    QTRY_VERIFY(!s.form->captureWindow());
    QCOMPARE(s.form->pos(), place);
}

void TestCapture::transferTakesTheBlockBelowAndRightOfTheCorner() {
    CaptureSession s;
    s.ws().state.CurrentFile = QStringLiteral("/tmp/old.bmp");
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(40, 50));
    dragTo(window, QPoint(240, 150));
    release(window, QPoint(240, 150));
    press(window->band(), QPoint(3, 3));
    release(window, devicePointIn(window, window->band(), QPoint(3, 3)));
    doubleClick(window->band(), QPoint(3, 3));

    QTRY_VERIFY(!s.form->captureWindow());
    QVERIFY(s.form->isVisible());
    QCOMPARE(s.form->windowState() & Qt::WindowMinimized, Qt::WindowNoState);
    QCOMPARE(s.ws().P1->imageSize(), QSize(200, 100));
    QCOMPARE(s.ws().P1->image(), s.fake.screen.screen.copy(41, 51, 200, 100));
    QCOMPARE(s.ws().P2, s.ws().P1->image());
    QCOMPARE(s.form->windowTitle(), "*Untitled (200x100) Mode:FreeSize" + captionNotice());
    QVERIFY(s.ws().state.CurrentFile.isEmpty());
    QVERIFY(s.form->menus().MSave->isEnabled());
    const QSize canvas = coveringSize(QSize(200, 100), s.form->devicePixelRatioF());
    QCOMPARE(s.form->innerSize(),
             QSize(std::max(canvas.width(), s.ws().state.MinFormWidth), canvas.height()));
}

void TestCapture::clickOnTheBandLeavesIt_data() {
    QTest::addColumn<QPoint>("corner");  // where the band is anchored, device pixels
    // At scale factors 1.25 and 2 the second corner lies inside a logical pixel, right of and
    // below the label widget's own corner.
    QTest::newRow("on a logical pixel") << QPoint(40, 50);
    QTest::newRow("inside a logical pixel") << QPoint(51, 61);
}

void TestCapture::clickOnTheBandLeavesIt() {
    QFETCH(QPoint, corner);
    CaptureSession s;
    Form2* window = s.capture();
    QVERIFY(window);
    SizeLabel* band = window->band();
    press(window, corner);
    dragTo(window, corner + QPoint(200, 100));
    release(window, corner + QPoint(200, 100));
    const LabelRect before = band->rect();
    QCOMPARE(before, (LabelRect{double(corner.x()), double(corner.y()), 200, 100}));

    // The first press of the confirming double-click, released without moving.
    const QPointF at = corner + QPointF(3, 3);  // a point of the window, device pixels
    const QPointF inBand = at - devicePointIn(window, band, QPointF(0, 0));
    press(band, inBand);
    release(window, at);
    QCOMPARE(band->rect(), before);
    doubleClick(band, inBand);
    QTRY_VERIFY(!s.form->captureWindow());
    QCOMPARE(s.ws().P1->image(),
             s.fake.screen.screen.copy(corner.x() + 1, corner.y() + 1, 200, 100));
}

void TestCapture::transferAndAbandonEndInTheNormalState_data() {
    QTest::addColumn<bool>("maximised");  // the main window before the capture
    QTest::addColumn<bool>("transfer");   // else abandon
    QTest::newRow("normal, transfer") << false << true;
    QTest::newRow("maximised, transfer") << true << true;
    QTest::newRow("maximised, abandon") << true << false;
}

void TestCapture::transferAndAbandonEndInTheNormalState() {
    QFETCH(bool, maximised);
    QFETCH(bool, transfer);
    CaptureSession s;
    if (maximised) {
        s.form->showMaximized();
    }
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(40, 50));
    dragTo(window, QPoint(240, 150));
    transfer ? window->TransferCapture() : window->abandon();
    QTRY_VERIFY(!s.form->captureWindow());
    QVERIFY(s.form->isVisible());
    QCOMPARE(s.form->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized),
             Qt::WindowNoState);
}

void TestCapture::bandByKeyboard_data() {
    QTest::addColumn<QString>("keys");  // what follows a drag from (10, 20) to (330, 220)
    QTest::addColumn<int>("mode");      // 1: A4, 21 x 29.7
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("block");  // the canvas's block of the frozen screen
    QTest::newRow("right right") << "R R" << 0 << "320 x 200" << QRect(13, 21, 320, 200);
    QTest::newRow("shift up, left") << "SU L" << 0 << "320 x 200" << QRect(10, 11, 320, 200);
    QTest::newRow("anchored edge stops")
        << "SL SL SU SU SU" << 0 << "320 x 200" << QRect(1, 1, 320, 200);
    QTest::newRow("ctrl right, ctrl down")
        << "CR CD" << 0 << "321 x 201" << QRect(11, 21, 321, 201);
    QTest::newRow("ctrl shift left") << "CSL" << 0 << "310 x 200" << QRect(11, 21, 310, 200);
    QTest::newRow("mode: ctrl down") << "CD" << 1 << "A4 284x201 横" << QRect(11, 21, 284, 201);
    QTest::newRow("moved, then stretched by the mouse: from the first anchor")
        << "SR mouse" << 0 << "100 x 100" << QRect(21, 21, 100, 100);
}

void TestCapture::bandByKeyboard() {
    QFETCH(QString, keys);
    QFETCH(int, mode);
    QFETCH(QString, caption);
    QFETCH(QRect, block);
    CaptureSession s("@ A4 21x29.7\r\n");
    s.form->selectMode(mode);
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(10, 20));
    dragTo(window, QPoint(330, 220));
    release(window, QPoint(330, 220));
    for (const QString& key : keys.split(u' ')) {
        if (key == QLatin1String("mouse")) {
            dragTo(window, QPoint(110, 120));
            continue;
        }
        Qt::KeyboardModifiers held;
        held.setFlag(Qt::ShiftModifier, key.contains(u'S'));
        held.setFlag(Qt::ControlModifier, key.contains(u'C'));
        const QHash<QChar, Qt::Key> arrows{
            {u'L', Qt::Key_Left}, {u'R', Qt::Key_Right}, {u'U', Qt::Key_Up}, {u'D', Qt::Key_Down}};
        QTest::keyClick(window, arrows.value(key.back()), held);
    }
    QCOMPARE(window->band()->text(), caption);
    QTest::keyClick(window, Qt::Key_Return);
    QTRY_VERIFY(!s.form->captureWindow());
    QCOMPARE(s.ws().P1->image(), s.fake.screen.screen.copy(block));
}

void TestCapture::transferInAModeKeepsTheFraction() {
    CaptureSession s("@ A4 21x29.7\r\n");
    s.form->selectMode(1);
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(1270, 900));  // the block runs off the right edge of the screen
    dragTo(window, QPoint(1270, 1100));
    QCOMPARE(window->band()->text(), QStringLiteral("A4 283x200 横"));
    window->TransferCapture();
    QCOMPARE(s.form->windowTitle(), "*Untitled (282.8571x200) Mode:A4" + captionNotice());
    QCOMPARE(s.ws().P1->imageSize(), QSize(283, 200));
    QCOMPARE(s.ws().P1->image().pixelColor(8, 0), QColor(1279 % 256, 901 % 256, 7));
    QCOMPARE(s.ws().P1->image().pixelColor(9, 0), QColor(Qt::black));
    QCOMPARE(s.ws().P1->image().pixelColor(8, 199), QColor(Qt::black));
}

void TestCapture::landscapeTurnsSelectionAndBand_data() {
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("band");
    QTest::newRow("upright") << false << 0 << "A4 縦"
                             << "A4 141x200 縦";
    QTest::newRow("shift turns it") << false << int(Qt::ShiftModifier) << "A4 横"
                                    << "A4 283x200 横";
    QTest::newRow("landscape turns it") << true << 0 << "A4 横"
                                        << "A4 283x200 横";
    QTest::newRow("shift turns it back") << true << int(Qt::ShiftModifier) << "A4 縦"
                                         << "A4 141x200 縦";
}

void TestCapture::landscapeTurnsSelectionAndBand() {
    QFETCH(bool, landscape);
    QFETCH(int, modifiers);
    QFETCH(QString, selection);
    QFETCH(QString, band);
    CaptureSession s("@ A4 29.7x21\r\n");  // the height leads: upright without Shift
    s.setCanvas(patternScreen(QSize(400, 300)));
    s.form->selectMode(1);
    if (landscape) {
        s.form->menus().MLandscape->trigger();
    }
    QCOMPARE(s.form->menus().MLandscape->isChecked(), landscape);
    press(s.ws().P1, QPoint(10, 10));
    dragTo(s.ws().P1, QPoint(300, 150), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(s.ws().L1->text(), selection);

    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(10, 20));
    release(window, QPoint(10, 20));
    dragTo(window, QPoint(300, 220), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(window->band()->text(), band);
    window->abandon();
    QTRY_VERIFY(!s.form->captureWindow());

    // Kept for the run until turned again, which removes the selection as a mode change does.
    QVERIFY(s.ws().L1->isVisible());
    s.form->menus().MLandscape->trigger();
    QCOMPARE(s.form->menus().MLandscape->isChecked(), !landscape);
    QVERIFY(s.ws().L1->isHidden());
}

void TestCapture::abandonLeavesEverything_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("right press on the band") << "right";
    QTest::newRow("escape") << "escape";
    QTest::newRow("window closed") << "close";
}

void TestCapture::abandonLeavesEverything() {
    QFETCH(QString, how);
    CaptureSession s;
    s.ws().state.CurrentFile = QStringLiteral("/pics/a.bmp");
    s.ws().setCaption(QStringLiteral("A.BMP (165x137)"));
    const QString caption = s.form->windowTitle();
    const QImage canvas = s.ws().P1->image();
    Form2* window = s.capture();
    QVERIFY(window);
    press(window, QPoint(40, 50));
    dragTo(window, QPoint(240, 150));
    if (how == "right") {
        press(window->band(), QPoint(5, 5), Qt::RightButton);
    } else if (how == "escape") {
        QTest::keyClick(window, Qt::Key_Escape);
    } else {
        window->close();
    }
    QTRY_VERIFY(!s.form->captureWindow());
    QVERIFY(s.form->isVisible());
    QCOMPARE(s.form->windowTitle(), caption);
    QCOMPARE(s.ws().P1->image(), canvas);
    QCOMPARE(s.ws().state.CurrentFile, QStringLiteral("/pics/a.bmp"));
    QVERIFY(!s.form->menus().MSave->isEnabled());
}

void TestCapture::screenSource_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("portal");
    QTest::newRow("X11") << "xcb"
                         << "x11"
                         << "" << false;
    QTest::newRow("X11, session unknown") << "xcb"
                                          << ""
                                          << "" << false;
    QTest::newRow("native Wayland") << "wayland"
                                    << "wayland"
                                    << "wayland-0" << true;
    QTest::newRow("Wayland with EGL") << "wayland-egl"
                                      << ""
                                      << "wayland-1" << true;
    QTest::newRow("XWayland") << "xcb"
                              << "wayland"
                              << "wayland-0" << true;
    QTest::newRow("XWayland, session unset") << "xcb"
                                             << ""
                                             << "wayland-0" << true;
    QTest::newRow("offscreen") << "offscreen"
                               << "wayland"
                               << "wayland-0" << false;
    QTest::newRow("Windows") << "windows"
                             << ""
                             << "" << false;
}

void TestCapture::screenSource() {
    QFETCH(QString, platform);
    QFETCH(QString, session);
    QFETCH(QString, display);
    QFETCH(bool, portal);
    QCOMPARE(screenSourceFor(platform, session, display) == ScreenSource::Portal, portal);
}

void TestCapture::kwinSource_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("desktop");  // XDG_CURRENT_DESKTOP
    QTest::addColumn<int>("source");
    const int x11 = int(ScreenSource::X11);
    const int portal = int(ScreenSource::Portal);
    const int kwin = int(ScreenSource::KWin);
    QTest::newRow("KDE on Wayland") << "wayland"
                                    << "wayland"
                                    << "KDE" << kwin;
    QTest::newRow("KDE, XWayland") << "xcb"
                                   << "wayland"
                                   << "KDE" << kwin;
    QTest::newRow("KDE among others") << "wayland"
                                      << "wayland"
                                      << "neon:kde" << kwin;
    QTest::newRow("KDE on X11") << "xcb"
                                << "x11"
                                << "KDE" << x11;
    QTest::newRow("GNOME") << "wayland"
                           << "wayland"
                           << "GNOME" << portal;
    QTest::newRow("not quite KDE") << "wayland"
                                   << "wayland"
                                   << "KDEish" << portal;
}

void TestCapture::kwinSource() {
    QFETCH(QString, platform);
    QFETCH(QString, session);
    QFETCH(QString, desktop);
    QFETCH(int, source);
    // A Wayland display is announced wherever the session is Wayland.
    const QString display = session == QLatin1String("wayland") ? QStringLiteral("wayland-0") : "";
    QCOMPARE(int(screenSourceFor(platform, session, display, desktop)), source);
}

void TestCapture::monitorBlocks_data() {
    QTest::addColumn<QList<QRect>>("monitors");  // logical desktop geometries
    QTest::addColumn<QSize>("picture");          // the portal's picture of the whole desktop
    QTest::addColumn<QList<QRect>>("blocks");    // each monitor's block of it
    QTest::newRow("one monitor") << QList<QRect>{{0, 0, 1920, 1080}} << QSize(1920, 1080)
                                 << QList<QRect>{{0, 0, 1920, 1080}};
    QTest::newRow("second at scale 2, picture at 2")
        << QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 960, 540}} << QSize(5760, 2160)
        << QList<QRect>{{0, 0, 3840, 2160}, {3840, 0, 1920, 1080}};
    QTest::newRow("left of and above the primary")
        << QList<QRect>{{0, 0, 1280, 1024}, {-1920, -56, 1920, 1080}} << QSize(3200, 1080)
        << QList<QRect>{{1920, 56, 1280, 1024}, {0, 0, 1920, 1080}};
    QTest::newRow("fractional 1.25")
        << QList<QRect>{{0, 0, 1536, 864}, {1536, 0, 1536, 864}} << QSize(3840, 1080)
        << QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    // A picture stretched one way only: 1.5 across, 1 down.
    QTest::newRow("across and down differ")
        << QList<QRect>{{0, 0, 1000, 500}, {1000, 500, 1000, 500}} << QSize(3000, 1000)
        << QList<QRect>{{0, 0, 1500, 500}, {1500, 500, 1500, 500}};
}

void TestCapture::monitorBlocks() {
    QFETCH(QList<QRect>, monitors);
    QFETCH(QSize, picture);
    QFETCH(QList<QRect>, blocks);
    for (int i = 0; i < monitors.size(); ++i) {
        QCOMPARE(monitorBlock(picture, monitors, monitors.at(i)), blocks.at(i));
    }
    // Cut at each monitor's own scale, the parts are that monitor's device pixels, exact where
    // the scales agree; never more pixels than the picture has.
    const QImage desktop = patternScreen(picture);
    QList<MonitorPlace> places;
    for (int i = 0; i < monitors.size(); ++i) {
        places.append(MonitorPlace{QString::number(i), monitors.at(i),
                                   double(blocks.at(i).width()) / monitors.at(i).width()});
    }
    const QList<MonitorPicture> parts = splitDesktopPicture(desktop, places);
    for (int i = 0; i < monitors.size(); ++i) {
        const QSize device = monitors.at(i).size() * places.at(i).ratio;
        if (blocks.at(i).size() == device) {
            QCOMPARE(parts.at(i).image, desktop.copy(blocks.at(i)));
        } else {
            QCOMPARE(parts.at(i).image.size(), blocks.at(i).size().boundedTo(device));
        }
    }
}

void TestCapture::monitorParts_data() {
    QTest::addColumn<QList<QRect>>("monitors");  // logical desktop geometries
    QTest::addColumn<QList<double>>("ratios");   // the toolkit's device pixels per logical one
    QTest::addColumn<QSize>("picture");          // what the portal returned
    QTest::addColumn<QList<QRect>>("blocks");
    QTest::addColumn<QList<QSize>>("sizes");  // each monitor's frozen pixels
    // mutter's virtual monitor at scale 2: the toolkit's ratio is not the picture's.
    QTest::newRow("ratio 2, picture at 1")
        << QList<QRect>{{0, 0, 1920, 1080}} << QList<double>{2.0} << QSize(1920, 1080)
        << QList<QRect>{{0, 0, 1920, 1080}} << QList<QSize>{{1920, 1080}};
    QTest::newRow("ratio 2, picture at 2")
        << QList<QRect>{{0, 0, 1920, 1080}} << QList<double>{2.0} << QSize(3840, 2160)
        << QList<QRect>{{0, 0, 3840, 2160}} << QList<QSize>{{3840, 2160}};
    QTest::newRow("ratio 1, picture at 2")
        << QList<QRect>{{0, 0, 1920, 1080}} << QList<double>{1.0} << QSize(3840, 2160)
        << QList<QRect>{{0, 0, 3840, 2160}} << QList<QSize>{{1920, 1080}};
    QTest::newRow("scales 1 and 2, picture at 2")
        << QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 1280, 720}} << QList<double>{1.0, 2.0}
        << QSize(6400, 2160) << QList<QRect>{{0, 0, 3840, 2160}, {3840, 0, 2560, 1440}}
        << QList<QSize>{{1920, 1080}, {2560, 1440}};
    QTest::newRow("scales 2 and 1, picture at 1")
        << QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}} << QList<double>{2.0, 1.0}
        << QSize(3840, 1080) << QList<QRect>{{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}}
        << QList<QSize>{{1920, 1080}, {1920, 1080}};
}

void TestCapture::monitorParts() {
    QFETCH(QList<QRect>, monitors);
    QFETCH(QList<double>, ratios);
    QFETCH(QSize, picture);
    QFETCH(QList<QRect>, blocks);
    QFETCH(QList<QSize>, sizes);
    const QList<MonitorPart> parts = kiramo::monitorParts(picture, monitors, ratios);
    QCOMPARE(parts.size(), monitors.size());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QCOMPARE(parts.at(i), (MonitorPart{blocks.at(i), sizes.at(i)}));
    }
}

void TestCapture::everyMonitorIsFrozen() {
    // Two monitors, the second left of and above the primary: a window on each with its own
    // pixels, and a band on the second takes its pixels.
    CaptureSession s;
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    const QImage left = patternScreen(QSize(640, 480)).mirrored(true, false);
    s.fake.screen.screens = {
        FrozenScreen{QGuiApplication::primaryScreen()->name(), primary, s.fake.screen.screen},
        FrozenScreen{QStringLiteral("LEFT"), QRect(-320, -100, 320, 240), left}};
    s.fake.screen.answer = FakeScreenGrabber::Answer::Never;
    s.form->startCapture();
    const QList<Form2*> made = captureWindows();  // made before the screen is read, not shown
    QCOMPARE(made.size(), 1);
    QVERIFY(!made.first()->isVisible());
    QTRY_VERIFY(s.fake.screen.pending);
    s.fake.screen.answerNow();
    Form2* first = s.form->captureWindow();
    QCOMPARE(first, made.first());
    QVERIFY(first->isVisible());
    QCOMPARE(first->frozenImage(), s.fake.screen.screen);
    QCOMPARE(captureWindows().size(), 2);
    Form2* second = captureWindows().at(captureWindows().at(0) == first ? 1 : 0);
    QVERIFY(second->isVisible());
    QCOMPARE(second->frozenImage(), left);
    press(second, QPoint(10, 20));
    dragTo(second, QPoint(110, 70));
    second->TransferCapture();
    QTRY_VERIFY(!s.form->captureWindow());
    QCOMPARE(s.ws().P1->image(), left.copy(11, 21, 100, 50));
    QTRY_VERIFY(captureWindows().isEmpty());  // every monitor's window closes
}

void TestCapture::aMonitorGoneMeanwhile() {
    // The primary monitor's window was made as the capture started; the grab saw only another
    // monitor: that one's window shows, the other goes.
    CaptureSession s;
    const QImage other = patternScreen(QSize(320, 240));
    s.fake.screen.screens = {FrozenScreen{QStringLiteral("OTHER"), QRect(0, 0, 320, 240), other}};
    Form2* window = s.capture();
    QVERIFY(window);
    QCOMPARE(window->frozenImage(), other);
    QTRY_COMPARE(captureWindows(), QList<Form2*>{window});
    window->abandon();
    QTRY_VERIFY(captureWindows().isEmpty());
}

void TestCapture::grabOutcomes_data() {
    QTest::addColumn<int>("answer");  // FakeScreenGrabber::Answer
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("refused: quietly back")
        << int(FakeScreenGrabber::Answer::Refuse) << QStringList();
    QTest::newRow("failed: beep and message")
        << int(FakeScreenGrabber::Answer::Fail)
        << QStringList{"beep", "message: 画面を取り込めません。\na scripted failure"};
}

void TestCapture::grabOutcomes() {
    QFETCH(int, answer);
    QFETCH(QStringList, calls);
    CaptureSession s;
    const QImage canvas = s.ws().P1->image();
    const QString caption = s.form->windowTitle();
    s.fake.screen.answer = FakeScreenGrabber::Answer(answer);
    s.form->startCapture();
    QTRY_VERIFY(s.form->isVisible());
    QVERIFY(!s.form->captureWindow());
    QCOMPARE(s.fake.prompts.calls, calls);
    QCOMPARE(s.ws().P1->image(), canvas);
    QCOMPARE(s.form->windowTitle(), caption);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QTRY_VERIFY(captureWindows().isEmpty());  // the windows made for it go with it
}

void TestCapture::captureAloneOutcomes_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("ends");  // the program: the main window closes, never shown
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("taken: the window shows the picture") << "take" << false << QStringList();
    QTest::newRow("given up") << "escape" << true << QStringList();
    QTest::newRow("failed: the message, then the end")
        << "fail" << true
        << QStringList{"beep", "message: 画面を取り込めません。\na scripted failure"};
}

void TestCapture::captureAloneOutcomes() {
    QFETCH(QString, how);
    QFETCH(bool, ends);
    QFETCH(QStringList, calls);
    FakeServices fake;
    fake.screen.screen = patternScreen(QSize(1280, 1024));
    fake.screen.answer =
        how == "fail" ? FakeScreenGrabber::Answer::Fail : FakeScreenGrabber::Answer::Picture;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY(form);
    form->startCaptureAlone();
    if (how != "fail") {
        QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
        Form2* window = form->captureWindow();
        QVERIFY(!form->isVisible());
        press(window, QPoint(10, 20));
        dragTo(window, QPoint(110, 70));
        release(window, QPoint(110, 70));
        QTest::keyClick(window, how == "take" ? Qt::Key_Return : Qt::Key_Escape);
    }
    QTRY_VERIFY(form->isClosing() || form->isVisible());
    QCOMPARE(form->isClosing(), ends);
    QCOMPARE(form->isVisible(), !ends);
    QCOMPARE(fake.prompts.calls, calls);
    if (!ends) {
        QCOMPARE(form->workspace().P1->image(), fake.screen.screen.copy(11, 21, 100, 50));
    }
    QTRY_VERIFY(captureWindows().isEmpty());
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
