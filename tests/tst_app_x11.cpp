// The main window under a real X server with a window manager: the frame that the window
// manager draws must not eat into the canvas area.
#include "app/Form1.h"
#include "app/Startup.h"
#include "canvas/Surface.h"
#include "fakes/FakeServices.h"
#include "fakes/WindowManager.h"

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

QTEST_MAIN(TestAppX11)
#include "tst_app_x11.moc"
