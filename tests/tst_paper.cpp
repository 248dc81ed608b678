#include "canvas/SizeLabel.h"
#include "core/PageLayout.h"
#include "fakes/ReadOnlyFolder.h"
#include "fakes/Session.h"
#include "overlay/GridCommands.h"
#include "paper/PaperCommands.h"
#include "paper/PaperOptionsDialog.h"
#include "platform/QtPrompts.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPageSize>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace kiramo;
using namespace kiramo::testing;

namespace {

const QByteArray kModes = "@ A4 29.7x21\r\n@ F6 41x31.8\r\n";
constexpr double kDpi = 150.0;

QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Squares of 40 pixels, black and white: a misplaced part shows at once.
QImage checkerboard(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, ((x / 40 + y / 40) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    return image;
}

void selectAll(Session& s) {
    const QSize size = s.ws().P1->imageSize();
    s.ws().L1->setRect(LabelRect{0.0, 0.0, size.width() * 15.0, size.height() * 15.0});
    s.ws().L1->show();
}

PaperOptions trueSize(bool labels = false) {
    return PaperOptions{true, QPageSize(QPageSize::A4), labels};
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        QTest::qFail(qPrintable(program + QStringLiteral(" failed: ") +
                                QString::fromLocal8Bit(process.readAllStandardError())),
                     __FILE__, __LINE__);
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// pdfinfo's page size in points and number of pages.
struct PdfInfo {
    QSizeF points;
    int pages = 0;
};
PdfInfo pdfInfo(const QString& pdf) {
    const QString out = run(QStringLiteral("pdfinfo"), {pdf});
    PdfInfo info;
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    if (size.hasMatch()) {
        info.points = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    }
    info.pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out).captured(1).toInt();
    return info;
}

// Page `page` of the PDF rasterised by pdftoppm at `dpi`.
QImage rasterise(const QString& pdf, int page, double dpi) {
    const QString prefix = pdf + QStringLiteral("-page");
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
         QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
}

// Middles of the vertical lines crossing the rows `top` to `top + 12` pixels: each run of
// columns darker than the white page, weighted by how dark, in pixels from the page's left.
QList<double> verticalLines(const QImage& page, int top) {
    QList<double> middles;
    double sum = 0.0;
    double weighted = 0.0;
    for (int x = 0; x <= page.width(); ++x) {
        int dark = 0;
        for (int y = top; x < page.width() && y < top + 12; ++y) {
            dark = std::max(dark, 255 - qGray(page.pixel(x, y)));
        }
        if (dark > 20) {
            sum += dark;
            weighted += dark * (x + 0.5);
        } else if (sum > 0.0) {
            middles.append(weighted / sum);
            sum = weighted = 0.0;
        }
    }
    return middles;
}

// A file in `folder` named after the running test row.
QString rowFile(const QTemporaryDir& folder) {
    QString name = QString::fromUtf8(QTest::currentDataTag());
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    return folder.filePath(name + QStringLiteral(".pdf"));
}

double toPixels(double mm) {
    return mm * kDpi / kMmPerInch;
}

// The bounding box of the red pixels of an image.
QRect redBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// Mean difference of grey levels between two blocks of the same size.
double meanDifference(const QImage& a, QPoint atA, const QImage& b, QPoint atB, QSize size) {
    double total = 0.0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            total +=
                std::abs(qGray(a.pixel(atA + QPoint(x, y))) - qGray(b.pixel(atB + QPoint(x, y))));
        }
    }
    return total / (size.width() * size.height());
}

}  // namespace

class TestPaper : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void gridsAreRememberedUntilCleared();

    void gridMeasuresOnThePage_data();
    void gridMeasuresOnThePage();
    void largePaperIsTiledOnAnA4Printer();
    void freeSizeIsFittedAndCentred_data();
    void freeSizeIsFittedAndCentred();
    void failedExportLeavesTheOldFile_data();
    void failedExportLeavesTheOldFile();
    void cancelledDialogsWriteNothing();
    void menuItemsFollowSaveAs();
    void gridsKeepTheirStyleOnThePage();

    void realOptionsDialogCloses();
    void realPrintPreviewCloses();
    void printProposesTheWholeName_data();
    void printProposesTheWholeName();

