#include "app/Drops.h"
#include "canvas/Surface.h"
#include "core/BitmapCodec.h"
#include "core/Caption.h"
#include "fakes/BitmapFiles.h"
#include "fakes/Pictures.h"
#include "fakes/ReadOnlyFolder.h"
#include "fakes/Session.h"
#include "files/FileCommands.h"
#include "files/ImageFiles.h"
#include "overlay/GridCommands.h"
#include "platform/FileChecks.h"
#include "platform/FileReplacement.h"
#include "platform/NativeNames.h"
#include "platform/ProgramStarter.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// The 24-bit `file` of bitmap() with an OS/2 1.x header instead of its own.
QByteArray os2Bitmap(const QByteArray& file) {
    const int width = qFromLittleEndian<qint32>(file.constData() + 18);
    const int height = qFromLittleEndian<qint32>(file.constData() + 22);
    return bmpFile(coreHeader(width, height, 24), file.mid(54));
}

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Formats = QMap<QString, QByteArray>;

// PNG bytes of `image`.
QByteArray pngOf(const QImage& image) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QImageWriter(&png, "png").write(image);
    return png.data();
}

// Drop data: `links` (file names in `folder`, or whole URLs) and `formats` (MIME type: bytes;
// "qt-image" for a picture that the platform decoded, of the size that the bytes' PNG has).
std::unique_ptr<QMimeData> dropData(const QDir& folder, const QStringList& links,
                                    const Formats& formats) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& link : links) {
        urls.append(link.contains(u':') ? QUrl(link) : QUrl::fromLocalFile(folder.filePath(link)));
    }
    if (!urls.isEmpty()) {
        data->setUrls(urls);
    }
    for (auto it = formats.cbegin(); it != formats.cend(); ++it) {
        if (it.key() == QLatin1String("qt-image")) {
            data->setImageData(QImage::fromData(it.value()));
        } else {
            data->setData(it.key(), it.value());
        }
    }
    return data;
}

}  // namespace

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void commandWithFile();
    void relativeCommandsFromTheirFolder_data();
    void relativeCommandsFromTheirFolder();

    void filesThatAreNotPictures_data();
    void filesThatAreNotPictures();

    void openDialogSettings();
    void openChoices_data();
    void openChoices();
    void loadFormats_data();
    void loadFormats();
    void loadFailureKeepsCommittedState_data();
    void loadFailureKeepsCommittedState();
    void commandLineLoadsAtStart();
    void fileNameBytes_data();
    void fileNameBytes();
    void linkNotesKeepTheNamesBytes_data();
    void linkNotesKeepTheNamesBytes();
    void nameThatIsNotUtf8_data();
    void nameThatIsNotUtf8();
    void whatIsDropped_data();
    void whatIsDropped();
    void dropOnTheWindow_data();
    void dropOnTheWindow();
    void everyWayInTakesTheSameSizes_data();
    void everyWayInTakesTheSameSizes();

    void saveAsProposesTheCurrentFile();
    void saveWritesABitmap_data();
    void saveWritesABitmap();
    void captionSizeIsThePicturesAtEveryScale_data();
    void captionSizeIsThePicturesAtEveryScale();
    void saveOverAnExistingFile();
    void saveIntoAMissingFolder();
    void failedWriteLeavesTheOldFile();
    void saveOverAFileInAReadOnlyFolder();
    void saveOntoWhatIsNotAFile_data();
    void saveOntoWhatIsNotAFile();
    void pictureArrivingDuringASaveStaysUnsaved_data();
    void pictureArrivingDuringASaveStaysUnsaved();
    void cancelledSaveKeepsTheOldFile_data();
    void cancelledSaveKeepsTheOldFile();
    void abandonedReplacementLeavesNoTrace_data();
    void abandonedReplacementLeavesNoTrace();
    void cancelledLoadChangesNothing();
    void openRecentListsWhatWasOpenedAndSaved();
    void exitKeepsUnsavedWorkForTheNextRun_data();
    void exitKeepsUnsavedWorkForTheNextRun();
    void autosaveAfterLongWork_data();
    void autosaveAfterLongWork();
    void exitDuringASaveFinishesIt();
};

namespace {

// The items of File > Open Recent as it opens: text, and " off" when greyed.
QStringList recentItems(const Form1& form) {
    QMenu* menu = form.menus().MRecent;
    emit menu->aboutToShow();
    QStringList items;
    for (const QAction* a : menu->actions()) {
        items.append(a->isSeparator() ? "-" : a->text() + (a->isEnabled() ? "" : " off"));
    }
    return items;
}

}  // namespace

void TestFiles::commandWithFile() {
    const CommandLine plain = kiramo::commandWithFile("gimp", "/tmp/a b;rm x.png", "/etc");
    QCOMPARE(plain.program, QStringLiteral("gimp"));
    QCOMPARE(plain.arguments, QStringList{"/tmp/a b;rm x.png"});
    const CommandLine quoted =
        kiramo::commandWithFile("\"/opt/My Viewer/view\" -n", "/tmp/$KIRTMP$.bmp", "/etc");
    QCOMPARE(quoted.program, QStringLiteral("/opt/My Viewer/view"));
    QCOMPARE(quoted.arguments, (QStringList{"-n", "/tmp/$KIRTMP$.bmp"}));
}

void TestFiles::relativeCommandsFromTheirFolder_data() {
    // The Open dialog moves the current folder to the opened file's, so a command found from
    // there would run whatever lies beside that file.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program");
    QTest::newRow("dot slash") << "./rec -x"
                               << "/cfg/KIRAMO/rec";
    QTest::newRow("sub folder") << "sub/rec"
                                << "/cfg/KIRAMO/sub/rec";
    QTest::newRow("backslash") << "sub\\rec"
                               << "/cfg/KIRAMO/sub/rec";
    QTest::newRow("up and over") << "\"../my tools/rec\""
                                 << "/cfg/my tools/rec";
    QTest::newRow("bare name: PATH") << "rec"
                                     << "rec";
    QTest::newRow("absolute") << "/usr/bin/rec"
                              << "/usr/bin/rec";
}

void TestFiles::relativeCommandsFromTheirFolder() {
    QFETCH(QString, command);
    QFETCH(QString, program);
    const CommandLine line = kiramo::commandWithFile(command, "/pics/a.txt", "/cfg/KIRAMO");
    QCOMPARE(line.program, program);
    QCOMPARE(line.arguments.last(), QStringLiteral("/pics/a.txt"));
}

