#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace kiramo {

namespace {

bool isSkippedBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool startsWithNumber(const QString& text) {
    qsizetype i = 0;
    const auto skip = [&] {
        while (i < text.size() && isSkippedBlank(text[i])) {
            ++i;
        }
    };
    skip();
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
        skip();
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        skip();
    }
    return i < text.size() && isDigit(text[i]);
}

double readNumber(const QString& text) {
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (!isSkippedBlank(c)) {
            s.append(c);
        }
    }

    // Find the longest prefix of the form [sign] digits [. digits] [exponent].
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        ++i;
    }
    qsizetype mantissaDigits = 0;
    while (i < n && isDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && isDigit(s[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return 0.0;
    }
    qsizetype end = i;
    // An exponent counts only when at least one digit follows it ("2e" reads 2).
    if (i < n && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) {
            ++j;
        }
        const qsizetype digitsStart = j;
        while (j < n && isDigit(s[j])) {
            ++j;
        }
        if (j > digitsStart) {
            end = j;
        }
    }

    std::string ascii = s.left(end).toLatin1().toStdString();
    for (char& c : ascii) {
        if (c == 'd' || c == 'D') {
            c = 'e';
        }
    }
    const char* first = ascii.data();
    if (*first == '+') {
        ++first;  // from_chars takes no leading plus
    }
    double value = 0.0;
    const auto result = std::from_chars(first, ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return value;
}

QString writeNumber(double value) {
    if (!std::isfinite(value) || value == 0.0) {
        return QStringLiteral("0");
    }
    // The value rounded to 15 significant digits, "d.dddddddddddddde±x": 64 characters hold
    // every double's.
    char buffer[64];
    const std::to_chars_result written = std::to_chars(
        buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view scientific(buffer, written.ptr - buffer);
    const std::size_t e = scientific.find('e');
    std::string digits;
    digits += scientific[0];
    digits += scientific.substr(2, e - 2);
    int exponent = 0;
    std::string_view exponentText = scientific.substr(e + 1);
    if (exponentText.front() == '+') {
        exponentText.remove_prefix(1);  // from_chars takes no leading plus
    }
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    // Rounding up can carry past the largest double (1.79769313486232e308): such a value is
    // rounded toward zero instead, so that the text still reads back as a double.
    double check = 0.0;
    if (std::from_chars(scientific.data(), scientific.data() + scientific.size(), check).ec ==
        std::errc::result_out_of_range) {
        std::size_t i = digits.size() - 1;
        while (digits[i] == '0') {
            digits[i--] = '9';
        }
        --digits[i];
    }

    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    const auto count = static_cast<int>(digits.size());
    std::string text = value < 0 ? "-" : "";
    if (exponent >= 0) {
        const int whole = exponent + 1;  // digits before the decimal point
        if (count <= whole) {
            text += digits;
            text.append(static_cast<std::size_t>(whole - count), '0');
        } else {
            text += digits.substr(0, static_cast<std::size_t>(whole));
            text += '.';
            text += digits.substr(static_cast<std::size_t>(whole));
        }
    } else {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }
    return QString::fromLatin1(text);
}

QString writeSingle(double value) {
    const float single = static_cast<float>(value);
    if (!std::isfinite(single)) {
        return writeNumber(value);
    }
    return writeNumber(QString::number(static_cast<double>(single), 'g', 7).toDouble());
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return floor + 0.0;
    }
    if (diff > 0.5) {
        return floor + 1.0;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int roundHalfEven16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double r = roundHalfEven(value);
    if (r > 32767.0) {
        return 32767;
    }
    if (r < -32768.0) {
        return -32768;
    }
    return static_cast<int>(r);
}

}  // namespace kiramo
