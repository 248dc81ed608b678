#include "canvas/SizeLabel.h"
#include "core/Caption.h"
#include "exchange/Clipboard.h"
#include "exchange/HandOff.h"
#include "fakes/MouseInput.h"
#include "fakes/Pictures.h"
#include "fakes/Session.h"
#include "files/FileCommands.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTranslator>

#include <sys/stat.h>
#include <unistd.h>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

QImage picture(QSize size) {
    return patternImage(size);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Selects a rectangle of device pixels.
void select(Form1& form, const QRectF& pixels) {
    form.workspace().L1->setRect(twipsOf(form, pixels));
    form.workspace().L1->show();
}

QImage clipboardImage() {
    return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
}

QImage readBitmap(const QString& path) {
    return QImage(path, "bmp").convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    void copyTheSelectionThenTheCanvas();
    void copyKeepsGridLinesAndBlackOutside();
    void pasteWithoutAPicture();
    void pasteAPicture();
    void editMenuRule_data();
    void editMenuRule();
    void sendBitmap_data();
    void sendBitmap();
    void sendWithoutAnEditor();
    void selectionOfNoPixelCopiesAndSendsNothing();
    void copyAndPasteByKeys();
    void sendToOrbello_data();
    void sendToOrbello();
    void temporaryBitmapGoesAtShutDown();
    void supportPageShipsWithTheProgram();
    void helpPageInEachLanguage_data();
    void helpPageInEachLanguage();
    void handOffFolderIsPrivate_data();
    void handOffFolderIsPrivate();
    void runtimeFolderWithoutTheSessionsIsTheCache();
    void failedHandOffNamesTheFile();
};

void TestExchange::copyTheSelectionThenTheCanvas() {
    Session s;
    const QImage canvas = picture(QSize(400, 300));
    s.setCanvas(canvas);
    select(*s.form, QRectF(100, 50, 200, 100));
    s.form->menus().MCopy->trigger();
    QCOMPARE(clipboardImage(), canvas.copy(100, 50, 200, 100));
    QVERIFY(!s.ws().hasSelection());
    s.form->menus().MCopy->trigger();
    QCOMPARE(clipboardImage(), canvas);
}

void TestExchange::copyKeepsGridLinesAndBlackOutside() {
    Session s;
    s.setCanvas(picture(QSize(400, 300)));
    s.form->menus().MGrid8->trigger();
    const QImage withGrid = s.ws().P1->image().copy();
    s.form->menus().MCopy->trigger();
    QCOMPARE(clipboardImage(), withGrid);

    select(*s.form, QRectF(350, 280, 100, 40));  // runs off the canvas
    s.form->menus().MCopy->trigger();
    const QImage cut = clipboardImage();
    QCOMPARE(cut.size(), QSize(100, 40));
    QCOMPARE(cut.pixelColor(49, 19), withGrid.pixelColor(399, 299));
    QCOMPARE(cut.pixelColor(50, 10), QColor(Qt::black));
    QCOMPARE(cut.pixelColor(10, 20), QColor(Qt::black));
}

void TestExchange::pasteWithoutAPicture() {
    Session s;
    s.setCanvas(picture(QSize(100, 80)));
    select(*s.form, QRectF(10, 10, 20, 20));
    QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
    s.form->menus().MPaste->trigger();
    QCOMPARE(s.fake.prompts.calls, QStringList{"beep"});
    QCOMPARE(s.ws().P1->image(), picture(QSize(100, 80)));
    QVERIFY(s.ws().hasSelection());

    auto* broken = new QMimeData;
    broken->setData(QStringLiteral("image/png"), "not a png at all");
    QGuiApplication::clipboard()->setMimeData(broken);
    s.form->menus().MPaste->trigger();
    QCOMPARE(s.fake.prompts.calls, (QStringList{"beep", "beep"}));
}

void TestExchange::pasteAPicture() {
    Session s;  // the empty start canvas
    s.ws().state.CurrentFile = QStringLiteral("/pics/a.bmp");
    s.ws().setCaption(QStringLiteral("A.BMP (165x137)"));
    const QString caption = s.form->windowTitle();
    select(*s.form, QRectF(10, 10, 20, 20));
    QImage pasted(1500, 1200, QImage::Format_ARGB32);
    pasted.fill(QColor(10, 20, 30));
    pasted.setPixelColor(5, 5, QColor(0, 0, 0, 0));  // a transparent pixel
    QGuiApplication::clipboard()->setImage(pasted);
    s.form->menus().MPaste->trigger();
    QVERIFY(s.fake.prompts.calls.isEmpty());
    QCOMPARE(s.ws().P1->imageSize(), QSize(1500, 1200));
    QCOMPARE(s.ws().P1->image().pixelColor(0, 0), QColor(10, 20, 30));
    QCOMPARE(s.ws().P1->image().pixelColor(5, 5), QColor(Qt::white));
    QCOMPARE(s.form->innerSize(), coveringSize(QSize(1500, 1200), s.form->devicePixelRatioF()));
    QCOMPARE(s.ws().P2, s.ws().P1->image());
    QVERIFY(!s.ws().hasSelection());
    QCOMPARE(s.form->windowTitle(), u'*' + caption);  // the same subject, not saved
    QCOMPARE(s.ws().state.CurrentFile, QStringLiteral("/pics/a.bmp"));
    for (QAction* a : {s.form->menus().MSave, s.form->menus().MCopy, s.form->menus().MBmpEd,
                       s.form->menus().MORBELLO}) {
        QVERIFY(Form1Menus::isCommandEnabled(a));
    }
}

void TestExchange::editMenuRule_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("FreeSize, no selection") << 0 << false << false;
    QTest::newRow("FreeSize, selection") << 0 << true << false;
    QTest::newRow("mode, no selection") << 1 << false << true;  // the whole canvas
    QTest::newRow("mode, selection") << 1 << true << true;
}

