#include "platform/FileReplacement.h"

#include "platform/NativeNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/xattr.h>
#endif
#else
#include <QSaveFile>
#endif

namespace kiramo {

QString cannotWriteMessage(const QString& path, const QString& reason) {
    return QCoreApplication::translate("FileReplacement", "%1 に書き込めません: %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString abandonedReason() {
    return QStringLiteral("the save was cancelled; the old file is kept");
}

namespace {

bool isAbandoned(const std::atomic_bool* abandon) {
    return abandon != nullptr && abandon->load();
}

}  // namespace

#ifdef Q_OS_UNIX

namespace {

QString reasonOf(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// A file descriptor, closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    // Closes now; 0, or the error of close (which on some file systems is where a write fails).
    int close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Writes `size` bytes at `offset`; 0, or the error that stopped it.
int writeAt(int fd, const char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return 0;
}

// The file that writing to `path` means: the end of its chain of symbolic links (which may not
// exist yet). A rename over the link would put a file in the link's place.
QByteArray finalTarget(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), link.data(), static_cast<size_t>(PATH_MAX));
        if (n <= 0 || n >= PATH_MAX) {
            return path;
        }
        link.truncate(n);
        if (!link.startsWith('/')) {
            const qsizetype slash = path.lastIndexOf('/');
            link.prepend(slash < 0 ? QByteArray() : path.left(slash + 1));
        }
        path = link;
    }
    return path;  // a loop: opening it gives the system's reason
}

// A name for a temporary file beside `name` in `folder`, hidden (a save that is killed leaves it
// behind, and it is no picture of the user's): a dot, the name cut (at a character's start), a
// dot and six random characters, within the folder's longest name.
QByteArray temporaryPath(const QByteArray& folder, const QByteArray& name) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    long longest = ::pathconf(folder.isEmpty() ? "." : folder.constData(), _PC_NAME_MAX);
    if (longest <= 0) {
        longest = NAME_MAX;
    }
    qsizetype keep = std::min<qsizetype>(name.size(), longest - 8);
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    QByteArray temporary = '.' + name.left(keep) + '.';
    for (int i = 0; i < 6; ++i) {
        temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    }
    return folder.isEmpty() ? temporary : folder + '/' + temporary;
}

#ifdef Q_OS_LINUX
// The access control list, as the kernel keeps it (the same bytes on every Linux file system).
constexpr const char* kAccessAcl = "system.posix_acl_access";

// The value of the attribute `name` of the file at `path`; nothing when it has none.
std::optional<QByteArray> attribute(const QByteArray& path, const char* name) {
    for (;;) {
        const ssize_t size = ::getxattr(path.constData(), name, nullptr, 0);
        if (size < 0) {
            return std::nullopt;
        }
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t n = ::getxattr(path.constData(), name, value.data(), value.size());
        if (n >= 0) {
            value.truncate(n);
            return value;
        }
        if (errno != ERANGE) {  // ERANGE: it grew in between
            return std::nullopt;
        }
    }
}

// The names of the file's extended attributes in the user's name space.
QList<QByteArray> userAttributes(const QByteArray& path) {
    const ssize_t size = ::listxattr(path.constData(), nullptr, 0);
    if (size <= 0) {
        return {};
    }
    QByteArray names(size, Qt::Uninitialized);
    const ssize_t n = ::listxattr(path.constData(), names.data(), names.size());
    QList<QByteArray> user;
    for (const QByteArray& name : names.left(std::max<ssize_t>(n, 0)).split('\0')) {
        if (name.startsWith("user.")) {
            user.append(name);
        }
    }
    return user;
}
#endif