void TestFiles::filesThatAreNotPictures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");  // %1: the path; empty: the system's reason for QFile
    QTest::newRow("folder") << "folder"
                            << "%1 はフォルダーで、画像ファイルではありません";
    QTest::newRow("missing") << "missing"
                             << "";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe"
                          << "%1 は画像ファイルではなく、デバイスかパイプです";
    QTest::newRow("device") << "device"
                            << "%1 は画像ファイルではなく、デバイスかパイプです";
    QTest::newRow("symbolic link to itself") << "loop"
                                             << "";
    QTest::newRow("no permission") << "unreadable"
                                   << "";
#endif
}

void TestFiles::filesThatAreNotPictures() {
    QFETCH(QString, kind);
    QFETCH(QString, says);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("x.bmp"));
    if (kind == QLatin1String("folder")) {
        QDir().mkpath(path);
    }
#ifdef Q_OS_UNIX
    if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/null");
    } else if (kind == QLatin1String("loop")) {
        QVERIFY(QFile::link(QStringLiteral("x.bmp"), path));
    } else if (kind == QLatin1String("unreadable")) {
        if (::geteuid() == 0) {
            QSKIP("root reads every file: the symbolic link row covers the system's reason");
        }
        writeFile(path, bitmap(1, 1, 24, false));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        says = QStringLiteral("%1 を開けません: Permission denied");
    }
#endif
    if (says.isEmpty()) {
        QFile file(path);
        QVERIFY(!file.open(QIODevice::ReadOnly));
        says = "%1 を開けません: " + file.errorString();
    }
    QString error;
    QVERIFY(readPictureFile(path, &error).isNull());
    QCOMPARE(error, says.arg(path));
}

void TestFiles::openDialogSettings() {
    Session s;
    s.fake.prompts.openAnswers.enqueue(std::nullopt);
    s.form->menus().MOpen->trigger();
    QCOMPARE(s.fake.prompts.calls, QStringList{"open: ファイルを開く"});
    const FileDialogRequest& r = s.fake.prompts.fileRequests.first();
    QCOMPARE(r.filters.mid(1),
             (QList<FileFilter>{{"ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)", "*.bmp"}, {"All Files (*.*)", "*.*"}}));
    // Pictures first, and chosen: each pattern names pictures that Open loads.
    QCOMPARE(r.filters.first().description, QStringLiteral("画像"));
    const QStringList patterns = r.filters.first().pattern.split(u' ');
    QCOMPARE(patterns.mid(0, 3), (QStringList{"*.bmp", "*.png", "*.jpg"}));
    QVERIFY(patterns.contains("*.jpeg") && patterns.contains("*.gif"));
    QCOMPARE(r.selectedFilter, 0);
    for (const QString& pattern : patterns) {
        const QString path = s.fake.path("picture" + pattern.mid(1));
        if (!QImageWriter(path).canWrite()) {
            continue;  // a format Qt reads only
        }
        QVERIFY2(QImageWriter(path).write(patternImage(QSize(3, 2))), qPrintable(pattern));
        QVERIFY2(canLoadPicture(path), qPrintable(pattern));
    }
    QCOMPARE(r.defaultSuffix, QStringLiteral("bmp"));
    QCOMPARE(r.initialName, QStringLiteral("image"));
    QCOMPARE(r.initialFolder, QDir::currentPath());
    QVERIFY(s.fake.programs.starts.isEmpty());
}

void TestFiles::openChoices_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture");       // the file holds a bitmap, else text
    QTest::addColumn<bool>("starterWorks");  // the associated program can be started
    QTest::addColumn<QStringList>("calls");  // after the dialog
    QTest::addColumn<QString>("started");    // "program argument", or ""
    QTest::addColumn<bool>("loaded");
    QTest::newRow(".Bmp loads") << "photo.Bmp" << true << true << QStringList{} << "" << true;
    QTest::newRow(".bmp.txt is handed on")
        << "photo.bmp.txt" << true << true << QStringList{} << "edit %1" << false;
    QTest::newRow("a picture without association loads")
        << "a.jpeg" << true << true << QStringList{} << "" << true;
    QTest::newRow("no picture, no association")
        << "a.jpeg" << false << true
        << QStringList{"beep", "message: 該当する拡張子 [PEG] が関連付けされていません"} << ""
        << false;
    QTest::newRow("blanks in the name")
        << "my photo.png" << true << true << QStringList{} << "view %1" << false;
    QTest::newRow("the program cannot be started")
        << "notes.txt" << false << false << QStringList{"beep", "message: edit を起動できません"}
        << "edit %1" << false;
    QTest::newRow("a relative command is WIN.INI's, not the opened file's neighbour")
        << "notes.log" << false << true << QStringList{} << "<windows>/sub/rec %1" << false;
}

void TestFiles::openChoices() {
    QFETCH(QString, name);
    QFETCH(bool, picture);
    QFETCH(bool, starterWorks);
    QFETCH(QStringList, calls);
    QFETCH(QString, started);
    QFETCH(bool, loaded);
    Session s;
    writeFile(s.fake.path("WIN.INI"),
              "[Extensions]\r\ntxt=edit ^.txt\r\npng=view ^.png\r\nlog=./sub/rec ^.log\r\n");
    QVERIFY(ReadAssociations(*s.form, s.fake.path("WIN.INI"), nullptr));
    s.fake.programs.succeeds = starterWorks;
    const QString path = s.fake.path(name);
    writeFile(path, picture ? bitmap(3, 2, 24, false) : QByteArray("just some text\n"));
    s.fake.prompts.openAnswers.enqueue(path);
    s.form->menus().MOpen->trigger();
    QCOMPARE(s.fake.prompts.calls.mid(1), calls);
    if (started.isEmpty()) {
        QVERIFY(s.fake.programs.starts.isEmpty());
    } else {
        QCOMPARE(s.fake.programs.starts.size(), 1);
        const FakeProgramStarter::Start& start = s.fake.programs.starts.first();
        QCOMPARE(start.program + u' ' + start.arguments.join(u'|'),
                 started.arg(path).replace("<windows>", s.fake.path("windows")));
    }
    QCOMPARE(s.ws().P1->imageSize() == QSize(3, 2), loaded);
    QCOMPARE(QDir::currentPath(), QDir(s.fake.root.path()).canonicalPath());
    QDir::setCurrent(QDir::tempPath());  // the folder goes with the test
}

