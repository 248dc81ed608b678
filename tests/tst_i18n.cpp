#include "app/Language.h"
#include "core/Caption.h"
#include "fakes/Session.h"
#include "overlay/GridCommands.h"
#include "paper/PaperCommands.h"
#include "paper/PaperOptionsDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace kiramo;
using namespace kiramo::testing;

class TestI18n : public QObject {
    Q_OBJECT

private slots:
    void chooseTranslation_data();
    void chooseTranslation();
    void textsInEachLanguage_data();
    void textsInEachLanguage();
    void systemLanguage();
};

void TestI18n::chooseTranslation_data() {
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QString>("chosen");
    const QStringList english{"en-US", "en-Latn-US", "en"};
    QTest::newRow("en_US") << QLocale::English << english << "en";
    QTest::newRow("LANGUAGE=en_GB") << QLocale::English << QStringList{"en_GB"} << "en";
    QTest::newRow("ja_JP") << QLocale::Japanese << QStringList{"ja-JP", "ja-Jpan-JP", "ja"} << "";
    // The C/POSIX locale keeps the texts as written, even with LANGUAGE=en (as gettext does).
    QTest::newRow("C") << QLocale::C << QStringList{"C"} << "";
    QTest::newRow("C, LANGUAGE=en") << QLocale::C << english << "";
    // German first: no German texts, so the next language that there are texts for decides.
    QTest::newRow("de, then en") << QLocale::German << QStringList{"de-DE", "de", "en-US"} << "en";
    QTest::newRow("de, then ja, then en")
        << QLocale::German << QStringList{"de-DE", "ja-JP", "en-US"} << "";
    QTest::newRow("de only") << QLocale::German << QStringList{"de-DE", "de"} << "";
    QTest::newRow("ja before en") << QLocale::Japanese << QStringList{"ja", "en"} << "";
    QTest::newRow("Englishman, not English") << QLocale::German << QStringList{"eng", "enx"} << "";
    QTest::newRow("nothing") << QLocale::English << QStringList() << "";
}

void TestI18n::chooseTranslation() {
    QFETCH(QLocale::Language, language);
    QFETCH(QStringList, uiLanguages);
    QFETCH(QString, chosen);
    QCOMPARE(kiramo::chooseTranslation(language, uiLanguages), chosen);
}

void TestI18n::textsInEachLanguage_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("grid");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("qtCancel");
    const QStringList japanese{"1/8 分割", "等分...", "寸法(cm)指定..."};
    const QString japanesePrompt = "text: \r\n画像左右幅を基準に\r\n何等分のグリッドを描きますか？"
                                   "\r\n | 等分グリッドの指定 | 10";
    // Japanese first, English next, then C: the translators of one row are gone in the next.
    QTest::newRow("ja_JP") << QLocale(QLocale::Japanese, QLocale::Japan) << japanese
                           << "FreeSizeは寸法(cm)指定ができません" << japanesePrompt
                           << "  右クリックで色記録"
                           << "キャンセル";
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                           << QStringList{"1/8 Divisions", "Equal Parts...", "Spacing (cm)..."}
                           << "FreeSize has no sizes for a spacing in cm"
                           << "text: \r\nBased on the picture's width:\r\nHow many equal parts "
                              "for the grid?\r\n | Equal Parts Grid | 10"
                           << "  Right-click: colour"
                           << "Cancel";
    QTest::newRow("C") << QLocale::c() << japanese << "FreeSizeは寸法(cm)指定ができません"
                       << japanesePrompt << "  右クリックで色記録"
                       << "Cancel";
}

void TestI18n::textsInEachLanguage() {
    QFETCH(QLocale, locale);
    QFETCH(QStringList, grid);
    QFETCH(QString, message);
    QFETCH(QString, prompt);
    QFETCH(QString, notice);
    QFETCH(QString, qtCancel);
    Translations translations;
    translations.install(locale);
    Session s;
    const Form1Menus& m = s.form->menus();
    QCOMPARE((QStringList{m.MGrid8->text(), m.MGridT->text(), m.MGridCM->text()}), grid);
    QCOMPARE(m.MGrid->title(), QStringLiteral("Grid"));  // English already

    drawCentimetreGrid(s.ws());
    s.fake.prompts.textAnswers.enqueue(QString());
    drawEqualPartsGrid(s.ws());
    QCOMPARE(s.fake.prompts.calls, (QStringList{"beep", "message: " + message, prompt}));

    QCOMPARE(s.form->windowTitle(), " Mode:FreeSize" + notice);
    // As short as the Japanese notice, so that the mode before it still shows.
    const QFontMetrics metrics(QApplication::font());
    QVERIFY(metrics.horizontalAdvance(captionNotice()) <=
            1.5 * metrics.horizontalAdvance(QStringLiteral(" Mode:FreeSize")));

    // Qt's own dialog texts follow the locale.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), qtCancel);
}

void TestI18n::systemLanguage() {
    // Run by CTest under several LANG and LANGUAGE settings (tests/CMakeLists.txt), with the
    // language that the Grid submenu must then read in.
    const QString expected = qEnvironmentVariable("KIRAMO_EXPECTED_LANGUAGE");
    if (expected.isEmpty()) {
        QSKIP("run by CTest with LANG set");
    }
    Translations translations;
    translations.install(QLocale::system());
    Session s("@ A4 29.7x21\r\n");
    const QString grid8 = s.form->menus().MGrid8->text();
    QCOMPARE(grid8,
             expected == "en" ? QStringLiteral("1/8 Divisions") : QStringLiteral("1/8 分割"));

    // The Export PDF dialog, as the user meets it: its title and the texts of its choices.
    s.form->selectMode(1);
    s.setCanvas(QImage(QSize(300, 200), QImage::Format_RGB32));
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown.append(dialog->windowTitle());
            for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
                if (!b->text().isEmpty() && b->isVisibleTo(dialog) && b->isCheckable()) {
                    shown.append(b->text());
                }
            }
            dialog->reject();
        }
    });
    PaperOptionsDialog paper(s.form.get());
    exportPdfCommand(s.ws(), paper);
    const QStringList english{"Export PDF", "True size: A4 29.7 x 21 cm", "Fitted on the page:",
                              "Cell labels (columns A, B, C… rows 1, 2, 3…)"};
    const QStringList japanese{"PDF の書き出し", "実寸: A4 29.7 x 21 cm",
                               "用紙に合わせる:", "マス目の記号 (列 A, B, C… 行 1, 2, 3…)"};
    QCOMPARE(shown, expected == "en" ? english : japanese);
}

QTEST_MAIN(TestI18n)
#include "tst_i18n.moc"
