#pragma once

#include <QString>

#include <array>

class QIODevice;

namespace kiramo {

// Which program handles files of an extension, read once at start-up from the section
// "[EXTENSIONS]" of WIN.INI: lines "key=command ^pattern".
struct AssociationTable {
    static constexpr int kLast = 200;

    // ".BMP": a dot and the extension in upper case; empty for an entry never filled.
    std::array<QString, kLast + 1> AssocExt;
    // The command as written (trimmed). Only keys are upper-cased: program paths are
    // case-sensitive off Windows.
    std::array<QString, kLast + 1> AssocCommand;
    // The number of section lines taken (0..200).
    int AssocLast = 0;

    // The command of the first entry among 0..AssocLast whose key equals `key` exactly (keys
    // are upper case), or "" when none matches.
    [[nodiscard]] QString lookup(const QString& key) const;
};

// Reads the table from WIN.INI's lines: after the first line holding "[EXTENSIONS]" (in any
// letter case), each line holding a "^" is one entry, until the first line without one, the end
// of the file, or 200 entries. Of an entry only the text before the first "^" counts: the key
// before its first "=", the command after it, both trimmed; a line without "=" leaves its entry
// empty but uses its index. Only the first LineReader::kMaxChars characters of a line count (so
// no key or command is longer); the rest of a longer line is skipped unread into memory.
[[nodiscard]] AssociationTable readAssociationTable(QIODevice& device);

}  // namespace kiramo
