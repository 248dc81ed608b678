// What a save does to the file it replaces, where things go wrong: a full disk, no free inodes, a
// folder that refuses new files, the program killed halfway, and what the old file carried
// (mode, group, owner, access control list, attributes, other names). Run by
// safe-save/run-as-user, which as root gives it small file systems of its own (KIRAMO_FULL_DISK,
// KIRAMO_NO_INODES) and runs it as an ordinary user, whom permissions stop.
#include "core/PictureFile.h"
#include "fakes/ReadOnlyFolder.h"
#include "platform/FileReplacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

extern char** environ;

using namespace kiramo;
using namespace kiramo::testing;

namespace {

// The picture a save writes: noise, always the same, 3.6 MB as a bitmap.
QByteArray newContents() {
    QImage picture(1200, 1000, QImage::Format_RGB32);
    QRandomGenerator noise(19);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            line[x] = noise.generate();
        }
    }
    QString error;
    return encodePictureFile(QStringLiteral("new.bmp"), picture, &error);
}

const QByteArray kOld(1 << 20, 'o');  // the file being replaced: smaller than the new one

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray name(const QString& path) {
    return QFile::encodeName(path);
}

// Fills the file system of `folder`: its space ("full") or its inodes ("inodes").
void fill(const QString& folder, const QString& where) {
    if (where == QLatin1String("full")) {
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(64 * 1024, 'f');
        while (filler.write(block) > 0) {
        }
        // The last bytes that fit, one at a time.
        while (filler.write("f", 1) > 0) {
        }
    } else if (where == QLatin1String("inodes")) {
        for (int i = 0;; ++i) {
            const int fd = ::open(name(folder + QStringLiteral("/i%1").arg(i)).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd < 0) {
                QCOMPARE(errno, ENOSPC);
                return;
            }
            ::close(fd);
        }
    }
}

// The old file, "pictures/old.bmp" in a folder of the row's own on the file system `where`
// names: "full" (a small disk, then filled), "inodes" (one whose inodes are then used up) or ""
// (the temporary folder); the folder made read-only when asked. `skip` tells why a row cannot
// run here.
struct Situation {
    std::unique_ptr<QTemporaryDir> dir;
    QString folder;
    QString target;
    std::optional<ReadOnlyFolder> locked;
    QString skip;

    Situation(const QString& where, bool readOnlyFolder) {
        QString root = QDir::tempPath();
        if (!where.isEmpty()) {
            root = qEnvironmentVariable(where == QLatin1String("full") ? "KIRAMO_FULL_DISK"
                                                                       : "KIRAMO_NO_INODES");
        }
        if (root.isEmpty()) {
            skip = QStringLiteral("no small file system for \"%1\": run as root through "
                                  "tests/safe-save/run-as-user")
                       .arg(where);
            return;
        }
        dir = std::make_unique<QTemporaryDir>(root + QStringLiteral("/row-XXXXXX"));
        QVERIFY(dir->isValid());
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("pictures")));
        folder = dir->filePath(QStringLiteral("pictures"));
        target = folder + QStringLiteral("/old.bmp");
        QVERIFY(writeAll(target, kOld));
        fill(dir->path(), where);
        if (readOnlyFolder && !locked.emplace(folder).locked()) {
            skip = QStringLiteral("no way to make a read-only folder here");
        }
    }
};

}  // namespace

class TestSafeSave : public QObject {
    Q_OBJECT

private slots:
    void noRoomKeepsTheOldFile_data();
    void noRoomKeepsTheOldFile();
    void killedSaveLeavesAWholeFile_data();
    void killedSaveLeavesAWholeFile();
    void keepsWhatTheFileCarried_data();
    void keepsWhatTheFileCarried();
    void replacingKeepsTheOwner();
    void setUserBitGoesWithTheOwner();
    void fileSwappedInIsNotOverwritten();
    void longNames_data();
    void longNames();
    void deviceIsNeverReplaced();
};