// Gives the new file `fd` what the old file at `path` (with status `old`) had that the user may
// set: group and owner where allowed, mode, access control list, user attributes. 0, or the
// error that makes the new file unfit to take the old one's place (an access control list that
// cannot be kept: without it the mode's group bits would grant its mask to the whole group).
int keepAttributes(int fd, const QByteArray& path, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
    }
    struct stat now {};
    const bool known = ::fstat(fd, &now) == 0;
    const bool groupKept = known && now.st_gid == old.st_gid;
    // Where the group could not be kept, the group's rights are not handed to another group;
    // where the owner could not, a program's set-user bit is not handed to the user saving it.
    mode_t mode = old.st_mode & 07777;
    if (!groupKept) {
        mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
    }
    if (!known || now.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISUID);
    }
#ifdef Q_OS_LINUX
    const std::optional<QByteArray> acl = groupKept ? attribute(path, kAccessAcl) : std::nullopt;
    if (!acl) {
        // A list the folder's default gave the new file would not be the old file's.
        static_cast<void>(::fremovexattr(fd, kAccessAcl));
    }
    if (::fchmod(fd, mode) != 0) {
        return errno;
    }
    // The list also sets the mode's group bits, to its mask: it comes after the mode.
    if (acl && ::fsetxattr(fd, kAccessAcl, acl->constData(), acl->size(), 0) != 0) {
        return errno;
    }
    for (const QByteArray& name : userAttributes(path)) {
        if (const std::optional<QByteArray> value = attribute(path, name.constData())) {
            static_cast<void>(
                ::fsetxattr(fd, name.constData(), value->constData(), value->size(), 0));
        }
    }
#else
    Q_UNUSED(path);
    if (::fchmod(fd, mode) != 0) {
        return errno;
    }
#endif
    return 0;
}

// Writes `contents` over the file `target` in place, growing it first (see the header).
// `old` is the status of `target` that the decision to write in place was made on.
bool writeInPlace(const QString& path, const QByteArray& target, const struct stat& old,
                  const QByteArray& contents, QString* error) {
    // Never blocks: a pipe that took the file's place in the meantime has no reader to wait for.
    // `target` is the end of the chain of links: one there now was put there meanwhile.
    Descriptor fd(
        ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        *error = cannotWriteMessage(path, reasonOf(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement", "通常のファイルではありません"));
        return false;
    }
    // Another file put in its place since it was looked at would be overwritten unchecked.
    if (st.st_dev != old.st_dev || st.st_ino != old.st_ino) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement",
                                              "保存している間に別のファイルに置き換えられました"));
        return false;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    const qint64 oldSize = st.st_size;
    const qint64 newSize = contents.size();
    if (newSize > oldSize) {
        // The part beyond the old end first: where the disk has no room for it, the old
        // contents are still whole and the file is cut back to them.
        int code = writeAt(fd.get(), contents.constData() + oldSize, newSize - oldSize, oldSize);
        if (code == 0 && ::fsync(fd.get()) != 0) {
            code = errno;
        }
        if (code != 0) {
            static_cast<void>(::ftruncate(fd.get(), static_cast<off_t>(oldSize)));
            *error = cannotWriteMessage(path, reasonOf(code));
            return false;
        }
    }
    int code = writeAt(fd.get(), contents.constData(), std::min(oldSize, newSize), 0);
    if (code == 0 && newSize < oldSize && ::ftruncate(fd.get(), static_cast<off_t>(newSize)) != 0) {
        code = errno;
    }
    if (code == 0 && ::fsync(fd.get()) != 0) {
        code = errno;
    }
    if (code == 0) {
        code = fd.close();
    }
    if (code != 0) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement",
                                              "%1 (上書きの途中だったため、元の内容は失われました)")
                      .arg(reasonOf(code)));
        return false;
    }
    return true;
}

}  // namespace

