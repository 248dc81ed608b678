#include "platform/FileChecks.h"

#include "platform/NativeNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace kiramo {

namespace {

// Where the link `path` points, as an absolute path, by the bytes of both names (Qt would spell
// a name that is not UTF-8 with replacement characters and find no link); empty when `path` is
// no link.
QString linkTarget(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = encodeFileName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return QString();
    }
    QByteArray bytes(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(native.constData(), bytes.data(), bytes.size());
    if (n <= 0 || n >= bytes.size()) {
        return QString();
    }
    bytes.truncate(n);
    const QString target = decodeFileName(bytes);
    return bytes.startsWith('/') ? target
                                 : QDir::cleanPath(QFileInfo(path).absolutePath() + u'/' + target);
#else
    return QFileInfo(path).symLinkTarget();
#endif
}

// What a name that is not a regular file is instead, and where it leads when it is a link.
QString notRegularNote(const QString& path, const QString& kind) {
    if (const QString target = linkTarget(path); !target.isEmpty()) {
        return QCoreApplication::translate(
                   "FileChecks", "%1 へのリンクで、その先は通常のファイルではありません (%2)。")
            .arg(QDir::toNativeSeparators(target), kind);
    }
    return QCoreApplication::translate("FileChecks", "通常のファイルではありません (%1)。")
        .arg(kind);
}

#ifdef Q_OS_UNIX
QString systemReason(const QString& path, int error) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), qt_error_string(error));
}

QString kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return QCoreApplication::translate("FileChecks", "名前付きパイプ");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QCoreApplication::translate("FileChecks", "デバイス");
    }
    if (S_ISDIR(mode)) {
        return QCoreApplication::translate("FileChecks", "フォルダー");
    }
    if (S_ISSOCK(mode)) {
        return QCoreApplication::translate("FileChecks", "ソケット");
    }
    return QCoreApplication::translate("FileChecks", "特殊なファイル");
}
#endif

}  // namespace

#ifdef Q_OS_UNIX

bool openRegularFile(QFile& file, QString* reason) {
    const QString path = file.fileName();
    const QByteArray native = encodeFileName(path);
    // Refused by name first, so that a pipe is never opened at all; then checked again on what
    // was opened, without blocking, in case the name was replaced in between.
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *reason = notRegularNote(path, kindOf(st.st_mode));
        return false;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = qt_error_string(errno);
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *reason = notRegularNote(path, kindOf(st.st_mode));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool makeFolders(const QString& folder, QString* reason) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    // Each folder from the top down, so that the one that fails is the one named.
    qsizetype slash = path.indexOf(u'/', 1);
    for (;;) {
        const QString part = slash < 0 ? path : path.left(slash);
        const QByteArray native = encodeFileName(part);
        struct stat st {};
        if (::stat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                *reason = systemReason(part, ENOTDIR);
                return false;
            }
        } else if (::mkdir(native.constData(), 0777) != 0) {
            const int error = errno;
            // EEXIST: made meanwhile, which is as good, or a link that leads nowhere.
            const bool madeMeanwhile =
                error == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
            if (!madeMeanwhile) {
                const QString dangling = error == EEXIST ? danglingLinkNote(part) : QString();
                *reason = dangling.isEmpty() ? systemReason(part, error) : dangling;
                return false;
            }
        }
        if (slash < 0) {
            return true;
        }
        slash = path.indexOf(u'/', slash + 1);
    }
}

bool isOwnFolder(const QString& folder) {
    struct stat st {};
    return ::stat(encodeFileName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool makePrivateFolder(const QString& folder, QString* reason) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!makeFolders(QFileInfo(path).absolutePath(), reason)) {
        return false;
    }
    const QByteArray native = encodeFileName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *reason = systemReason(path, errno);
        return false;
    }
    // Checked on the folder itself, opened without following a link, so that what is checked
    // is what is made private.
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat st {};
        if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
            *reason = QCoreApplication::translate(
                          "FileChecks",
                          "%1 は %2 へのリンクです。自分だけのフォルダーとしては使えません。")
                          .arg(QDir::toNativeSeparators(path),
                               QDir::toNativeSeparators(linkTarget(path)));
        } else {
            *reason = systemReason(path, error);
        }
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        *reason = systemReason(path, errno);
    } else if (st.st_uid != ::geteuid()) {
        ok = false;
        *reason = QCoreApplication::translate("FileChecks",
                                              "%1 はほかのユーザー (uid %2) のフォルダーです。")
                      .arg(QDir::toNativeSeparators(path))
                      .arg(st.st_uid);
    } else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        ok = false;
        *reason = systemReason(path, errno);
    }
    ::close(fd);
    return ok;
}

#else

bool openRegularFile(QFile& file, QString* reason) {
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile()) {
        *reason = notRegularNote(file.fileName(),
                                 info.isDir()
                                     ? QCoreApplication::translate("FileChecks", "フォルダー")
                                     : QCoreApplication::translate("FileChecks", "特殊なファイル"));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool makeFolders(const QString& folder, QString* reason) {
    QString part = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (QDir().mkpath(part)) {
        return true;
    }
    // The deepest folder that exists, and the first one below it that could not be made.
    while (!QFileInfo(QFileInfo(part).absolutePath()).isDir() && !QFileInfo(part).isRoot()) {
        part = QFileInfo(part).absolutePath();
    }
    *reason = QCoreApplication::translate("FileChecks", "%1 を作成できません。")
                  .arg(QDir::toNativeSeparators(part));
    return false;
}

bool isOwnFolder(const QString& folder) {
    return QFileInfo(folder).isDir();  // access is the profile's, not the mode's
}

bool makePrivateFolder(const QString& folder, QString* reason) {
    // The user's own profile folders are private to the user already.
    return makeFolders(folder, reason);
}

#endif

QString danglingLinkNote(const QString& path) {
    QString target = linkTarget(path);
    if (target.isEmpty() || fileKind(path) != FileKind::Missing) {
        return QString();
    }
    target = QDir::toNativeSeparators(target);
    return QCoreApplication::translate("FileChecks", "%1 は %2 へのリンクですが、%2 はありません。")
        .arg(QDir::toNativeSeparators(path), target);
}

}  // namespace kiramo
