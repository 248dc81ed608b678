// The pure logic of core/: functions of values, tested without windows or a GUI application.
#include "core/Associations.h"
#include "core/BandKeys.h"
#include "core/BitmapCodec.h"
#include "core/Caption.h"
#include "core/ColourValues.h"
#include "core/FileNames.h"
#include "core/GridGeometry.h"
#include "core/GridStyle.h"
#include "core/ImageBlock.h"
#include "core/LineReader.h"
#include "core/ModeTable.h"
#include "core/NumberText.h"
#include "core/Orientation.h"
#include "core/PageLayout.h"
#include "core/PictureFile.h"
#include "core/PictureIntake.h"
#include "core/PictureTypes.h"
#include "core/PngEncoder.h"
#include "core/RecentFiles.h"
#include "core/RubberBand.h"
#include "core/Selection.h"
#include "core/WindowSighting.h"
#include "core/WorkProgress.h"
#include "fakes/BitmapFiles.h"
#include "fakes/Pictures.h"
#include "platform/PngDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <limits>
#include <zlib.h>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

QImage patternScreen(QSize size) {
    return patternImage(size, 7);
}

RawModeTexts rawTextsOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRawModeTexts(buffer);
}

// "index=text" for each non-empty raw text, and "index=" for used places left empty up to the
// last used index, so gaps show.
QStringList describe(const RawModeTexts& raw) {
    QStringList out;
    for (int i = 1; i <= ModeTable::kLast; ++i) {
        if (!raw[i].isEmpty()) {
            out.append(QStringLiteral("%1=%2").arg(i).arg(raw[i]));
        }
    }
    return out;
}

// Positions of the lines of a grid: "x" for each vertical line, "y" for each horizontal one,
// "d" for each other line, and "frame" when it has one.
QStringList describe(const Grid& grid) {
    QStringList out;
    for (const QLineF& l : grid.lines) {
        if (l.x1() == l.x2()) {
            out.append(QStringLiteral("x%1").arg(l.x1()));
        } else if (l.y1() == l.y2()) {
            out.append(QStringLiteral("y%1").arg(l.y1()));
        } else {
            out.append(QStringLiteral("d"));
        }
    }
    if (grid.frame) {
        out.append(QStringLiteral("frame"));
    }
    return out;
}

QStringList sequence(QChar axis, double from, double step, double to) {
    QStringList out;
    for (double v = from; v <= to; v += step) {
        out.append(axis + QString::number(v));
    }
    return out;
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

QImage imageOf(int width, const QList<QRgb>& topDown) {
    QImage image(width, int(topDown.size()) / width, QImage::Format_RGB32);
    for (int i = 0; i < topDown.size(); ++i) {
        image.setPixel(i % width, i / width, topDown[i]);
    }
    return image;
}

AssociationTable tableOf(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readAssociationTable(buffer);
}

}  // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    // Numbers, lines and modes of the settings files.
    void readNumber_data();
    void readNumber();
    void writeNumber_data();
    void writeNumber();
    void writeSingle_data();
    void writeSingle();
    void writeNumberReadsBack_data();
    void writeNumberReadsBack();
    void roundHalfEven_data();
    void roundHalfEven();
    void lineEndings_data();
    void lineEndings();
    void longLinesAreCut();
    void rawModeTexts_data();
    void rawModeTexts();
    void parseModeText_data();
    void parseModeText();

    // WIN.INI associations, command lines and bitmaps.
    void associations_data();
    void associations();
    void commandLinePath_data();
    void commandLinePath();
    void extensionKey_data();
    void extensionKey();
    void bitmapRoundTrip_data();
    void bitmapRoundTrip();
    void bitmapKinds_data();
    void bitmapKinds();
    void badBitmaps_data();
    void badBitmaps();

    // The rubber band and image blocks.
    void stretch_data();
    void stretch();
    void orientation_data();
    void orientation();
    void picturePatterns_data();
    void picturePatterns();
    void bandKeys_data();
    void bandKeys();
    void bandMove_data();
    void bandMove();
    void bandResize_data();
    void bandResize();
    void blockCopy_data();
    void blockCopy();

    // Selections in pixels.
    void selectionBlock_data();
    void selectionBlock();

    // Grid geometry.
    void gridGeometry_data();
    void gridGeometry();
    void tinySpacingsAreBoundedByPixels_data();
    void tinySpacingsAreBoundedByPixels();

    // Page layout.
    void tilePlan_data();
    void tilePlan();
    void tilesOverlapAndCoverThePaper();
    void trueSizePlacement_data();
    void trueSizePlacement();
    void columnNames_data();
    void columnNames();
    void cellLabelsOfACentimetreGrid();
    void legend_data();
    void legend();
    void centimetreGridOnAnotherPaper_data();
    void centimetreGridOnAnotherPaper();

    // Grid style and colour values.
    void gridStyleFromText_data();
    void gridStyleFromText();
    void paperLineWidth_data();
    void paperLineWidth();
    void colourTexts_data();
    void colourTexts();
    void pngGivesBackEveryPixel_data();
    void pngGivesBackEveryPixel();
    void quickPngDecoding_data();
    void quickPngDecoding();
    void abandonedPngStops();
    void recentFiles_data();
    void recentFiles();
    // A picture of the screen that still shows a window of ours.
    void windowSighting_data();
    void windowSighting();
};

void TestCore::readNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole") << "21" << 21.0;
    QTest::newRow("decimal") << "29.7" << 29.7;
    QTest::newRow("unit after") << "29.7cm" << 29.7;
    QTest::newRow("leading blank") << " 25.7cm" << 25.7;
    QTest::newRow("blanks inside") << "2 5\t.\n5" << 25.5;
    QTest::newRow("trailing text") << "21.6 (US)" << 21.6;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("negative") << "-5" << -5.0;
    QTest::newRow("plus") << "+3" << 3.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "7." << 7.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("lone sign") << "-" << 0.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent D") << "2D2" << 200.0;
    QTest::newRow("e without digits") << "2e" << 2.0;
    QTest::newRow("two points") << "1.2.3" << 1.2;
    QTest::newRow("comma is no point") << "1,5" << 1.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
    QTest::newRow("upper-case X stops") << "29.7X21" << 29.7;
}

void TestCore::readNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(kiramo::readNumber(text), expected);
}

void TestCore::writeNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 21.0 << "21";
    QTest::newRow("decimal") << 29.7 << "29.7";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("ratio") << 200.0 * 29.7 / 21.0 << "282.857142857143";
    QTest::newRow("small") << 0.000125 << "0.000125";
    QTest::newRow("large") << 123456789012.0 << "123456789012";
    QTest::newRow("huge") << 1e20 << "100000000000000000000";
    QTest::newRow("float noise") << 0.1 + 0.2 << "0.3";
    // Beyond what a caption ever shows: every double still writes as plain decimal.
    constexpr double max = std::numeric_limits<double>::max();
    QTest::newRow("1e300") << 1e300 << "1" + QString(300, u'0');
    // 1.7976931348623157e308 rounded up to 15 digits would leave the range: rounded down.
    QTest::newRow("largest double") << max << "179769313486231" + QString(294, u'0');
    QTest::newRow("lowest double") << -max << "-179769313486231" + QString(294, u'0');
    QTest::newRow("smallest normal")
        << std::numeric_limits<double>::min() << "0." + QString(307, u'0') + "22250738585072";
    QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min()
                                       << "0." + QString(323, u'0') + "494065645841247";
    QTest::newRow("1e-7") << 1e-7 << "0.0000001";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "0";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "0";
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "0";
}

void TestCore::writeNumber() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(kiramo::writeNumber(value), expected);
}

void TestCore::writeSingle_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capture width") << 494.949494949495 << "494.9495";
    QTest::newRow("A4 band") << 282.857142857143 << "282.8571";
    QTest::newRow("whole") << 200.0 << "200";
    QTest::newRow("tenth") << 0.1 << "0.1";  // not the float's 0.100000001490116
    QTest::newRow("large") << 16777217.0 << "16777220";
}

void TestCore::writeSingle() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(kiramo::writeSingle(value), expected);
}

void TestCore::writeNumberReadsBack_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("exact");  // whether 15 significant digits hold the value
    QTest::newRow("29.7") << 29.7 << true;
    QTest::newRow("1e308") << 1e308 << true;
    QTest::newRow("-1.5e300") << -1.5e300 << true;
    QTest::newRow("9.99999999999999e307") << 9.99999999999999e307 << true;
    QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min() << true;
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << false;
    QTest::newRow("one third") << 1.0 / 3.0 << false;
    QTest::newRow("2^53 + 2") << 9007199254740994.0 << false;
}