void TestFiles::loadFormats_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1 x 1") << bitmap(1, 1, 24, false) << QSize(1, 1);
    QTest::newRow("24-bit") << bitmap(5, 3, 24, false) << QSize(5, 3);
    QTest::newRow("32-bit") << bitmap(5, 3, 32, false) << QSize(5, 3);
    QTest::newRow("top-down") << bitmap(5, 3, 24, true) << QSize(5, 3);
    QTest::newRow("OS/2 1.x") << os2Bitmap(bitmap(5, 3, 24, false)) << QSize(5, 3);
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(40, 80, 200)});
    indexed.fill(1);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "bmp").write(indexed);
    QTest::newRow("8-bit palette") << buffer.data() << QSize(4, 4);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QImageWriter(&png, "png").write(indexed);
    QTest::newRow("a PNG, as the command line may name") << png.data() << QSize(4, 4);
}

void TestFiles::loadFormats() {
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    Session s;
    const QString path = writeFile(s.fake.path("Photo.bmp"), file);
    LoadCanvasImage(s.ws(), path);
    QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join(", ")));
    QCOMPARE(s.ws().P1->imageSize(), size);
    if (size.height() >= 3) {
        // Pixel (1, 2) as written, whichever way the rows run: red 40, green 80, blue 200
        // (the palette picture is that colour all over).
        QCOMPARE(s.ws().P1->image().pixelColor(1, 2), QColor(40, 80, 200));
    }
    QCOMPARE(
        s.form->windowTitle(),
        QStringLiteral("PHOTO.BMP (%1x%2) Mode:FreeSize").arg(size.width()).arg(size.height()) +
            captionNotice());
    QCOMPARE(s.ws().state.CurrentFile, path);
    QCOMPARE(s.ws().P2, s.ws().P1->image());
    QVERIFY(s.form->menus().MSave->isEnabled());
    QCOMPARE(s.form->width(), std::max(size.width(), s.ws().state.MinFormWidth));
}

void TestFiles::loadFailureKeepsCommittedState_data() {
    QTest::addColumn<QByteArray>("file");  // empty: no file at all
    QTest::addColumn<QString>("says");     // a part of the message, where it is ours
    QTest::newRow("missing") << QByteArray() << "";
    QTest::newRow("garbage") << QByteArray("this is not a picture at all") << "";
    QTest::newRow("truncated header") << bitmap(50, 50, 24, false).left(30) << "";
    QTest::newRow("truncated pixels")
        << bitmap(50, 50, 24, false).left(54 + 1000) << "途中で終わっています";
    QByteArray huge = bitmap(2, 2, 24, false);
    huge.replace(18, 8, le32(100000) + le32(100000));  // claims 100000 x 100000 pixels
    QTest::newRow("impossible size") << huge << "大きすぎます";
    QByteArray tooLarge = bitmap(2, 2, 24, false);
    tooLarge.replace(18, 8, le32(16385) + le32(16385));
    tooLarge.replace(2, 4, le32(54 + 16388 * 3 * 16385));  // the file is cut short too
    QTest::newRow("larger than 16384 x 16384") << tooLarge << "16385 x 16385";
    QByteArray negative = bitmap(2, 2, 24, false);
    negative.replace(18, 4, le32(-5));
    QTest::newRow("negative width") << negative << "";
}

void TestFiles::loadFailureKeepsCommittedState() {
    QFETCH(QByteArray, file);
    QFETCH(QString, says);
    Session s;
    Workspace& w = s.ws();
    s.setCanvas(patternImage(QSize(300, 200)));
    DrawDivisionGrid(w, 8);  // a grid drawn since the commit: work that is not saved
    w.state.CurrentFile = QStringLiteral("/pics/old.bmp");
    w.setCaption(QStringLiteral("OLD.BMP (300x200)"));
    const QString title = s.form->windowTitle();
    const QSize window = s.form->size();
    const QImage canvas = w.P1->image();
    const QImage committed = w.P2;
    const QString path = s.fake.path("broken.bmp");
    if (!file.isEmpty()) {
        writeFile(path, file);
    }
    LoadCanvasImage(w, path);
    QCOMPARE(s.fake.prompts.calls.size(), 1);
    const QString message = s.fake.prompts.calls.first();
    QVERIFY2(message.startsWith("message: " + QDir::toNativeSeparators(path) + ' '),
             qPrintable(message));               // every error names the file
    QVERIFY(message.size() > 12 + path.size());  // and says what is wrong with it
    QVERIFY2(message.contains(says), qPrintable(message));
    QVERIFY(!message.contains(QLatin1String("Unknown error")));
    // A failed load changes nothing: the canvas with its grid, the committed copy and what a
    // printout draws, the caption, the current file, the window.
    QCOMPARE(w.state.CurrentFile, QStringLiteral("/pics/old.bmp"));
    QCOMPARE(s.form->windowTitle(), title);
    QVERIFY(w.P1->isVisible());
    QCOMPARE(w.P1->image(), canvas);
    QCOMPARE(w.P2, committed);
    QCOMPARE(w.drawnGrids().size(), 1);
    QCOMPARE(w.gridlessPicture(), patternImage(QSize(300, 200)));
    QCOMPARE(s.form->size(), window);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

void TestFiles::commandLineLoadsAtStart() {
    FakeServices fake;
    QDir(fake.root.path()).mkdir("some dir");
    const QString path = writeFile(fake.path("some dir/Photo.bmp"), bitmap(7, 5, 24, false));
    QString error;
    std::unique_ptr<Form1> form = startKiramo(fake.services(), '"' + path + '"', &error);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), "PHOTO.BMP (7x5) Mode:FreeSize" + captionNotice());
    QCOMPARE(form->workspace().state.CurrentFile, path);
    QVERIFY(QFile::exists(fake.path("windows/WIN.INI")));
}

void TestFiles::fileNameBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("escaped");  // how many bytes are not UTF-8
    QTest::newRow("ASCII") << QByteArray("/tmp/a b.bmp") << 0;
    QTest::newRow("UTF-8 of 2, 3 and 4 bytes")
        << QByteArray("caf\xc3\xa9 \xe5\x86\x99 \xf0\x9f\x8e\xa8") << 0;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9.bmp") << 1;
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf"
                                                  "b")
                                    << 2;
    QTest::newRow("a surrogate's UTF-8") << QByteArray("\xed\xa0\x80") << 3;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 4;
    QTest::newRow("sequence cut at the end") << QByteArray("x\xe2\x82") << 2;
    QTest::newRow("lead byte then ASCII") << QByteArray("\xc3(") << 1;
    QTest::newRow("escape beside a UTF-8 pair") << QByteArray("\xe9\xf0\x9f\x8e\xa8\xe9") << 2;
}

void TestFiles::fileNameBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, escaped);
    const QString name = decodeFileName(bytes);