void TestExchange::editMenuRule() {
    QFETCH(int, mode);
    QFETCH(bool, selection);
    QFETCH(bool, enabled);
    Session s("@ A4 29.7x21\r\n");
    s.form->selectMode(mode);
    if (selection) {
        select(*s.form, QRectF(10, 10, 20, 20));
    }
    emit s.form->menus().MEdit->aboutToShow();
    QCOMPARE(s.form->menus().MGridCM->isEnabled(), enabled);
    QVERIFY(s.form->menus().MPaste->isEnabled());
    QVERIFY(s.form->menus().MGridClear->isEnabled());
}

void TestExchange::sendBitmap_data() {
    QTest::addColumn<bool>("selected");
    QTest::newRow("the canvas") << false;
    QTest::newRow("the selection") << true;
}

void TestExchange::sendBitmap() {
    QFETCH(bool, selected);
    Session s;
    QFile ini(s.fake.path("windows/WIN.INI"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Extensions]\r\nbmp=\"/opt/My Paint/paint\" --new ^.bmp\r\n");
    ini.close();
    QVERIFY(ReadAssociations(*s.form, ini.fileName(), nullptr));
    const QImage canvas = picture(QSize(300, 200));
    s.setCanvas(canvas);
    select(*s.form, QRectF(100, 50, 200, 100));
    selected ? sendSelectedBitmap(s.ws()) : kiramo::sendBitmap(s.ws());

    const QString temporary = s.fake.path("$KIRTMP$.bmp");
    QCOMPARE(s.fake.programs.starts.size(), 1);
    QCOMPARE(s.fake.programs.starts.first().program, QStringLiteral("/opt/My Paint/paint"));
    QCOMPARE(s.fake.programs.starts.first().arguments, (QStringList{"--new", temporary}));
    QCOMPARE(readBitmap(temporary), selected ? canvas.copy(100, 50, 200, 100) : canvas);
    QVERIFY(s.ws().hasSelection());  // a send leaves the selection

    s.form->menus().MGrid8->trigger();  // the next send overwrites the same file, grid included
    kiramo::sendBitmap(s.ws());
    QCOMPARE(readBitmap(temporary), s.ws().P1->image());
}

void TestExchange::sendWithoutAnEditor() {
    Session s;
    s.setCanvas(picture(QSize(30, 20)));
    kiramo::sendBitmap(s.ws());
    QCOMPARE(s.fake.prompts.calls,
             (QStringList{"beep", "message: 該当する拡張子 [BMP] が関連付けされていません"}));
    QVERIFY(s.fake.programs.starts.isEmpty());
    QVERIFY(!QFile::exists(s.fake.path("$KIRTMP$.bmp")));
}

