#pragma once

#include <QString>

// Numbers as the program reads them from text (settings sizes, prompt answers) and writes them
// into captions and prompts, and the two ways it turns reals into whole numbers.
namespace kiramo {

// Reads the longest leading number of `text`. Blanks, tabs and line feeds anywhere in the text
// are skipped first, "." is the decimal point, an optional sign and exponent are taken, and
// whatever follows the number is ignored ("29.7cm" reads 29.7, "2 5" reads 25). Text without a
// leading number, or a number beyond the range of a double, reads 0.
[[nodiscard]] double readNumber(const QString& text);

// Whether `text` starts with a number as readNumber reads it (blanks skipped), rather than
// reading 0 for want of one.
[[nodiscard]] bool startsWithNumber(const QString& text);

// Plain decimal text for every double: an optional "-", digits, "." as decimal point, no
// blanks, no exponent, no trailing zeros, the value rounded to 15 significant digits
// (21 -> "21", 29.7 -> "29.7", 282.857142857142857 -> "282.857142857143", 1e20 ->
// "100000000000000000000", 1e-7 -> "0.0000001"): a huge value prints all its integer digits,
// a tiny one all its leading zeros. The text always reads back through readNumber as a finite
// double, as the same double where 15 significant digits hold it exactly; near the largest
// double, where rounding up would leave the range, it is rounded toward zero. Zero, -0 and the
// values that are no number (NaN, the infinities, which readNumber never gives) write "0".
[[nodiscard]] QString writeNumber(double value);

// A single-precision number as the program's captions print it: the value as a float, to 7
// significant digits, then as writeNumber writes it (494.949494949495 -> "494.9495").
[[nodiscard]] QString writeSingle(double value);

// The nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
[[nodiscard]] double roundHalfEven(double value);

// roundHalfEven clamped into the 16-bit signed range that some of the program's whole numbers
// are kept in. NaN gives 0.
[[nodiscard]] int roundHalfEven16(double value);

}  // namespace kiramo