#ifdef Q_OS_UNIX
    QCOMPARE(encodeFileName(name), bytes);
    QCOMPARE(name.count(QChar::ReplacementCharacter), 0);
    if (escaped == 0) {
        QCOMPARE(name, QString::fromUtf8(bytes));
    }
#else
    Q_UNUSED(escaped);
    QCOMPARE(name, QFile::decodeName(bytes));
#endif
}

void TestFiles::linkNotesKeepTheNamesBytes_data() {
    QTest::addColumn<QString>("kind");  // what the link named "caf\xe9" leads to
    QTest::newRow("nothing") << "dangling";
    QTest::newRow("a pipe") << "pipe";
    QTest::newRow("a folder, asked to be private") << "folder";
}

void TestFiles::linkNotesKeepTheNamesBytes() {
    // Names that are not UTF-8 on both ends: the note still says where the link leads.
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const QString link = decodeFileName(folder + "/caf\xe9");
    const QString target = decodeFileName(folder + "/\xe9t\xe9");
    QCOMPARE(::symlink(encodeFileName(target).constData(), encodeFileName(link).constData()), 0);
    QString note;
    if (kind == "dangling") {
        note = danglingLinkNote(link);
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo(encodeFileName(target).constData(), 0600), 0);
        QFile file(link);
        QVERIFY(!openRegularFile(file, &note));
    } else {
        QCOMPARE(::mkdir(encodeFileName(target).constData(), 0700), 0);
        QVERIFY(!makePrivateFolder(link, &note));
    }
    QVERIFY2(note.contains(target + QStringLiteral(" へのリンク")), qPrintable(note));
#else
    QSKIP("names are UTF-16 on Windows");
#endif
}

void TestFiles::nameThatIsNotUtf8_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("command line") << "command line";
    QTest::newRow("dropped") << "dropped";
}

void TestFiles::nameThatIsNotUtf8() {
#ifndef Q_OS_UNIX
    QSKIP("file names are UTF-16 here");
#else
    QFETCH(QString, way);
    FakeServices fake;
    // caf\xe9.bmp as a program written for Latin-1 names it; Qt's own names cannot say it.
    const QByteArray bytes = QFile::encodeName(fake.root.path()) + "/caf\xe9.bmp";
    std::FILE* file = std::fopen(bytes.constData(), "wb");
    QVERIFY(file);
    // QTemporaryDir cannot name the file either, so it could not remove its folder.
    const auto removeFile = qScopeGuard([&bytes] { std::remove(bytes.constData()); });
    const QByteArray picture = bitmap(7, 5, 24, false);
    QCOMPARE(std::fwrite(picture.constData(), 1, size_t(picture.size()), file),
             size_t(picture.size()));
    std::fclose(file);

    QString error;
    std::unique_ptr<Form1> form;
    if (way == "command line") {
        // As main() has it: argv's bytes.
        QByteArray program("kiramo");
        QByteArray argument = bytes;
        char* argv[] = {program.data(), argument.data(), nullptr};
        const QStringList arguments = programArguments(2, argv);
        form = startKiramo(fake.services(), arguments.join(u' '), &error);
    } else {
        form = startKiramo(fake.services(), QString(), &error);
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"),
                     "file://" + bytes.toPercentEncoding("/") + "\r\n");
        QVERIFY(dropCommand(form->workspace(), data));
    }
    QVERIFY(form);
    QVERIFY2(fake.prompts.calls.isEmpty(), qPrintable(fake.prompts.calls.join(", ")));
    QCOMPARE(form->workspace().P1->imageSize(), QSize(7, 5));
    QCOMPARE(encodeFileName(form->workspace().state.CurrentFile), bytes);

    // Saved back under its own name: the file is there, so the question comes first, and Yes
    // replaces that file (not one that Qt's spelling of the name would make beside it).
    form->workspace().P1->clear(QSize(3, 2));
    fake.prompts.yesNoAnswers.enqueue(true);
    SaveImageFile(form->workspace(), form->workspace().state.CurrentFile);
    QCOMPARE(fake.prompts.yesNoDefaults.size(), 1);
    QVERIFY(!QFileInfo::exists(fake.root.path() + QStringLiteral("/caf\uFFFD.bmp")));
    std::FILE* saved = std::fopen(bytes.constData(), "rb");
    QVERIFY(saved);
    QByteArray header(26, '\0');
    QCOMPARE(std::fread(header.data(), 1, size_t(header.size()), saved), size_t(header.size()));
    std::fclose(saved);
    QCOMPARE(qFromLittleEndian<qint32>(header.constData() + 18), 3);  // the bitmap's width
#endif
}

void TestFiles::whatIsDropped_data() {
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<Formats>("formats");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");  // PictureFile: the file's name
    QTest::addColumn<QSize>("size");    // PictureData: the picture's size
    const int nothing = int(Drop::Kind::Nothing);
    const int file = int(Drop::Kind::PictureFile);
    const int data = int(Drop::Kind::PictureData);
    const QByteArray png = pngOf(patternImage(QSize(6, 4)));
    QTest::newRow("bitmap") << QStringList{"Photo.bmp"} << Formats() << file << "Photo.bmp"
                            << QSize();
    QTest::newRow("PNG") << QStringList{"photo.png"} << Formats() << file << "photo.png" << QSize();
    QTest::newRow("PNG by its contents, not its name")
        << QStringList{"picture.txt"} << Formats() << file << "picture.txt" << QSize();
    QTest::newRow("text file") << QStringList{"notes.txt"} << Formats() << nothing << "" << QSize();
    QTest::newRow("text named .bmp")
        << QStringList{"fake.bmp"} << Formats() << nothing << "" << QSize();
    QTest::newRow("missing file") << QStringList{"gone.bmp"} << Formats() << nothing << ""
                                  << QSize();
    QTest::newRow("folder") << QStringList{"folder"} << Formats() << nothing << "" << QSize();
    QTest::newRow("several files: the first")
        << QStringList{"Photo.bmp", "notes.txt"} << Formats() << file << "Photo.bmp" << QSize();
    QTest::newRow("several files, the first no picture")
        << QStringList{"notes.txt", "Photo.bmp"} << Formats() << nothing << "" << QSize();
    QTest::newRow("a file decides, not data with it")
        << QStringList{"notes.txt"} << Formats{{"image/png", png}} << nothing << "" << QSize();
    QTest::newRow("browser: link and PNG data")
        << QStringList{"https://example.org/a.png"} << Formats{{"image/png", png}} << data << ""
        << QSize(6, 4);
    QTest::newRow("browser: picture decoded by the platform")
        << QStringList{"https://example.org/a.png"} << Formats{{"qt-image", png}} << data << ""
        << QSize(6, 4);
    QTest::newRow("bitmap data") << QStringList() << Formats{{"image/bmp", bitmap(3, 2, 24, false)}}
                                 << data << "" << QSize(3, 2);
    QTest::newRow("broken picture, then a good one")
        << QStringList() << Formats{{"image/jpeg", "not a picture"}, {"image/png", png}} << data
        << "" << QSize(6, 4);
    QTest::newRow("broken picture data")
        << QStringList() << Formats{{"image/png", "\x89PNG broken"}} << nothing << "" << QSize();
    QTest::newRow("link without picture")
        << QStringList{"https://example.org/"} << Formats{{"text/plain", "hello"}} << nothing << ""
        << QSize();
    QTest::newRow("text") << QStringList() << Formats{{"text/plain", "hello"}} << nothing << ""
                          << QSize();
    QTest::newRow("empty") << QStringList() << Formats() << nothing << "" << QSize();
}

