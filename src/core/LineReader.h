#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <optional>

class QIODevice;

namespace kiramo {

// Reads 8-bit text line by line from an open device, for KIRAMO.INI and WIN.INI.
// CR LF, a lone CR and a lone LF each end a line; the line end is not part of the line.
// A device that starts with a UTF-16 byte-order mark (little or big endian) is read as UTF-16,
// its lines handed out as UTF-8; a UTF-8 mark is dropped. Without a mark the bytes are the
// lines, whatever their encoding.
// A last line without a line end still counts; an empty file has no lines.
//
// A line of any length is read, but only its first `maxChars` characters are kept: the rest is
// skipped as it streams past, so that a settings file with one line of hundreds of megabytes
// costs no more memory than one with short lines. The device is read in blocks of up to
// kBlockBytes, so it is read ahead of the line that was returned last.
class LineReader {
public:
    // What a settings line can usefully hold: a mode text, a WIN.INI entry.
    static constexpr qsizetype kMaxChars = 1000;
    static constexpr qsizetype kBlockBytes = 64 * 1024;

    // `maxChars` is taken between 0 and 2^28.
    explicit LineReader(QIODevice& device, qsizetype maxChars = kMaxChars);

    // The next line's bytes, or nothing at the end of the device. Of a longer line only the
    // first keptBytes() bytes come back: enough for maxChars characters in every encoding that
    // decodeLine reads (UTF-8 takes up to four bytes a character).
    [[nodiscard]] std::optional<QByteArray> next();

    // Whether the line that next() returned last was longer than what it kept.
    [[nodiscard]] bool cut() const { return m_cut; }

    // The line that next() returned last, as text of at most maxChars characters: decodeLine's
    // rules, judged on the bytes kept, a character that the cut split in two dropped.
    [[nodiscard]] QString text(const QByteArray& line) const;

    [[nodiscard]] qsizetype maxChars() const { return m_maxChars; }
    [[nodiscard]] qsizetype keptBytes() const { return 4 * m_maxChars + 4; }

private:
    bool readHead();
    QByteArray toUtf8(QByteArrayView utf16);
    bool fill();

    QIODevice& m_device;
    qsizetype m_maxChars;
    // The bytes being split into lines: m_data[m_pos..m_end) is read but not yet returned.
    // They are m_block as read, or for UTF-16 and the first bytes m_converted.
    const char* m_data = nullptr;
    qsizetype m_end = 0;
    qsizetype m_pos = 0;
    std::unique_ptr<char[]> m_block;
    qsizetype m_blockBytes = 0;  // its size, how much one read asks for; 0 until the first
    qint64 m_lastRead = 0;       // what the last read of a block gave
    QByteArray m_converted;
    std::optional<QStringDecoder> m_utf16;  // set when the device starts with a UTF-16 mark
    QString m_highSurrogate;                // the first half of a pair that the last block cut
    bool m_started = false;
    bool m_afterCr = false;  // the last line ended with a CR: a LF right after it belongs to it
    bool m_cut = false;
};

// Turns one line of a settings file into text. Files written on Linux are UTF-8; files that
// came from the Windows program are in its ANSI code page, for Japanese text Shift_JIS. A line
// that is valid UTF-8 is read as UTF-8, any other as Shift_JIS where the platform has that
// codec, else as Latin-1, so that no byte is ever lost or makes the read fail. For a line that
// was `cut` short, an incomplete character at its very end is dropped rather than counting
// against its encoding.
[[nodiscard]] QString decodeLine(const QByteArray& line, bool cut = false);

// The first `maxChars` UTF-16 units of `text`, one fewer when that would split a surrogate pair.
[[nodiscard]] QString leftChars(const QString& text, qsizetype maxChars);

}  // namespace kiramo
