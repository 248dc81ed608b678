#include "app/HistoryItems.h"
#include "core/EditHistory.h"
#include "exchange/Clipboard.h"
#include "fakes/Pictures.h"
#include "fakes/Session.h"
#include "files/ImageFiles.h"

#include <QAction>
#include <QPainter>
#include <QTest>

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// One thing done on the canvas, by its menu item.
void run(Session& s, const QString& command) {
    const Form1Menus& m = s.form->menus();
    if (command == "grid8") {
        m.MGrid8->trigger();
    } else if (command == "parts7") {
        s.fake.prompts.textAnswers.enqueue(QStringLiteral("7"));
        m.MGridT->trigger();
    } else if (command == "selection8") {
        // Each a little further to the right.
        const int x = 13 + s.ws().drawnGrids().size();
        s.ws().L1->setRect(twipsOf(*s.form, QRectF(x, 7, 101, 53)));
        s.ws().L1->show();
        m.MGrid8->trigger();
    } else if (command == "table") {
        m.MPal->trigger();
    } else if (command == "clear") {
        m.MGridClear->trigger();
    } else if (command == "paste") {
        pastePicture(s.ws(), PictureData{patternImage(QSize(90, 70), 200), QString()});
    } else if (command == "undo") {
        QTest::keyClick(s.form.get(), Qt::Key_Z, Qt::ControlModifier);
    } else if (command == "redo") {
        QTest::keyClick(s.form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    } else if (command == "redoY") {
        QTest::keyClick(s.form.get(), Qt::Key_Y, Qt::ControlModifier);
    } else {
        QFAIL(qPrintable("no command " + command));
    }
}

// A picture file loaded as Open loads it; its path.
QString loadPicture(Session& s, const QImage& picture) {
    const QString path = s.fake.path(QStringLiteral("PHOTO.BMP"));
    picture.save(path, "BMP");
    LoadCanvasImage(s.ws(), path);
    return path;
}

}  // namespace

class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void patchGivesBackEveryPixel_data();
    void patchGivesBackEveryPixel();
    void boundKeepsNewest_data();
    void boundKeepsNewest();
    void undoRedo_data();
    void undoRedo();
    void menuSaysWhatItUndoes();
    void saveWritesTheCurrentFile();
};

void TestHistory::patchGivesBackEveryPixel_data() {
    QTest::addColumn<QLine>("line");
    QTest::addColumn<bool>("dotted");
    QTest::newRow("steep") << QLine(3, 0, 40, 299) << false;
    QTest::newRow("shallow dotted") << QLine(199, 5, 0, 33) << true;
    QTest::newRow("diagonal up") << QLine(0, 299, 199, 0) << true;
    QTest::newRow("horizontal") << QLine(0, 150, 199, 150) << false;
    QTest::newRow("vertical at the edge") << QLine(199, 0, 199, 299) << false;
    QTest::newRow("a point") << QLine(5, 5, 5, 5) << false;
}

