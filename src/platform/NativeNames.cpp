#include "platform/NativeNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace kiramo {

namespace {

#ifdef Q_OS_UNIX
constexpr char16_t kEscapeBase = 0xDC00;  // + the byte, 0x80 to 0xFF

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there starts none
// (overlong forms, surrogates and code points above U+10FFFF are not valid).
qsizetype utf8Sequence(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    qsizetype length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool isEscapedByte(const QString& name, qsizetype at) {
    const char16_t c = name[at].unicode();
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
           (at == 0 || !name[at - 1].isHighSurrogate());
}

bool hasEscapedBytes(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscapedByte(name, i)) {
            return true;
        }
    }
    return false;
}
#endif

}  // namespace

QString decodeFileName(const QByteArray& bytes) {
#ifdef Q_OS_UNIX
    QString name;
    qsizetype run = 0;  // start of the valid bytes not yet decoded
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = utf8Sequence(bytes, at); length > 0) {
            at += length;
            continue;
        }
        name += QString::fromUtf8(bytes.mid(run, at - run));
        name += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[at])));
        run = ++at;
    }
    return name + QString::fromUtf8(bytes.mid(run));
#else
    return QFile::decodeName(bytes);
#endif
}

QByteArray encodeFileName(const QString& name) {
#ifdef Q_OS_UNIX
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (isEscapedByte(name, at)) {
            bytes += QStringView(name).mid(run, at - run).toUtf8();
            bytes += char(name[at].unicode() - kEscapeBase);
            run = at + 1;
        }
    }
    return bytes + QStringView(name).mid(run).toUtf8();
#else
    return QFile::encodeName(name);
#endif
}

QStringList programArguments(int argc, char* argv[]) {
    QStringList arguments;
#ifdef Q_OS_UNIX
    for (int i = 1; i < argc; ++i) {
        arguments.append(decodeFileName(QByteArray(argv[i])));
    }
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    arguments = QCoreApplication::arguments().mid(1);  // Windows gives them as UTF-16
#endif
    return arguments;
}

QString localFileOf(const QUrl& url) {
#ifdef Q_OS_UNIX
    if (url.isLocalFile() && url.host().isEmpty()) {
        return decodeFileName(
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    }
#endif
    return url.toLocalFile();
}

FileKind fileKind(const QString& name) {
#ifdef Q_OS_UNIX
    if (hasEscapedBytes(name)) {
        struct stat status {};
        if (::stat(encodeFileName(name).constData(), &status) != 0) {
            return FileKind::Missing;
        }
        return S_ISREG(status.st_mode)   ? FileKind::Regular
               : S_ISDIR(status.st_mode) ? FileKind::Folder
                                         : FileKind::Other;
    }
#endif
    const QFileInfo info(name);
    return !info.exists()  ? FileKind::Missing
           : info.isDir()  ? FileKind::Folder
           : info.isFile() ? FileKind::Regular
                           : FileKind::Other;
}

}  // namespace kiramo