void TestExchange::selectionOfNoPixelCopiesAndSendsNothing() {
    Session s;
    QFile ini(s.fake.path("windows/WIN.INI"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Extensions]\r\nbmp=paint ^.bmp\r\n");
    ini.close();
    QVERIFY(ReadAssociations(*s.form, ini.fileName(), nullptr));
    s.setCanvas(picture(QSize(30, 20)));
    QGuiApplication::clipboard()->setText(QStringLiteral("what the user copied"));
    s.ws().L1->setRect(LabelRect{150, 150, 1, 1});  // what a single click leaves
    s.ws().L1->show();
    s.form->menus().MCopy->trigger();
    sendSelectedBitmap(s.ws());
    QCOMPARE(s.fake.prompts.calls, (QStringList{"beep", "beep"}));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user copied"));
    QVERIFY(s.fake.programs.starts.isEmpty());
    QVERIFY(!QFile::exists(s.fake.path("$KIRTMP$.bmp")));
}

void TestExchange::copyAndPasteByKeys() {
    Session s;
    const QImage canvas = picture(QSize(30, 20));
    s.setCanvas(canvas);
    s.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    QTest::keyClick(s.form.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardImage(), canvas);
    const QImage other = picture(QSize(12, 9)).mirrored();
    QGuiApplication::clipboard()->setImage(other);
    QTest::keyClick(s.form.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(s.ws().P1->image(), other.convertToFormat(QImage::Format_RGB32));
}

void TestExchange::sendToOrbello_data() {
    QTest::addColumn<QString>("currentFile");
    QTest::addColumn<bool>("starts");
    QTest::newRow("current file with blanks") << "/pics/my pictures/a.bmp" << true;
    QTest::newRow("after a capture") << "" << true;
    QTest::newRow("ORBELLO missing") << "" << false;
}

void TestExchange::sendToOrbello() {
    QFETCH(QString, currentFile);
    QFETCH(bool, starts);
    Session s;
    s.fake.programs.succeeds = starts;
    s.setCanvas(picture(QSize(30, 20)));
    s.ws().state.CurrentFile = currentFile;
    kiramo::sendToOrbello(s.ws());
    const QString temporary = s.fake.path("$KIRTMP$.bmp");
    QCOMPARE(s.fake.programs.starts.size(), 1);
    QCOMPARE(s.fake.programs.starts.first().program, s.fake.path("ORBELLO"));
    QCOMPARE(s.fake.programs.starts.first().arguments,
             QStringList{currentFile.isEmpty() ? temporary : currentFile});
    QCOMPARE(QFile::exists(temporary), currentFile.isEmpty());
    QCOMPARE(s.fake.prompts.calls.isEmpty(), starts);
}

void TestExchange::temporaryBitmapGoesAtShutDown() {
    Session s;
    s.setCanvas(picture(QSize(30, 20)));
    kiramo::sendToOrbello(s.ws());
    const QString temporary = s.ws().services.folders.temporaryBitmap();
    QVERIFY(QFile::exists(temporary));
    s.form->close();
    QVERIFY(!QFile::exists(temporary));
}

void TestExchange::supportPageShipsWithTheProgram() {
    // A copy of the program in a folder of its own: no share/ beside it.
    Session s;
    s.form->menus().MWeb->trigger();
    QCOMPARE(s.fake.programs.urls.size(), 1);
    const QString opened = s.fake.programs.urls.first().toLocalFile();
    QFile shown(opened);
    QVERIFY2(shown.open(QIODevice::ReadOnly), qPrintable(opened));
    const QByteArray html = shown.readAll();
    QVERIFY(html.contains("KIRAMO.INI") && html.contains("WIN.INI"));
    QVERIFY(s.fake.prompts.calls.isEmpty());

    s.fake.programs.succeeds = false;  // no browser
    s.form->menus().MWeb->trigger();
    QCOMPARE(s.fake.prompts.calls.size(), 2);
    QCOMPARE(s.fake.prompts.calls.first(), QStringLiteral("beep"));
    QVERIFY(s.fake.prompts.calls.last().contains(QDir::toNativeSeparators(opened)));

    // Beside this test's executable, as beside the program's in the build tree and installed.
    const QUrl page = supportPageUrl(QCoreApplication::applicationDirPath());
    QVERIFY(page.isLocalFile());
    QVERIFY2(QFile::exists(page.toLocalFile()), qPrintable(page.toLocalFile()));
}

// A translation that names the help page in English, as the program's English does.
class EnglishHelpName : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        return QByteArrayView(context) == "HandOff" && QByteArrayView(source) == "help.html"
                   ? QStringLiteral("help.en.html")
                   : QString();
    }
    [[nodiscard]] bool isEmpty() const override { return false; }
};