void TestFiles::whatIsDropped() {
    QFETCH(QStringList, links);
    QFETCH(Formats, formats);
    QFETCH(int, kind);
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    writeFile(folder.filePath("Photo.bmp"), bitmap(7, 5, 24, false));
    writeFile(folder.filePath("photo.png"), pngOf(patternImage(QSize(6, 4))));
    writeFile(folder.filePath("picture.txt"), pngOf(patternImage(QSize(6, 4))));
    writeFile(folder.filePath("notes.txt"), "a few words\n");
    writeFile(folder.filePath("fake.bmp"), "a few words\n");
    folder.mkdir("folder");

    const Drop drop = kiramo::whatIsDropped(*dropData(folder, links, formats));
    QCOMPARE(int(drop.kind), kind);
    QCOMPARE(drop.path, path.isEmpty() ? QString() : folder.filePath(path));
    QCOMPARE(drop.data.picture.size(), size.isValid() ? size : QSize(0, 0));
}

void TestFiles::dropOnTheWindow_data() {
    QTest::addColumn<QString>("dropped");
    QTest::newRow("bitmap file") << "file";
    QTest::newRow("transparent picture data") << "data";
    QTest::newRow("text") << "text";
}

void TestFiles::dropOnTheWindow() {
    QFETCH(QString, dropped);
    // What a file manager offers: a copy, or a move that must not happen.
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    Session s;
    const QDir folder(s.fake.root.path());
    const QString path = writeFile(s.fake.path("Photo.bmp"), bitmap(7, 5, 24, false));
    QImage transparent(6, 4, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    transparent.setPixel(0, 0, qRgba(255, 0, 0, 255));
    const Formats formats = dropped == "data"   ? Formats{{"image/png", pngOf(transparent)}}
                            : dropped == "text" ? Formats{{"text/plain", "hello"}}
                                                : Formats();
    const std::unique_ptr<QMimeData> data =
        dropData(folder, dropped == "file" ? QStringList{"Photo.bmp"} : QStringList(), formats);
    s.setCanvas(patternImage(QSize(30, 20)));
    s.ws().state.CurrentFile = QStringLiteral("/pics/old.bmp");
    s.ws().setCaption(QStringLiteral("OLD.BMP (30x20)"));
    s.ws().L1->setRect(twipsOf(*s.form, QRectF(2, 2, 10, 10)));
    s.ws().L1->show();
    const QString oldTitle = s.form->windowTitle();

    // The events that the window system delivers, over the canvas.
    Surface* P1 = s.ws().P1;
    const QPointF where = P1->mapTo(s.form.get(), P1->rect().center());
    QDragEnterEvent enter(where.toPoint(), actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(s.form->windowHandle(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(where, actions, data.get(), Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(s.form->windowHandle(), &drop);

    const Workspace& w = s.ws();
    if (dropped == "file") {
        // As the same file named on the command line.
        QString error;
        const std::unique_ptr<Form1> started =
            startKiramo(s.fake.services(), '"' + path + '"', &error);
        QVERIFY(started);
        QCOMPARE(s.form->windowTitle(), started->windowTitle());
        QCOMPARE(s.form->windowTitle(), "PHOTO.BMP (7x5) Mode:FreeSize" + captionNotice());
        QCOMPARE(w.state.CurrentFile, path);
        QCOMPARE(w.P1->image(), started->workspace().P1->image());
    } else if (dropped == "data") {
        // As a paste: laid on white, the caption and the current file as they were.
        QCOMPARE(w.P1->imageSize(), QSize(6, 4));
        QCOMPARE(w.P1->image().pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(w.P1->image().pixel(5, 3), qRgb(255, 255, 255));
        QCOMPARE(s.form->windowTitle(), oldTitle);
        QCOMPARE(w.state.CurrentFile, QStringLiteral("/pics/old.bmp"));
        QVERIFY(!w.hasSelection());
    }
    if (dropped == "text") {
        QCOMPARE(s.fake.prompts.calls, QStringList{"beep"});
        QVERIFY(!drop.isAccepted());
        QCOMPARE(w.P1->image(), patternImage(QSize(30, 20)));
        QCOMPARE(s.form->windowTitle(), oldTitle);
        QVERIFY(w.hasSelection());
    } else {
        QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join(", ")));
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);  // never a move
        QCOMPARE(w.P2, w.P1->image());
    }
}

void TestFiles::everyWayInTakesTheSameSizes_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("taken");
    const QList<std::pair<QSize, bool>> sizes{
        {QSize(7000, 5000), true},  // 140 MB: more than Qt lets one picture take by default
        {QSize(40000, 800), false},
        {QSize(16384, 2), true},
        {QSize(2, 16385), false},
    };
    for (const QString way : {"open", "dropped file", "dropped PNG", "dropped picture", "paste"}) {
        for (const auto& [size, taken] : sizes) {
            QTest::addRow("%s, %dx%d", qPrintable(way), size.width(), size.height())
                << way << size << taken;
        }
    }
}

void TestFiles::everyWayInTakesTheSameSizes() {
    QFETCH(QString, way);
    QFETCH(QSize, size);
    QFETCH(bool, taken);
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(QColor(40, 80, 200));
    static QHash<QSize, QByteArray> pngs;  // the same few files for every way in
    auto cached = pngs.find(size);
    if (cached == pngs.end()) {
        cached = pngs.insert(size, pngOf(picture));
    }
    Session s;
    const QImage before = patternImage(QSize(30, 20));
    s.setCanvas(before);
    Workspace& w = s.ws();
    const QString path = writeFile(s.fake.path("picture.png"), *cached);
    const QDir folder(s.fake.root.path());
    if (way == "open") {
        s.fake.prompts.openAnswers.enqueue(path);
        s.form->menus().MOpen->trigger();
        s.fake.prompts.calls.removeFirst();  // the dialog
    } else if (way == "dropped file") {
        dropCommand(w, *dropData(folder, {"picture.png"}, Formats()));
    } else if (way == "dropped PNG") {
        dropCommand(w, *dropData(folder, {}, Formats{{"image/png", *cached}}));
    } else if (way == "dropped picture") {
        QMimeData data;
        data.setImageData(picture);
        dropCommand(w, data);
    } else {
        QGuiApplication::clipboard()->setImage(picture);
        s.form->menus().MPaste->trigger();
        QGuiApplication::clipboard()->clear();
    }
    if (taken) {
        QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join(", ")));
        QCOMPARE(w.P1->imageSize(), size);
        QCOMPARE(w.P1->image().pixelColor(size.width() - 1, size.height() - 1),
                 QColor(40, 80, 200));
    } else {
        const QString tooLarge =
            QStringLiteral("画像が大きすぎます: %1 x %2 ピクセル (最大 16384 x 16384)")
                .arg(size.width())
                .arg(size.height());
        QVERIFY2(!s.fake.prompts.calls.isEmpty() &&
                     s.fake.prompts.calls.last().startsWith(QLatin1String("message: ")) &&
                     s.fake.prompts.calls.last().endsWith(tooLarge),
                 qPrintable(s.fake.prompts.calls.join(", ")));
        QCOMPARE(w.P1->image(), before);
    }
}

