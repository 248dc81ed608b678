#include "app/Drops.h"
#include "canvas/Surface.h"
#include "core/Associations.h"
#include "core/BitmapCodec.h"
#include "core/Caption.h"
#include "core/FileNames.h"
#include "fakes/Pictures.h"
#include "fakes/ReadOnlyFolder.h"
#include "fakes/Session.h"
#include "files/FileCommands.h"
#include "files/ImageFiles.h"
#include "overlay/GridCommands.h"
#include "platform/NativeNames.h"
#include "platform/ProgramStarter.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QImageWriter>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
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

QByteArray le32(qint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(qint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

// A Windows bitmap with a BITMAPINFOHEADER, 24 or 32 bits a pixel, bottom-up or top-down
// (negative height), whose pixel (x, y) is (x * 40, y * 40, 200).
QByteArray bitmap(int width, int height, int bits, bool topDown) {
    const int stride = ((width * bits / 8) + 3) & ~3;
    QByteArray pixels;
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        QByteArray line;
        for (int x = 0; x < width; ++x) {
            line.append(char(200)).append(char(y * 40)).append(char(x * 40));  // B, G, R
            if (bits == 32) {
                line.append(char(0));
            }
        }
        line.append(QByteArray(stride - line.size(), 0));
        pixels.append(line);
    }
    QByteArray file = "BM" + le32(54 + pixels.size()) + le32(0) + le32(54);
    file += le32(40) + le32(width) + le32(topDown ? -height : height) + le16(1) + le16(bits) +
            le32(0) + le32(pixels.size()) + le32(2835) + le32(2835) + le32(0) + le32(0);
    return file + pixels;
}

// A bitmap file: the file header, then `headers` (info header, masks, palette), then `pixels`.
QByteArray bmpFile(const QByteArray& headers, const QByteArray& pixels) {
    const int offset = 14 + int(headers.size());
    return "BM" + le32(offset + int(pixels.size())) + le32(0) + le32(offset) + headers + pixels;
}

// An info header of `size` bytes: Windows 3.x when 40, V4 or V5 when 108 or 124 (with `masks`
// after the first 40 bytes), OS/2 2.x when 16 to 64. What it does not set is zero.
QByteArray infoHeader(int width, int height, int bits, int compression = 0, int colours = 0,
                      int size = 40, const QByteArray& masks = QByteArray()) {
    QByteArray h = le32(size) + le32(width) + le32(height) + le16(1) + le16(qint16(bits)) +
                   le32(compression) + le32(0) + le32(2835) + le32(2835) + le32(colours) + le32(0) +
                   masks;
    h.resize(size, 0);
    return h;
}

// The 12-byte header of OS/2 1.x: unsigned 16-bit sides.
QByteArray coreHeader(int width, int height, int bits) {
    return le32(12) + le16(qint16(width)) + le16(qint16(height)) + le16(1) + le16(qint16(bits));
}

QByteArray masks(std::initializer_list<qint32> values) {
    QByteArray bytes;
    for (const qint32 v : values) {
        bytes += le32(v);
    }
    return bytes;
}

// Palette entries: blue, green, red, and a spare byte unless `triples` (OS/2 1.x).
QByteArray palette(const QList<QRgb>& colours, bool triples = false) {
    QByteArray bytes;
    for (const QRgb c : colours) {
        bytes.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
        if (!triples) {
            bytes.append('\0');
        }
    }
    return bytes;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (const int v : values) {
        b.append(char(v));
    }
    return b;
}

QByteArray words(std::initializer_list<int> values) {
    QByteArray b;
    for (const int v : values) {
        b += le16(qint16(v));
    }
    return b;
}

// The 24-bit `file` of bitmap() with an OS/2 1.x header instead of its own.
QByteArray os2Bitmap(const QByteArray& file) {
    const int width = qFromLittleEndian<qint32>(file.constData() + 18);
    const int height = qFromLittleEndian<qint32>(file.constData() + 22);
    return bmpFile(coreHeader(width, height, 24), file.mid(54));
}

QImage imageOf(int width, const QList<QRgb>& topDown) {
    QImage image(width, int(topDown.size()) / width, QImage::Format_RGB32);
    for (int i = 0; i < topDown.size(); ++i) {
        image.setPixel(i % width, i / width, topDown[i]);
    }
    return image;
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

AssociationTable tableOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readAssociationTable(buffer);
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
    void associations_data();
    void associations();
    void commandLinePath_data();
    void commandLinePath();
    void extensionKey_data();
    void extensionKey();
    void commandWithFile();
    void relativeCommandsFromTheirFolder_data();
    void relativeCommandsFromTheirFolder();

    void bitmapRoundTrip_data();
    void bitmapRoundTrip();
    void bitmapKinds_data();
    void bitmapKinds();
    void badBitmaps_data();
    void badBitmaps();
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
};

void TestFiles::associations_data() {
    QTest::addColumn<QByteArray>("winIni");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("command");

    const QByteArray examples = "[windows]\r\nload=\r\n[Extensions]\r\n"
                                "bmp=C:\\WINDOWS\\system32\\mspaint.exe ^.bmp\r\n"
                                "txt = notepad.exe ^.txt\r\nreadme ^.me\r\n\r\nlate=x ^.late\r\n";
    QTest::newRow("examples, .BMP") << examples << 3 << ".BMP"
                                    << "C:\\WINDOWS\\system32\\mspaint.exe";
    QTest::newRow("examples, trimmed") << examples << 3 << ".TXT"
                                       << "notepad.exe";
    QTest::newRow("examples, after the blank line") << examples << 3 << ".LATE"
                                                    << "";
    QTest::newRow("header in lower case")
        << QByteArray("[extensions]\nbmp = gimp ^.bmp\n") << 1 << ".BMP"
        << "gimp";
    QTest::newRow("header inside a line")
        << QByteArray("x [EXTENSIONS] y\r\npng=viewer ^.png\r\n") << 1 << ".PNG"
        << "viewer";
    QTest::newRow("no header") << QByteArray("bmp=paint ^.bmp\r\n") << 0 << ".BMP"
                               << "";
    QTest::newRow("blank first line")
        << QByteArray("[EXTENSIONS]\r\n\r\nbmp=paint ^.bmp\r\n") << 0 << ".BMP"
        << "";
    QTest::newRow("two lines for one extension")
        << QByteArray("[EXTENSIONS]\r\nbmp=first ^.bmp\r\nBMP=second ^.bmp\r\n") << 2 << ".BMP"
        << "first";
    QTest::newRow("^ before =") << QByteArray("[EXTENSIONS]\r\nbmp ^x=y\r\n") << 1 << ".BMP"
                                << "";
    QTest::newRow("key sought must be upper case")
        << QByteArray("[EXTENSIONS]\r\nbmp=paint ^.bmp\r\n") << 1 << ".bmp"
        << "";

    // Only the first 1,000 characters of a line count; the rest is skipped.
    QTest::newRow("long line before the header")
        << QByteArray(5 * 1024 * 1024, 'x') + "\r\n[Extensions]\r\nbmp=gimp ^.bmp\r\n"
        << 1 << ".BMP"
        << "gimp";
    QTest::newRow("header beyond the first 1,000 characters")
        << QByteArray(2000, 'x') + "[Extensions]\r\nbmp=gimp ^.bmp\r\n"
        << 0 << ".BMP"
        << "";
    QTest::newRow("long entry within the first 1,000 characters")
        << "[Extensions]\r\nbmp=" + QByteArray(990, 'g') + " ^.bmp" + QByteArray(5000, 'x') + "\r\n"
        << 1 << ".BMP" << QString(990, u'g');
    QTest::newRow("^ beyond the first 1,000 characters ends the section")
        << "[Extensions]\r\nbmp=" + QByteArray(2000, 'g') + " ^.bmp\r\npng=view ^.png\r\n"
        << 0 << ".BMP"
        << "";

    QByteArray many = "[EXTENSIONS]\r\n";
    for (int i = 0; i < 250; ++i) {
        many += QStringLiteral("e%1=prog%1 ^.e%1\r\n").arg(i).toLatin1();
    }
    QTest::newRow("250 lines give 200 entries, last") << many << 200 << ".E199"
                                                      << "prog199";
    QTest::newRow("250 lines, the 201st is never read") << many << 200 << ".E200"
                                                        << "";
}

void TestFiles::associations() {
    QFETCH(QByteArray, winIni);
    QFETCH(int, last);
    QFETCH(QString, key);
    QFETCH(QString, command);
    const AssociationTable table = tableOf(winIni);
    QCOMPARE(table.AssocLast, last);
    QCOMPARE(table.lookup(key), command);
}

void TestFiles::commandLinePath_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("path");  // "-" when nothing is loaded
    QTest::newRow("plain") << "/tmp/a.bmp"
                           << "/tmp/a.bmp";
    QTest::newRow("quoted with blanks") << "  \"/tmp/some dir/Photo.bmp\" "
                                        << "/tmp/some dir/Photo.bmp";
    QTest::newRow("unquoted with blanks") << "/tmp/some dir/Photo.bmp"
                                          << "/tmp/some dir/Photo.bmp";
    QTest::newRow("no folder") << "photo.bmp"
                               << "photo.bmp";
    QTest::newRow("blanks only") << "    "
                                 << "-";
    QTest::newRow("empty") << ""
                           << "-";
    QTest::newRow("lone quote") << "\""
                                << "-";
    QTest::newRow("two quotes") << "\"\""
                                << "-";
    QTest::newRow("quoted blanks") << "\"   \""
                                   << "-";
    QTest::newRow("no closing quote keeps the last character") << "\"/tmp/a.bmp"
                                                               << "/tmp/a.bmp";
}