void TestExchange::helpPageInEachLanguage_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("says");  // besides the commands' own captions
    // The commands as the menus of that language name them, the new ones among them.
    QTest::newRow("Japanese")
        << false << "ja"
        << QStringList{
               "ドラッグ&amp;ドロップ", "1/8 分割",       "上書き保存",      "元に戻す",
               "グリッドの表示形式...", "<h2>表示</h2>",  "横向き",          "最近使ったファイル",
               "前回の画像を復元",      "色の値をコピー", "kiramo --capture"};
    QTest::newRow("English")
        << true << "en"
        << QStringList{
               "Drag and drop", "1/8 Divisions",        "Spacing (cm)...",    "Save (Ctrl+S)",
               "Undo",          "Grid Style...",        "<h2>View</h2>",      "Landscape",
               "Open Recent",   "Restore Last Picture", "Copy Colour Values", "kiramo --capture"};
}

void TestExchange::helpPageInEachLanguage() {
    QFETCH(bool, english);
    QFETCH(QString, lang);
    QFETCH(QStringList, says);
    EnglishHelpName translator;
    if (english) {
        QCoreApplication::installTranslator(&translator);
    }
    // Installed beside the program and shipped inside it, the same page.
    const QString installed = supportPageUrl(QCoreApplication::applicationDirPath()).toLocalFile();
    QFile shipped(QStringLiteral(":/") + helpPageName());
    QCoreApplication::removeTranslator(&translator);
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(shipped.readAll());
    QFile beside(installed);
    QVERIFY2(beside.open(QIODevice::ReadOnly), qPrintable(installed));
    QCOMPARE(QString::fromUtf8(beside.readAll()), page);
    QVERIFY(page.contains(QStringLiteral("<html lang=\"%1\">").arg(lang)));
    for (const QString& text : says + QStringList{"Export PDF...", "Print...", "Ctrl+S"}) {
        QVERIFY2(page.contains(text), qPrintable(text));
    }
    // Commands hidden from the menus are not offered.
    for (const char* hidden : {"Send BMP", "ORBELLO", "KIRTMP"}) {
        QVERIFY2(!page.contains(QLatin1String(hidden)), hidden);
    }
}

void TestExchange::handOffFolderIsPrivate_data() {
    QTest::addColumn<QString>("planted");  // what stands at the runtime folder's name beforehand
    QTest::addColumn<bool>("send");        // Send BMP's temporary bitmap, else the help page
    QTest::addColumn<bool>("used");
    QTest::newRow("link, help page") << "link" << false << false;
    QTest::newRow("link, temporary bitmap") << "link" << true << false;
    QTest::newRow("other user's, help page") << "other user" << false << false;
    QTest::newRow("other user's, temporary bitmap") << "other user" << true << false;
    QTest::newRow("open to all, made private") << "open to all" << false << true;
    QTest::newRow("nothing, made private") << "nothing" << true << true;
    // The program's folder holds the bitmap only when it is the user's own; either way a link
    // at the bitmap's name is replaced, never followed.
    QTest::newRow("link beside a program in a folder open to all") << "shared" << true << true;
    QTest::newRow("link beside the user's own program") << "own" << true << true;
    QTest::newRow("hard link beside the user's own program") << "own, hard" << true << true;
}