bool replaceFileContents(const QString& path, const QByteArray& contents, QString* error,
                         FollowLinks links, const std::atomic_bool* abandon) {
    if (isAbandoned(abandon)) {
        *error = cannotWriteMessage(path, abandonedReason());
        return false;
    }
    const QByteArray target =
        links == FollowLinks::Yes ? finalTarget(encodeFileName(path)) : encodeFileName(path);
    // The end of the chain, or the link itself: a link not followed is not the old file, and
    // nothing of what it names is read or kept.
    struct stat old {};
    const bool linkItself =
        links == FollowLinks::No && ::lstat(target.constData(), &old) == 0 && S_ISLNK(old.st_mode);
    const bool exists = !linkItself && ::stat(target.constData(), &old) == 0;
    if (!exists && !linkItself && errno != ENOENT) {
        *error = cannotWriteMessage(path, reasonOf(errno));
        return false;
    }
    if (exists && S_ISDIR(old.st_mode)) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement", "フォルダーです"));
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement",
                                              "パイプかデバイスで、ファイルではありません"));
        return false;
    }
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0) {
        *error = cannotWriteMessage(path, reasonOf(errno));
        return false;
    }
    // A name of the program's own has no other names worth keeping; another one may be a
    // victim's file.
    if (exists && old.st_nlink > 1 && links == FollowLinks::Yes) {
        return writeInPlace(path, target, old, contents, error);
    }

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(std::max<qsizetype>(slash, 1));
    const QByteArray name = target.mid(slash + 1);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryPath(folder, name);
        // Private while it is written; a new file gets the mode that the umask leaves.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        const int code = errno;
        if (exists && (code == EACCES || code == EPERM)) {
            return writeInPlace(path, target, old, contents, error);
        }
        *error = cannotWriteMessage(path, reasonOf(code));
        return false;
    }
    Descriptor file(fd);
    // In parts, so that an abandoned save stops soon; ECANCELED stands for that below.
    constexpr qint64 kPart = qint64(8) << 20;
    int code = 0;
    for (qint64 at = 0; code == 0 && at < contents.size(); at += kPart) {
        code = isAbandoned(abandon) ? ECANCELED
                                    : writeAt(fd, contents.constData() + at,
                                              std::min<qint64>(kPart, contents.size() - at), at);
    }
    if (code == 0 && exists) {
        code = keepAttributes(fd, target, old);
    }
    if (code == 0 && ::fsync(fd) != 0) {
        code = errno;
    }
    if (code == 0) {
        code = file.close();
    }
    if (code == 0 && isAbandoned(abandon)) {
        code = ECANCELED;
    }
    if (code == 0 && ::rename(temporary.constData(), target.constData()) != 0) {
        code = errno;
    }
    if (code != 0) {
        ::unlink(temporary.constData());
        if (code == ECANCELED) {
            *error = cannotWriteMessage(path, abandonedReason());
            return false;
        }
        // A folder with the sticky bit lets only a file's owner replace it, though others may
        // write it: a refusal by permission, as above.
        if (code == EACCES || code == EPERM) {
            return writeInPlace(path, target, old, contents, error);
        }
        *error = cannotWriteMessage(path, reasonOf(code));
        return false;
    }
    // The rename itself reaches the disk with the folder.
    if (const Descriptor dir(::open(folder.isEmpty() ? "." : folder.constData(),
                                    O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.valid()) {
        static_cast<void>(::fsync(dir.get()));
    }
    return true;
}

#else

bool replaceFileContents(const QString& path, const QByteArray& contents, QString* error,
                         FollowLinks links, const std::atomic_bool* abandon) {
    Q_UNUSED(links);  // links to files are rare on Windows and need rights to make
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement", "フォルダーです"));
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *error = cannotWriteMessage(
            path, QCoreApplication::translate("FileReplacement",
                                              "パイプかデバイスで、ファイルではありません"));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        *error = cannotWriteMessage(path, file.errorString());
        return false;
    }
    if (isAbandoned(abandon)) {
        file.cancelWriting();
        *error = cannotWriteMessage(path, abandonedReason());
        return false;
    }
    if (!file.commit()) {
        *error = cannotWriteMessage(path, file.errorString());
        return false;
    }
    return true;
}

#endif

}  // namespace kiramo
