#include "app/Form1.h"
#include "app/MenuEntry.h"
#include "app/MenuRules.h"
#include "app/Startup.h"
#include "app/WindowPlacement.h"
#include "app/WindowRules.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/Caption.h"
#include "core/ModeTable.h"
#include "exchange/Clipboard.h"
#include "fakes/FakeServices.h"
#include "fakes/Scale.h"
#include "files/ImageFiles.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStringEncoder>
#include <QTest>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>
#include <limits>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace kiramo;
using kiramo::testing::FakeServices;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::unique_ptr<Form1> startIn(FakeServices& fake, const QString& commandLine = QString()) {
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), commandLine, &error);
    if (!form) {
        qWarning() << "start-up failed:" << error;
    }
    return form;
}

QStringList modeMenuTexts(const Form1& form) {
    QStringList texts;
    for (QAction* action : form.menus().MMode->actions()) {
        if (action->data().isValid()) {  // a mode's item, not Landscape
            texts.append(action->text());
        }
    }
    return texts;
}

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// While it lives, file permissions hold for this process even when it runs as root (as CI
// does): the capabilities that let root write a read-only file are dropped from the effective
// set, and raised again from the permitted set afterwards. For anyone else it changes nothing.
class PermissionsEnforced {
public:
    PermissionsEnforced() {
#ifdef Q_OS_LINUX
        if (syscall(SYS_capget, &m_header, m_saved) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(CAP_TO_MASK(CAP_DAC_OVERRIDE) | CAP_TO_MASK(CAP_DAC_READ_SEARCH) |
                                  CAP_TO_MASK(CAP_FOWNER));
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
#endif
    }
    ~PermissionsEnforced() {
#ifdef Q_OS_LINUX
        if (m_dropped) {
            syscall(SYS_capset, &m_header, m_saved);
        }
#endif
    }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
#ifdef Q_OS_LINUX
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_dropped = false;
#endif
};

// The most memory this process has held so far, in kilobytes (0 where unknown).
long peakMemoryKb() {
#ifdef Q_OS_LINUX
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
#else
    return 0;
#endif
}

// Writes `before`, then `count` bytes `fill`, then `after`, a megabyte at a time.
void writeHugeFile(const QString& path, const QByteArray& before, qint64 count, char fill,
                   const QByteArray& after) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(before);
    const QByteArray chunk(1024 * 1024, fill);
    for (qint64 left = count; left > 0; left -= chunk.size()) {
        file.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
    }
    file.write(after);
}

}  // namespace

class TestApp : public QObject {
    Q_OBJECT

private slots:
    void modeChangeKeepsSubject_data();
    void modeChangeKeepsSubject();
    void committedWindowSize_data();
    void committedWindowSize();
    void placeOnScreen_data();
    void placeOnScreen();
    void growingWindowStaysOnTheScreen_data();
    void growingWindowStaysOnTheScreen();
    void resizeRule_data();
    void resizeRule();
    void settingsFolder_data();
    void settingsFolder();

    void hugeSettingsLinesCostLittleMemory();
    void startWithoutSettingsCreatesPapers();
    void existingSettingsLeftAsTheyAre_data();
    void existingSettingsLeftAsTheyAre();
    void readOnlySettingsAreReadUntouched();
    void startWithExampleModes();
    void unwritableSettingsEndsStartUp();
    void menuBarAsDesigned();
    void everyMenuVisibleAtStartupWidth();
    void unusableModesSayWhy();
    void unicodeSettingsFiles_data();
    void unicodeSettingsFiles();
    void settingsThatAreNoFileEndStartUp_data();
    void settingsThatAreNoFileEndStartUp();
    void settingsThatCannotBeMadeSayWhy_data();
    void settingsThatCannotBeMadeSayWhy();
    void settingsFolderThatCannotBeMadeIsNamed();
    void captionShowsTheModeBeforeTheNotice();
    void commitFitsWindowAroundCanvas();
    void resizeSpringsBackToStartupWidth();
    void enableImageCommands();
    void fileMenuRuleFollowsSelection();
    void menuTableNamesItsItems();
    void dropDownRulesStayInTheirMenu();
    void dropDownAllows_data();
    void dropDownAllows();
    void shutDownRemovesOnlyTheTemporaryFile_data();
    void shutDownRemovesOnlyTheTemporaryFile();
};

void TestApp::modeChangeKeepsSubject_data() {
    QTest::addColumn<QString>("subject");
    QTest::newRow("start-up") << "";
    QTest::newRow("file") << "IMAGE.BMP (640x480)";
    // Linux names may hold ":" and even " Mode:".
    QTest::newRow("colon") << "SHOT 12:30.BMP (10x10)";
    QTest::newRow("mode text") << "A MODE:B Mode:C.BMP (1x1)";
}