void TestFiles::commandLinePath() {
    QFETCH(QString, commandLine);
    QFETCH(QString, path);
    QCOMPARE(kiramo::commandLinePath(commandLine).value_or(QStringLiteral("-")), path);
}

void TestFiles::extensionKey_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::newRow("mixed case") << "photo.Bmp"
                                << ".BMP";
    QTest::newRow("double extension") << "photo.bmp.txt"
                                      << ".TXT";
    QTest::newRow("long extension") << "a.jpeg"
                                    << "JPEG";
    QTest::newRow("short name") << "a.b"
                                << "A.B";
}

void TestFiles::extensionKey() {
    QFETCH(QString, file);
    QFETCH(QString, key);
    QCOMPARE(kiramo::extensionKey(file), key);
}

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

void TestFiles::bitmapRoundTrip_data() {
    QTest::addColumn<QSize>("size");
    // Widths whose rows need 0, 1, 2 and 3 bytes of padding.
    QTest::newRow("1 x 1") << QSize(1, 1);
    QTest::newRow("2 x 3") << QSize(2, 3);
    QTest::newRow("3 x 2") << QSize(3, 2);
    QTest::newRow("4 x 5") << QSize(4, 5);
    QTest::newRow("301 x 257") << QSize(301, 257);
}

void TestFiles::bitmapRoundTrip() {
    QFETCH(QSize, size);
    const QImage original = patternImage(size);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QString error;
    QVERIFY(writeBitmap(buffer, original, &error));
    // Another program's reader (Qt's own decoder) sees the same pixels.
    QImage byQt;
    QVERIFY(byQt.loadFromData(buffer.data(), "bmp"));
    QCOMPARE(byQt.convertToFormat(QImage::Format_RGB32), original);
    // And the program's own reader too.
    const BitmapHeaderResult parsed = parseBitmapHeader(buffer.data());
    QVERIFY(parsed.header.has_value());
    QCOMPARE(parsed.header->bits, 24);
    buffer.seek(0);
    QCOMPARE(decodeBitmap(buffer, &error), original);
    QVERIFY(!writeBitmap(buffer, QImage(), &error));
}

