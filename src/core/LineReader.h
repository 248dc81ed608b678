#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QIODevice;

namespace kiramo {

// Reads 8-bit text line by line from an open device, for KIRAMO.INI and WIN.INI.
// CR LF, a lone CR and a lone LF each end a line; the line end is not part of the line.
// A last line without a line end still counts; an empty file has no lines.
class LineReader {
public:
    explicit LineReader(QIODevice& device)
        : m_device(device) {}

    // The next line, or nothing at the end of the device.
    [[nodiscard]] std::optional<QByteArray> next();

private:
    QIODevice& m_device;
};

// Turns one line of a settings file into text. Files written on Linux are UTF-8; files that
// came from the Windows program are in its ANSI code page, for Japanese text Shift_JIS. A line
// that is valid UTF-8 is read as UTF-8, any other as Shift_JIS where the platform has that
// codec, else as Latin-1, so that no byte is ever lost or makes the read fail.
[[nodiscard]] QString decodeLine(const QByteArray& line);

}  // namespace kiramo