void TestCore::writeNumberReadsBack() {
    QFETCH(double, value);
    QFETCH(bool, exact);
    const QString text = kiramo::writeNumber(value);
    for (const char* word : {"e", "E", "inf", "nan", " ", "+"}) {
        QVERIFY2(!text.contains(QLatin1String(word)), qPrintable(text));
    }
    const double back = kiramo::readNumber(text);
    QVERIFY(std::isfinite(back));
    if (exact) {
        QCOMPARE(back, value);
    } else {
        QVERIFY(std::fabs(back - value) <= std::fabs(value) * 1e-14);
    }
    QCOMPARE(kiramo::writeNumber(back), text);
}

void TestCore::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("expected16");
    QTest::newRow("2.5") << 2.5 << 2.0 << 2;
    QTest::newRow("3.5") << 3.5 << 4.0 << 4;
    QTest::newRow("-0.5") << -0.5 << 0.0 << 0;
    QTest::newRow("-1.5") << -1.5 << -2.0 << -2;
    QTest::newRow("282.857") << 282.857 << 283.0 << 283;
    QTest::newRow("141.42") << 141.42 << 141.0 << 141;
    QTest::newRow("34.0") << 34.0 << 34.0 << 34;
    QTest::newRow("beyond 16 bits") << 40000.4 << 40000.0 << 32767;
    QTest::newRow("below 16 bits") << -40000.0 << -40000.0 << -32768;
}

void TestCore::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QFETCH(int, expected16);
    QCOMPARE(kiramo::roundHalfEven(value), expected);
    QCOMPARE(kiramo::roundHalfEven16(value), expected16);
}

void TestCore::lineEndings_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\r\n\nb\r\rc") << QStringList{"a", "", "b", "", "c"};
    QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("no last end") << QByteArray("a") << QStringList{"a"};
    QTest::newRow("only an end") << QByteArray("\r\n") << QStringList{""};
    // The device is read in blocks: a CR LF split between two of them is still one line end.
    const qsizetype block = LineReader::kBlockBytes;
    QBuffer none;
    const QByteArray kept(LineReader(none).keptBytes(), 'a');
    QTest::newRow("CR LF across blocks")
        << QByteArray(block - 1, 'a') + "\r\nb" << QStringList{kept, "b"};
    QTest::newRow("CR, LF CR across blocks")
        << QByteArray(block - 2, 'a') + "\r\n\rb" << QStringList{kept, "", "b"};
    QTest::newRow("CR at the end of the last block")
        << QByteArray(block - 1, 'a') + "\r" << QStringList{kept};
    QTest::newRow("a line over three blocks")
        << QByteArray(3 * block, 'a') + "\nb" << QStringList{kept, "b"};
    QByteArray shortLines;
    QStringList expected;
    for (int i = 0; shortLines.size() < 3 * block; ++i) {
        shortLines += QByteArray::number(i) + "\r\n";
        expected.append(QString::number(i));
    }
    QTest::newRow("short lines over several blocks") << shortLines << expected;

    // Windows editors save "Unicode" as UTF-16 with a byte-order mark; the lines come out as
    // UTF-8. A unit cut in two by a block end waits for the next block.
    const auto utf16 = [](const QString& text, bool bigEndian) {
        QByteArray bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (QChar c : text) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xFF);
            bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
        }
        return bytes;
    };
    QTest::newRow("UTF-16 LE with its mark")
        << utf16("a\r\n\u00e9\rc", false) << QStringList{"a", "\u00c3\u00a9", "c"};
    QTest::newRow("UTF-16 BE with its mark") << utf16("a\nb", true) << QStringList{"a", "b"};
    QTest::newRow("UTF-16, a unit across blocks")
        << utf16(QString(block, u'a') + "\r\nb", false) << QStringList{kept, "b"};
    QTest::newRow("UTF-16, only the mark") << utf16("", false) << QStringList{};
    // The first block after the mark and one byte ends inside unit 32768: a pair of surrogates
    // there is cut between blocks.
    QString pairAcross = QStringLiteral("\n");
    QStringList pairLines{""};
    while (pairAcross.size() < block / 2 - 1) {
        pairAcross += QStringLiteral("a\n");
        pairLines.append("a");
    }
    pairAcross += QStringLiteral("\U0001F600\n");
    pairLines.append(QString::fromLatin1(QStringLiteral("\U0001F600").toUtf8()));
    QTest::newRow("UTF-16, a pair across blocks") << utf16(pairAcross, false) << pairLines;
    QTest::newRow("UTF-8 mark dropped") << QByteArray("\xEF\xBB\xBF@ a\r\n") << QStringList{"@ a"};
    QTest::newRow("8-bit, starting with 0xFF") << QByteArray("\xFF"
                                                             "a\r\n")
                                               << QStringList{QString::fromLatin1("\xFF"
                                                                                  "a")};
}

void TestCore::lineEndings() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    QStringList read;
    while (std::optional<QByteArray> line = reader.next()) {
        read.append(QString::fromLatin1(*line));
    }
    QCOMPARE(read, lines);
}

void TestCore::longLinesAreCut() {
    // Only the first maxChars characters of a line are kept; the next line is read whole.
    QByteArray bytes = QByteArray(100, 'a') + "\r\nb\r\n";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer, 10);
    std::optional<QByteArray> line = reader.next();
    QVERIFY(line);
    QVERIFY(reader.cut());
    QCOMPARE(line->size(), reader.keptBytes());
    QCOMPARE(reader.text(*line), QString(10, u'a'));
    line = reader.next();
    QVERIFY(line);
    QVERIFY(!reader.cut());
    QCOMPARE(reader.text(*line), QStringLiteral("b"));
    QVERIFY(!reader.next());

    // A UTF-8 line cut in the middle of a character is still read as UTF-8.
    QByteArray euros = QStringLiteral("€").repeated(3000).toUtf8() + "\n";
    QBuffer euroBuffer(&euros);
    euroBuffer.open(QIODevice::ReadOnly);
    LineReader euroReader(euroBuffer);
    line = euroReader.next();
    QVERIFY(line && euroReader.cut());
    QVERIFY(line->size() % 3 != 0);  // the kept bytes end inside a character
    QCOMPARE(euroReader.text(*line), QStringLiteral("€").repeated(LineReader::kMaxChars));

    // A cut never splits a surrogate pair.
    QCOMPARE(leftChars(QStringLiteral("ab😀c"), 3), QStringLiteral("ab"));
    QCOMPARE(leftChars(QStringLiteral("ab😀c"), 4), QStringLiteral("ab😀"));
}

void TestCore::rawModeTexts_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("examples") << QByteArray("@ A4 29.7x21\r\n@ Letter 27.9x21.6 (US)\r\n"
                                            "@ B5 25.7cmx18.2cm\r\n@A4 29.7x21\r\n@\r\n")
                              << QStringList{"1=A4 29.7x21", "2=Letter 27.9x21.6 (US)",
                                             "3=B5 25.7cmx18.2cm", "4=4 29.7x21"};
    QTest::newRow("other lines do not count")
        << QByteArray("[modes]\r\n; comment\r\n\r\n @ indented\r\n@ A4 29.7x21\r\n")
        << QStringList{"1=A4 29.7x21"};
    QTest::newRow("short lines use places")
        << QByteArray("@\r\n@x\r\n@ A4 29.7x21\r\n") << QStringList{"3=A4 29.7x21"};
    QTest::newRow("nothing is trimmed") << QByteArray("@  F 1x2 \r\n") << QStringList{"1= F 1x2 "};
    QTest::newRow("LF only") << QByteArray("@ A 1x2\n@ B 3x4\n")
                             << QStringList{"1=A 1x2", "2=B 3x4"};
    QTest::newRow("UTF-8 name") << QByteArray("@ 色紙 27.3x24.2\n")
                                << QStringList{QStringLiteral("1=色紙 27.3x24.2")};
    QTest::newRow("Shift_JIS name") << QByteArray("@ \x90\x46\x8e\x86 27.3x24.2\r\n")
                                    << QStringList{QStringLiteral("1=色紙 27.3x24.2")};
    QTest::newRow("the character after @ beyond 16 bits")
        << QByteArray("@\xF0\x9F\x98\x80 A4 29.7x21\r\n") << QStringList{"1= A4 29.7x21"};

    QByteArray many;
    QStringList expected;
    for (int i = 1; i <= 35; ++i) {
        many += QStringLiteral("@ M%1 %1x1\r\nplain\r\n").arg(i).toLatin1();
        if (i <= 30) {
            expected.append(QStringLiteral("%1=M%1 %1x1").arg(i));
        }
    }
    QTest::newRow("31st @ line ignored") << many << expected;

    const QByteArray longName(5 * 1024 * 1024, 'N');
    QTest::newRow("a long mode text is cut")
        << "@ " + longName + " 29.7x21\r\n@ A4 29.7x21\r\n"
        << QStringList{"1=" + QString(kMaxModeText, u'N'), "2=A4 29.7x21"};
    QTest::newRow("byte-order mark")
        << QByteArray("\xEF\xBB\xBF@ A4 29.7x21\r\n") << QStringList{"1=A4 29.7x21"};
}