void TestFiles::bitmapKinds_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("picture");
    const QRgb k = qRgb(0, 0, 0);
    const QRgb w = qRgb(255, 255, 255);
    const QRgb r = qRgb(255, 0, 0);
    const QRgb g = qRgb(0, 255, 0);
    const QRgb b = qRgb(0, 0, 255);
    const QRgb c = qRgb(10, 20, 30);
    // Rows run bottom-up in the files unless said otherwise; pictures are listed top-down.
    QTest::newRow("OS/2 1.x, 24 bits")
        << bmpFile(coreHeader(2, 2, 24),
                   bytes({0, 0, 255, 0, 255, 0, 0, 0}) + bytes({255, 0, 0, 255, 255, 255, 0, 0}))
        << imageOf(2, {b, w, r, g});
    QTest::newRow("OS/2 1.x, 8 bits, a palette of 3 triples")
        << bmpFile(coreHeader(3, 1, 8) + palette({c, r, g}, true), bytes({2, 0, 1, 0}))
        << imageOf(3, {g, c, r});
    QTest::newRow("OS/2 2.x, 64-byte header, 4 bits")
        << bmpFile(infoHeader(3, 2, 4, 0, 2, 64) + palette({r, g}),
                   bytes({0x10, 0x10, 0, 0, 0x01, 0x10, 0, 0}))
        << imageOf(3, {r, g, g, g, r, g});
    QTest::newRow("OS/2 2.x, 16-byte header, 24 bits")
        << bmpFile(infoHeader(1, 1, 24, 0, 0, 16), bytes({30, 20, 10, 0})) << imageOf(1, {c});
    QTest::newRow("1 bit, 9 pixels a row")
        << bmpFile(infoHeader(9, 1, 1, 0, 2) + palette({k, w}), bytes({0xb0, 0x80, 0, 0}))
        << imageOf(9, {w, k, w, w, k, k, k, k, w});
    QTest::newRow("2 bits") << bmpFile(infoHeader(5, 1, 2, 0, 4) + palette({k, r, g, b}),
                                       bytes({0xe4, 0xc0, 0, 0}))
                            << imageOf(5, {b, g, r, k, b});
    QTest::newRow("4 bits, an index past the palette is black")
        << bmpFile(infoHeader(3, 1, 4, 0, 3) + palette({r, g, b}), bytes({0x21, 0x70, 0, 0}))
        << imageOf(3, {b, g, k});
    QTest::newRow("8 bits, top-down") << bmpFile(infoHeader(2, -2, 8, 0, 4) + palette({r, g, b, w}),
                                                 bytes({0, 1, 0, 0, 2, 3, 0, 0}))
                                      << imageOf(2, {r, g, b, w});
    // A run, an end of line; three as they are (padded), a run of one; a move, a run, the end.
    // The pixels that the move skips are black.
    QTest::newRow("RLE8") << bmpFile(infoHeader(4, 3, 8, 1, 4) + palette({c, r, g, b}),
                                     bytes({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 1,
                                            1, 0, 0, 0, 2, 2, 0, 2, 3, 0, 1}))
                          << imageOf(4, {k, k, b, b, g, b, g, r, r, r, r, r});
    QTest::newRow("RLE4") << bmpFile(infoHeader(5, 2, 4, 2, 4) + palette({c, r, g, b}),
                                     bytes({5, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x10, 0, 0, 1}))
                          << imageOf(5, {b, r, g, b, r, r, g, r, g, r});
    // 16 bits widen each channel by repeating its high bits: 31 is 255, 16 is 132, 1 is 8.
    QTest::newRow("16 bits, 5-5-5")
        << bmpFile(infoHeader(3, 1, 16), words({0xffff, 0x7c00, 0x4020, 0}))
        << imageOf(3, {w, r, qRgb(132, 8, 0)});
    QTest::newRow("16 bits, 5-6-5 bit fields")
        << bmpFile(infoHeader(3, 1, 16, 3) + masks({0xf800, 0x7e0, 0x1f}),
                   words({0xffff, 0x07e0, 0x0400, 0}))
        << imageOf(3, {w, g, qRgb(0, 130, 0)});
    QTest::newRow("16 bits, 4-4-4 alpha bit fields")
        << bmpFile(infoHeader(2, 1, 16, 6) + masks({0xf00, 0xf0, 0xf, 0xf000}),
                   words({0xffff, 0x0f84}))
        << imageOf(2, {w, qRgb(255, 136, 68)});
    QTest::newRow("24 bits, top-down")
        << bmpFile(infoHeader(1, -2, 24), bytes({0, 0, 255, 0, 255, 0, 0, 0}))
        << imageOf(1, {r, b});
    QTest::newRow("32 bits") << bmpFile(infoHeader(2, 1, 32), bytes({30, 20, 10, 99, 0, 0, 0, 0}))
                             << imageOf(2, {c, k});
    QTest::newRow("32 bits, 10-10-10 bit fields")
        << bmpFile(infoHeader(1, 1, 32, 3) + masks({0x3ff00000, 0xffc00, 0x3ff}),
                   le32((1023 << 20) | (512 << 10) | 3))
        << imageOf(1, {qRgb(255, 128, 0)});
    QTest::newRow("V4 header, 32 bits, red in the low byte")
        << bmpFile(infoHeader(1, 1, 32, 3, 0, 108, masks({0xff, 0xff00, 0xff0000, 0})),
                   bytes({10, 20, 30, 0}))
        << imageOf(1, {qRgb(10, 20, 30)});
    QTest::newRow("V5 header, 16 bits, 5-6-5")
        << bmpFile(infoHeader(2, 1, 16, 3, 0, 124, masks({0xf800, 0x7e0, 0x1f, 0})),
                   words({0xffff, 0xf800}))
        << imageOf(2, {w, r});
    QTest::newRow("V5 header, 8 bits")
        << bmpFile(infoHeader(1, 1, 8, 0, 2, 124) + palette({k, c}), bytes({1, 0, 0, 0}))
        << imageOf(1, {c});
}

