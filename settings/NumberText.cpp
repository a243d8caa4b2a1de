#include "settings/NumberText.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int digitValue(QChar c, int base)
{
    int v = -1;
    if (isDigit(c))
        v = c.unicode() - '0';
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        v = c.unicode() - 'a' + 10;
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        v = c.unicode() - 'A' + 10;
    return v < base ? v : -1;
}

// "&H1F" and "&O17": the base of a prefixed whole number, or 0 when there is no prefix.
int radixPrefix(const QString& text)
{
    if (text.size() < 2 || text.at(0) != QLatin1Char('&'))
        return 0;
    const QChar kind = text.at(1).toUpper();
    return kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
}

// Reads the digits after a radix prefix; `consumed` tells how many characters they took.
double readRadix(const QString& text, int base, qsizetype& consumed)
{
    double value = 0;
    qsizetype i = 2;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            break;
        value = value * base + d;
    }
    consumed = i;
    return value;
}

// Length of the longest leading decimal number in text, with `point` as the separator.
qsizetype numberLength(const QString& text, QChar point)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text.at(i))) {
        ++i;
        ++digits;
    }
    if (i < n && text.at(i) == point) {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < n && isDigit(text.at(j))) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        qsizetype j = i + 1;
        if (j < n && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
            ++j;
        const qsizetype expStart = j;
        while (j < n && isDigit(text.at(j)))
            ++j;
        if (j > expStart)
            i = j;
    }
    return i;
}

// The decimal exponent of the first significant digit of a well-formed number ("0.05e3"
// gives 1): it tells a number too small for a double from one too large.
long long magnitude(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    qsizetype integerDigits = 0;
    while (i + integerDigits < text.size() && isDigit(text.at(i + integerDigits)))
        ++integerDigits;
    std::optional<long long> first; // exponent of the first digit that is not 0
    qsizetype j = i;
    for (; j < i + integerDigits; ++j) {
        if (!first && text.at(j) != QLatin1Char('0'))
            first = integerDigits - 1 - (j - i);
    }
    if (j < text.size() && text.at(j) == QLatin1Char('.')) {
        for (long long place = -1; ++j < text.size() && isDigit(text.at(j)); --place) {
            if (!first && text.at(j) != QLatin1Char('0'))
                first = place;
        }
    }
    long long exponent = 0;
    if (j < text.size()) { // "E" and a signed whole number
        bool ok = false;
        exponent = text.mid(j + 1).toLongLong(&ok);
        if (!ok) // more digits than any exponent needs
            exponent = text.at(j + 1) == QLatin1Char('-') ? -(1LL << 40) : (1LL << 40);
    }
    return first.value_or(0) + exponent;
}

// A well-formed number with "." as its point. One too small for a double is 0, as it is in
// arithmetic; one too large is no number.
double parseC(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (ok && std::isfinite(value))
        return value;
    if (magnitude(text) < 0)
        return text.startsWith(QLatin1Char('-')) ? -0.0 : 0.0;
    return std::numeric_limits<double>::quiet_NaN();
}

// The whole text as a number, or NaN. Blanks around it are allowed.
double parseWhole(const QString& raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::numeric_limits<double>::quiet_NaN();
    if (const int base = radixPrefix(text)) {
        qsizetype consumed = 0;
        const double value = readRadix(text, base, consumed);
        return consumed == text.size() && consumed > 2 && std::isfinite(value)
                   ? value
                   : std::numeric_limits<double>::quiet_NaN();
    }
    const QChar localePoint = QLocale().decimalPoint().at(0);
    for (const QChar point : {QChar(QLatin1Char('.')), localePoint}) {
        if (numberLength(text, point) == text.size()) {
            QString c = text;
            c.replace(point, QLatin1Char('.'));
            return parseC(c);
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

} // namespace

double RoundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode sends halves to the even neighbour
}

double ReadBoxNumber(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            compact.append(c);
    }
    if (const int base = radixPrefix(compact)) {
        qsizetype consumed = 0;
        const double value = readRadix(compact, base, consumed);
        return std::isfinite(value) ? value : 0.0;
    }
    const qsizetype length = numberLength(compact, QLatin1Char('.'));
    if (length == 0)
        return 0.0;
    const double value = parseC(compact.left(length));
    return std::isnan(value) ? 0.0 : value;
}

qint32 ReadBoxWholeNumber(const QString& text)
{
    // Converting a double beyond the 32-bit range to an int is undefined: clamp first.
    const double rounded = RoundHalfEven(ReadBoxNumber(text));
    if (rounded <= std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    if (rounded >= std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(rounded);
}

std::optional<qint32> ToWholeNumber(const QString& text)
{
    const double value = parseWhole(text);
    if (std::isnan(value))
        return std::nullopt;
    const double rounded = RoundHalfEven(value);
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

std::optional<double> ToLocaleNumber(const QString& text)
{
    const double value = parseWhole(text);
    if (std::isnan(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> BoxTextToWhole(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    return ToWholeNumber(text);
}

std::optional<double> BoxTextToNumber(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0.0;
    return ToLocaleNumber(text);
}