private:
    QTemporaryDir m_folder;
};

void TestPaper::initTestCase() {
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty(),
             "poppler-utils (pdfinfo, pdftoppm) are needed: scripts/install-deps installs them");
}

void TestPaper::gridsAreRememberedUntilCleared() {
    Session s(kModes);
    const QImage picture = filled(QSize(200, 100), Qt::white);
    s.setCanvas(picture);
    Workspace& w = s.ws();
    DrawDivisionGrid(w, 8);
    QCOMPARE(w.drawnGrids().size(), 1);
    QCOMPARE(w.gridlessPicture(), picture);
    QVERIFY(w.P1->image() != picture);
    gridClear(w);
    QVERIFY(w.drawnGrids().isEmpty());

    // A commit (the colour table) keeps the grids: Grid Clear no longer takes them away, and a
    // printout still draws them as lines over the picture without them.
    DrawDivisionGrid(w, 8);
    s.form->toggleColorTable();
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("10"));
    drawEqualPartsGrid(w);
    gridClear(w);
    QCOMPARE(w.drawnGrids().size(), 1);
    QCOMPARE(w.drawnGrids()[0].spacing.kind, GridSpacing::Kind::Eighths);
    QCOMPARE(w.gridlessPicture(), picture);

    s.setCanvas(filled(QSize(50, 50), Qt::black));
    QVERIFY(w.drawnGrids().isEmpty());
}

void TestPaper::gridMeasuresOnThePage_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("grid");  // "cm", "1/8" or "parts"
    QTest::addColumn<QSizeF>("points");
    QTest::addColumn<double>("bandMm");  // a band of rows that no horizontal line crosses
    QTest::addColumn<double>("stepMm");
    QTest::addColumn<int>("lines");  // at 1, 2, ... lines steps from the left edge

    const QSizeF landscape(841.9, 595.3);
    const QSizeF portrait(595.3, 841.9);
    QTest::newRow("5 cm, landscape") << QSize(1188, 840) << "cm" << landscape << 20.0 << 50.0 << 5;
    QTest::newRow("5 cm, portrait") << QSize(840, 1188) << "cm" << portrait << 20.0 << 50.0 << 4;
    QTest::newRow("1/8, landscape")
        << QSize(1188, 840) << "1/8" << landscape << 30.0 << 37.125 << 7;
    QTest::newRow("1/8, portrait") << QSize(840, 1188) << "1/8" << portrait << 20.0 << 26.25 << 7;
    QTest::newRow("10 parts, landscape")
        << QSize(1188, 840) << "parts" << landscape << 20.0 << 29.7 << 9;
}

void TestPaper::gridMeasuresOnThePage() {
    QFETCH(QSize, picture);
    QFETCH(QString, grid);
    QFETCH(QSizeF, points);
    QFETCH(double, bandMm);
    QFETCH(double, stepMm);
    QFETCH(int, lines);

    Session s(kModes);
    s.setCanvas(filled(picture, Qt::white));
    s.form->selectMode(1);
    Workspace& w = s.ws();
    if (grid == QLatin1String("cm")) {
        selectAll(s);
        s.fake.prompts.textAnswers.enqueue(QStringLiteral("5"));
        drawCentimetreGrid(w);
    } else if (grid == QLatin1String("1/8")) {
        DrawDivisionGrid(w, 8);
    } else {
        s.fake.prompts.textAnswers.enqueue(QStringLiteral("10"));
        drawEqualPartsGrid(w);
    }
    QCOMPARE(w.drawnGrids().size(), 1);

    const QString pdf = rowFile(m_folder);
    s.fake.prompts.paperAnswers.enqueue(trueSize());
    s.fake.prompts.saveAnswers.enqueue(pdf);
    exportPdfCommand(w, s.fake.prompts);
    QCOMPARE(s.fake.prompts.calls.last(), QStringLiteral("save: PDF の書き出し"));

    const PdfInfo info = pdfInfo(pdf);
    QCOMPARE(info.pages, 1);
    QVERIFY2(
        std::abs(info.points.width() - points.width()) <= 0.5 &&
            std::abs(info.points.height() - points.height()) <= 0.5,
        qPrintable(
            QStringLiteral("page %1 x %2 pt").arg(info.points.width()).arg(info.points.height())));

    const QImage page = rasterise(pdf, 1, kDpi);
    const QList<double> found = verticalLines(page, qRound(toPixels(bandMm)));
    for (int k = 1; k <= lines; ++k) {
        const double expected = toPixels(k * stepMm);
        const bool there = std::any_of(found.cbegin(), found.cend(),
                                       [&](double x) { return std::abs(x - expected) <= 1.0; });
        QVERIFY2(there, qPrintable(QStringLiteral("no line at %1 px; lines at %2")
                                       .arg(expected)
                                       .arg(QString::number(found.size()))));
    }
}

