// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/fieldparsing.h"

#include "core/entrytext.h"
#include "import/importfile.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

// Reads up to maxDigits digits at pos; returns how many it read.
int readNumber(QByteArrayView s, qsizetype &pos, int maxDigits, int &number)
{
    number = 0;
    int digits = 0;
    while (pos < s.size() && isDigit(s[pos]) && digits < maxDigits) {
        number = number * 10 + (s[pos++] - '0');
        ++digits;
    }
    return digits;
}

bool isDateSeparator(char c)
{
    return c == '-' || c == '.' || c == '/';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// The instants of 1900-01-01 and 9999-12-31 24:00 UTC, widened by a day for
// every time zone; the local date decides within that.
constexpr double lowestInstantMs = -2208988800000.0 - 86400000.0;
constexpr double highestInstantMs = 253402300800000.0 + 86400000.0;

bool yearInRange(int year)
{
    return year >= firstImportYear && year <= lastImportYear;
}

} // namespace

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return text.sliced(begin, end - begin);
}

QByteArray foldWord(QByteArrayView text)
{
    QByteArray folded;
    for (char c : text) {
        c = lower(c);
        if (isDigit(c) || (c >= 'a' && c <= 'z') || (c & 0x80))
            folded += c;
    }
    return folded;
}

bool startsWithAny(QByteArrayView text, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [text](const char *word) { return text.startsWith(word); });
}

bool containsAny(QByteArrayView text, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [text](const char *word) { return text.contains(QByteArrayView(word)); });
}

bool parseReadingTime(QByteArrayView text, ReadingTime &when)
{
    const QByteArrayView s = trimmed(text);
    qsizetype pos = 0;
    int a, b, c;
    const int aDigits = readNumber(s, pos, 4, a);
    if (!aDigits || pos >= s.size() || !isDateSeparator(s[pos]))
        return false;
    const char separator = s[pos++];
    if (!readNumber(s, pos, 2, b) || pos >= s.size() || s[pos++] != separator)
        return false;
    const int cDigits = readNumber(s, pos, 4, c);
    if (aDigits == 4 && cDigits >= 1 && cDigits <= 2) {
        when = ReadingTime{a, b, c, 0, true, false};
    } else if (aDigits <= 2 && (cDigits == 4 || cDigits == 2)) {
        when = ReadingTime{cDigits == 2 ? 2000 + c : c, a, b, 0, false, false};
    } else {
        return false;
    }
    if (pos >= s.size() || (s[pos] != 'T' && s[pos] != ' '))
        return false;
    while (pos < s.size() && (s[pos] == 'T' || s[pos] == ' '))
        ++pos;
    int hour, minute, second;
    if (!readNumber(s, pos, 2, hour) || pos >= s.size() || s[pos++] != ':' ||
        readNumber(s, pos, 2, minute) != 2)
        return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (readNumber(s, pos, 2, second) != 2)
            return false;
        if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
            ++pos;
            while (pos < s.size() && isDigit(s[pos]))
                ++pos;
        }
    }
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    if (pos + 1 < s.size() && lower(s[pos + 1]) == 'm' &&
        (lower(s[pos]) == 'a' || lower(s[pos]) == 'p')) {
        if (hour < 1 || hour > 12)
            return false;
        const bool pm = lower(s[pos]) == 'p';
        hour = hour % 12 + (pm ? 12 : 0);
        when.twelveHour = true;
        pos += 2;
    }
    // A zone suffix is ignored: times are taken as written on the device.
    if (pos < s.size() && (s[pos] == 'Z' || s[pos] == '+' || s[pos] == '-'))
        pos = s.size();
    if (pos != s.size() || hour > 23 || minute > 59 || !yearInRange(when.year))
        return false;
    when.minutes = hour * 60 + minute;
    return true;
}

bool readingTimeOfInstant(double msSinceEpoch, ReadingTime &when)
{
    // Checked before the conversion: a double beyond qint64 has no integer.
    if (!(msSinceEpoch >= lowestInstantMs && msSinceEpoch <= highestInstantMs))
        return false;
    const qint64 ms = qint64(std::floor(msSinceEpoch));
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (!yearInRange(d.year()))
        return false;
    when = ReadingTime{d.year(), d.month(), d.day(), t.hour() * 60 + t.minute(), true, false};
    when.instant = ms;
    when.utcOffset = local.offsetFromUtc();
    return true;
}

bool readingTimeOfDateTime(const QDateTime &dateTime, ReadingTime &when)
{
    if (!dateTime.isValid())
        return false;
    if (dateTime.timeSpec() != Qt::LocalTime)
        return readingTimeOfInstant(double(dateTime.toMSecsSinceEpoch()), when);
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    if (!yearInRange(d.year()))
        return false;
    when = ReadingTime{d.year(), d.month(), d.day(), t.hour() * 60 + t.minute(), true, false};
    return true;
}

bool parseNumber(QByteArrayView text, double &number)
{
    const QByteArrayView s = trimmed(text);
    qsizetype pos = 0;
    const bool negative = pos < s.size() && s[pos] == '-';
    if (negative || (pos < s.size() && s[pos] == '+'))
        ++pos;
    // The digits as one integer divided once by a power of ten: the nearest
    // double to the decimal, so that a dose of 2.345 reads as 2.345 does.
    quint64 mantissa = 0;
    int digits = 0, scale = 0; // value = mantissa * 10^scale
    const auto digit = [&](int d, bool decimal) {
        ++digits;
        if (mantissa < quint64(1e17)) {
            mantissa = mantissa * 10 + quint64(d);
            scale -= decimal;
        } else if (!decimal) {
            ++scale; // digits beyond the precision of a double
        }
    };
    while (pos < s.size() && isDigit(s[pos]))
        digit(s[pos++] - '0', false);
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
        ++pos;
        while (pos < s.size() && isDigit(s[pos]))
            digit(s[pos++] - '0', true);
    }
    if (!digits || pos != s.size())
        return false;
    // Powers of ten up to 10^22 are exact doubles.
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const int magnitude = std::abs(scale);
    const double power = magnitude <= 22 ? powers[magnitude] : std::pow(10.0, magnitude);
    const double value = scale < 0 ? double(mantissa) / power : double(mantissa) * power;
    if (value > 1e15)
        return false;
    number = negative ? -value : value;
    return true;
}
