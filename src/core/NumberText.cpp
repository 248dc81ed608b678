#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace kiramo {

namespace {

bool isSkippedBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

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
    if (!std::isfinite(value)) {
        return QStringLiteral("0");
    }
    if (value == 0.0) {
        return QStringLiteral("0");  // also for -0
    }
    // Round to 15 significant digits first, then print that value without an exponent.
    const QString g = QString::number(value, 'g', 15);
    const double rounded = g.toDouble();
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = std::max(0, 14 - exponent);
    QString s = QString::number(rounded, 'f', decimals);
    if (s.contains(u'.')) {
        while (s.endsWith(u'0')) {
            s.chop(1);
        }
        if (s.endsWith(u'.')) {
            s.chop(1);
        }
    }
    if (s == QLatin1String("-0")) {
        return QStringLiteral("0");
    }
    return s;
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
