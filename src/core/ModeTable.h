#pragma once

#include <QString>

#include <array>
#include <optional>

class QIODevice;

namespace kiramo {

// One capture mode from KIRAMO.INI: a name and two sizes in centimetres. The sizes are taken
// as written; nothing requires the first to be the larger.
struct CaptureMode {
    QString menuCaption;  // the whole mode text, as the Mode menu shows it
    QString name;
    double width = 0.0;
    double height = 0.0;
};

// The capture modes: index 0 is "FreeSize" (no size, no ratio), 1..30 come from the settings
// file. An index that the file gave no mode text has no mode, so it can never be chosen.
class ModeTable {
public:
    static constexpr int kLast = 30;

    ModeTable();

    [[nodiscard]] bool has(int index) const;
    // Name and sizes of a mode; an index outside 0..30 or without a mode reads "" and 0.
    [[nodiscard]] QString ModeName(int index) const;
    [[nodiscard]] double ModeWidth(int index) const;
    [[nodiscard]] double ModeHeight(int index) const;
    [[nodiscard]] const std::optional<CaptureMode>& mode(int index) const;

    void set(int index, CaptureMode mode);

    // The Mode menu's Landscape choice, for the run: every mode's rectangle is turned as a
    // ratio modifier turns it (see ratioModifier).
    [[nodiscard]] bool landscape() const { return m_landscape; }
    void setLandscape(bool landscape) { m_landscape = landscape; }

private:
    std::array<std::optional<CaptureMode>, kLast + 1> m_modes;
    bool m_landscape = false;
};

// The raw mode texts of a settings file, indices 1..30 (index 0 unused). Only lines starting
// with "@" count; of those the "@" and the character after it are dropped and the rest is kept
// untrimmed. Reading stops after the 30th "@" line; a line shorter than three characters uses a
// place and leaves its text empty. A mode text longer than kMaxModeText characters is cut to
// its first kMaxModeText (the rest of its line is skipped unread into memory), so neither the
// Mode menu nor a caption ever gets a name of megabytes.
constexpr qsizetype kMaxModeText = 1000;
using RawModeTexts = std::array<QString, ModeTable::kLast + 1>;
[[nodiscard]] RawModeTexts readRawModeTexts(QIODevice& device);

// Splits "name width x height" (name up to the first blank, width up to the first lower-case
// "x", height after it). A text that cannot be split that way (no blank, no "x", or the "x"
// before the blank) still gives a mode: its name is the text up to the first blank and both
// sizes are 0, so the user sees it listed and nothing divides by its sizes. Empty text: no mode.
[[nodiscard]] std::optional<CaptureMode> parseModeText(const QString& text);

// Why a mode gives the selection no proportions: its text does not hold two sizes in the form
// "name width x height", or both read but one of them is not above 0 ("0x0", "-10x20").
enum class ModeSizeFault { None, Unreadable, NotPositive };
[[nodiscard]] ModeSizeFault modeSizeFault(const CaptureMode& mode);

[[nodiscard]] ModeTable buildModeTable(const RawModeTexts& raw);

}  // namespace kiramo