void TestHistory::patchGivesBackEveryPixel() {
    QFETCH(QLine, line);
    QFETCH(bool, dotted);
    const QImage before = patternImage(QSize(200, 300));
    QImage image = before;
    PixelPatch patch = PixelPatch::around({line}, image);
    {
        QPainter painter(&image);
        QPen pen(Qt::black, 0, dotted ? Qt::DotLine : Qt::SolidLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLine(line);
    }
    const QImage after = image.copy();
    patch.finish(image);
    QVERIFY(!patch.isEmpty());
    patch.writeBefore(image);
    QCOMPARE(image, before);
    patch.writeAfter(image);
    QCOMPARE(image, after);
    // Only what changed is kept: a line's pixels, not the band around it.
    QVERIFY(patch.bytes() < 3 * 4 * 2 * qint64(std::max(200, 300)) + 12 * 600);
}

void TestHistory::boundKeepsNewest_data() {
    QTest::addColumn<QList<int>>("pixels");  // each step holds a picture of that many pixels
    QTest::addColumn<int>("undos");          // taken back before the steps are counted
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("oldest");    // the last step that Undo reaches
    QTest::addColumn<bool>("backAtStart");  // whether that is the blank start, with no changes
    QTest::newRow("21 steps") << QList<int>(21, 1) << 0 << 20 << "1" << false;
    QTest::newRow("bytes") << QList<int>{40, 40, 40} << 0 << 2 << "1" << false;
    QTest::newRow("one too large") << QList<int>{10, 500} << 0 << 1 << "1" << false;
    QTest::newRow("undone steps stay") << QList<int>{30, 30, 30} << 2 << 3 << "0" << true;
}

void TestHistory::boundKeepsNewest() {
    QFETCH(QList<int>, pixels);
    QFETCH(int, undos);
    QFETCH(int, kept);
    QFETCH(QString, oldest);
    QFETCH(bool, backAtStart);
    static const QList<QByteArray> labels = [] {
        QList<QByteArray> all;
        for (int i = 0; i < 21; ++i) {
            all.append(QByteArray::number(i));
        }
        return all;
    }();
    EditHistory history(20, 100 * 4);  // 100 pixels of 4 bytes
    for (int i = 0; i < pixels.size(); ++i) {
        EditStep step;
        step.kind = EditStep::Kind::GridClear;
        step.label = labels[i].constData();
        step.canvas = QImage(pixels[i], 1, QImage::Format_RGB32);
        history.push(std::move(step));
    }
    for (int i = 0; i < undos; ++i) {
        history.stepBack();
    }
    QCOMPARE(history.stepCount(), kept);
    QVERIFY(history.bytes() <= 400 || kept == 1);
    QString last;
    while (history.canUndo()) {
        last = QString::fromLatin1(history.undoLabel());
        history.stepBack();
    }
    QCOMPARE(last, oldest);
    QCOMPARE(history.isClean(), backAtStart);
}

void TestHistory::undoRedo_data() {
    QTest::addColumn<QStringList>("commands");
    // What the canvas must be at the end: the picture as loaded ("loaded"), or as it was after
    // the command at that index.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("gridsOnPaper");
    QTest::newRow("grid, undo") << QStringList{"grid8", "undo"} << "loaded" << 0;
    QTest::newRow("grid, undo, redo") << QStringList{"grid8", "undo", "redo"} << "0" << 1;
    QTest::newRow("redo by Ctrl+Y") << QStringList{"parts7", "undo", "redoY"} << "0" << 1;
    QTest::newRow("selection grid") << QStringList{"selection8", "undo"} << "loaded" << 0;
    QTest::newRow("after the colour table twice")
        << QStringList{"grid8", "table", "table", "undo"} << "loaded" << 0;
    QTest::newRow("committed grid undone is not cleared back")
        << QStringList{"grid8", "table", "parts7", "undo", "undo", "clear"} << "loaded" << 0;
    QTest::newRow("Grid Clear undone")
        << QStringList{"grid8", "parts7", "clear", "undo"} << "1" << 2;
    QTest::newRow("Grid Clear undone clears again")
        << QStringList{"grid8", "parts7", "clear", "undo", "clear"} << "loaded" << 0;
    // More grids than steps are kept: Grid Clear keeps the whole canvas.
    QTest::newRow("Grid Clear after 21 grids undone")
        << QStringList(21, "selection8") + QStringList{"clear", "undo"} << "20" << 21;
    QTest::newRow("Grid Clear redone")
        << QStringList{"grid8", "clear", "undo", "redo"} << "loaded" << 0;
    QTest::newRow("paste undone") << QStringList{"grid8", "paste", "undo"} << "0" << 1;
    QTest::newRow("paste redone") << QStringList{"grid8", "paste", "undo", "redo"} << "1" << 0;
    QTest::newRow("everything back")
        << QStringList{"grid8", "table", "parts7", "clear", "selection8", "paste",
                       "undo",  "undo",  "undo",   "undo",  "undo"}
        << "loaded" << 0;
}

void TestHistory::undoRedo() {
    QFETCH(QStringList, commands);
    QFETCH(QString, expected);
    QFETCH(int, gridsOnPaper);
    Session s;
    s.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    const QImage loaded = patternImage(QSize(230, 170));
    loadPicture(s, loaded);
    QList<QImage> after;
    for (const QString& command : commands) {
        run(s, command);
        after.append(s.ws().picture().copy());
    }
    QCOMPARE(s.ws().picture(), expected == "loaded" ? loaded : after.at(expected.toInt()));
    QCOMPARE(s.ws().drawnGrids().size(), gridsOnPaper);
    QCOMPARE(s.ws().P2.size(), s.ws().picture().size());
}

void TestHistory::menuSaysWhatItUndoes() {
    Session s;
    const Form1Menus& m = s.form->menus();
    QVERIFY(!Form1Menus::isCommandEnabled(m.MUndo));
    QCOMPARE(m.MUndo->text(), "元に戻す(&U)");
    loadPicture(s, patternImage(QSize(60, 40)));
    s.fake.prompts.textAnswers.enqueue(QStringLiteral("3"));
    m.MGridT->trigger();
    QCOMPARE(m.MUndo->text(), "元に戻す(&U): 等分");
    QVERIFY(Form1Menus::isCommandEnabled(m.MUndo));
    QVERIFY(!Form1Menus::isCommandEnabled(m.MRedo));
    m.MUndo->trigger();
    QCOMPARE(m.MUndo->text(), "元に戻す(&U): Open");
    QCOMPARE(m.MRedo->text(), "やり直し(&R): 等分");
    QCOMPARE(undoCaption("1/8 分割"), "元に戻す(&U): 1/8 分割");
    QCOMPARE(redoCaption("A&&B"), "やり直し(&R): AB");
}

void TestHistory::saveWritesTheCurrentFile() {
    Session s;
    s.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
    const QString path = loadPicture(s, patternImage(QSize(64, 48)));
    const QString caption = s.form->windowTitle();
    s.form->menus().MGrid8->trigger();
    QCOMPARE(s.form->windowTitle(), u'*' + caption);
    QTest::keyClick(s.form.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY2(s.fake.prompts.calls.isEmpty(), qPrintable(s.fake.prompts.calls.join('\n')));
    QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), s.ws().picture());
    QCOMPARE(s.form->windowTitle(), caption);

    // A pasted picture has no file: Save asks for one.
    pastePicture(s.ws(), PictureData{patternImage(QSize(9, 9)), QString()});
    s.ws().setCurrentFile(QString());
    const QString other = s.fake.path(QStringLiteral("OTHER.BMP"));
    s.fake.prompts.saveAnswers.enqueue(other);
    s.form->menus().MSaveFile->trigger();
    QCOMPARE(s.fake.prompts.calls, QStringList{"save: 保存"});
    QCOMPARE(QImage(other).size(), QSize(9, 9));
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