void TestApp::modeChangeKeepsSubject() {
    QFETCH(QString, subject);
    FakeServices fake;
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")), "@ A4 29.7x21\r\n@ B5 25.7x18.2\r\n");
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->workspace().setCaption(subject);
    form->menus().MCanvas[1]->trigger();
    QCOMPARE(form->windowTitle(), subject + " Mode:A4" + captionNotice());
    form->menus().MCanvas[2]->trigger();
    form->menus().MCanvas[0]->trigger();
    QCOMPARE(form->windowTitle(), subject + " Mode:FreeSize" + captionNotice());
}

void TestApp::committedWindowSize_data() {
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<int>("strip");
    QTest::addColumn<QSize>("expected");
    // Frame: 0 wide, 25 high (menu bar); start-up width 200.
    QTest::newRow("narrow image keeps start-up width") << QSize(100, 50) << 0 << QSize(200, 75);
    QTest::newRow("wide image exact") << QSize(640, 480) << 0 << QSize(640, 505);
    QTest::newRow("strip adds its height") << QSize(640, 480) << 19 << QSize(640, 524);
    QTest::newRow("larger than any screen") << QSize(9000, 7000) << 0 << QSize(9000, 7025);
    QTest::newRow("empty canvas") << QSize(0, 0) << 0 << QSize(200, 25);
}

void TestApp::committedWindowSize() {
    QFETCH(QSize, canvas);
    QFETCH(int, strip);
    QFETCH(QSize, expected);
    QCOMPARE(kiramo::committedWindowSize(canvas, 0, 25, 200, strip), expected);
}

void TestApp::placeOnScreen_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("expected");
    // The area: 1920 x 1040 from (0, 40), below a panel.
    QTest::newRow("inside") << QRect(100, 100, 500, 400) << QPoint(100, 100);
    QTest::newRow("exactly in the corner") << QRect(1420, 680, 500, 400) << QPoint(1420, 680);
    QTest::newRow("off right") << QRect(1800, 100, 500, 400) << QPoint(1420, 100);
    QTest::newRow("off below") << QRect(100, 900, 500, 400) << QPoint(100, 680);
    QTest::newRow("grown in the corner") << QRect(1500, 800, 1016, 760) << QPoint(904, 320);
    QTest::newRow("above and left") << QRect(-30, 10, 500, 400) << QPoint(0, 40);
    QTest::newRow("larger than the area") << QRect(300, 300, 2500, 1500) << QPoint(0, 40);
}

void TestApp::placeOnScreen() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, expected);
    QCOMPARE(kiramo::placeOnScreen(frame, QRect(0, 40, 1920, 1040)), expected);
}

void TestApp::growingWindowStaysOnTheScreen_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("load") << "load";
    QTest::newRow("paste") << "paste";
    QTest::newRow("colour table") << "colour table";
    QTest::newRow("grid clear: no growth, no move") << "grid clear";
}

void TestApp::growingWindowStaysOnTheScreen() {
    QFETCH(QString, how);
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QRect available = form->screen()->availableGeometry();
    form->move(available.bottomRight() -
               QPoint(form->frameGeometry().width() - 1, form->frameGeometry().height() - 1));
    QCOMPARE(form->frameGeometry().bottomRight(), available.bottomRight());
    if (how == "grid clear") {
        // Put partly off the screen by the user, the window stays where it is.
        const QPoint off = form->pos() + QPoint(50, 50);
        form->move(off);
        form->menus().MGridClear->trigger();
        QCOMPARE(form->pos(), off);
        return;
    }
    const QImage picture = filled(QSize(1000, 700), Qt::green);
    if (how == "load") {
        QVERIFY(picture.save(fake.path(QStringLiteral("big.png"))));
        LoadCanvasImage(form->workspace(), fake.path(QStringLiteral("big.png")));
    } else if (how == "paste") {
        QGuiApplication::clipboard()->setImage(picture);
        pasteCommand(form->workspace());
    } else {
        form->menus().MPal->trigger();
        QVERIFY(form->P3()->isVisible());
    }
    QVERIFY(form->height() > 100);
    QVERIFY2(available.contains(form->frameGeometry()),
             qPrintable(QStringLiteral("at %1,%2").arg(form->x()).arg(form->y())));
}

void TestApp::resizeRule_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");  // -1: left alone
    QTest::newRow("normal, narrower") << int(Qt::WindowNoState) << 150 << 200;
    QTest::newRow("normal, wider") << int(Qt::WindowNoState) << 250 << -1;
    QTest::newRow("normal, exact") << int(Qt::WindowNoState) << 200 << -1;
    QTest::newRow("active, narrower") << int(Qt::WindowActive) << 150 << 200;
    QTest::newRow("minimised") << int(Qt::WindowMinimized) << 0 << -1;
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << 150 << -1;
    QTest::newRow("full screen") << int(Qt::WindowFullScreen) << 150 << -1;
}

