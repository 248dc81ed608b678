#include "app/Form1.h"
#include "app/Startup.h"
#include "app/WindowRules.h"
#include "canvas/SizeLabel.h"
#include "canvas/Surface.h"
#include "core/Caption.h"
#include "core/LineReader.h"
#include "core/ModeTable.h"
#include "core/NumberText.h"
#include "fakes/FakeServices.h"
#include "fakes/Scale.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStringEncoder>
#include <QTest>
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
        texts.append(action->text());
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
    void readNumber_data();
    void readNumber();
    void writeNumber_data();
    void writeNumber();
    void writeSingle_data();
    void writeSingle();
    void roundHalfEven_data();
    void roundHalfEven();
    void writeNumberReadsBack_data();
    void writeNumberReadsBack();
    void lineEndings_data();
    void lineEndings();
    void longLinesAreCut();
    void rawModeTexts_data();
    void rawModeTexts();
    void parseModeText_data();
    void parseModeText();
    void modeChangeKeepsSubject_data();
    void modeChangeKeepsSubject();
    void committedWindowSize_data();
    void committedWindowSize();
    void resizeRule_data();
    void resizeRule();
    void settingsFolder_data();
    void settingsFolder();

    void hugeSettingsLinesCostLittleMemory();
    void startWithoutSettingsCreatesEmptyFile();
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
    void shutDownRemovesOnlyTheTemporaryFile_data();
    void shutDownRemovesOnlyTheTemporaryFile();
};

void TestApp::readNumber_data() {
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

void TestApp::readNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(kiramo::readNumber(text), expected);
}

void TestApp::writeNumber_data() {
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

void TestApp::writeNumber() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(kiramo::writeNumber(value), expected);
}

void TestApp::writeSingle_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capture width") << 494.949494949495 << "494.9495";
    QTest::newRow("A4 band") << 282.857142857143 << "282.8571";
    QTest::newRow("whole") << 200.0 << "200";
    QTest::newRow("tenth") << 0.1 << "0.1";  // not the float's 0.100000001490116
    QTest::newRow("large") << 16777217.0 << "16777220";
}

void TestApp::writeSingle() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(kiramo::writeSingle(value), expected);
}

void TestApp::writeNumberReadsBack_data() {
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

void TestApp::writeNumberReadsBack() {
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

void TestApp::roundHalfEven_data() {
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

void TestApp::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QFETCH(int, expected16);
    QCOMPARE(kiramo::roundHalfEven(value), expected);
    QCOMPARE(kiramo::roundHalfEven16(value), expected16);
}

void TestApp::lineEndings_data() {
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

void TestApp::lineEndings() {
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

void TestApp::longLinesAreCut() {
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

void TestApp::rawModeTexts_data() {
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

void TestApp::rawModeTexts() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(rawTextsOf(file)), expected);
}

void TestApp::parseModeText_data() {
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

void TestApp::parseModeText() {
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

void TestApp::startWithoutSettingsCreatesEmptyFile() {
    FakeServices fake;
    std::unique_ptr<Form1> form = startIn(fake);
    QVERIFY(form);
    QFile ini(fake.path(QStringLiteral("KIRAMO.INI")));
    QVERIFY(ini.exists());
    QCOMPARE(ini.size(), 0);
    QCOMPARE(form->windowTitle(), " Mode:FreeSize" + captionNotice());
    QCOMPARE(modeMenuTexts(*form), QStringList{"FreeSize"});
    // 2475 x 2055 twips in device pixels: 165 x 137 at 15 twips a pixel.
    const TwipScale m = form->workspace().scale();
    QCOMPARE(form->workspace().P1->imageSize(),
             QSize(qRound(m.toPixelsX(2475)), qRound(m.toPixelsY(2055))));
    QCOMPARE(form->workspace().P1->image().pixelColor(10, 10), QColor(192, 192, 192));
    QVERIFY(fake.prompts.calls.isEmpty());
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
        "  MGridClear Grid Clear",
        "MOption &Option",
        "  MCap &Capture",
        "  MSpMode -",
        "  MMode &Mode",
        "    MCanvas(0) FreeSize",
        "MHelp &Help",
        "  MWeb Support&Website",
    };
    QCOMPARE(rows, expected);
    // Only Copy and Paste have keys: the platform's usual ones.
    QCOMPARE(form->menus().MCopy->shortcut(), QKeySequence(QKeySequence::Copy));
    QCOMPARE(form->menus().MPaste->shortcut(), QKeySequence(QKeySequence::Paste));
    for (QAction* action : form->findChildren<QAction*>()) {
        const bool standard = action == form->menus().MCopy || action == form->menus().MPaste;
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
    QCOMPARE(form->width(), form->workspace().state.MinFormWidth);
    // The design's inner width of 2565 twips is 171 logical pixels, at every scale, unless the
    // menu bar needs more.
    QCOMPARE(form->width(), std::max(171, form->menuBar()->sizeHint().width()));
    QCOMPARE(form->height(), form->workspace().state.FrameExtraHeight);  // no inner height at first
    QCOMPARE(form->menuBar()->height(), form->workspace().state.FrameExtraHeight);
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