void TestExchange::handOffFolderIsPrivate() {
    // Without a writable executable folder the help page and the temporary bitmap go to the
    // runtime folder under a fixed name: another user who makes that name first must get
    // neither the files nor a way to have ours replace one of theirs.
    QFETCH(QString, planted);
    QFETCH(bool, send);
    QFETCH(bool, used);
    Session s;
    Workspace& workspace = s.ws();
    workspace.services.folders.temporary = workspace.services.folders.runtime;
    workspace.state.associations.AssocExt[0] = QStringLiteral(".BMP");
    workspace.state.associations.AssocCommand[0] = QStringLiteral("paint");
    workspace.state.associations.AssocLast = 1;
    const QString runtime = workspace.services.folders.runtime;
    const QString name = send ? QStringLiteral("$KIRTMP$.bmp") : QStringLiteral("help.html");
    QTemporaryDir victim;
    const QString victimFile = victim.filePath(name);
    writeFile(victimFile, "victim's own");
    QTemporaryDir program;
    const QString beside = joinPath(program.path(), name);
    if (planted == "shared" || planted.startsWith("own")) {
        QVERIFY(::chmod(QFile::encodeName(program.path()).constData(),
                        planted == "shared" ? 01777 : 0700) == 0);
        const AppFolders& old = workspace.services.folders;
        workspace.services.folders =
            AppFolders::resolve(program.path(), old.settings, runtime, old.windows);
        QVERIFY(planted == "own, hard" ? ::link(QFile::encodeName(victimFile).constData(),
                                                QFile::encodeName(beside).constData()) == 0
                                       : QFile::link(victimFile, beside));
    } else if (planted == "link") {
        QVERIFY(QFile::link(victim.path(), runtime));
    } else if (planted == "other user") {
        QVERIFY(QDir().mkdir(runtime));
        QVERIFY(QFile::link(victimFile, joinPath(runtime, name)));
        const uid_t other = ::geteuid() == 65534 ? 65533 : 65534;
        if (::lchown(QFile::encodeName(runtime).constData(), other, other) != 0) {
            QSKIP("only root can give a folder to another user");
        }
    } else if (planted == "open to all") {
        QVERIFY(QDir().mkdir(runtime));
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0777) == 0);
    }

    s.setCanvas(picture(QSize(30, 20)));
    send ? kiramo::sendBitmap(workspace) : s.form->menus().MWeb->trigger();

    QFile kept(victimFile);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("victim's own"));
    const int handedOver = s.fake.programs.starts.size() + s.fake.programs.urls.size();
    QCOMPARE(handedOver, used ? 1 : 0);
    if (!used) {
        QCOMPARE(s.fake.prompts.calls.size(), 2);
        QVERIFY2(s.fake.prompts.calls.last().contains(runtime),
                 qPrintable(s.fake.prompts.calls.last()));
        return;
    }
    if (planted.startsWith("own")) {
        QVERIFY(QFileInfo(beside).isFile() && !QFileInfo(beside).isSymLink());
        return;
    }
    QVERIFY(QFileInfo(joinPath(runtime, name)).isFile());
    struct stat st {};
    QVERIFY(::lstat(QFile::encodeName(runtime).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
}

void TestExchange::runtimeFolderWithoutTheSessionsIsTheCache() {
    // Without XDG_RUNTIME_DIR, Qt's fallback and the temp folder are shared places.
    QTemporaryDir cache;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const AppFolders folders = AppFolders::forThisProgram();
    runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);
    cacheHome.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", cacheHome);
    QCOMPARE(folders.runtime, cache.filePath(QStringLiteral("KIRAMO")));
}

void TestExchange::failedHandOffNamesTheFile() {
    // The writer's reason alone ("Is a directory", "Permission denied") says nothing of where.
    Session s;
    const QString temporary = s.ws().services.folders.temporaryBitmap();
    QVERIFY(QDir().mkdir(temporary));
    s.setCanvas(picture(QSize(30, 20)));
    kiramo::sendToOrbello(s.ws());
    QVERIFY(s.fake.programs.starts.isEmpty());
    QCOMPARE(s.fake.prompts.calls.size(), 2);
    QVERIFY2(s.fake.prompts.calls.last().contains(temporary),
             qPrintable(s.fake.prompts.calls.last()));
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