void TestApp::resizeRule() {
    QFETCH(int, state);
    QFETCH(int, width);
    QFETCH(int, expected);
    const std::optional<int> result =
        widthAfterResize(Qt::WindowStates(Qt::WindowState(state)), width, 200);
    QCOMPARE(result.value_or(-1), expected);
}

void TestApp::settingsFolder_data() {
    QTest::addColumn<bool>("exeExists");
    QTest::addColumn<bool>("iniInExe");
    QTest::addColumn<bool>("settingsInExe");
    QTest::newRow("writable program folder") << true << false << true;
    QTest::newRow("writable, with settings") << true << true << true;
    QTest::newRow("unwritable, no settings") << false << false << false;
}

void TestApp::settingsFolder() {
    QFETCH(bool, exeExists);
    QFETCH(bool, iniInExe);
    QFETCH(bool, settingsInExe);
    QTemporaryDir root;
    const QString exe = exeExists ? root.path() : root.filePath(QStringLiteral("missing/bin"));
    if (iniInExe) {
        writeFile(joinPath(exe, QStringLiteral("KIRAMO.INI")), "");
    }
    const QString config = root.filePath(QStringLiteral("config"));
    const AppFolders folders =
        AppFolders::resolve(exe, config, root.filePath(QStringLiteral("run")), QString());
    QCOMPARE(folders.settings, settingsInExe ? exe : config);
    QCOMPARE(folders.temporary, exeExists ? exe : root.filePath(QStringLiteral("run")));
    QCOMPARE(folders.windows, config);
    QCOMPARE(folders.temporaryBitmap(), joinPath(folders.temporary, "$KIRTMP$.bmp"));
    QCOMPARE(joinPath("C:\\TOOLS\\", "x"), QStringLiteral("C:\\TOOLS\\x"));
}

void TestApp::hugeSettingsLinesCostLittleMemory() {
    // One line of 64 MB in each settings file: what is kept of a line is capped and the rest
    // streams past, so start-up holds no copy of it (it used to hold several).
    FakeServices fake;
    const qint64 huge = 64 * 1024 * 1024;
    writeHugeFile(fake.path(QStringLiteral("KIRAMO.INI")), "@ ", huge, 'N',
                  " 29.7x21\r\n@ A4 29.7x21\r\n");
    QVERIFY(QDir().mkpath(fake.path(QStringLiteral("windows"))));
    writeHugeFile(fake.path(QStringLiteral("windows/WIN.INI")), "[", huge, 'x',
                  "\r\n[Extensions]\r\nbmp=gimp ^.bmp\r\n");
    const long before = peakMemoryKb();
    std::unique_ptr<Form1> form = startIn(fake);
    const long grown = peakMemoryKb() - before;
    QVERIFY(form);
    QVERIFY2(grown < 32 * 1024, qPrintable(QStringLiteral("peak grew by %1 kB").arg(grown)));
    QCOMPARE(form->workspace().state.modes.mode(1)->menuCaption, QString(kMaxModeText, u'N'));
    QCOMPARE(form->workspace().state.modes.ModeName(2), QStringLiteral("A4"));
    QCOMPARE(form->workspace().state.associations.lookup(QStringLiteral(".BMP")),
             QStringLiteral("gimp"));
}

void TestApp::startWithoutSettingsCreatesPapers() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    QFile ini(fake.path(QStringLiteral("KIRAMO.INI")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = ini.readAll().split('\n');
    QVERIFY(lines.size() <= 30);
    for (const QByteArray& line : lines) {
        QVERIFY2(line.isEmpty() || line.endsWith('\r'), line.constData());
    }
    QCOMPARE(form->windowTitle(), " Mode:FreeSize" + captionNotice());
    const QStringList texts = modeMenuTexts(*form);
    QCOMPARE(texts.size(), 15);
    QCOMPARE(texts.first(), QStringLiteral("FreeSize"));
    // Each paper upright (height first) and usable.
    const struct {
        const char* name;
        double height;
        double width;
    } papers[] = {{"A3", 42, 29.7},       {"A4", 29.7, 21},  {"B5", 25.7, 18.2},
                  {"Letter", 27.9, 21.6}, {"F10", 53, 45.5}, {"16X20in", 50.8, 40.6}};
    const ModeTable& modes = form->workspace().state.modes;
    for (const auto& paper : papers) {
        bool found = false;
        for (int i = 1; i <= ModeTable::kLast; ++i) {
            const std::optional<CaptureMode>& mode = modes.mode(i);
            if (mode && mode->name == QLatin1String(paper.name)) {
                found = true;
                QCOMPARE(mode->width, paper.height);
                QCOMPARE(mode->height, paper.width);
            }
        }
        QVERIFY2(found, paper.name);
    }
    for (int i = 1; i < texts.size(); ++i) {
        QCOMPARE(modeSizeFault(*modes.mode(i)), ModeSizeFault::None);
    }
    // The association file is still made empty.
    QCOMPARE(QFileInfo(fake.services().folders.winIniFile()).size(), 0);
}

void TestApp::existingSettingsLeftAsTheyAre_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("menu");
    QTest::newRow("empty") << QByteArray() << QStringList{"FreeSize"};
    QTest::newRow("one mode") << QByteArray("@ Mine 10x5\r\n")
                              << QStringList{"FreeSize", "Mine 10x5"};
}