void TestFiles::bitmapKinds() {
    QFETCH(QByteArray, file);
    QFETCH(QImage, picture);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QString error;
    QCOMPARE(decodeBitmap(buffer, &error), picture);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    buffer.seek(0);
    QCOMPARE(decodePicture(buffer, &error), picture);  // the loader's way in
}

void TestFiles::badBitmaps_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    const QString tooLarge =
        QStringLiteral("The picture is too large: %1 pixels (at most 16384 x 16384)");
    const QString endsEarly = QStringLiteral("The bitmap file ends early: %1 are there");
    const QString unsupported = QStringLiteral(
        "The bitmap is of a kind that the program does not read (%1 bits a pixel, compression %2)");
    const int most = std::numeric_limits<qint32>::max();
    QTest::newRow("sides that overflow 32 bits")
        << bmpFile(infoHeader(most, most, 32), {}) << tooLarge.arg("2147483647 x 2147483647");
    QTest::newRow("the lowest height")
        << bmpFile(infoHeader(1, std::numeric_limits<qint32>::min(), 24), {})
        << tooLarge.arg("1 x 2147483648");
    QTest::newRow("OS/2 1.x, wide")
        << bmpFile(coreHeader(65535, 2, 24), {}) << tooLarge.arg("65535 x 2");
    QTest::newRow("16384 x 16384, no pixels")
        << bmpFile(infoHeader(16384, 16384, 24), {}) << endsEarly.arg("54 of 805306422 bytes");
    QTest::newRow("8 bits, no pixels") << bmpFile(infoHeader(100, 100, 8) + QByteArray(1024, 0), {})
                                       << endsEarly.arg("1078 of 11078 bytes");
    QTest::newRow("headers cut short")
        << bitmap(50, 50, 24, false).left(30)
        << "The bitmap file ends early: its headers need 54 bytes, 30 are there";
    QTest::newRow("palette cut short")
        << bmpFile(infoHeader(2, 1, 8, 0, 4) + palette({0, 0, 0, 0}), bytes({0, 0, 0, 0})).left(62)
        << "The bitmap file ends early: its headers need 70 bytes, 62 are there";
    QTest::newRow("RLE8 cut short")
        << bmpFile(infoHeader(4, 2, 8, 1, 2) + palette({0, 0}), bytes({4, 1, 0, 0, 3}))
        << "The bitmap file ends early: its compressed pixels stop in row 2 of 2";
    QTest::newRow("RLE4 without pixels")
        << bmpFile(infoHeader(4, 2, 4, 2, 2) + palette({0, 0}), {})
        << "The bitmap file ends early: its compressed pixels stop in row 1 of 2";
    QTest::newRow("unknown header") << bmpFile(infoHeader(1, 1, 24, 0, 0, 100), bytes({0, 0, 0, 0}))
                                    << "The bitmap has a header of an unknown kind (100 bytes)";
    QTest::newRow("JPEG inside") << bmpFile(infoHeader(1, 1, 24, 4), bytes({0, 0, 0, 0}))
                                 << unsupported.arg(24).arg(4);
    QTest::newRow("RLE8 of 4 bits")
        << bmpFile(infoHeader(1, 1, 4, 1), bytes({0, 1})) << unsupported.arg(4).arg(1);
    QTest::newRow("3 bits") << bmpFile(infoHeader(1, 1, 3), bytes({0, 0, 0, 0}))
                            << unsupported.arg(3).arg(0);
    QTest::newRow("OS/2 2.x Huffman")
        << bmpFile(infoHeader(8, 1, 1, 3, 0, 64), bytes({0, 0, 0, 0})) << unsupported.arg(1).arg(3);
    QTest::newRow("masks of scattered bits")
        << bmpFile(infoHeader(1, 1, 16, 3) + masks({0xf0f0, 0x0f00, 0x000f}), bytes({0, 0, 0, 0}))
        << "The bitmap file is damaged: its colour masks are not single runs of bits";
    QByteArray early = bitmap(1, 1, 24, false);
    early.replace(10, 4, le32(20));
    QTest::newRow("pixels inside the headers")
        << early << "The bitmap file is damaged: its pixels start at byte 20, inside its headers";
    QTest::newRow("no width") << bmpFile(infoHeader(0, 2, 24), {})
                              << "The bitmap file is damaged: it gives its size as 0 x 2 pixels";
}

