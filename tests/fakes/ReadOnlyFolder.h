#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

#include <unistd.h>

namespace kiramo::testing {

// Makes a folder refuse new entries for as long as it lives, while the files in it stay
// writable. An ordinary user gets a folder without write permission; root, whom permissions do
// not stop, gets the immutable attribute where the file system has it. `locked()` is false
// where neither works, and the test should skip.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path)
        : m_path(path) {
        if (::geteuid() != 0) {
            m_locked = QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        m_immutable = QProcess::execute(QStringLiteral("chattr"), {"+i", m_path}) == 0;
        m_locked = m_immutable;
    }
    ~ReadOnlyFolder() {
        if (m_immutable) {
            QProcess::execute(QStringLiteral("chattr"), {"-i", m_path});
        } else if (m_locked) {
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    [[nodiscard]] bool locked() const { return m_locked; }

private:
    QString m_path;
    bool m_locked = false;
    bool m_immutable = false;
};

}  // namespace kiramo::testing