void TestApp::existingSettingsLeftAsTheyAre() {
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, menu);
    FakeServices fake;
    const QString path = fake.path(QStringLiteral("KIRAMO.INI"));
    writeFile(path, contents);
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    QCOMPARE(modeMenuTexts(*form), menu);
    QFile ini(path);
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), contents);
}

void TestApp::startWithExampleModes() {
    FakeServices fake;
    const QByteArray settings = "@ A4 29.7x21\r\n@ Letter 27.9x21.6 (US)\r\n@ B5 25.7cmx18.2cm\r\n"
                                "@A4 29.7x21\r\n@\r\n@ R&D 10x10\r\n";
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")), settings);
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    QCOMPARE(modeMenuTexts(*form), (QStringList{"FreeSize", "A4 29.7x21", "Letter 27.9x21.6 (US)",
                                                "B5 25.7cmx18.2cm", "4 29.7x21", "R&&D 10x10"}));
    // The empty fifth place leaves a gap: the next mode keeps index 6.
    QVERIFY(form->menus().MCanvas[5] == nullptr);
    QCOMPARE(form->workspace().state.modes.ModeName(6), QStringLiteral("R&D"));

    // The file itself is never written.
    QFile ini(fake.path(QStringLiteral("KIRAMO.INI")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll(), settings);

    form->workspace().L1->show();
    form->menus().MCanvas[2]->trigger();
    QCOMPARE(form->workspace().state.ModeIndex, 2);
    QCOMPARE(form->windowTitle(), " Mode:Letter" + captionNotice());
    QVERIFY(form->workspace().L1->isHidden());

    form->workspace().setCaption("PHOTO.BMP (640x480)");
    form->menus().MCanvas[0]->trigger();
    QCOMPARE(form->windowTitle(), "PHOTO.BMP (640x480) Mode:FreeSize" + captionNotice());
    QCOMPARE(form->workspace().state.ModeIndex, 0);
}

void TestApp::readOnlySettingsAreReadUntouched() {
    // Settings files the user may not write (an administrator's, beside an installed copy) are
    // read as usual and stay exactly as they were: the files are only opened for reading.
    FakeServices fake;
    const QString ini = fake.path(QStringLiteral("KIRAMO.INI"));
    const QString winIni = fake.path(QStringLiteral("windows/WIN.INI"));
    QVERIFY(QDir().mkpath(fake.path(QStringLiteral("windows"))));
    const QByteArray settings = "@ A4 29.7x21\r\n";
    const QByteArray associations = "[Extensions]\r\nbmp=gimp ^.bmp\r\n";
    writeFile(ini, settings);
    writeFile(winIni, associations);
    const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    const QFileDevice::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;  // 0444
    for (const QString& path : {ini, winIni}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(QFile::setPermissions(path, readOnly));
    }

    std::unique_ptr<Form1> form;
    QString error;
    {
        const PermissionsEnforced enforced;
        QFile probe(ini);
        QVERIFY2(!probe.open(QIODevice::ReadWrite),
                 "a read-only file must not be writable while the test runs");
        form = startKiramo(fake.services(), QString(), &error);
    }
    QVERIFY2(form, qPrintable(error));
    QCOMPARE(form->workspace().state.modes.ModeName(1), QStringLiteral("A4"));
    QCOMPARE(form->workspace().state.associations.lookup(QStringLiteral(".BMP")),
             QStringLiteral("gimp"));
    for (const auto& [path, bytes] : {std::pair{ini, settings}, std::pair{winIni, associations}}) {
        const QFileInfo info(path);
        QCOMPARE(info.lastModified().toUTC(), longAgo);
        QCOMPARE(info.permissions() & 0x7077, readOnly);  // owner, group, other
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
}

void TestApp::unwritableSettingsEndsStartUp() {
    // A folder where the settings file should be can be neither created nor opened as a file.
    FakeServices fake;
    QVERIFY(QDir(fake.root.path()).mkdir(QStringLiteral("KIRAMO.INI")));
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY(!form);
    QVERIFY2(error.contains(QStringLiteral("KIRAMO.INI")), qPrintable(error));
}

void TestApp::settingsFolderThatCannotBeMadeIsNamed() {
    // WIN.INI's folder in a folder the user may not write: the folder and the reason, not the
    // "No such file or directory" of the file that could then not be made in it.
    FakeServices fake;
    const Services services = fake.services();
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")), "");
    QVERIFY(QFile::setPermissions(fake.root.path(), QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    {
        const PermissionsEnforced enforced;
        QVERIFY(!startKiramo(services, QString(), &error));
    }
    QVERIFY(QFile::setPermissions(fake.root.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY2(error.contains(fake.path(QStringLiteral("windows/WIN.INI"))), qPrintable(error));
    QVERIFY2(error.contains(fake.path(QStringLiteral("windows")) + ": Permission denied"),
             qPrintable(error));
}

void TestApp::menuBarAsDesigned() {
    FakeServices fake;
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")), "");  // the Mode menu: FreeSize alone
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);

    // name, text, visible, enabled; separators show as "-".
    QStringList rows;
    std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& indent) {
        for (QAction* a : menu->actions()) {
            rows.append(QStringLiteral("%1%2 %3%4%5")
                            .arg(indent, a->objectName(), a->isSeparator() ? "-" : a->text(),
                                 a->isVisible() ? "" : " hidden",
                                 Form1Menus::isCommandEnabled(a) ? "" : " off"));
            if (a->menu() != nullptr) {
                walk(a->menu(), indent + "  ");
            }
        }
    };
    for (QAction* top : form->menuBar()->actions()) {
        rows.append(top->objectName() + " " + top->text());
        walk(top->menu(), "  ");
    }
    const QStringList expected{
        "MFile &File",
        "  MOpen &Open...",
        "  MSave &Save As... off",
        "  MExportPdf Export PDF... off",
        "  MPrint Print... off",
        "  MBmpEd Send BMP hidden off",
        "  MBmpEdS Send BMP(selected) hidden off",
        "  MORBELLO Send BMP to ORBELLO hidden off",
        "  MSPExit -",
        "  MExit E&xit",
        "  MSpRecent -",
        "  MSaveFile 上書き保存(&S) off",
        "  MRecent 最近使ったファイル(&R)",
        "  MRestore 前回の画像を復元(&L) off",
        "MEdit &Edit",
        "  MCopy &Copy off",
        "  MPaste &Paste",
        "  MSpPal -",
        "  MPal &Color Table",
        "  MSPGrid -",
        "  MGrid Grid",
        "    MGrid8 1/8 分割",
        "    MGridT 等分...",
        "    MGridCM 寸法(cm)指定...",
        "    MGridStyle グリッドの表示形式(&S)...",
        "  MGridClear Grid Clear",
        "  MUndo 元に戻す(&U) off",
        "  MRedo やり直し(&R) off",
        "  MSpColours -",
        "  MCopyColours 色の値をコピー(&V)",
        "  MExportPalette パレットを書き出す(&E)...",
        "MView 表示(&V)",
        "  MZoomIn 拡大(&I)",
        "  MZoomOut 縮小(&O)",
        "  MActualSize 実際のサイズ(&A)",
        "  MFit 画面に合わせる(&F)",
        "  MSpTone -",
        "  MGreyscale グレースケール(&G)",
        "  MValues3 明暗 3 段階(&3)",
        "  MValues5 明暗 5 段階(&5)",
        "  MMirror 左右反転(&M)",
        "  MCellLabels セル番号(&L)",
        "  MSpZoom -",
        "  MZoomShown 表示倍率: 100 % off",
        "MOption &Option",
        "  MCap &Capture",
        "  MSpMode -",
        "  MMode &Mode",
        "    MCanvas(0) FreeSize",
        "    MSpLandscape -",
        "    MLandscape 横向き(&L)",
        "MHelp &Help",
        "  MWeb Support&Website",
    };
    QCOMPARE(rows, expected);
    // Copy and Paste (the platform's usual keys), Save, Undo, Redo and the zoom have keys.
    const Form1Menus& m = form->menus();
    QCOMPARE(m.MCopy->shortcut(), QKeySequence(QKeySequence::Copy));
    QCOMPARE(m.MPaste->shortcut(), QKeySequence(QKeySequence::Paste));
    QCOMPARE(m.MSaveFile->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+S")});
    QCOMPARE(m.MUndo->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+Z")});
    QCOMPARE(m.MRedo->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")}));
    QCOMPARE(m.MZoomIn->shortcuts(),
             QList<QKeySequence>({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")}));
    QCOMPARE(m.MZoomOut->shortcut(), QKeySequence("Ctrl+-"));
    QCOMPARE(m.MActualSize->shortcut(), QKeySequence("Ctrl+1"));
    QCOMPARE(m.MFit->shortcut(), QKeySequence("Ctrl+0"));
    const QList<QAction*> withKeys{m.MCopy,   m.MPaste,   m.MSaveFile,   m.MUndo, m.MRedo,
                                   m.MZoomIn, m.MZoomOut, m.MActualSize, m.MFit};
    for (QAction* action : form->findChildren<QAction*>()) {
        const bool standard = withKeys.contains(action);
        QVERIFY2(action->shortcut().isEmpty() != standard, qPrintable(action->text()));
        QVERIFY2(!action->isChecked(), qPrintable(action->text()));
    }
}

void TestApp::unusableModesSayWhy() {
    FakeServices fake;
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")),
              "@ A4 29.7x21\r\n@ A3 42X29.7\r\n@ Zero 0x0\r\n@ NoSize\r\n@ Flat 10x0\r\n"
              "@ Neg -10x20\r\n");
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    const QList<QAction*>& items = form->menus().MCanvas;
    QCOMPARE(items[1]->toolTip(), QStringLiteral("A4 29.7x21"));  // Qt's default: the text
    for (int i = 2; i <= 6; ++i) {
        // still listed, with the reason
        QCOMPARE(items[i]->toolTip(), unusableModeNote(*form->workspace().state.modes.mode(i)));
        QVERIFY(items[i]->isEnabled());
    }
    QVERIFY(form->menus().MMode->toolTipsVisible());
    // Sizes that cannot be read, and sizes that read well but are not above 0, say different
    // things; the second names the sizes as read.
    const QString unreadable = items[2]->toolTip();
    QCOMPARE(items[4]->toolTip(), unreadable);
    for (int i : {3, 5, 6}) {
        QVERIFY2(items[i]->toolTip() != unreadable, qPrintable(items[i]->toolTip()));
    }
    QVERIFY2(items[3]->toolTip().contains("0x0"), qPrintable(items[3]->toolTip()));
    QVERIFY2(items[6]->toolTip().contains("-10x20"), qPrintable(items[6]->toolTip()));
    CaptureMode noNumber{"Odd ax2", "Odd", 0.0, 2.0};
    QCOMPARE(modeSizeFault(noNumber), ModeSizeFault::Unreadable);
}

void TestApp::unicodeSettingsFiles_data() {
    QTest::addColumn<QByteArray>("encoding");
    QTest::newRow("UTF-16 LE") << QByteArray("UTF-16LE");
    QTest::newRow("UTF-16 BE") << QByteArray("UTF-16BE");
    QTest::newRow("UTF-8 with its mark") << QByteArray("UTF-8");
}

void TestApp::unicodeSettingsFiles() {
    QFETCH(QByteArray, encoding);
    const auto encoded = [&](const QString& text) {
        QStringEncoder encoder(encoding.constData(), QStringEncoder::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    FakeServices fake;
    writeFile(fake.path(QStringLiteral("KIRAMO.INI")),
              encoded(QStringLiteral("; 四切り\r\n@ 四切 54.5x39.4\r\n@ A4 29.7x21\r\n")));
    QVERIFY(QDir().mkpath(fake.path(QStringLiteral("windows"))));
    writeFile(fake.path(QStringLiteral("windows/WIN.INI")),
              encoded(QStringLiteral("[Extensions]\r\nbmp=/opt/お絵かき/paint ^.bmp\r\n")));
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    const ModeTable& modes = form->workspace().state.modes;
    QCOMPARE(modes.ModeName(1), QStringLiteral("四切"));
    QCOMPARE(modes.ModeWidth(1), 54.5);
    QCOMPARE(modes.ModeName(2), QStringLiteral("A4"));
    QCOMPARE(form->workspace().state.associations.lookup(".BMP"),
             QStringLiteral("/opt/お絵かき/paint"));
}

void TestApp::settingsThatAreNoFileEndStartUp_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("pipe");  // a named pipe, else a link to /dev/zero
    QTest::newRow("KIRAMO.INI a pipe") << "KIRAMO.INI" << true;
    QTest::newRow("KIRAMO.INI a link to /dev/zero") << "KIRAMO.INI" << false;
    QTest::newRow("WIN.INI a pipe") << "windows/WIN.INI" << true;
    QTest::newRow("WIN.INI a link to /dev/zero") << "windows/WIN.INI" << false;
}

void TestApp::settingsThatAreNoFileEndStartUp() {
    // Either would hold start-up up with no window: blocked in open, or reading zeros forever.
    QFETCH(QString, name);
    QFETCH(bool, pipe);
    FakeServices fake;
    QVERIFY(QDir().mkpath(fake.path(QStringLiteral("windows"))));
    const QString path = fake.path(name);
    if (pipe) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    }
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY(!form);
    QVERIFY2(error.contains(path), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("通常のファイルではありません")), qPrintable(error));
    QVERIFY2(pipe || error.contains(QStringLiteral("/dev/zero")), qPrintable(error));

    // A link to a regular file is read as the file.
    QVERIFY(QFile::remove(path));
    writeFile(fake.path(QStringLiteral("real.ini")), "");
    QVERIFY(QFile::link(fake.path(QStringLiteral("real.ini")), path));
    form = startKiramo(fake.services(), QString(), &error);
    QVERIFY2(form, qPrintable(error));
}

void TestApp::settingsThatCannotBeMadeSayWhy_data() {
    QTest::addColumn<QString>("link");  // made a link to a place that does not exist
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("settings");
    QTest::newRow("KIRAMO.INI a dangling link") << "KIRAMO.INI"
                                                << "gone/KIRAMO.INI"
                                                << "KIRAMO.INI";
    QTest::newRow("WIN.INI's folder a dangling link") << "windows"
                                                      << "gone"
                                                      << "windows/WIN.INI";
}

void TestApp::settingsThatCannotBeMadeSayWhy() {
    // Not "File exists" or "No such file or directory": what stands in the way.
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QString, settings);
    FakeServices fake;
    QVERIFY(QFile::link(fake.path(target), fake.path(link)));
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), QString(), &error);
    QVERIFY(!form);
    QVERIFY2(error.contains(fake.path(settings)), qPrintable(error));
    QVERIFY2(error.contains(fake.path(link) + " は " + fake.path(target) + " へのリンク"),
             qPrintable(error));
}

void TestApp::captionShowsTheModeBeforeTheNotice() {
    // Window managers shorten a caption that does not fit; what follows the mode must not be
    // what fills the title bar.
    const QFontMetrics metrics(QApplication::font());
    QVERIFY(metrics.horizontalAdvance(captionNotice()) <=
            1.5 * metrics.horizontalAdvance(QStringLiteral(" Mode:FreeSize")));
}

void TestApp::everyMenuVisibleAtStartupWidth() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // The design's inner width of 2565 twips is 171 logical pixels, at every scale, unless the
    // menu bar needs more.
    const AppState& state = form->workspace().state;
    QCOMPARE(state.MinFormWidth, std::max(171, form->menuBar()->sizeHint().width()));
    QCOMPARE(form->menuBar()->height(), state.FrameExtraHeight);
    // The empty window's canvas area is the hint of the first step, whole.
    auto* hint = form->findChild<QLabel*>(QStringLiteral("FirstStepHint"));
    QVERIFY(hint && hint->isVisible());
    QCOMPARE(form->innerSize(),
             QSize(std::max(state.MinFormWidth - state.FrameExtraWidth, hint->sizeHint().width()),
                   hint->sizeHint().height()));
    QCOMPARE(hint->geometry(), QRect(QPoint(0, 0), form->innerSize()));
    // Nothing to scroll to under it: no scroll bar across its text.
    for (QScrollBar* bar : form->findChildren<QScrollBar*>()) {
        QVERIFY(!bar->isVisible());
    }
    for (QAction* top : form->menuBar()->actions()) {
        const QRect r = form->menuBar()->actionGeometry(top);
        QVERIFY2(!r.isEmpty() && r.right() < form->menuBar()->width(), qPrintable(top->text()));
    }
    for (QToolButton* button : form->menuBar()->findChildren<QToolButton*>()) {
        QVERIFY(!button->isVisible());  // no overflow button
    }
}

void TestApp::commitFitsWindowAroundCanvas() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const int minWidth = form->workspace().state.MinFormWidth;
    // Window geometry is logical; the images are device pixels. The strip is 285 twips high:
    // 19 logical pixels.
    const double ratio = form->devicePixelRatioF();
    const QSize wide = testing::coveringSize(QSize(640, 480), ratio);

    form->workspace().P1->setImage(filled(QSize(100, 80), Qt::red));
    form->workspace().CommitCanvas();
    QCOMPARE(form->width(), minWidth);
    QCOMPARE(form->innerSize(), QSize(minWidth - form->workspace().state.FrameExtraWidth,
                                      testing::coveringSize(QSize(100, 80), ratio).height()));
    QCOMPARE(form->workspace().P2, form->workspace().P1->image());

    form->workspace().P1->setImage(filled(QSize(640, 480), Qt::blue));
    form->workspace().CommitCanvas();
    QCOMPARE(form->innerSize(), wide);

    form->P3()->show();
    form->workspace().CommitCanvas();
    QCOMPARE(form->innerSize(), wide + QSize(0, 19));
    QCOMPARE(form->P3()->geometry(), QRect(QPoint(0, wide.height()), QSize(wide.width(), 19)));
    QCOMPARE(form->workspace().P1->geometry(), QRect(QPoint(0, 0), wide));

    form->P3()->hide();
    form->workspace().CommitCanvas();
    QCOMPARE(form->innerSize(), wide);
}

void TestApp::resizeSpringsBackToStartupWidth() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // While empty, the window keeps the hint whole.
    const QSize empty = form->size();
    form->resize(50, 10);
    QTRY_COMPARE(form->size(), empty);
    form->workspace().replacePicture(filled(QSize(10, 10), Qt::red), std::nullopt);
    form->resize(50, 300);
    QTRY_COMPARE(form->width(), form->workspace().state.MinFormWidth);
    QCOMPARE(form->height(), 300);  // the height is free
}

void TestApp::enableImageCommands() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->workspace().EnableImageCommands();
    for (QAction* a :
         {form->menus().MSave, form->menus().MBmpEd, form->menus().MORBELLO, form->menus().MCopy}) {
        QVERIFY2(Form1Menus::isCommandEnabled(a), qPrintable(a->text()));
    }
    QVERIFY(!Form1Menus::isCommandEnabled(form->menus().MBmpEdS));
    QVERIFY(!form->menus().MBmpEd->isVisible());
}

void TestApp::fileMenuRuleFollowsSelection() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->workspace().L1->show();
    emit form->menus().MFile->aboutToShow();
    QVERIFY(Form1Menus::isCommandEnabled(form->menus().MBmpEdS));
    form->selectMode(0);  // a mode change removes the selection
    emit form->menus().MFile->aboutToShow();
    QVERIFY(!Form1Menus::isCommandEnabled(form->menus().MBmpEdS));
}