void TestCore::rawModeTexts() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(rawTextsOf(file)), expected);
}

void TestCore::parseModeText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isMode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("A4") << "A4 29.7x21" << true << "A4" << 29.7 << 21.0;
    QTest::newRow("text after height")
        << "Letter 27.9x21.6 (US)" << true << "Letter" << 27.9 << 21.6;
    QTest::newRow("units") << "B5 25.7cmx18.2cm" << true << "B5" << 25.7 << 18.2;
    QTest::newRow("first char lost") << "4 29.7x21" << true << "4" << 29.7 << 21.0;
    QTest::newRow("sizes 0") << "Zero 0x0" << true << "Zero" << 0.0 << 0.0;
    QTest::newRow("no numbers") << "Odd axb" << true << "Odd" << 0.0 << 0.0;
    QTest::newRow("x right after blank") << "N x5" << true << "N" << 0.0 << 5.0;
    QTest::newRow("upper-case X") << "A4 29.7X21" << true << "A4" << 0.0 << 0.0;
    QTest::newRow("no blank") << "A4" << true << "A4" << 0.0 << 0.0;
    QTest::newRow("x before blank") << "xy 3x4" << true << "xy" << 0.0 << 0.0;
    QTest::newRow("leading blank") << " F 1x2" << true << "" << 0.0 << 2.0;
    QTest::newRow("empty") << "" << false << "" << 0.0 << 0.0;
}

void TestCore::parseModeText() {
    QFETCH(QString, text);
    QFETCH(bool, isMode);
    QFETCH(QString, name);
    QFETCH(double, width);
    QFETCH(double, height);
    const std::optional<CaptureMode> mode = kiramo::parseModeText(text);
    QCOMPARE(mode.has_value(), isMode);
    if (mode) {
        QCOMPARE(mode->menuCaption, text);
        QCOMPARE(mode->name, name);
        QCOMPARE(mode->width, width);
        QCOMPARE(mode->height, height);
    }
}