void TestSafeSave::noRoomKeepsTheOldFile_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QString>("reason");  // "": written (in place)
    QTest::newRow("full disk") << "full" << false << QString::fromLocal8Bit(std::strerror(ENOSPC));
    QTest::newRow("no inodes") << "inodes" << false
                               << QString::fromLocal8Bit(std::strerror(ENOSPC));
    QTest::newRow("read-only folder, full disk")
        << "full" << true << QString::fromLocal8Bit(std::strerror(ENOSPC));
    QTest::newRow("read-only folder, no inodes") << "inodes" << true << "";
    QTest::newRow("read-only folder") << "" << true << "";
}

void TestSafeSave::noRoomKeepsTheOldFile() {
    QFETCH(QString, where);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, reason);
    const Situation situation(where, readOnlyFolder);
    if (QTest::currentTestFailed()) {
        return;
    }
    if (!situation.skip.isEmpty()) {
        QSKIP(qPrintable(situation.skip));
    }
    const QString& folder = situation.folder;
    const QString& target = situation.target;
    const QByteArray contents = newContents();
    QString error;
    const bool written = replaceFileContents(target, contents, &error);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"old.bmp"});
    if (reason.isEmpty()) {
        QVERIFY2(written, qPrintable(error));
        QVERIFY(readAll(target) == contents);
        return;
    }
    QVERIFY(!written);
    QCOMPARE(error, target + QStringLiteral(" に書き込めません: ") + reason);
    QVERIFY(readAll(target) == kOld);
}

void TestSafeSave::killedSaveLeavesAWholeFile_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::newRow("beside it") << "" << false;
    QTest::newRow("full disk") << "full" << false;
    QTest::newRow("no inodes") << "inodes" << false;
    QTest::newRow("read-only folder") << "" << true;
}