void TestApp::menuTableNamesItsItems() {
    // A table row whose object name and Form1Menus member disagree (a copied row half edited)
    // would wire one item's rules to another.
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    const Form1Menus& m = form->menus();
    const std::span<const MenuEntry> entries = form1MenuBar();
    for (qsizetype i = 0; i < qsizetype(entries.size()); ++i) {
        const MenuEntry& e = entries[i];
        QCOMPARE(m.item(i)->objectName(), QLatin1String(e.name));
        if (e.action != nullptr) {
            QCOMPARE(m.*e.action, m.item(i));
        }
        if (e.menu != nullptr) {
            QCOMPARE((m.*e.menu)->menuAction(), m.item(i));
        }
    }
}

void TestApp::dropDownRulesStayInTheirMenu() {
    // The centimetre grid's rule belongs to Edit (through the Grid submenu), the selected
    // Send's to File: opening any other menu leaves them as they are.
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    const Form1Menus& m = form->menus();
    form->workspace().L1->show();
    for (QMenu* other : {m.MFile, m.MOption, m.MHelp}) {
        emit other->aboutToShow();
    }
    QVERIFY(Form1Menus::isCommandEnabled(m.MGridCM));  // as at start, though FreeSize
    emit m.MEdit->aboutToShow();
    QVERIFY(!Form1Menus::isCommandEnabled(m.MGridCM));
    form->workspace().L1->hide();
    emit m.MEdit->aboutToShow();
    QVERIFY(Form1Menus::isCommandEnabled(m.MBmpEdS));  // File's rule did not run
}

