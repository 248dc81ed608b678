#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace kiramo::testing {

// An openbox window manager on the test's X server, for as long as the object lives.
class WindowManager {
public:
    // False (with a message for the test) when openbox is missing or does not start.
    [[nodiscard]] bool start(QString* problem) {
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (openbox.isEmpty()) {
            *problem = QStringLiteral("openbox is needed for this test (scripts/install-deps)");
            return false;
        }
        m_process.start(openbox, {QStringLiteral("--sm-disable")});
        if (!m_process.waitForStarted()) {
            *problem = m_process.errorString();
            return false;
        }
        QTest::qWait(500);  // let it take over the screen
        return true;
    }

    ~WindowManager() {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
};

}  // namespace kiramo::testing