void TestFiles::saveAsProposesTheCurrentFile() {
    Session s;
    s.setCanvas(patternImage(QSize(20, 10)));
    s.fake.prompts.saveAnswers.enqueue(std::nullopt);
    s.form->menus().MSave->trigger();
    const FileDialogRequest first = s.fake.prompts.fileRequests.last();
    QCOMPARE(first.title, QStringLiteral("保存"));
    QCOMPARE(first.initialName, QStringLiteral("image"));
    QCOMPARE(first.defaultSuffix, QStringLiteral("bmp"));
    QCOMPARE(first.filters.first().description, QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)"));
    const QString saved = s.fake.path("Saved.bmp");
    s.fake.prompts.saveAnswers.enqueue("  " + saved + "  ");
    s.form->menus().MSave->trigger();
    QVERIFY(QFile::exists(saved));
    s.fake.prompts.saveAnswers.enqueue(std::nullopt);
    s.form->menus().MSave->trigger();
    QCOMPARE(s.fake.prompts.fileRequests.last().initialName, saved);
}

void TestFiles::saveWritesABitmap_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("signature");
    QTest::newRow("lower case") << "scan1.bmp"
                                << "SCAN1.BMP (640x480)" << QByteArray("BM");
    QTest::newRow("PNG") << "scan1.png"
                         << "SCAN1.PNG (640x480)" << QByteArray("\x89PNG");
    QTest::newRow("JPEG, upper case") << "scan1.JPEG"
                                      << "SCAN1.JPEG (640x480)" << QByteArray("\xff\xd8\xff");
    QTest::newRow("no picture format") << "scan1.txt"
                                       << "SCAN1.TXT (640x480)" << QByteArray("BM");
}

void TestFiles::saveWritesABitmap() {
    QFETCH(QString, name);
    QFETCH(QString, subject);
    QFETCH(QByteArray, signature);
    Session s;
    const QImage canvas = patternImage(QSize(640, 480));
    s.setCanvas(canvas);
    s.form->menus().MGrid8->trigger();  // the grid is saved with the picture
    const QImage withGrid = s.ws().P1->image().copy();
    const QString path = s.fake.path(name);
    SaveImageFile(s.ws(), path);
    QVERIFY(s.fake.prompts.calls.isEmpty());
    QCOMPARE(readFile(path).left(signature.size()), signature);
    QImage back;
    QVERIFY(back.load(path));
    if (signature.startsWith('\xff')) {
        QCOMPARE(back.size(), withGrid.size());  // JPEG is lossy
    } else {
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32), withGrid);
    }
    QCOMPARE(s.ws().state.CurrentFile, path);
    QCOMPARE(s.form->windowTitle(), subject + " Mode:FreeSize" + captionNotice());
    QCOMPARE(
        QDir(s.fake.root.path()).entryList(QDir::Files | QDir::Hidden).filter(name.left(5)).size(),
        1);
}

void TestFiles::captionSizeIsThePicturesAtEveryScale_data() {
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("size");
    for (const double scale : {1.0, 1.1, 1.15, 1.75, 2.25}) {
        for (const QSize size : {QSize(65, 40), QSize(120, 60), QSize(640, 480)}) {
            QTest::addRow("%g %dx%d", scale, size.width(), size.height()) << scale << size;
        }
    }
}

void TestFiles::captionSizeIsThePicturesAtEveryScale() {
    QFETCH(double, scale);
    QFETCH(QSize, size);
    FakeServices fake;
    Services services = fake.services();
    services.metrics = ScreenMetrics{15.0 / scale, 15.0 / scale};  // twips per device pixel
    QString error;
    std::unique_ptr<Form1> form = startKiramo(services, QString(), &error);
    QVERIFY2(form, qPrintable(error));
    const QString pixels = QStringLiteral(" (%1x%2) ").arg(size.width()).arg(size.height());
    const QString path = fake.path(QStringLiteral("p.bmp"));
    QVERIFY(patternImage(size).save(path, "BMP"));
    LoadCanvasImage(form->workspace(), path);
    QVERIFY2(form->windowTitle().startsWith("P.BMP" + pixels), qPrintable(form->windowTitle()));
    SaveImageFile(form->workspace(), fake.path(QStringLiteral("q.bmp")));
    QVERIFY2(form->windowTitle().startsWith("Q.BMP" + pixels), qPrintable(form->windowTitle()));
}

void TestFiles::saveOverAnExistingFile() {
    Session s;
    s.setCanvas(patternImage(QSize(30, 20)));
    const QString path = writeFile(s.fake.path("old.bmp"), "precious");
    s.fake.prompts.yesNoAnswers.enqueue(false);
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.calls,
             QStringList{"yesno: 同名ファイル " + path + " が存在します。上書きしますか？"});
    QCOMPARE(s.fake.prompts.yesNoDefaults, QList<Prompts::Answer>{Prompts::Answer::No});
    QCOMPARE(readFile(path), QByteArray("precious"));
    QVERIFY(s.ws().state.CurrentFile.isEmpty());
    s.fake.prompts.yesNoAnswers.enqueue(true);
    SaveImageFile(s.ws(), path);
    QCOMPARE(readFile(path).left(2), QByteArray("BM"));
    QCOMPARE(s.ws().state.CurrentFile, path);
}