void TestCore::associations_data() {
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

void TestCore::associations() {
    QFETCH(QByteArray, winIni);
    QFETCH(int, last);
    QFETCH(QString, key);
    QFETCH(QString, command);
    const AssociationTable table = tableOf(winIni);
    QCOMPARE(table.AssocLast, last);
    QCOMPARE(table.lookup(key), command);
}

void TestCore::commandLinePath_data() {
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

void TestCore::commandLinePath() {
    QFETCH(QString, commandLine);
    QFETCH(QString, path);
    QCOMPARE(kiramo::commandLinePath(commandLine).value_or(QStringLiteral("-")), path);
}

void TestCore::extensionKey_data() {
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

void TestCore::extensionKey() {
    QFETCH(QString, file);
    QFETCH(QString, key);
    QCOMPARE(kiramo::extensionKey(file), key);
}

void TestCore::bitmapRoundTrip_data() {
    QTest::addColumn<QSize>("size");
    // Widths whose rows need 0, 1, 2 and 3 bytes of padding.
    QTest::newRow("1 x 1") << QSize(1, 1);
    QTest::newRow("2 x 3") << QSize(2, 3);
    QTest::newRow("3 x 2") << QSize(3, 2);
    QTest::newRow("4 x 5") << QSize(4, 5);
    QTest::newRow("301 x 257") << QSize(301, 257);
    QTest::newRow("encoded in two halves, odd rows") << QSize(7, 1025);
}

void TestCore::bitmapRoundTrip() {
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

void TestCore::bitmapKinds_data() {
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
    // Indices as they are, 3, 6 and 7 of them: 2, 3 and 4 bytes, padded to 2, 4 and 4.
    QTest::newRow("RLE4, odd and even lengths as they are")
        << bmpFile(infoHeader(7, 3, 4, 2, 4) + palette({c, r, g, b}),
                   bytes({0, 3, 0x12, 0x30, 4, 0x21, 0, 0,    0,    6,    0x12, 0x31, 0x23,
                          0, 1, 0x30, 0,    0, 0,    7, 0x12, 0x31, 0x23, 0x10, 0,    1}))
        << imageOf(7, {r, g, b, r, g, b, r, r, g, b, r, g, b, b, r, g, b, g, r, g, r});
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

void TestCore::bitmapKinds() {
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

void TestCore::badBitmaps_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    const QString tooLarge = QStringLiteral("画像が大きすぎます: %1 ピクセル (最大 16384 x 16384)");
    const QString endsEarly =
        QStringLiteral("ビットマップファイルが途中で終わっています: %1 バイトしかありません");
    const QString headersEnd = QStringLiteral(
        "ビットマップファイルが途中で終わっています: ヘッダーに %1 バイト必要ですが、%2 "
        "バイトしかありません");
    const QString rowsEnd = QStringLiteral(
        "ビットマップファイルが途中で終わっています: 圧縮された画素が %2 行のうち %1 "
        "行目で切れています");
    const QString damaged = QStringLiteral("ビットマップファイルが壊れています: ");
    const QString unsupported =
        QStringLiteral("読めない種類のビットマップです (1 画素 %1 ビット、圧縮 %2)");
    const int most = std::numeric_limits<qint32>::max();
    QTest::newRow("sides that overflow 32 bits")
        << bmpFile(infoHeader(most, most, 32), {}) << tooLarge.arg("2147483647 x 2147483647");
    QTest::newRow("the lowest height")
        << bmpFile(infoHeader(1, std::numeric_limits<qint32>::min(), 24), {})
        << tooLarge.arg("1 x 2147483648");
    QTest::newRow("OS/2 1.x, wide")
        << bmpFile(coreHeader(65535, 2, 24), {}) << tooLarge.arg("65535 x 2");
    QTest::newRow("16384 x 16384, no pixels")
        << bmpFile(infoHeader(16384, 16384, 24), {}) << endsEarly.arg("805306422 バイトのうち 54");
    QTest::newRow("8 bits, no pixels") << bmpFile(infoHeader(100, 100, 8) + QByteArray(1024, 0), {})
                                       << endsEarly.arg("11078 バイトのうち 1078");
    QTest::newRow("headers cut short")
        << bitmap(50, 50, 24, false).left(30) << headersEnd.arg(54).arg(30);
    QTest::newRow("palette cut short")
        << bmpFile(infoHeader(2, 1, 8, 0, 4) + palette({0, 0, 0, 0}), bytes({0, 0, 0, 0})).left(62)
        << headersEnd.arg(70).arg(62);
    QTest::newRow("RLE8 cut short")
        << bmpFile(infoHeader(4, 2, 8, 1, 2) + palette({0, 0}), bytes({4, 1, 0, 0, 3}))
        << rowsEnd.arg(2).arg(2);
    QTest::newRow("RLE4 without pixels")
        << bmpFile(infoHeader(4, 2, 4, 2, 2) + palette({0, 0}), {}) << rowsEnd.arg(1).arg(2);
    QTest::newRow("unknown header") << bmpFile(infoHeader(1, 1, 24, 0, 0, 100), bytes({0, 0, 0, 0}))
                                    << "ビットマップのヘッダーが未知の種類です (100 バイト)";
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
        << damaged + "色のマスクがひと続きのビットになっていません";
    QByteArray early = bitmap(1, 1, 24, false);
    early.replace(10, 4, le32(20));
    QTest::newRow("pixels inside the headers")
        << early << damaged + "画素の始まり (20 バイト目) がヘッダーの中にあります";
    QTest::newRow("no width") << bmpFile(infoHeader(0, 2, 24), {})
                              << damaged + "大きさが 0 x 2 ピクセルとなっています";
}

void TestCore::badBitmaps() {
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QString said;
    QVERIFY(decodePicture(buffer, &said).isNull());
    QCOMPARE(said, error);
}

void TestCore::stretch_data() {
    QTest::addColumn<double>("w");
    QTest::addColumn<double>("h");
    QTest::addColumn<bool>("modifier");
    QTest::addColumn<int>("mode");  // 0 FreeSize, 1 a mode of modeW x modeH
    QTest::addColumn<double>("modeW");
    QTest::addColumn<double>("modeH");
    QTest::addColumn<QString>("expected");  // "w x h" of the new size, "-" when unchanged

    QTest::newRow("free") << 320.0 << 200.0 << false << 0 << 0.0 << 0.0 << "320 x 200";
    QTest::newRow("free square") << 320.0 << 200.0 << true << 0 << 0.0 << 0.0 << "200 x 200";
    QTest::newRow("free 1 px wide") << 1.0 << 200.0 << false << 0 << 0.0 << 0.0 << "-";
    QTest::newRow("free up") << 50.0 << -10.0 << false << 0 << 0.0 << 0.0 << "-";
    QTest::newRow("free left") << -50.0 << 10.0 << false << 0 << 0.0 << 0.0 << "-";
    QTest::newRow("free 2 px") << 2.0 << 2.0 << false << 0 << 0.0 << 0.0 << "2 x 2";
    QTest::newRow("mode second over first")
        << 0.0 << 200.0 << false << 1 << 21.0 << 29.7 << "282.857142857143 x 200";
    QTest::newRow("mode first over second")
        << 0.0 << 200.0 << true << 1 << 21.0 << 29.7 << "141.414141414141 x 200";
    QTest::newRow("mode ignores w") << 5000.0 << 100.0 << false << 1 << 2.0 << 1.0 << "50 x 100";
    QTest::newRow("mode too flat") << 0.0 << 200.0 << false << 1 << 1000.0 << 1.0 << "-";
    QTest::newRow("mode zero width") << 0.0 << 200.0 << false << 1 << 0.0 << 29.7 << "-";
    QTest::newRow("mode zero height, modifier") << 0.0 << 200.0 << true << 1 << 21.0 << 0.0 << "-";
    QTest::newRow("mode both zero") << 0.0 << 200.0 << false << 1 << 0.0 << 0.0 << "-";
    QTest::newRow("mode zero ratio") << 0.0 << 200.0 << false << 1 << 21.0 << 0.0 << "-";
}

void TestCore::stretch() {
    QFETCH(double, w);
    QFETCH(double, h);
    QFETCH(bool, modifier);
    QFETCH(int, mode);
    QFETCH(double, modeW);
    QFETCH(double, modeH);
    QFETCH(QString, expected);
    const std::optional<QSizeF> size = stretchedSize(w, h, modifier, mode, modeW, modeH);
    QCOMPARE(size ? captureCaption(*size, 0, QString()) : QStringLiteral("-"), expected);
}

void TestCore::orientation_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("modeW");
    QTest::addColumn<double>("modeH");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("width");  // of a rectangle stretched to (300, 200), rounded
    QTest::addColumn<QString>("suffix");
    QTest::newRow("A4 upright") << 1 << 29.7 << 21.0 << false << false << 141 << " 縦";
    QTest::newRow("A4, shift") << 1 << 29.7 << 21.0 << true << false << 283 << " 横";
    QTest::newRow("A4, landscape") << 1 << 29.7 << 21.0 << false << true << 283 << " 横";
    QTest::newRow("A4, both") << 1 << 29.7 << 21.0 << true << true << 141 << " 縦";
    QTest::newRow("short side first") << 1 << 21.0 << 29.7 << false << false << 283 << " 横";
    QTest::newRow("square mode") << 1 << 20.0 << 20.0 << false << true << 200 << "";
    QTest::newRow("FreeSize, landscape") << 0 << 0.0 << 0.0 << false << true << 300 << "";
    QTest::newRow("FreeSize, both: square") << 0 << 0.0 << 0.0 << true << true << 200 << "";
}

void TestCore::orientation() {
    QFETCH(int, mode);
    QFETCH(double, modeW);
    QFETCH(double, modeH);
    QFETCH(bool, shift);
    QFETCH(bool, landscape);
    QFETCH(int, width);
    QFETCH(QString, suffix);
    const std::optional<QSizeF> size =
        stretchedSize(300, 200, ratioModifier(shift, landscape, mode), mode, modeW, modeH);
    QVERIFY(size);
    QCOMPARE(qRound(size->width()), width);
    QCOMPARE(orientationSuffix(*size, mode), suffix);
}

void TestCore::picturePatterns_data() {
    QTest::addColumn<QList<QByteArray>>("formats");
    QTest::addColumn<QString>("patterns");
    QTest::newRow("common first") << QList<QByteArray>{"xpm",  "webp", "png", "jpg",
                                                       "jpeg", "gif",  "bmp", "ico"}
                                  << "*.bmp *.png *.jpg *.jpeg *.gif *.webp *.ico *.xpm";
    QTest::newRow("bitmaps always, each once, no odd names")
        << QList<QByteArray>{"PNG", "png", "tiff", "svg+xml", "", "a.b"} << "*.bmp *.png *.tiff";
}

void TestCore::picturePatterns() {
    QFETCH(QList<QByteArray>, formats);
    QFETCH(QString, patterns);
    QCOMPARE(kiramo::picturePatterns(formats).join(u' '), patterns);
}

void TestCore::bandKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("action");  // BandKeyAction
    QTest::addColumn<QPoint>("step");
    const auto none = Qt::KeyboardModifiers();
    const int move = int(BandKeyAction::Move);
    const int resize = int(BandKeyAction::Resize);
    QTest::newRow("right") << int(Qt::Key_Right) << none << move << QPoint(1, 0);
    QTest::newRow("up, keypad") << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                << move << QPoint(0, -1);
    QTest::newRow("shift left") << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                << move << QPoint(-10, 0);
    QTest::newRow("ctrl down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ControlModifier)
                               << resize << QPoint(0, 1);
    QTest::newRow("return") << int(Qt::Key_Return) << none << int(BandKeyAction::Take) << QPoint();
    QTest::newRow("enter, keypad")
        << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier)
        << int(BandKeyAction::Take) << QPoint();
    QTest::newRow("escape") << int(Qt::Key_Escape) << none << int(BandKeyAction::GiveUp)
                            << QPoint();
}

void TestCore::bandKeys() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, action);
    QFETCH(QPoint, step);
    QCOMPARE(bandKeyStep(key, modifiers), (BandKeyStep{BandKeyAction(action), step.x(), step.y()}));
}

void TestCore::bandMove_data() {
    QTest::addColumn<QRectF>("rect");  // units; one pixel is 15 x 12 units, the picture 1500 x 1200
    QTest::addColumn<QPoint>("step");  // pixels
    QTest::addColumn<QPointF>("expected");  // the new top-left corner
    QTest::newRow("one right") << QRectF(30, 24, 300, 240) << QPoint(1, 0) << QPointF(45, 24);
    QTest::newRow("stops at the left")
        << QRectF(60, 24, 300, 240) << QPoint(-10, 0) << QPointF(0, 24);
    QTest::newRow("stops at the bottom")
        << QRectF(30, 900, 300, 240) << QPoint(0, 10) << QPointF(30, 960);
    QTest::newRow("fraction kept")
        << QRectF(7.5, 24, 300, 240) << QPoint(1, 0) << QPointF(22.5, 24);
    QTest::newRow("beyond the right: no further out")
        << QRectF(1400, 24, 300, 240) << QPoint(1, 0) << QPointF(1400, 24);
    QTest::newRow("beyond the right: comes back a step")
        << QRectF(1400, 24, 300, 240) << QPoint(-1, 0) << QPointF(1385, 24);
}

void TestCore::bandMove() {
    QFETCH(QRectF, rect);
    QFETCH(QPoint, step);
    QFETCH(QPointF, expected);
    const LabelRect r{rect.x(), rect.y(), rect.width(), rect.height()};
    const LabelRect moved = movedBand(r, step.x(), step.y(), TwipScale{15, 12}, QSizeF(1500, 1200));
    QCOMPARE(moved, (LabelRect{expected.x(), expected.y(), r.width, r.height}));
}

void TestCore::bandResize_data() {
    QTest::addColumn<QSizeF>("size");  // pixels, one unit a pixel
    QTest::addColumn<QPoint>("step");
    QTest::addColumn<int>("mode");          // 0 FreeSize, 1 a mode of 21 x 29.7
    QTest::addColumn<QString>("expected");  // "w x h", "-" when unchanged
    QTest::newRow("free wider") << QSizeF(320, 200) << QPoint(1, 0) << 0 << "321 x 200";
    QTest::newRow("free ten lower") << QSizeF(320, 200) << QPoint(0, -10) << 0 << "320 x 190";
    QTest::newRow("free down to one") << QSizeF(2, 200) << QPoint(-1, 0) << 0 << "-";
    QTest::newRow("free from an anchor") << QSizeF(1, 1) << QPoint(1, 0) << 0 << "2 x 1";
    QTest::newRow("mode taller") << QSizeF(282.857142857143, 200) << QPoint(0, 1) << 1
                                 << "284.271428571429 x 201";
    QTest::newRow("mode right grows the height")
        << QSizeF(282.857142857143, 200) << QPoint(1, 0) << 1 << "284.271428571429 x 201";
    QTest::newRow("mode turned stays turned")
        << QSizeF(141.414141414141, 200) << QPoint(0, -1) << 1 << "140.707070707071 x 199";
    QTest::newRow("mode down to one") << QSizeF(2.8, 2) << QPoint(0, -1) << 1 << "-";
}

void TestCore::bandResize() {
    QFETCH(QSizeF, size);
    QFETCH(QPoint, step);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    const std::optional<QSizeF> resized =
        resizedBand(size, step.x(), step.y(), TwipScale{1, 1}, mode, 21.0, 29.7);
    QCOMPARE(resized ? captureCaption(*resized, 0, QString()) : QStringLiteral("-"), expected);
}

void TestCore::blockCopy_data() {
    QTest::addColumn<QRect>("block");
    QTest::addColumn<QPoint>("probe");     // a pixel of the block
    QTest::addColumn<QColor>("expected");  // its colour
    QTest::newRow("inside") << QRect(10, 20, 5, 5) << QPoint(0, 0) << QColor(10, 20, 7);
    QTest::newRow("far corner") << QRect(10, 20, 5, 5) << QPoint(4, 4) << QColor(14, 24, 7);
    QTest::newRow("right of source is black")
        << QRect(95, 0, 10, 10) << QPoint(6, 0) << QColor(Qt::black);
    QTest::newRow("left of source is black")
        << QRect(-3, 0, 10, 10) << QPoint(2, 0) << QColor(Qt::black);
    QTest::newRow("overlap keeps source")
        << QRect(-3, -3, 10, 10) << QPoint(3, 3) << QColor(0, 0, 7);
    QTest::newRow("wholly outside") << QRect(500, 500, 4, 4) << QPoint(3, 3) << QColor(Qt::black);
}

void TestCore::blockCopy() {
    QFETCH(QRect, block);
    QFETCH(QPoint, probe);
    QFETCH(QColor, expected);
    const QImage copy = copyImageBlock(patternScreen(QSize(100, 80)), block.x(), block.y(),
                                       block.width(), block.height());
    QCOMPARE(copy.size(), block.size());
    QCOMPARE(copy.pixelColor(probe), expected);
}

void TestCore::selectionBlock_data() {
    QTest::addColumn<QRectF>("twips");
    QTest::addColumn<QRect>("pixels");
    QTest::addColumn<double>("perPixel");
    QTest::newRow("worked example")
        << QRectF(1500, 750, 3000, 1500) << QRect(100, 50, 200, 100) << 15.0;
    QTest::newRow("corner rounded down")
        << QRectF(1514, 764, 150, 150) << QRect(100, 50, 10, 10) << 15.0;
    QTest::newRow("half to even, down")
        << QRectF(0, 0, 2977.5, 37.5) << QRect(0, 0, 198, 2) << 15.0;
    QTest::newRow("half to even, up") << QRectF(0, 0, 2992.5, 52.5) << QRect(0, 0, 200, 4) << 15.0;
    QTest::newRow("1 x 1 twip") << QRectF(30, 30, 1, 1) << QRect(2, 2, 0, 0) << 15.0;
    // Whole pixels at scales whose twips per pixel have no exact double: the corner is the
    // pixel it was made from.
    for (const auto& [scale, pixel] :
         {std::pair(1.75, 15), std::pair(1.1, 11), std::pair(1.15, 23)}) {
        const double t = 15.0 / scale;
        QTest::addRow("pixel %d at %g", pixel, scale)
            << QRectF(pixel * t, pixel * t, 10 * t, 10 * t) << QRect(pixel, pixel, 10, 10) << t;
    }
}

void TestCore::selectionBlock() {
    QFETCH(QRectF, twips);
    QFETCH(QRect, pixels);
    const LabelRect label{twips.x(), twips.y(), twips.width(), twips.height()};
    QFETCH(double, perPixel);
    QCOMPARE(kiramo::selectionBlock(label, TwipScale{perPixel, perPixel}), pixels);
}

void TestCore::gridGeometry_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRectF>("region");
    QTest::addColumn<double>("value");  // N, or the step of the centimetre grid
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("equal parts, 2475 wide, N 10")
        << "equal" << QRectF(0, 0, 2475, 1000) << 10.0
        << sequence('x', 0, 247, 2475) + sequence('y', 0, 247, 1000);
    QTest::newRow("equal parts, N 1") << "equal" << QRectF(100, 200, 1500.5, 2000) << 1.0
                                      << QStringList{"x100", "x1600", "y200", "y1700"};
    QTest::newRow("equal parts, N 1, lower than wide")
        << "equal" << QRectF(0, 0, 1500, 1000) << 1.0 << QStringList{"x0", "x1500", "y0"};
    QTest::newRow("equal parts, N 2.5") << "equal" << QRectF(0, 0, 1000, 400) << 2.5
                                        << QStringList{"x0", "x400", "x800", "y0", "y400"};
    QTest::newRow("equal parts, narrower than N twips")
        << "equal" << QRectF(10, 10, 1, 1) << 10.0 << QStringList{};
    QTest::newRow("division into eighths")
        << "division" << QRectF(0, 0, 800, 1600) << 8.0
        << QStringList{"d",    "d",    "x100", "y200",  "x200", "y400",  "x300", "y600",
                       "x400", "y800", "x500", "y1000", "x600", "y1200", "x700", "y1400"};
    QTest::newRow("centimetres, step 1000")
        << "cm" << QRectF(0, 0, 6000, 4000) << 1000.0
        << sequence('x', 1000, 1000, 6000) + sequence('y', 1000, 1000, 4000) + QStringList{"frame"};
    QTest::newRow("centimetres, fractional step")
        << "cm" << QRectF(30, 60, 1000, 500) << 333.3
        << QStringList{"x363.3", "x696.6", "x1029.9", "y393.3", "frame"};
    QTest::newRow("centimetres, no width") << "cm" << QRectF(0, 0, 0, 500) << 0.0 << QStringList{};
    // A click's selection of 1 x 1 twip, A4 (29.7 x 21) and 5 cm: lines 5/21 twip apart, all
    // on one pixel, which gets one line each way.
    QTest::newRow("centimetres, 1 x 1 twip") << "cm" << QRectF(150, 150, 1, 1) << 5 / 21.0
                                             << QStringList{"x150.238", "y150.238", "frame"};
    // Closer than a pixel: one line in each pixel from the first line's to the last's.
    QTest::newRow("centimetres, 1/1024 twip")
        << "cm" << QRectF(0, 0, 600, 300) << 1 / 1024.0
        << QStringList{"x0.000976563"} + sequence('x', 22.5, 15, 592.5) + QStringList{"x600"} +
               QStringList{"y0.000976563"} + sequence('y', 22.5, 15, 292.5) +
               QStringList{"y300", "frame"};
}

