#include "core/FileNames.h"

namespace kiramo {

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

std::optional<QString> commandLinePath(const QString& commandLine) {
    QString path = trimBlanks(commandLine);
    if (path.startsWith(u'"')) {
        path.remove(0, 1);
        if (path.endsWith(u'"')) {
            path.chop(1);
        }
    }
    if (trimBlanks(path).isEmpty()) {
        return std::nullopt;
    }
    return path;
}

QString extensionKey(const QString& file) {
    return file.right(4).toUpper();
}

QString fileSubject(const QString& path, QSize pixels) {
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(separator + 1).toUpper() + QStringLiteral(" (") +
           QString::number(pixels.width()) + u'x' + QString::number(pixels.height()) + u')';
}

QString fileNameOf(const QString& text) {
    QString name = text;
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || QStringView(u"/\\:*?\"<>|").contains(c)) {
            c = u'-';
        }
    }
    return name;
}

}  // namespace kiramo