void TestSafeSave::killedSaveLeavesAWholeFile() {
    // A save in a child process, killed the moment it first touches the folder (an inotify
    // event, not a time): the file is the old one or the whole new one. Written in place (the
    // read-only folder), it is at least never shorter than the old one: it is grown first.
    QFETCH(QString, where);
    QFETCH(bool, readOnlyFolder);
    const Situation situation(where, readOnlyFolder);
    if (QTest::currentTestFailed()) {
        return;
    }
    if (!situation.skip.isEmpty()) {
        QSKIP(qPrintable(situation.skip));
    }
    const QString& folder = situation.folder;
    const QString& target = situation.target;

    const int watch = ::inotify_init1(IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(::inotify_add_watch(watch, name(folder).constData(),
                                IN_CREATE | IN_OPEN | IN_MODIFY | IN_MOVED_TO) >= 0);
    const QByteArray program = name(QCoreApplication::applicationFilePath());
    const QByteArray file = name(target);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--save"),
                    const_cast<char*>(file.constData()), nullptr};
    pid_t child = 0;
    QCOMPARE(::posix_spawn(&child, program.constData(), nullptr, nullptr, argv, environ), 0);
    const int exited = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    QVERIFY(exited >= 0);
    pollfd waits[2] = {{watch, POLLIN, 0}, {exited, POLLIN, 0}};
    QVERIFY(::poll(waits, 2, 60'000) > 0);  // a guard against a hang, never the outcome
    if ((waits[0].revents & POLLIN) != 0) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(exited);
    ::close(watch);

    const QByteArray after = readAll(target);
    const QByteArray contents = newContents();
    if (readOnlyFolder) {
        QVERIFY2(after == contents || after.size() >= kOld.size(),
                 qPrintable(QStringLiteral("%1 bytes left").arg(after.size())));
    } else {
        QVERIFY2(after == kOld || after == contents,
                 qPrintable(QStringLiteral("%1 bytes left").arg(after.size())));
    }
    // What the killed save left beside the picture is out of the user's sight.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("old.bmp")});
}

void TestSafeSave::keepsWhatTheFileCarried_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("mode") << "mode";
    QTest::newRow("access control list") << "acl";
    QTest::newRow("user attribute") << "attribute";
    QTest::newRow("second group") << "group";
    QTest::newRow("hard link") << "link";
    QTest::newRow("symbolic link") << "symlink";
}

void TestSafeSave::keepsWhatTheFileCarried() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("old.bmp"));
    QVERIFY(writeAll(target, kOld));
    const QByteArray path = name(target);
    QString written = target;  // the name the save is given
    // An access control list: the owner rw-, user 12345 rw-, the group r--, mask rw-, others
    // nothing. The mode's group bits show the mask; the group itself may only read.
    QByteArray acl;
    const auto entry = [&acl](quint16 tag, quint16 perm, quint32 id) {
        acl.append(reinterpret_cast<const char*>(&tag), 2)
            .append(reinterpret_cast<const char*>(&perm), 2)
            .append(reinterpret_cast<const char*>(&id), 4);
    };
    const quint32 version = 2;
    acl.append(reinterpret_cast<const char*>(&version), 4);
    entry(0x01, 6, ~0u);
    entry(0x02, 6, 12345);
    entry(0x04, 4, ~0u);
    entry(0x10, 6, ~0u);
    entry(0x20, 0, ~0u);
    gid_t second = 0;
    if (kind == "mode") {
        QCOMPARE(::chmod(path.constData(), 0604), 0);
    } else if (kind == "acl") {
        if (::setxattr(path.constData(), "system.posix_acl_access", acl.constData(), acl.size(),
                       0) != 0) {
            QSKIP(qPrintable(QStringLiteral("no access control lists here: ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
        }
    } else if (kind == "attribute") {
        if (::setxattr(path.constData(), "user.kiramo", "kept", 4, 0) != 0) {
            QSKIP(qPrintable(QStringLiteral("no user attributes here: ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
        }
    } else if (kind == "group") {
        gid_t groups[64];
        const int count = ::getgroups(64, groups);
        for (int i = 0; i < count && second == 0; ++i) {
            second = groups[i] != ::getegid() ? groups[i] : 0;
        }
        if (second == 0 || ::geteuid() == 0) {
            QSKIP("the user has no second group (run-as-user gives `nobody` the group users)");
        }
        QCOMPARE(::chown(path.constData(), static_cast<uid_t>(-1), second), 0);
    } else if (kind == "link") {
        QCOMPARE(::link(path.constData(), name(dir.filePath(QStringLiteral("other"))).constData()),
                 0);
    } else {
        written = dir.filePath(QStringLiteral("link.bmp"));
        QVERIFY(QFile::link(target, written));
    }
    const QByteArray contents = newContents();
    QString error;
    QVERIFY2(replaceFileContents(written, contents, &error), qPrintable(error));
    QVERIFY(readAll(target) == contents);
    struct stat st {};
    QCOMPARE(::stat(path.constData(), &st), 0);
    if (kind == "mode") {
        QCOMPARE(st.st_mode & 07777, 0604u);
    } else if (kind == "acl") {
        QByteArray kept(256, '\0');
        const ssize_t n =
            ::getxattr(path.constData(), "system.posix_acl_access", kept.data(), kept.size());
        QVERIFY(n > 0);
        QCOMPARE(kept.left(n).toHex(' '), acl.toHex(' '));
        QCOMPARE(st.st_mode & 0777, 0660u);
    } else if (kind == "attribute") {
        char value[16] = {};
        QCOMPARE(::getxattr(path.constData(), "user.kiramo", value, sizeof value), 4);
        QCOMPARE(QByteArray(value), QByteArray("kept"));
    } else if (kind == "group") {
        QCOMPARE(st.st_gid, second);
    } else if (kind == "link") {
        QCOMPARE(st.st_nlink, nlink_t(2));
        QVERIFY(readAll(dir.filePath(QStringLiteral("other"))) == contents);
    } else {
        QVERIFY(QFileInfo(written).isSymLink());
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
             kind == "link" || kind == "symlink" ? 2 : 1);
}

void TestSafeSave::replacingKeepsTheOwner() {
    if (::geteuid() != 0) {
        QSKIP("only root may give a file to another user (run-as-user runs this as root)");
    }
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("theirs.bmp"));
    QVERIFY(writeAll(target, kOld));
    QCOMPARE(::chown(name(target).constData(), 65534, 65534), 0);
    QString error;
    QVERIFY2(replaceFileContents(target, newContents(), &error), qPrintable(error));
    struct stat st {};
    QCOMPARE(::stat(name(target).constData(), &st), 0);
    QCOMPARE(st.st_uid, uid_t(65534));
    QCOMPARE(st.st_gid, gid_t(65534));
}

void TestSafeSave::setUserBitGoesWithTheOwner() {
    // A set-user program of root's that others may write, saved by `nobody`: the new file is
    // nobody's and must not run as nobody for whoever starts it.
    if (::geteuid() != 0) {
        QSKIP("needs root to make a file of another user's (run-as-user runs this as root)");
    }
    QTemporaryDir dir;
    QCOMPARE(::chmod(name(dir.path()).constData(), 0777), 0);
    const QString target = dir.filePath(QStringLiteral("program.bmp"));
    QVERIFY(writeAll(target, kOld));
    QCOMPARE(::chmod(name(target).constData(), 04666), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        QString error;
        const bool saved = ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                           ::setresuid(65534, 65534, 65534) == 0 &&
                           replaceFileContents(target, newContents(), &error);
        ::_exit(saved ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    struct stat st {};
    QCOMPARE(::stat(name(target).constData(), &st), 0);
    QCOMPARE(st.st_uid, uid_t(65534));
    QCOMPARE(st.st_mode & 07777, 0606u);
}

void TestSafeSave::fileSwappedInIsNotOverwritten() {
    // `nobody` saves a file of root's in a folder with the sticky bit, where the rename is
    // refused and the save falls back to writing in place. Stopped when its temporary file
    // appears (an inotify event), another file is moved into the old one's place: whether the
    // save then goes on or had already ended, that file keeps what it held.
    if (::geteuid() != 0) {
        QSKIP("needs root to make files of another user's (run-as-user runs this as root)");
    }
    QTemporaryDir dir;
    QCOMPARE(::chmod(name(dir.path()).constData(), 01777), 0);
    const QString target = dir.filePath(QStringLiteral("old.bmp"));
    const QString other = dir.filePath(QStringLiteral("other"));
    QVERIFY(writeAll(target, kOld) && writeAll(other, "someone else's"));
    QCOMPARE(::chmod(name(target).constData(), 0666), 0);
    QCOMPARE(::chmod(name(other).constData(), 0666), 0);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(::inotify_add_watch(watch, name(dir.path()).constData(), IN_CREATE) >= 0);
    const pid_t child = ::fork();
    if (child == 0) {
        QString error;
        const bool saved = ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                           ::setresuid(65534, 65534, 65534) == 0 &&
                           replaceFileContents(target, newContents(), &error);
        ::_exit(saved ? 0 : 1);
    }
    pollfd created = {watch, POLLIN, 0};
    QVERIFY(::poll(&created, 1, 60'000) > 0);  // a guard against a hang, never the outcome
    ::kill(child, SIGSTOP);
    QCOMPARE(::rename(name(other).constData(), name(target).constData()), 0);
    ::kill(child, SIGCONT);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    ::close(watch);
    QCOMPARE(readAll(target), QByteArray("someone else's"));
}

void TestSafeSave::longNames_data() {
    // The longest names a file system takes: the temporary file beside them must fit too.
    QTest::addColumn<QString>("fileName");
    QTest::newRow("251 bytes") << QString(247, u'a') + ".bmp";
    QTest::newRow("255 bytes") << QString(251, u'a') + ".bmp";
    QTest::newRow("253 bytes, Japanese") << QString(83, u'あ') + ".bmp";
}

void TestSafeSave::longNames() {
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    const QString target = dir.filePath(fileName);
    for (const bool exists : {false, true}) {
        const QByteArray contents = exists ? newContents() : kOld;
        QString error;
        QVERIFY2(replaceFileContents(target, contents, &error), qPrintable(error));
        QVERIFY(readAll(target) == contents);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestSafeSave::deviceIsNeverReplaced() {
    if (::geteuid() == 0) {
        QSKIP("as root a faulty writer could replace /dev/null (run-as-user runs this as nobody)");
    }
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("device.bmp"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), target));
    QString error;
    QVERIFY(!replaceFileContents(target, kOld, &error));
    QCOMPARE(error, target + QStringLiteral(
                                 " に書き込めません: パイプかデバイスで、ファイルではありません"));
    struct stat st {};
    QCOMPARE(::stat("/dev/null", &st), 0);
    QVERIFY(S_ISCHR(st.st_mode));
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--save") == 0) {
        // The child of killedSaveLeavesAWholeFile: saves and ends.
        QString error;
        return replaceFileContents(QFile::decodeName(argv[2]), newContents(), &error) ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestSafeSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_safe_save.moc"