void TestCore::gridGeometry() {
    QFETCH(QString, kind);
    QFETCH(QRectF, region);
    QFETCH(double, value);
    QFETCH(QStringList, lines);
    Grid grid;
    if (kind == "equal") {
        grid = equalPartsGrid(region, equalPartsStep(region.width(), value));
    } else if (kind == "division") {
        grid = divisionGrid(region, value);
        QVERIFY(grid.dotted);
    } else {
        grid = kiramo::centimetreGrid(region, value, TwipScale{15.0, 15.0});
    }
    QCOMPARE(describe(grid), lines);
}

void TestCore::tinySpacingsAreBoundedByPixels_data() {
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("lines");  // over 6000 x 4000 twips at (30, 60), 15 twips a pixel
    // A pixel apart: columns 3 to 402, rows 5 to 270. Closer: columns 2 to 402, rows 4 to 270.
    QTest::newRow("a pixel") << 15.0 << 400 + 266;
    QTest::newRow("2^-40 twip") << std::ldexp(1.0, -40) << 401 + 267;
    QTest::newRow("smallest double") << std::numeric_limits<double>::denorm_min() << 401 + 267;
    QTest::newRow("0") << 0.0 << 0;
}

void TestCore::tinySpacingsAreBoundedByPixels() {
    QFETCH(double, step);
    QFETCH(int, lines);
    const Grid grid =
        kiramo::centimetreGrid(QRectF(30, 60, 6000, 4000), step, TwipScale{15.0, 15.0});
    QCOMPARE(grid.lines.size(), lines);
    QCOMPARE(grid.frame.has_value(), lines > 0);
}

