#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QUrl;

// File names as the system keeps them. On Unix a name is bytes, mostly UTF-8 but not always
// (a name written under Latin-1, "caf\xe9.bmp"), and Qt turns the bytes that are not UTF-8 into
// replacement characters, which name no file. Here each such byte becomes one lone surrogate
// U+DC80..U+DCFF (as Python's "surrogateescape"), so that the name goes back to its bytes and
// the file can be opened. On Windows names are Qt's own.
namespace kiramo {

// `bytes` as text: valid UTF-8 decoded, every other byte escaped.
[[nodiscard]] QString decodeFileName(const QByteArray& bytes);

// The bytes of `name`: the escaped bytes as they were, the rest as UTF-8.
[[nodiscard]] QByteArray encodeFileName(const QString& name);

// The program's arguments after its name, every byte kept on Unix (argv is the system's bytes;
// QCoreApplication::arguments() would lose those that are not UTF-8).
[[nodiscard]] QStringList programArguments(int argc, char* argv[]);

// The local file that `url` names, every byte of its name kept (a file manager percent-encodes
// the bytes of a name that is not UTF-8, which QUrl::toLocalFile would lose).
[[nodiscard]] QString localFileOf(const QUrl& url);

// What a name is, found without opening it; symbolic links are followed.
enum class FileKind { Missing, Regular, Folder, Other };
[[nodiscard]] FileKind fileKind(const QString& name);

}  // namespace kiramo
