// Numbers: readNumber on any text, writeNumber on any double.
// Input: the text; its first eight bytes are also taken as a double's bits.
// Invariants: readNumber never fails and gives a finite number. writeNumber gives plain decimal
// ("-", digits, "." and digits without a trailing zero; no blank, exponent, "inf" or "nan") for
// every double, "0" for zero and for what is no finite number; that text reads back as a finite
// double within 15 significant digits of the value, as the value itself when 15 significant
// digits hold it exactly, and writes again as the same text.
#include "FuzzSupport.h"

#include "core/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace kiramo;

namespace {

bool isPlainDecimal(const QString& text) {
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
    }
    const qsizetype whole = i - digitsStart;
    if (whole == 0 || (whole > 1 && text[digitsStart] == u'0')) {
        return false;  // no leading zeros but the one before a point
    }
    if (i == text.size()) {
        return true;
    }
    if (text[i] != u'.' || i + 1 == text.size() || text.back() == u'0') {
        return false;
    }
    for (++i; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            return false;
        }
    }
    return true;
}

// Whether 15 significant digits hold `value` exactly, by the C library's own conversions.
bool fifteenDigitsHold(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", value);
    return std::strtod(text, nullptr) == value;
}

void checkWrite(double value) {
    const QString text = writeNumber(value);
    FUZZ_CHECK(isPlainDecimal(text));
    if (!std::isfinite(value) || value == 0.0) {
        FUZZ_CHECK(text == QLatin1String("0"));
        return;
    }
    FUZZ_CHECK(text != QLatin1String("0"));
    FUZZ_CHECK(text.startsWith(u'-') == (value < 0));
    const double back = readNumber(text);
    FUZZ_CHECK(std::isfinite(back));
    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * 1e-14);
    if (fifteenDigitsHold(value)) {
        FUZZ_CHECK(back == value);
    }
    FUZZ_CHECK(writeNumber(back) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = kiramo::fuzzing::bytesOf(data, size);
    FUZZ_CHECK(std::isfinite(readNumber(QString::fromUtf8(bytes))));
    FUZZ_CHECK(std::isfinite(readNumber(QString::fromLatin1(bytes))));
    const double read = readNumber(QString::fromLatin1(bytes));
    checkWrite(read);
    if (size >= sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        checkWrite(value);
    }
    return 0;
}
