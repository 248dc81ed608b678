// The command-line rule: the process's arguments joined by blanks (as main() does) ->
// commandLinePath.
// Input: the arguments as UTF-8, separated by zero bytes; the same bytes are also taken as one
// UTF-16 command line, unpaired surrogates and all.
// Invariants: the path is a non-blank piece of the command line: the command line less its
// blanks at both ends, and less a leading double quote and a closing one; nothing only when
// that leaves blanks or nothing; a single argument without blanks or quotes at its ends comes
// back whole, whatever blanks it holds; no crash, leak or undefined behaviour.
#include "FuzzSupport.h"

#include "core/FileNames.h"

#include <QStringList>

using namespace kiramo;

namespace {

QString withoutBlankEnds(const QString& text) {
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

void checkRule(const QString& commandLine) {
    const std::optional<QString> path = commandLinePath(commandLine);
    const QString trimmed = withoutBlankEnds(commandLine);
    QString expected = trimmed;
    if (expected.startsWith(u'"')) {
        expected.remove(0, 1);
        if (expected.endsWith(u'"')) {
            expected.chop(1);
        }
    }
    if (withoutBlankEnds(expected).isEmpty()) {
        FUZZ_CHECK(!path.has_value());
        return;
    }
    FUZZ_CHECK(path.has_value());
    FUZZ_CHECK(*path == expected);
    FUZZ_CHECK(commandLine.contains(*path));
    FUZZ_CHECK(path->size() <= commandLine.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = kiramo::fuzzing::bytesOf(data, size);
    QStringList arguments;
    for (const QByteArray& argument : bytes.split('\0')) {
        arguments.append(QString::fromUtf8(argument));
    }
    const QString commandLine = arguments.join(u' ');
    checkRule(commandLine);
    if (arguments.size() == 1) {
        const QString& only = arguments.front();
        if (!only.isEmpty() && !only.startsWith(u' ') && !only.endsWith(u' ') &&
            !only.startsWith(u'"')) {
            FUZZ_CHECK(commandLinePath(commandLine) == only);
        }
    }
    checkRule(QString(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2)));
    return 0;
}