void TestFiles::saveIntoAMissingFolder() {
    Session s;
    s.setCanvas(patternImage(QSize(30, 20)));
    s.ws().state.CurrentFile = QStringLiteral("/pics/a.bmp");
    const QString caption = s.form->windowTitle();
    const QString path = s.fake.path("no such folder/x.bmp");
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.calls.size(), 2);
    QCOMPARE(s.fake.prompts.calls.first(), QStringLiteral("beep"));
    QCOMPARE(s.fake.prompts.calls.last(),
             "message: " + QDir::toNativeSeparators(path) +
                 " に書き込めません: " + QString::fromLocal8Bit(std::strerror(ENOENT)));
    QCOMPARE(s.ws().state.CurrentFile, QStringLiteral("/pics/a.bmp"));
    QCOMPARE(s.form->windowTitle(), caption);
}

void TestFiles::failedWriteLeavesTheOldFile() {
    Session s;
    const QString path = writeFile(s.fake.path("keep.bmp"), "old contents");
    s.ws().P1->setImage(QImage());  // nothing the writer can write
    s.fake.prompts.yesNoAnswers.enqueue(true);
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.calls.mid(1),
             QStringList({"beep", "message: " + QDir::toNativeSeparators(path) +
                                      " に書き込めません: 書き込む画像がありません"}));
    QCOMPARE(readFile(path), QByteArray("old contents"));
    QCOMPARE(QDir(s.fake.root.path()).entryList({"keep*"}, QDir::Files | QDir::Hidden).size(), 1);
    QVERIFY(s.ws().state.CurrentFile.isEmpty());
}

void TestFiles::saveOverAFileInAReadOnlyFolder() {
    // The user may write the file but not its folder: no temporary file can be made beside it,
    // so the bitmap is written in place.
    Session s;
    s.setCanvas(patternImage(QSize(30, 20)));
    QDir(s.fake.root.path()).mkdir("locked");
    const QString path = writeFile(s.fake.path("locked/x.bmp"), "old contents");
    const ReadOnlyFolder folder(s.fake.path("locked"));
    if (!folder.locked()) {
        QSKIP("no way to make a read-only folder here");
    }
    s.fake.prompts.yesNoAnswers.enqueue(true);
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.calls,
             QStringList{"yesno: 同名ファイル " + path + " が存在します。上書きしますか？"});
    QCOMPARE(QImage(path, "BMP"), s.ws().P1->image());
    QCOMPARE(s.ws().state.CurrentFile, path);
}

void TestFiles::saveOntoWhatIsNotAFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << "pipe"
                          << "パイプかデバイスで、ファイルではありません";
    QTest::newRow("folder") << "folder"
                            << "フォルダーです";
}

void TestFiles::saveOntoWhatIsNotAFile() {
    // Refused without a question and without being opened: a pipe would wait for a reader.
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Session s;
    s.setCanvas(patternImage(QSize(30, 20)));
    const QString path = s.fake.path("target.bmp");
    if (kind == "pipe") {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#else
        QSKIP("no named pipes here");
#endif
    } else {
        QVERIFY(QDir().mkdir(path));
    }
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.calls,
             QStringList({"beep", "message: " + QDir::toNativeSeparators(path) +
                                      " に書き込めません: " + reason}));
    const QFileInfo after(path);
    QVERIFY(!after.isFile());
    QVERIFY(after.exists());
    QVERIFY(s.ws().state.CurrentFile.isEmpty());
}

void TestFiles::pictureArrivingDuringASaveStaysUnsaved_data() {
    QTest::addColumn<QString>("file");  // where the arriving picture comes from; "" for none
    QTest::newRow("pasted") << QString();
    QTest::newRow("a file dropped") << QStringLiteral("/pics/dropped.bmp");
}

void TestFiles::pictureArrivingDuringASaveStaysUnsaved() {
    QFETCH(QString, file);
    Session s;
    const QImage saved = patternImage(QSize(30, 20));
    s.setCanvas(saved);
    const QString path = s.fake.path("x.bmp");
    s.fake.prompts.whileProgress = [&] {
        s.fake.prompts.whileProgress = nullptr;
        s.ws().replacePicture(patternImage(QSize(40, 10)), QStringLiteral("new"), "&Paste",
                              file.isEmpty() ? std::nullopt : std::optional<QString>(file));
    };
    SaveImageFile(s.ws(), path);
    QCOMPARE(QImage(path, "BMP"), saved);
    QCOMPARE(s.ws().pictureSize(), QSize(40, 10));
    QCOMPARE(s.ws().state.CurrentFile, file);
    QCOMPARE(s.ws().hasUnsavedChanges(), file.isEmpty());
}

void TestFiles::cancelledSaveKeepsTheOldFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("bitmap") << "old.bmp";
    QTest::newRow("PNG") << "old.png";
    QTest::newRow("JPEG") << "old.jpg";
}

void TestFiles::cancelledSaveKeepsTheOldFile() {
    QFETCH(QString, name);
    Session s;
    s.setCanvas(patternImage(QSize(300, 200)));
    s.ws().state.CurrentFile = QStringLiteral("/pics/a.bmp");
    const QString caption = s.form->windowTitle();
    const QString path = writeFile(s.fake.path(name), "old contents");
    s.fake.prompts.yesNoAnswers.enqueue(true);
    s.fake.prompts.cancelProgress = true;
    SaveImageFile(s.ws(), path);
    QCOMPARE(s.fake.prompts.progressTexts,
             QStringList{QDir::toNativeSeparators(path) + " を保存しています..."});
    QCOMPARE(s.fake.prompts.calls.size(), 1);  // the question only: no beep, no message
    QCOMPARE(readFile(path), QByteArray("old contents"));
    QCOMPARE(QDir(s.fake.root.path()).entryList({"*old*"}, QDir::Files | QDir::Hidden).size(), 1);
    QCOMPARE(s.ws().state.CurrentFile, QStringLiteral("/pics/a.bmp"));
    QCOMPARE(s.form->windowTitle(), caption);
}

void TestFiles::abandonedReplacementLeavesNoTrace_data() {
    QTest::addColumn<bool>("exists");
    QTest::newRow("over a file") << true;
    QTest::newRow("a new file") << false;
}