void TestPaper::largePaperIsTiledOnAnA4Printer() {
    Session s(kModes);
    s.setCanvas(checkerboard(QSize(1230, 954)));  // the proportions of F6, 41 x 31.8 cm
    s.form->selectMode(2);
    Workspace& w = s.ws();
    selectAll(s);
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("5"));
    drawCentimetreGrid(w);

    const QString tiles = m_folder.filePath(QStringLiteral("tiles.pdf"));
    s.fake.prompts.paperAnswers.enqueue(trueSize());
    s.fake.prompts.printFiles.enqueue(tiles);
    printCommand(w, s.fake.prompts);
    const PdfInfo info = pdfInfo(tiles);
    QCOMPARE(info.pages, 4);
    QVERIFY(std::abs(info.points.width() - 841.9) <= 0.5);

    // Each sheet holds its part of the whole paper, as a one-page export shows it.
    const QString whole = m_folder.filePath(QStringLiteral("whole.pdf"));
    QString error;
    QVERIFY2(writePdf(w, trueSize(), whole, &error), qPrintable(error));
    QCOMPARE(pdfInfo(whole).pages, 1);
    constexpr double dpi = 50.0;
    const auto px = [](double mm) { return qRound(mm * dpi / kMmPerInch); };
    const QImage paper = rasterise(whole, 1, dpi);
    const TilePlan plan = tilePaper(QSizeF(410, 318), QSizeF(210, 297));
    for (int i = 0; i < plan.tiles.size(); ++i) {
        const SheetTile& tile = plan.tiles[i];
        const QImage sheet = rasterise(tiles, i + 1, dpi);
        const QSize size(px(tile.paperMm.width()) - 2, px(tile.paperMm.height()) - 2);
        const double difference =
            meanDifference(sheet, QPoint(px(plan.contentMm.x()), px(plan.contentMm.y())), paper,
                           QPoint(px(tile.paperMm.x()), px(tile.paperMm.y())), size);
        QVERIFY2(difference < 30.0,
                 qPrintable(QStringLiteral("tile %1 differs by %2").arg(i).arg(difference)));
    }
}

void TestPaper::freeSizeIsFittedAndCentred_data() {
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("A4, wide") << int(QPageSize::A4) << QSize(800, 400) << QSizeF(842, 595);
    QTest::newRow("A4, tall") << int(QPageSize::A4) << QSize(300, 900) << QSizeF(595, 842);
    QTest::newRow("Letter, wide") << int(QPageSize::Letter) << QSize(640, 480) << QSizeF(792, 612);
}