void TestApp::dropDownAllows_data() {
    QTest::addColumn<bool>("needsImage");
    QTest::addColumn<bool>("needsMode");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("imageArrived");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("selection") << false << false << true << 0 << false << true;
    QTest::newRow("no selection") << false << false << false << 3 << true << false;
    QTest::newRow("mode and selection") << false << true << true << 3 << false << true;
    QTest::newRow("FreeSize") << false << true << true << 0 << true << false;
    QTest::newRow("image and selection") << true << false << true << 0 << true << true;
    QTest::newRow("selection on the blank canvas") << true << false << true << 0 << false << false;
}

void TestApp::dropDownAllows() {
    QFETCH(bool, needsImage);
    QFETCH(bool, needsMode);
    QFETCH(bool, selection);
    QFETCH(int, mode);
    QFETCH(bool, imageArrived);
    QFETCH(bool, allowed);
    const MenuEntry entry{.needsImage = needsImage, .needsSelection = true, .needsMode = needsMode};
    QCOMPARE(kiramo::dropDownAllows(entry, selection, mode, imageArrived), allowed);
}

void TestApp::shutDownRemovesOnlyTheTemporaryFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("removed");
    QTest::newRow("ordinary file") << "file" << true;
    QTest::newRow("none") << "none" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("link to a file") << "link" << false;
}

void TestApp::shutDownRemovesOnlyTheTemporaryFile() {
    QFETCH(QString, kind);
    QFETCH(bool, removed);
    FakeServices fake;
    const QString temporary = fake.path(QStringLiteral("$KIRTMP$.bmp"));
    const QString target = fake.path(QStringLiteral("precious.bmp"));
    writeFile(target, "keep");
    if (kind == "file") {
        writeFile(temporary, "BM");
    } else if (kind == "folder") {
        QVERIFY(QDir().mkdir(temporary));
    } else if (kind == "link") {
        QVERIFY(QFile::link(target, temporary));
    }
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    form->show();
    form->menus().MExit->trigger();
    QVERIFY(!form->isVisible());
    QCOMPARE(QFileInfo(temporary).exists() || QFileInfo(temporary).isSymLink(),
             kind != "none" && !removed);
    QVERIFY(QFile::exists(target));
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