void TestFiles::badBitmaps() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QString said;
    QVERIFY(decodePicture(buffer, &said).isNull());
    QCOMPARE(said, error);
}

void TestFiles::filesThatAreNotPictures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");  // %1: the path; empty: the system's reason for QFile
    QTest::newRow("folder") << "folder"
                            << "%1 is a folder, not a picture file";
    QTest::newRow("missing") << "missing"
                             << "";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe"
                          << "%1 is not a picture file but a device or a pipe";
    QTest::newRow("device") << "device"
                            << "%1 is not a picture file but a device or a pipe";
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
        says = QStringLiteral("%1 cannot be opened: Permission denied");
    }
#endif
    if (says.isEmpty()) {
        QFile file(path);
        QVERIFY(!file.open(QIODevice::ReadOnly));
        says = "%1 cannot be opened: " + file.errorString();
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
    QCOMPARE(r.filters,
             (QList<FileFilter>{{"ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)", "*.bmp"}, {"All Files (*.*)", "*.*"}}));
    QCOMPARE(r.selectedFilter, 0);
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
    QTest::newRow("truncated pixels") << bitmap(50, 50, 24, false).left(54 + 1000) << "ends early";
    QByteArray huge = bitmap(2, 2, 24, false);
    huge.replace(18, 8, le32(100000) + le32(100000));  // claims 100000 x 100000 pixels
    QTest::newRow("impossible size") << huge << "too large";
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
            QStringLiteral("The picture is too large: %1 x %2 pixels (at most 16384 x 16384)")
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
                 " cannot be written: " + QString::fromLocal8Bit(std::strerror(ENOENT)));
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
                                      " cannot be written: There is no picture to write"}));
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
                          << "it is a pipe or a device, not a file";
    QTest::newRow("folder") << "folder"
                            << "it is a folder";
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
                                      " cannot be written: " + reason}));
    const QFileInfo after(path);
    QVERIFY(!after.isFile());
    QVERIFY(after.exists());
    QVERIFY(s.ws().state.CurrentFile.isEmpty());
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