void TestPaper::freeSizeIsFittedAndCentred() {
    QFETCH(int, pageSize);
    QFETCH(QSize, picture);
    QFETCH(QSizeF, points);
    Session s(kModes);
    s.setCanvas(filled(picture, Qt::red));
    DrawDivisionGrid(s.ws(), 8);
    const QString pdf = rowFile(m_folder);
    s.fake.prompts.paperAnswers.enqueue(
        PaperOptions{true, QPageSize(static_cast<QPageSize::PageSizeId>(pageSize)), false});
    s.fake.prompts.saveAnswers.enqueue(pdf);
    exportPdfCommand(s.form->workspace(), s.fake.prompts);
    QCOMPARE(s.fake.prompts.paperRequests.last().paper, QString());  // FreeSize: no true size

    const PdfInfo info = pdfInfo(pdf);
    QVERIFY(std::abs(info.points.width() - points.width()) <= 0.5);
    QVERIFY(std::abs(info.points.height() - points.height()) <= 0.5);
    const QImage page = rasterise(pdf, 1, kDpi);
    const QRect box = redBox(page);
    // Aspect kept (within a pixel), centred across, within the margins and above the legend.
    QVERIFY(std::abs(box.width() * picture.height() - box.height() * picture.width()) <=
            std::max(picture.width(), picture.height()));
    QVERIFY(std::abs(box.left() - (page.width() - 1 - box.right())) <= 2);
    QVERIFY(box.left() >= toPixels(kSheetMarginMm) - 1);
    QVERIFY(box.top() >= toPixels(kSheetMarginMm) - 1);
    QVERIFY(page.height() - box.bottom() >= toPixels(kSheetMarginMm + kLegendBandMm) - 1);
    QVERIFY(std::abs(box.left() - toPixels(kSheetMarginMm)) <= 2 ||
            std::abs(box.top() - toPixels(kSheetMarginMm)) <= 2);
}

void TestPaper::failedExportLeavesTheOldFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");  // "": written
    QTest::newRow("missing folder") << "missing" << QString::fromLocal8Bit(std::strerror(ENOENT));
    QTest::newRow("folder refusing new files") << "read-only"
                                               << "";
    QTest::newRow("named pipe") << "pipe"
                                << "パイプかデバイスで、ファイルではありません";
}

void TestPaper::failedExportLeavesTheOldFile() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Session s(kModes);
    s.setCanvas(filled(QSize(100, 80), Qt::white));
    QTemporaryDir folder;
    QString target = folder.filePath(QStringLiteral("missing/old.pdf"));
    std::unique_ptr<ReadOnlyFolder> locked;
    if (kind == "read-only") {
        target = folder.filePath(QStringLiteral("old.pdf"));
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        locked = std::make_unique<ReadOnlyFolder>(folder.path());
        if (!locked->locked()) {
            QSKIP("this file system cannot refuse new files");
        }
        s.fake.prompts.yesNoAnswers.enqueue(true);
    } else if (kind == "pipe") {
        target = folder.filePath(QStringLiteral("pipe.pdf"));
#ifdef Q_OS_UNIX
        // Refused by its type: opening it would wait for a reader.
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
#else
        QSKIP("no named pipes here");
#endif
    }
    s.fake.prompts.paperAnswers.enqueue(trueSize());
    s.fake.prompts.saveAnswers.enqueue(target);
    exportPdfCommand(s.form->workspace(), s.fake.prompts);
    if (reason.isEmpty()) {
        // No new file may be made beside it, but the file itself may be written: in place.
        QVERIFY(s.fake.prompts.calls.last().startsWith(QStringLiteral("yesno: ")));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("%PDF"));
        return;
    }
    QCOMPARE(s.fake.prompts.calls.mid(s.fake.prompts.calls.size() - 2),
             QStringList({"beep", "message: " + QDir::toNativeSeparators(target) +
                                      " に書き込めません: " + reason}));
    if (kind == "pipe") {
        QVERIFY(!QFileInfo(target).isFile());
    }
}