void TestCore::tilePlan_data() {
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<QSizeF>("sheet");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("landscape");

    const QSizeF a4(210, 297);
    QTest::newRow("A4 landscape on A4") << QSizeF(297, 210) << a4 << 1 << 1 << true;
    QTest::newRow("A4 portrait on A4") << QSizeF(210, 297) << a4 << 1 << 1 << false;
    QTest::newRow("A5 on A4, centred") << QSizeF(210, 148) << a4 << 1 << 1 << true;
    QTest::newRow("F6 landscape on A4") << QSizeF(410, 318) << a4 << 2 << 2 << true;
    QTest::newRow("F6 portrait on A4") << QSizeF(318, 410) << a4 << 2 << 2 << false;
    QTest::newRow("long strip on A4") << QSizeF(1000, 100) << a4 << 1 << 4 << true;
    QTest::newRow("F6 on Letter") << QSizeF(410, 318) << QSizeF(215.9, 279.4) << 2 << 2 << true;
}

void TestCore::tilePlan() {
    QFETCH(QSizeF, paper);
    QFETCH(QSizeF, sheet);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(bool, landscape);
    const TilePlan plan = tilePaper(paper, sheet);
    QCOMPARE(plan.rows, rows);
    QCOMPARE(plan.columns, columns);
    QCOMPARE(plan.tiles.size(), rows * columns);
    QCOMPARE(plan.sheetMm.width() > plan.sheetMm.height(), landscape);
    if (!plan.tiled()) {
        // One sheet: the paper whole, centred on it.
        QCOMPARE(plan.tiles[0].paperMm, QRectF(QPointF(), paper));
        QCOMPARE(plan.contentMm * 2 + QPointF(paper.width(), paper.height()),
                 QPointF(plan.sheetMm.width(), plan.sheetMm.height()));
    }
}

void TestCore::tilesOverlapAndCoverThePaper() {
    const QSizeF paper(410, 318);
    const TilePlan plan = tilePaper(paper, QSizeF(210, 297));
    QRectF covered;
    for (const SheetTile& tile : plan.tiles) {
        // Each part fits inside the sheet's margins.
        QVERIFY(tile.paperMm.width() <= plan.sheetMm.width() - 2 * kSheetMarginMm + 1e-9);
        QVERIFY(tile.paperMm.height() <= plan.sheetMm.height() - 2 * kSheetMarginMm + 1e-9);
        covered |= tile.paperMm;
        if (tile.column > 0) {
            const QRectF left = plan.tiles[tile.row * plan.columns + tile.column - 1].paperMm;
            QCOMPARE(left.right() - tile.paperMm.left(), kTileOverlapMm);
        }
        if (tile.row > 0) {
            const QRectF above = plan.tiles[(tile.row - 1) * plan.columns + tile.column].paperMm;
            QCOMPARE(above.bottom() - tile.paperMm.top(), kTileOverlapMm);
        }
    }
    QCOMPARE(covered, QRectF(QPointF(), paper));
}

void TestCore::trueSizePlacement_data() {
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QRectF>("region");  // empty: none
    QTest::addColumn<QSizeF>("page");
    QTest::addColumn<QRectF>("pictureMm");

    QTest::newRow("landscape fills A4")
        << QSizeF(1188, 840) << QRectF() << QSizeF(297, 210) << QRectF(0, 0, 297, 210);
    QTest::newRow("portrait fills A4")
        << QSizeF(840, 1188) << QRectF() << QSizeF(210, 297) << QRectF(0, 0, 210, 297);
    QTest::newRow("square is portrait")
        << QSizeF(500, 500) << QRectF() << QSizeF(210, 297) << QRectF(0, 43.5, 210, 210);
    QTest::newRow("wider picture, centred")
        << QSizeF(1000, 500) << QRectF() << QSizeF(297, 210) << QRectF(0, 30.75, 297, 148.5);
    // The selection of a centimetre grid is the paper: its width across, its corner at 0, 0.
    QTest::newRow("selection is the paper") << QSizeF(1000, 1000) << QRectF(100, 200, 594, 420)
                                            << QSizeF(297, 210) << QRectF(-50, -100, 500, 500);
}

void TestCore::trueSizePlacement() {
    QFETCH(QSizeF, picture);
    QFETCH(QRectF, region);
    QFETCH(QSizeF, page);
    QFETCH(QRectF, pictureMm);
    const std::optional<PaperPage> laid = trueSizePage(
        picture, region.isEmpty() ? std::nullopt : std::optional<QRectF>(region), 29.7, 21);
    QVERIFY(laid);
    QCOMPARE(laid->sizeMm, page);
    QCOMPARE(laid->pictureMm, pictureMm);
    QVERIFY(!trueSizePage(picture, std::nullopt, 0, 21));
}

void TestCore::columnNames_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 0 << "A";
    QTest::newRow("last single") << 25 << "Z";
    QTest::newRow("first double") << 26 << "AA";
    QTest::newRow("AZ") << 51 << "AZ";
    QTest::newRow("last double") << 701 << "ZZ";
    QTest::newRow("first triple") << 702 << "AAA";
}

void TestCore::columnNames() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QCOMPARE(columnName(index), name);
}

void TestCore::cellLabelsOfACentimetreGrid() {
    // 2500 x 1000 twips, lines every 1000: columns 0-1000, 1000-2000 and the narrow 2000-2500;
    // one row (the line at 1000 is the bottom edge).
    const QList<CellLabel> labels =
        cellLabels(centimetreGrid(QRectF(0, 0, 2500, 1000), 1000, TwipScale{15.0, 15.0}));
    QStringList texts;
    for (const CellLabel& l : labels) {
        texts.append(QStringLiteral("%1@%2,%3").arg(l.text).arg(l.at.x()).arg(l.at.y()));
    }
    QCOMPARE(texts, QStringList({"A@500,0", "B@1500,0", "C@2250,0", "1@0,500"}));
}

void TestCore::legend_data() {
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QList<GridSpacing>>("spacings");
    QTest::addColumn<QString>("legend");
    using K = GridSpacing::Kind;
    const QString a4 = modePaperText(QStringLiteral("A4"), 29.7, 21);
    QTest::newRow("cm") << QString() << QSize(300, 200) << paperText("A4", QSizeF(297, 210))
                        << QList<GridSpacing>{{K::Centimetres, 5}}
                        << "A4 29.7 x 21 cm、グリッド 5 cm";
    QTest::newRow("portrait, subject, no grid")
        << "a.bmp (10x20)" << QSize(10, 20) << paperText("A4", QSizeF(210, 297))
        << QList<GridSpacing>{} << "a.bmp (10x20) — A4 21 x 29.7 cm";
    QTest::newRow("each spacing once")
        << QString() << QSize(300, 200) << a4
        << QList<GridSpacing>{{K::Eighths, 8}, {K::EqualParts, 2.5}, {K::Eighths, 8}}
        << "A4 29.7 x 21、グリッド 1/8, 2.5 等分";
    // A capture in a mode gives the caption decimals; the legend names whole pixels.
    QTest::newRow("captured in a mode")
        << "Untitled (283.4646x200)" << QSize(283, 200) << a4 << QList<GridSpacing>{}
        << "Untitled (283x200) — A4 29.7 x 21";
    QTest::newRow("parentheses in the name")
        << "A (1x2).BMP (300.5x200.25)" << QSize(300, 200) << a4 << QList<GridSpacing>{}
        << "A (1x2).BMP (300x200) — A4 29.7 x 21";
    QTest::newRow("no sizes") << " Untitled " << QSize(5, 5) << a4 << QList<GridSpacing>{}
                              << "Untitled — A4 29.7 x 21";
    QTest::newRow("mode sizes as given")
        << QString() << QSize(5, 5) << modePaperText("F6", 31.8, 41) << QList<GridSpacing>{}
        << "F6 31.8 x 41";
}

void TestCore::legend() {
    QFETCH(QString, subject);
    QFETCH(QSize, pixels);
    QFETCH(QString, paper);
    QFETCH(QList<GridSpacing>, spacings);
    QFETCH(QString, legend);
    QCOMPARE(legendText(subject, pixels, paper, spacings), legend);
}