void TestFiles::abandonedReplacementLeavesNoTrace() {
    QFETCH(bool, exists);
    QTemporaryDir folder;
    const QString path = folder.filePath("x.bmp");
    if (exists) {
        writeFile(path, "old contents");
    }
    const std::atomic_bool abandon{true};
    QString error;
    QVERIFY(
        !replaceFileContents(path, QByteArray(20 << 20, 'n'), &error, FollowLinks::Yes, &abandon));
    QCOMPARE(error, cannotWriteMessage(path, abandonedReason()));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), exists ? 1 : 0);
    if (exists) {
        QCOMPARE(readFile(path), QByteArray("old contents"));
    }
}

void TestFiles::cancelledLoadChangesNothing() {
    Session s;
    const QImage before = patternImage(QSize(30, 20));
    s.setCanvas(before);
    s.ws().state.CurrentFile = QStringLiteral("/pics/a.bmp");
    const QString caption = s.form->windowTitle();
    const QString path = writeFile(s.fake.path("big.png"), pngOf(patternImage(QSize(64, 48))));
    s.fake.prompts.cancelProgress = true;
    LoadCanvasImage(s.ws(), path);
    QCOMPARE(s.fake.prompts.progressTexts,
             QStringList{QDir::toNativeSeparators(path) + " を読み込んでいます..."});
    QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join(", ")));
    QCOMPARE(s.ws().P1->image(), before);
    QCOMPARE(s.ws().state.CurrentFile, QStringLiteral("/pics/a.bmp"));
    QCOMPARE(s.form->windowTitle(), caption);
}

void TestFiles::openRecentListsWhatWasOpenedAndSaved() {
    Session s;
    const QString a = s.fake.path("a.bmp");
    const QString b = s.fake.path("b&c.bmp");
    QVERIFY(patternImage(QSize(20, 10)).save(a, "BMP"));
    QVERIFY(patternImage(QSize(30, 10)).save(b, "BMP"));
    const QString saved = s.fake.path("saved.png");
    QCOMPARE(recentItems(*s.form), QStringList({"(なし) off", "-", "一覧を消去(&C) off"}));
    LoadCanvasImage(s.ws(), a);
    SaveImageFile(s.ws(), saved);
    LoadCanvasImage(s.ws(), b);
    LoadCanvasImage(s.ws(), a);
    QFile::remove(b);
    auto shown = [](const QString& path) {
        return QDir::toNativeSeparators(path).replace("&", "&&");
    };
    QCOMPARE(recentItems(*s.form), QStringList({"&1 " + shown(a), "&2 " + shown(b) + " off",
                                                "&3 " + shown(saved), "-", "一覧を消去(&C)"}));
    s.form->menus().MRecent->actions().at(2)->trigger();
    QCOMPARE(s.ws().currentFile(), saved);
    QCOMPARE(s.ws().pictureSize(), QSize(20, 10));

    // Kept for the next run, in the program's own preferences.
    QString error;
    std::unique_ptr<Form1> next = startKiramo(s.fake.services(), QString(), &error);
    QCOMPARE(recentItems(*next).size(), 5);
    QSettings conf(s.fake.path("config/kiramo.conf"), QSettings::IniFormat);
    QCOMPARE(conf.value("Files/recent").toStringList(), QStringList({saved, a, b}));
    next->menus().MRecent->findChild<QAction*>("MRecentClear")->trigger();
    QCOMPARE(recentItems(*s.form), QStringList({"(なし) off", "-", "一覧を消去(&C) off"}));
}

void TestFiles::exitKeepsUnsavedWorkForTheNextRun_data() {
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("a grid on a loaded picture") << true;
    QTest::newRow("a loaded picture as it is") << false;
}

void TestFiles::exitKeepsUnsavedWorkForTheNextRun() {
    QFETCH(bool, unsaved);
    Session s;
    const QString file = s.fake.path("a.bmp");
    QVERIFY(patternImage(QSize(64, 40)).save(file, "BMP"));
    LoadCanvasImage(s.ws(), file);
    if (unsaved) {
        s.form->menus().MGrid8->trigger();
    }
    const QImage canvas = s.ws().picture().copy();
    s.form->close();

    QString error;
    std::unique_ptr<Form1> next = startKiramo(s.fake.services(), QString(), &error);
    QVERIFY(next->workspace().pictureSize() != canvas.size());  // start-up is still empty
    emit next->menus().MFile->aboutToShow();
    QCOMPARE(Form1Menus::isCommandEnabled(next->menus().MRestore), unsaved);
    if (!unsaved) {
        return;
    }
    next->menus().MRestore->trigger();
    QCOMPARE(next->workspace().picture(), canvas);
    QVERIFY(next->workspace().currentFile().isEmpty());  // Save As does not write over a.bmp
    QVERIFY2(next->windowTitle().startsWith("*Untitled (64x40) Mode:"),
             qPrintable(next->windowTitle()));
    QVERIFY(next->workspace().hasUnsavedChanges());
}

void TestFiles::autosaveAfterLongWork_data() {
    QTest::addColumn<qint64>("afterMs");
    QTest::addColumn<bool>("kept");
    QTest::newRow("work enough") << qint64(0) << true;
    QTest::newRow("not yet") << qint64(3600000) << false;
}

void TestFiles::autosaveAfterLongWork() {
    QFETCH(qint64, afterMs);
    QFETCH(bool, kept);
    Session s;
    s.form->lastPicture().setAutosaveAfter(afterMs);
    s.setCanvas(patternImage(QSize(50, 30)));
    s.form->menus().MGrid8->trigger();
    QCoreApplication::processEvents();  // the change is looked at once the command is over
    s.form->lastPicture().waitForWrites();
    const QString path = s.fake.services().folders.lastPictureFile();
    QCOMPARE(QFileInfo::exists(path), kept);
    if (kept) {
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), s.ws().picture());
    }
}

void TestFiles::exitDuringASaveFinishesIt() {
    Session s;
    s.setCanvas(patternImage(QSize(600, 400)));
    s.form->menus().MGrid8->trigger();
    const QImage canvas = s.ws().picture().copy();
    const QString path = s.fake.path("late.png");
    // Posted before the save begins: delivered while it runs, as a close request would be.
    QTimer::singleShot(0, s.form.get(), [&] { s.form->close(); });
    SaveImageFile(s.ws(), path);
    QVERIFY(s.form->isClosing());
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), canvas);
    QCOMPARE(s.ws().currentFile(), path);
    // Not saved yet when the window closed: kept for the next run as well.
    const QString kept = s.fake.services().folders.lastPictureFile();
    QCOMPARE(QImage(kept).convertToFormat(QImage::Format_RGB32), canvas);
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