void TestPaper::cancelledDialogsWriteNothing() {
    Session s(kModes);
    s.setCanvas(filled(QSize(100, 80), Qt::white));
    s.form->selectMode(1);
    FakePrompts& prompts = s.fake.prompts;
    prompts.paperAnswers.enqueue(std::nullopt);
    exportPdfCommand(s.form->workspace(), s.fake.prompts);
    QCOMPARE(prompts.calls, QStringList({"paper: PDF の書き出し | A4 29.7 x 21 cm"}));

    // An existing file is asked about; No leaves it.
    const QString existing = m_folder.filePath(QStringLiteral("existing.pdf"));
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    prompts.paperAnswers.enqueue(trueSize());
    prompts.saveAnswers.enqueue(existing);
    prompts.yesNoAnswers.enqueue(false);
    exportPdfCommand(s.form->workspace(), s.fake.prompts);
    QVERIFY(prompts.calls.last().startsWith(QStringLiteral("yesno: 同名ファイル ")));
    QCOMPARE(prompts.yesNoDefaults, QList<Prompts::Answer>{Prompts::Answer::No});
    QCOMPARE(QFileInfo(existing).size(), 0);

    prompts.paperAnswers.enqueue(std::nullopt);
    printCommand(s.form->workspace(), s.fake.prompts);
    QCOMPARE(prompts.calls.last(), QStringLiteral("paper: 印刷 | A4 29.7 x 21 cm"));
}

void TestPaper::menuItemsFollowSaveAs() {
    Session s(kModes);
    const Form1Menus& m = s.form->menus();
    const QList<QAction*> items = m.MFile->actions();
    QCOMPARE(items.indexOf(m.MExportPdf), items.indexOf(m.MSave) + 1);
    QCOMPARE(items.indexOf(m.MPrint), items.indexOf(m.MSave) + 2);
    QVERIFY(items.indexOf(m.MPrint) < items.indexOf(m.MSPExit));
    QCOMPARE(m.MExportPdf->text(), QStringLiteral("Export PDF..."));
    QCOMPARE(m.MPrint->text(), QStringLiteral("Print..."));
    QVERIFY(!m.MExportPdf->isEnabled() && !m.MPrint->isEnabled());
    s.setCanvas(filled(QSize(10, 10), Qt::white));
    QVERIFY(m.MExportPdf->isEnabled() && m.MPrint->isEnabled());
}

void TestPaper::gridsKeepTheirStyleOnThePage() {
    // A 1/8 grid red and 3 pixels wide, then 10 equal parts in blue, one pixel: on A4 at a
    // third of a millimetre a pixel, the red lines are 1 mm wide, the blue ones the thinnest.
    Session s(kModes);
    s.setCanvas(filled(QSize(891, 630), Qt::white));
    s.form->selectMode(1);
    Workspace& w = s.ws();
    const auto setStyle = [&](const QByteArray& lines) {
        QFile conf(w.folders().userSettingsFile());
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[Grid]\n" + lines);
    };
    setStyle("color=#FF0000\nwidth=3\n");
    DrawDivisionGrid(w, 8);
    setStyle("color=#0000FF\n");
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("10"));
    drawEqualPartsGrid(w);

    const QString pdf = m_folder.filePath(QStringLiteral("styled.pdf"));
    s.fake.prompts.paperAnswers.enqueue(trueSize());
    s.fake.prompts.saveAnswers.enqueue(pdf);
    exportPdfCommand(w, s.fake.prompts);
    const QImage page = rasterise(pdf, 1, kDpi);

    // Runs of columns of one colour across 12 rows 10 mm down, clear of horizontal lines.
    struct Run {
        int start;
        int width;
    };
    const auto runs = [&](auto isColour) {
        QList<Run> found;
        const int top = qRound(toPixels(10.0));
        for (int x = 0, start = -1; x <= page.width(); ++x) {
            bool hit = false;
            for (int y = top; x < page.width() && y < top + 12 && !hit; ++y) {
                hit = isColour(page.pixel(x, y));
            }
            if (hit && start < 0) {
                start = x;
            } else if (!hit && start >= 0) {
                found.append(Run{start, x - start});
                start = -1;
            }
        }
        return found;
    };
    const QList<Run> red =
        runs([](QRgb p) { return qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100; });
    const QList<Run> blue =
        runs([](QRgb p) { return qBlue(p) > 200 && qRed(p) < 100 && qGreen(p) < 100; });
    // The division line at 297 / 8 mm, 1 mm wide; the first blue line at 29.69 mm, 1/3 mm.
    const auto near = [](const QList<Run>& list, double mm, double widthMm) {
        return std::any_of(list.cbegin(), list.cend(), [&](const Run& r) {
            return std::abs(r.start + r.width / 2.0 - toPixels(mm)) <= 1.5 &&
                   std::abs(r.width - toPixels(widthMm)) <= 1.5;
        });
    };
    QVERIFY2(near(red, 297.0 / 8.0, 1.0), qPrintable(QString::number(red.size())));
    QVERIFY2(near(blue, 1336.0 / 15.0 / 3.0, 1.0 / 3.0), qPrintable(QString::number(blue.size())));
    QVERIFY(!near(red, 1336.0 / 15.0 / 3.0, 1.0 / 3.0));
}