void TestCore::centimetreGridOnAnotherPaper_data() {
    // A grid drawn in one mode, printed in another: its spacing on the new paper.
    QTest::addColumn<QRectF>("frame");  // twips
    QTest::addColumn<GridSpacing>("drawn");
    QTest::addColumn<QSizeF>("mode");  // the printing mode's first and second size, cm
    QTest::addColumn<double>("spacing");
    using K = GridSpacing::Kind;
    const QRectF wide(0, 0, 3000, 2000);
    const QRectF tall(0, 0, 2000, 3000);
    QTest::newRow("same paper") << wide << GridSpacing{K::Centimetres, 5, 29.7} << QSizeF(29.7, 21)
                                << 5.0;
    QTest::newRow("A4 across, printed on A3")
        << wide << GridSpacing{K::Centimetres, 5, 29.7} << QSizeF(42, 29.7) << 7.07;
    QTest::newRow("A4 down, printed on A3")
        << tall << GridSpacing{K::Centimetres, 5, 21} << QSizeF(42, 29.7) << 7.07;
    QTest::newRow("A3 across, printed on A4")
        << wide << GridSpacing{K::Centimetres, 5, 42} << QSizeF(29.7, 21) << 3.54;
    QTest::newRow("paper unknown: as asked")
        << wide << GridSpacing{K::Centimetres, 5, 0} << QSizeF(42, 29.7) << 5.0;
    QTest::newRow("eighths: as asked")
        << wide << GridSpacing{K::Eighths, 8, 0} << QSizeF(42, 29.7) << 8.0;
}

void TestCore::centimetreGridOnAnotherPaper() {
    QFETCH(QRectF, frame);
    QFETCH(GridSpacing, drawn);
    QFETCH(QSizeF, mode);
    QFETCH(double, spacing);
    DrawnGrid grid{centimetreGrid(frame, 500, TwipScale{15.0, 15.0}), drawn, false, {}};
    QCOMPARE(spacingOnPaper(grid, mode.width(), mode.height()).value, spacing);
}

void TestCore::gridStyleFromText_data() {
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("opacity");
    QTest::addColumn<QColor>("expectedColour");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("expectedOpacity");
    const QColor red(255, 0, 0);
    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << kGridGrey << 1 << 100;
    QTest::newRow("all set") << "#FF0000"
                             << "3"
                             << "40" << red << 3 << 40;
    QTest::newRow("lower case, blanks") << " #ff8001 "
                                        << " 5 "
                                        << " 0 " << QColor(255, 128, 1) << 5 << 0;
    QTest::newRow("bounds") << "#000000"
                            << "1"
                            << "100" << QColor(0, 0, 0) << 1 << 100;
    QTest::newRow("colour by name") << "red"
                                    << "2"
                                    << "" << kGridGrey << 2 << 100;
    QTest::newRow("three digits") << "#F00"
                                  << ""
                                  << "" << kGridGrey << 1 << 100;
    QTest::newRow("seven digits") << "#FF00000"
                                  << ""
                                  << "" << kGridGrey << 1 << 100;
    QTest::newRow("not hex") << "#GG0000"
                             << ""
                             << "" << kGridGrey << 1 << 100;
    QTest::newRow("no hash") << "FF0000"
                             << ""
                             << "" << kGridGrey << 1 << 100;
    QTest::newRow("width 0") << "#FF0000"
                             << "0"
                             << "50" << red << 1 << 50;
    QTest::newRow("width 6") << "#FF0000"
                             << "6"
                             << "50" << red << 1 << 50;
    QTest::newRow("width fraction") << ""
                                    << "2.5"
                                    << "" << kGridGrey << 1 << 100;
    QTest::newRow("width with unit") << ""
                                     << "3px"
                                     << "" << kGridGrey << 1 << 100;
    QTest::newRow("width negative") << ""
                                    << "-3"
                                    << "" << kGridGrey << 1 << 100;
    QTest::newRow("opacity 101") << ""
                                 << "2"
                                 << "101" << kGridGrey << 2 << 100;
    QTest::newRow("opacity negative") << ""
                                      << ""
                                      << "-1" << kGridGrey << 1 << 100;
    QTest::newRow("opacity percent") << ""
                                     << ""
                                     << "50%" << kGridGrey << 1 << 100;
}

void TestCore::gridStyleFromText() {
    QFETCH(QString, colour);
    QFETCH(QString, width);
    QFETCH(QString, opacity);
    QFETCH(QColor, expectedColour);
    QFETCH(int, expectedWidth);
    QFETCH(int, expectedOpacity);
    const GridStyle style = kiramo::gridStyleFromText(colour, width, opacity);
    QCOMPARE(style.colour, expectedColour);
    QCOMPARE(style.width, expectedWidth);
    QCOMPARE(style.opacity, expectedOpacity);
    QCOMPARE(style.penColour().alpha(), qRound(expectedOpacity * 255 / 100.0));
}

void TestCore::paperLineWidth_data() {
    QTest::addColumn<int>("pixels");
    QTest::addColumn<double>("mmPerPixel");
    QTest::addColumn<double>("mm");
    QTest::newRow("fine picture: the thinnest line") << 1 << 0.1 << 0.25;
    QTest::newRow("wide lines of a fine picture") << 2 << 0.1 << 0.25;
    QTest::newRow("coarse picture") << 1 << 0.5 << 0.5;
    QTest::newRow("3 pixels at 1/3 mm") << 3 << 1.0 / 3.0 << 1.0;
}

void TestCore::paperLineWidth() {
    QFETCH(int, pixels);
    QFETCH(double, mmPerPixel);
    QFETCH(double, mm);
    QCOMPARE(paperLineWidthMm(pixels, mmPerPixel), mm);
}

void TestCore::colourTexts_data() {
    QTest::addColumn<QList<QRgb>>("colours");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("palette");
    QTest::newRow("none") << QList<QRgb>{} << ""
                          << "GIMP Palette\nName: KIRAMO\nColumns: 0\n#\n";
    // Alpha is no part of the colour; leading zeros stay.
    QTest::newRow("two") << QList<QRgb>{qRgba(255, 0, 10, 0), qRgb(1, 2, 171)}
                         << "#FF000A\n#0102AB\n"
                         << "GIMP Palette\nName: KIRAMO\nColumns: 2\n#\n"
                            "255   0  10\t#FF000A\n  1   2 171\t#0102AB\n";
}

void TestCore::colourTexts() {
    QFETCH(QList<QRgb>, colours);
    QFETCH(QString, values);
    QFETCH(QString, palette);
    QCOMPARE(colourValuesText(colours), values);
    QCOMPARE(gimpPalette(QStringLiteral("KIRAMO"), colours), palette);
    // What is written reads back, whichever case.
    for (const QRgb c : colours) {
        QCOMPARE(parseHexColour(hexColour(c).toLower()),
                 std::optional<QRgb>(qRgb(qRed(c), qGreen(c), qBlue(c))));
    }
}

void TestCore::pngGivesBackEveryPixel_data() {
    QTest::addColumn<QImage>("image");
    QTest::newRow("1 x 1") << patternImage(QSize(1, 1));
    QTest::newRow("one row") << patternImage(QSize(97, 1));
    QTest::newRow("one column, more rows than threads") << patternImage(QSize(1, 53));
    QTest::newRow("odd size") << patternImage(QSize(333, 211));
    QImage noise(257, 129, QImage::Format_RGB32);  // where the filter's wrap-around counts
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, 0xff000000u | (seed >> 8));
        }
    }
    QTest::newRow("noise") << noise;
    QImage clear = patternImage(QSize(40, 30)).convertToFormat(QImage::Format_ARGB32);
    clear.setPixel(3, 4, qRgba(10, 20, 30, 0));
    clear.setPixel(39, 29, qRgba(200, 100, 50, 128));
    QTest::newRow("alpha") << clear;
    QTest::newRow("other format")
        << patternImage(QSize(20, 10)).convertToFormat(QImage::Format_RGB888);
}

