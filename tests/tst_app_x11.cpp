// The main window under a real X server with a window manager: the frame that the window
// manager draws must not eat into the canvas area, and a window that grows stays on the screen.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "capture/Form2.h"
#include "exchange/Clipboard.h"
#include "fakes/FakeServices.h"
#include "fakes/MouseInput.h"
#include "fakes/WindowManager.h"
#include "files/ImageFiles.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace kiramo;

class TestAppX11 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void innerAreaIsExactlyTheCanvas_data();
    void innerAreaIsExactlyTheCanvas();
    void growingWindowStaysOnTheScreen_data();
    void growingWindowStaysOnTheScreen();

private:
    testing::WindowManager m_windowManager;
};

void TestAppX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QString problem;
    QVERIFY2(m_windowManager.start(&problem), qPrintable(problem));  // let it take over the screen
}

void TestAppX11::innerAreaIsExactlyTheCanvas_data() {
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<bool>("strip");
    QTest::newRow("wide canvas") << QSize(640, 480) << false;
    QTest::newRow("wide canvas with strip") << QSize(500, 300) << true;
    QTest::newRow("narrow canvas") << QSize(40, 60) << false;
}

void TestAppX11::innerAreaIsExactlyTheCanvas() {
    QFETCH(QSize, canvas);
    QFETCH(bool, strip);
    testing::FakeServices fake;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY2(form, qPrintable(error));
    form->move(50, 50);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    QImage picture(canvas, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    form->workspace().P1->setImage(picture);
    form->P3()->setVisible(strip);
    form->workspace().CommitCanvas();
    const int stripHeight = strip ? 19 : 0;
    const QSize inner(std::max(canvas.width(), form->workspace().state.MinFormWidth),
                      canvas.height() + stripHeight);
    QTRY_COMPARE(form->innerSize(), inner);
    QTest::qWait(200);
    QCOMPARE(form->innerSize(), inner);
    // The window manager's decoration lies outside the window's own geometry.
    QTRY_VERIFY(form->frameGeometry().height() > form->geometry().height());

    // On the screen, the canvas starts right below the menu bar and shows every pixel.
    const QPoint topLeft = form->workspace().P1->mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    QCOMPARE(screen.pixelColor(topLeft), QColor(10, 200, 30));
    QCOMPARE(screen.pixelColor(topLeft + QPoint(canvas.width() - 1, canvas.height() - 1)),
             QColor(10, 200, 30));
    QCOMPARE(form->workspace().P1->mapTo(form.get(), QPoint(0, 0)),
             QPoint(0, form->workspace().state.FrameExtraHeight));
    form->close();
}

void TestAppX11::growingWindowStaysOnTheScreen_data() {
    QTest::addColumn<QString>("how");  // the picture of 1000 x 700 comes by
    QTest::newRow("load") << "load";
    QTest::newRow("paste") << "paste";
    QTest::newRow("capture") << "capture";
}

void TestAppX11::growingWindowStaysOnTheScreen() {
    QFETCH(QString, how);
    testing::FakeServices fake;
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY2(form, qPrintable(error));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY(form->frameGeometry().height() > form->geometry().height());
    // The empty window in the bottom right corner of the screen.
    const QRect available = form->screen()->availableGeometry();
    form->move(available.bottomRight() -
               QPoint(form->frameGeometry().width() - 1, form->frameGeometry().height() - 1));
    QTRY_COMPARE(form->frameGeometry().bottomRight(), available.bottomRight());

    QImage picture(1000, 700, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    if (how == "load") {
        const QString path = fake.path(QStringLiteral("big.png"));
        QVERIFY(picture.save(path));
        LoadCanvasImage(form->workspace(), path);
    } else if (how == "paste") {
        QGuiApplication::clipboard()->setImage(picture);
        pasteCommand(form->workspace());
    } else {
        fake.screen.screen = QImage(form->screen()->geometry().size(), QImage::Format_RGB32);
        fake.screen.screen.fill(QColor(10, 200, 30));
        form->startCapture();
        QTRY_VERIFY(form->captureWindow() && form->captureWindow()->isVisible());
        Form2* window = form->captureWindow();
        testing::press(window, QPoint(10, 10));
        testing::release(window, QPoint(10, 10));
        testing::dragTo(window, QPoint(1010, 710));
        window->TransferCapture();
    }
    QTRY_COMPARE(form->innerSize(), QSize(1000, 700));
    QTRY_VERIFY2(available.contains(form->frameGeometry()),
                 qPrintable(QStringLiteral("frame at %1,%2")
                                .arg(form->frameGeometry().x())
                                .arg(form->frameGeometry().y())));
    // Past the moment in which a window back from a capture is taken back to its place.
    QTest::qWait(1200);
    QVERIFY(available.contains(form->frameGeometry()));
    QCOMPARE(form->innerSize(), QSize(1000, 700));
    form->close();
}

QTEST_MAIN(TestAppX11)
#include "tst_app_x11.moc"
