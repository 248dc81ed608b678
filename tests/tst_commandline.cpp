#include "app/CommandLine.h"

#include <QTest>

using namespace kiramo;

Q_DECLARE_METATYPE(kiramo::CommandLineRequest)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void request_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<CommandLineRequest>("expected");
        const auto run = CommandLineRequest::Run;
        QTest::newRow("nothing") << QString() << run;
        QTest::newRow("help") << QStringLiteral("--help") << CommandLineRequest::Help;
        QTest::newRow("version") << QStringLiteral("--version") << CommandLineRequest::Version;
        QTest::newRow("capture") << QStringLiteral("--capture") << CommandLineRequest::Capture;
        QTest::newRow("capture and path") << QStringLiteral("--capture sky.bmp") << run;
        QTest::newRow("capture, trailing blank") << QStringLiteral("--capture ") << run;
        QTest::newRow("a picture") << QStringLiteral("/home/a/My Pictures/sky.bmp") << run;
        // Anything more than the option alone is a path, as it always was.
        QTest::newRow("two options") << QStringLiteral("--help --version") << run;
        QTest::newRow("option and path") << QStringLiteral("--help sky.bmp") << run;
        QTest::newRow("path and option") << QStringLiteral("sky.bmp --version") << run;
        QTest::newRow("leading blank") << QStringLiteral(" --help") << run;
        QTest::newRow("trailing blank") << QStringLiteral("--version ") << run;
        QTest::newRow("quoted") << QStringLiteral("\"--help\"") << run;
        QTest::newRow("upper case") << QStringLiteral("--HELP") << run;
        QTest::newRow("short form") << QStringLiteral("-h") << run;
        QTest::newRow("single dash") << QStringLiteral("-help") << run;
        QTest::newRow("file named like it") << QStringLiteral("--help.bmp") << run;
        QTest::newRow("in a folder") << QStringLiteral("pictures/--version") << run;
    }
    void request() {
        QFETCH(QString, commandLine);
        QFETCH(CommandLineRequest, expected);
        QCOMPARE(commandLineRequest(commandLine), expected);
    }

    void usageNamesEveryOption() {
        const QString usage = usageText();
        QVERIFY(usage.startsWith(QStringLiteral("Usage: kiramo [PICTURE]\n")));
        QVERIFY(usage.contains(QStringLiteral("--help")));
        QVERIFY(usage.contains(QStringLiteral("--version")));
        QVERIFY(usage.contains(QStringLiteral("--capture")));
        QVERIFY(usage.endsWith(u'\n'));
    }

    void versionIsOneLine() {
        const QString version = versionText();
        QVERIFY(version.startsWith(QStringLiteral("kiramo ")));
        QCOMPARE(version.count(u'\n'), 1);
        QVERIFY(version.endsWith(u'\n'));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