void TestPaper::realOptionsDialogCloses() {
    PaperOptionsDialog prompts;
    PaperOptionsRequest request;
    request.title = QStringLiteral("Export PDF");
    request.paper = QStringLiteral("A4 29.7 x 21 cm");
    request.defaults.cellLabels = true;
    QTimer::singleShot(100, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    const std::optional<PaperOptions> options = prompts.askPaperOptions(request);
    QVERIFY(options);
    QVERIFY(options->trueSize);
    QVERIFY(options->cellLabels);
}

void TestPaper::realPrintPreviewCloses() {
    QtPrompts prompts;
    int rendered = 0;
    QPrinter* printer = nullptr;
    QString proposed;
    QTimer::singleShot(500, [&printer, &proposed] {
        if (printer) {
            // The printer dialog that the preview's Print button opens on it.
            QPrintDialog print(printer);
            if (auto* file = print.findChild<QLineEdit*>(QStringLiteral("filename"))) {
                proposed = file->text();
            }
        }
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    const QString pdf =
        QDir::current().filePath(QStringLiteral("A.BMP (9x9) — A4 29.7 x 21 cm.pdf"));
    prompts.previewPrint(
        PrintRequest{QStringLiteral("Print"), QStringLiteral("A.BMP (9x9) — A4 29.7 x 21 cm"), pdf},
        [&rendered, &printer](QPrinter& p) {
        ++rendered;
        printer = &p;
        });
    QVERIFY(rendered >= 1);
    QCOMPARE(proposed, pdf);
}

void TestPaper::printProposesTheWholeName_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("a paper of 29.7 cm")
        << 1 << "PHOTO.BMP (300x200)"
        << "PHOTO.BMP (300x200) — A4 29.7 x 21.pdf" << QSize(300, 200);
    QTest::newRow("characters no file name holds")
        << 0 << "A:B?.BMP (300x200)"
        << "A-B-.BMP (300x200) — FreeSize (A4 に配置).pdf" << QSize(300, 200);
    QTest::newRow("nothing loaded") << 2 << ""
                                    << "F6 41 x 31.8.pdf" << QSize(300, 200);
    QTest::newRow("captured in a mode")
        << 1 << "Untitled (300.4242x200)"
        << "Untitled (300x200) — A4 29.7 x 21.pdf" << QSize(300, 200);
    // An upright paper is still named as the mode names it.
    QTest::newRow("upright") << 1 << "Untitled (200.4x300)"
                             << "Untitled (200x300) — A4 29.7 x 21.pdf" << QSize(200, 300);
}

void TestPaper::printProposesTheWholeName() {
    QFETCH(int, mode);
    QFETCH(QString, subject);
    QFETCH(QString, name);
    QFETCH(QSize, size);
    Session s(kModes);
    s.setCanvas(checkerboard(size));
    s.form->selectMode(mode);
    s.ws().setCaption(subject);
    s.fake.prompts.paperAnswers.enqueue(trueSize());
    s.fake.prompts.printFiles.enqueue(QString());  // the preview closed without printing
    printCommand(s.form->workspace(), s.fake.prompts);
    QCOMPARE(s.fake.prompts.printRequests.size(), 1);
    QCOMPARE(s.fake.prompts.printRequests.first().pdfFile, QDir::current().filePath(name));
}

QTEST_MAIN(TestPaper)
#include "tst_paper.moc"