void TestCore::pngGivesBackEveryPixel() {
    QFETCH(QImage, image);
    QString error;
    WorkProgress progress;
    const QByteArray png = encodePng(image, &progress, &error);
    QVERIFY2(!png.isEmpty(), qPrintable(error));
    QCOMPARE(progress.permille(), 1000);
    QImage back;
    QVERIFY(back.loadFromData(png, "png"));
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    QCOMPARE(back.convertToFormat(format), image.convertToFormat(format));
    // The quick reader takes what has no see-through pixel.
    const QImage quick = decodeOpaquePng(png);
    QCOMPARE(quick.isNull(), image.hasAlphaChannel());
    if (!quick.isNull()) {
        QCOMPARE(quick, image.convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(pictureFormatFor(QStringLiteral("a.PNG")), QByteArray("png"));
    QCOMPARE(encodePictureFile(QStringLiteral("a.png"), image, &error), png);
}

namespace {

// A PNG file of `width` x `height` made-up pixels (`channels` 3 or 4, alpha opaque) whose row y
// is filtered with PNG's filter y % 5, so that each filter is met on both kinds of pixel.
QByteArray pngWithEveryFilter(int width, int height, int channels) {
    const int bytes = width * channels;
    std::vector<quint8> raw(std::size_t(bytes * height));
    quint32 seed = 11;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        raw[i] = (channels == 4 && i % 4 == 3) ? 0xff : quint8((seed >> 24) & 0xf0);
    }
    QByteArray filtered;
    for (int y = 0; y < height; ++y) {
        const int filter = y % 5;
        filtered.append(char(filter));
        for (int i = 0; i < bytes; ++i) {
            const auto at = [&](int row, int col) {
                return row < 0 || col < 0 ? 0 : int(raw[std::size_t(row * bytes + col)]);
            };
            const int a = at(y, i - channels);
            const int b = at(y - 1, i);
            const int c = at(y - 1, i - channels);
            const int p = a + b - c;
            const int pa = std::abs(p - a);
            const int pb = std::abs(p - b);
            const int pc = std::abs(p - c);
            const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            const int predictor[5] = {0, a, b, (a + b) / 2, paeth};
            filtered.append(char(at(y, i) - predictor[filter]));
        }
    }
    uLongf size = compressBound(uLong(filtered.size()));
    QByteArray stream(qsizetype(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
              reinterpret_cast<const Bytef*>(filtered.constData()), uLong(filtered.size()), 6);
    stream.truncate(qsizetype(size));
    const auto chunk = [](const char* type, const QByteArray& body) {
        QByteArray out;
        const auto word = [&out](quint32 v) {
            for (int shift = 24; shift >= 0; shift -= 8) {
                out.append(char(v >> shift));
            }
        };
        word(quint32(body.size()));
        const QByteArray typed = QByteArray(type) + body;
        out.append(typed);
        word(quint32(
            crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
        return out;
    };
    QByteArray header(13, '\0');
    qToBigEndian(quint32(width), header.data());
    qToBigEndian(quint32(height), header.data() + 4);
    header[8] = 8;
    header[9] = char(channels == 4 ? 6 : 2);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", stream) +
           chunk("IEND", QByteArray());
}

}  // namespace

void TestCore::quickPngDecoding_data() {
    // PNG files as other programs write them: the quick reader takes the kinds a desktop's
    // screenshot is, pixel for pixel as Qt reads them, and gives up on the rest.
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<bool>("taken");
    const auto written = [](const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        return bytes;
    };
    const QImage picture = patternImage(QSize(123, 45));
    const QByteArray rgb = written(picture);
    QTest::newRow("RGB") << rgb << true;
    QTest::newRow("RGBA, all opaque")
        << written(picture.convertToFormat(QImage::Format_ARGB32)) << true;
    for (const int width : {1, 5, 37}) {
        for (const int channels : {3, 4}) {
            QTest::addRow("every filter, %d wide, %d channels", width, channels)
                << pngWithEveryFilter(width, 11, channels) << true;
        }
    }
    QTest::newRow("16 bits a channel")
        << written(picture.convertToFormat(QImage::Format_RGBX64)) << false;
    QTest::newRow("palette") << written(picture.convertToFormat(QImage::Format_Indexed8)) << false;
    QTest::newRow("grey") << written(picture.convertToFormat(QImage::Format_Grayscale8)) << false;
    QByteArray damaged = rgb;
    damaged[damaged.indexOf("IDAT") + 20] = char(damaged[damaged.indexOf("IDAT") + 20] ^ 0x55);
    QTest::newRow("a damaged byte") << damaged << false;
    QTest::newRow("cut short") << rgb.left(rgb.size() / 2) << false;
    QTest::newRow("no end") << rgb.left(rgb.size() - 12) << false;
    QTest::newRow("not a PNG") << QByteArray("BM") + rgb << false;
    QByteArray huge = rgb;  // 2^31-1 pixels a side, announced in a header whose checksum holds
    huge.replace(16, 8, QByteArray::fromHex("7fffffff7fffffff"));
    const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(huge.constData() + 12), 17);
    huge.replace(29, 4, QByteArray::fromHex(QByteArray::number(crc, 16).rightJustified(8, '0')));
    QTest::newRow("a huge size") << huge << false;
}

void TestCore::quickPngDecoding() {
    QFETCH(QByteArray, png);
    QFETCH(bool, taken);
    const QImage quick = decodeOpaquePng(png);
    QCOMPARE(!quick.isNull(), taken);
    if (taken) {
        QCOMPARE(quick, QImage::fromData(png, "png").convertToFormat(QImage::Format_RGB32));
    }
}

void TestCore::abandonedPngStops() {
    WorkProgress progress;
    progress.abandon();
    QString error;
    QVERIFY(encodePng(patternImage(QSize(50, 40)), &progress, &error).isEmpty());
    QCOMPARE(error, QStringLiteral("The save was cancelled"));
    QCOMPARE(progress.permille(), 0);
}

void TestCore::recentFiles_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("path");  // "" tidies what is stored
    QTest::addColumn<QStringList>("expected");
    const QStringList eight{"1", "2", "3", "4", "5", "6", "7", "8"};
    QTest::newRow("first") << QStringList() << "a" << QStringList{"a"};
    QTest::newRow("new in front") << QStringList{"a", "b"} << "c" << QStringList{"c", "a", "b"};
    QTest::newRow("again moves to the front")
        << QStringList{"a", "b", "c"} << "c" << QStringList{"c", "a", "b"};
    QTest::newRow("the ninth pushes the oldest out")
        << eight << "9" << QStringList{"9", "1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("the oldest again, nothing lost")
        << eight << "8" << QStringList{"8", "1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("case counts") << QStringList{"/p/A.bmp"} << "/p/a.bmp"
                                 << QStringList{"/p/a.bmp", "/p/A.bmp"};
    QTest::newRow("stored: repeats and blanks dropped, first kept")
        << QStringList{"b", "", "a", "b", "c", "a"} << "" << QStringList{"b", "a", "c"};
    QTest::newRow("stored: at most eight") << eight + QStringList{"9", "10"} << "" << eight;
}

void TestCore::recentFiles() {
    QFETCH(QStringList, list);
    QFETCH(QString, path);
    QFETCH(QStringList, expected);
    QCOMPARE(path.isEmpty() ? recentFileList(list) : pushRecentFile(list, path), expected);
}

void TestCore::windowSighting_data() {
    QTest::addColumn<QPoint>("at");       // where the window lay; (-1, -1): not known
    QTest::addColumn<QPoint>("drawnAt");  // where the picture shows it; (-1, -1): not at all
    QTest::addColumn<bool>("black");      // the picture has a black block of its size there
    QTest::addColumn<bool>("seen");
    const QPoint none(-1, -1);
    QTest::newRow("where it lay") << QPoint(30, 20) << QPoint(30, 20) << false << true;
    QTest::newRow("gone") << QPoint(30, 20) << none << false << false;
    QTest::newRow("elsewhere") << QPoint(30, 20) << QPoint(100, 60) << false << false;
    QTest::newRow("partly off the monitor")
        << QPoint(180, -10) << QPoint(180, -10) << false << true;
    QTest::newRow("wholly off the monitor") << QPoint(300, 20) << none << false << false;
    QTest::newRow("a black block where it lay") << QPoint(90, 90) << QPoint(90, 90) << true << true;
    QTest::newRow("a black desktop") << QPoint(90, 90) << QPoint(0, 0) << true << false;
    QTest::newRow("place unknown, shown") << none << QPoint(101, 77) << false << true;
    QTest::newRow("place unknown, gone") << none << none << false << false;
    QTest::newRow("place unknown, a black block") << none << QPoint(101, 77) << true << false;
}

void TestCore::windowSighting() {
    QFETCH(QPoint, at);
    QFETCH(QPoint, drawnAt);
    QFETCH(bool, black);
    QFETCH(bool, seen);
    const QImage desktop = patternImage(QSize(240, 160));
    QImage window(60, 40, QImage::Format_RGB32);
    window.fill(qRgb(255, 0, 255));
    window.setPixel(5, 5, qRgb(0, 0, 0));
    QImage screen = desktop.copy();
    if (drawnAt.x() >= 0) {
        QPainter painter(&screen);
        if (black) {
            // Where it lay, or from (0, 0) the whole desktop.
            painter.fillRect(drawnAt.isNull() ? screen.rect() : QRect(drawnAt, window.size()),
                             Qt::black);
        } else {
            painter.drawImage(drawnAt, window);
        }
    }
    const bool found = at.x() < 0
                           ? showsWindowAnywhere(screen, window)
                           : showsWindow(screen, WindowOnScreen{QRect(0, 0, 240, 160), at, window});
    QCOMPARE(found, seen);
}

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
