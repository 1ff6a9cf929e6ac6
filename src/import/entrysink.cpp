// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/entrysink.h"
#include "import/importtext.h"

#include "core/entrytext.h"
#include "core/glucosefacts.h"

#include <QDate>

#include <algorithm>
#include <charconv>
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

// Far above any reading, dose or meal: a value beyond it is a misread column.
constexpr int maxValue = 100000;

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

// A value as a whole number; NaN, negatives and values far beyond maxValue
// give 0 or maxValue + 1 before any conversion.
int wholeValue(double value)
{
    if (!(value > 0))
        return 0;
    return value > maxValue ? maxValue + 1 : qRound(value);
}

// A dose to hundredths, halves of the last digit up, read from the shortest
// decimal that gives the same double (2.345 is stored a little below it).
// rounded: it had more than two decimals. 0 for NaN, negatives and doses
// that round to nothing.
qint32 hundredthsOf(double value, bool &rounded)
{
    rounded = false;
    if (!(value > 0))
        return 0;
    if (value < 0.005) {
        rounded = true;
        return 0;
    }
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (error != std::errc())
        return 0;
    const char *c = text;
    qint64 whole = 0;
    for (; c != end && isDigit(*c); ++c)
        whole = whole * 10 + (*c - '0');
    int cents = 0, decimals = 0;
    if (c != end && *c == '.') {
        for (++c; c != end && decimals < 3; ++c, ++decimals) {
            if (decimals < 2)
                cents = cents * 10 + (*c - '0');
            else if (*c >= '5')
                ++cents;
        }
    }
    rounded = c != end || decimals > 2;
    if (decimals == 1)
        cents *= 10;
    return qint32(whole * 100 + cents);
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

EntrySink::EntrySink(ImportResult &result, const ImportProgress &progress, qint64 total)
    : m_result(result), m_progress(progress), m_total(total)
{
    // Exports spend some 60 bytes a row and more: room for all rows at once,
    // which costs address space only where a file has fewer.
    m_pending.reserve(size_t(std::clamp<qint64>(total / 64, 0, 1 << 24)));
}

void EntrySink::add(const ReadingTime &when, int type, int value, qsizetype line, quint8 flags)
{
    // A fraction is a dose within range already.
    if (!(flags & ImportEntry::Fraction) && value > maxValue) {
        unread(line, ImportText::tr("value out of range"));
        return;
    }
    m_pending.push_back(Pending{when.instant, value, qint32(line), when.utcOffset,
                                qint16(when.year), qint16(when.minutes), qint8(when.first),
                                qint8(when.second), qint8(type), flags, when.yearFirst,
                                when.twelveHour});
}

void EntrySink::glucose(const ReadingTime &when, double value, bool mmol, qsizetype line)
{
    if (mmol) {
        ++m_result.mmolReadings;
        value *= mgPerDlPerMmolPerL;
    } else if (value != std::floor(value)) {
        ++m_result.valuesRounded;
    }
    const int mgPerDl = wholeValue(value);
    if (mgPerDl <= 0) {
        skip();
        return;
    }
    add(when, glucoseType, mgPerDl, line);
}

void EntrySink::amount(const ReadingTime &when, int type, double value, qsizetype line)
{
    if (takesFraction(type) && value <= maxValue) {
        bool rounded = false;
        const qint32 hundredths = hundredthsOf(value, rounded);
        m_result.valuesRounded += rounded;
        if (hundredths <= 0) {
            skip();
            return;
        }
        if (hundredths % 100 == 0) {
            add(when, type, hundredths / 100, line);
            return;
        }
        // What the dose was imported as while imports kept whole units.
        const bool roundsDown = wholeValue(value) < wholeUnits(hundredths);
        add(when, type, hundredths, line,
            ImportEntry::Fraction | (roundsDown ? ImportEntry::WholeRoundsDown : 0));
        return;
    }
    if (value != std::floor(value))
        ++m_result.valuesRounded;
    const int whole = wholeValue(value);
    if (whole <= 0) {
        skip();
        return;
    }
    add(when, type, whole, line);
}

void EntrySink::glucoseText(const ReadingTime &when, QByteArrayView text, bool mmol, qsizetype line)
{
    double value;
    if (parseNumber(text, value))
        glucose(when, value, mmol, line);
    else
        unread(line, ImportText::tr("no glucose value"));
}

void EntrySink::amountText(const ReadingTime &when, int type, QByteArrayView text, qsizetype line)
{
    double value;
    if (parseNumber(text, value))
        amount(when, type, value, line);
    else
        unread(line, ImportText::tr("no number for %1").arg(typeName(type)));
}

void EntrySink::skip(const char *one, const char *many)
{
    skip();
    std::vector<SkippedKind> &kinds = m_result.skippedKinds;
    const QLatin1StringView name(one);
    const auto it = std::find_if(kinds.begin(), kinds.end(),
                                 [name](const SkippedKind &kind) { return kind.one == name; });
    if (it != kinds.end())
        ++it->count;
    else
        kinds.push_back(SkippedKind{name, QLatin1StringView(many), 1});
}

void EntrySink::refuseOverlong(qsizetype line, const QString &member)
{
    const QString where =
        member.isEmpty() ? QString::number(line) : ImportText::tr("%1 in %2").arg(line).arg(member);
    refuse(ImportText::tr("has a line longer than %1 MB (line %2), which no export holds")
               .arg(CsvReader::maxRecordBytes >> 20)
               .arg(where));
}

void EntrySink::unread(qsizetype line, const QString &reason)
{
    if (m_result.unread.size() < size_t(maxUnreadRowsKept))
        m_result.unread.push_back(UnreadRow{line, reason});
    ++m_result.unreadCount;
}

bool EntrySink::progress(qint64 done)
{
    if (!m_progress || ++m_calls % 4096)
        return !m_result.cancelled;
    if (!m_progress(done, m_total))
        m_result.cancelled = true;
    return !m_result.cancelled;
}

bool EntrySink::nextRow(CsvReader &csv, qint64 byteOffset, qsizetype lineOffset)
{
    while (csv.next()) {
        if (!progress(byteOffset + csv.position()))
            return false;
        if (csv.blank())
            continue;
        if (csv.complete())
            return true;
        unread(csv.line() + lineOffset, ImportText::tr("the file ends inside this row"));
    }
    if (csv.overlong())
        refuseOverlong(csv.line() + lineOffset);
    return false;
}

void EntrySink::finish()
{
    // Day-month or month-day: the order under which every date is valid;
    // where both fit, AM/PM times mean month first.
    qsizetype ambiguous = 0, dayFirstValid = 0, monthFirstValid = 0;
    bool twelveHour = false;
    for (const Pending &p : m_pending) {
        if (p.yearFirst)
            continue;
        ++ambiguous;
        dayFirstValid += QDate::isValid(p.year, p.second, p.first);
        monthFirstValid += QDate::isValid(p.year, p.first, p.second);
        twelveHour = twelveHour || p.twelveHour;
    }
    bool monthFirst = false;
    if (ambiguous) {
        // Where neither fits all, the one that fits more; a tie as above.
        if (dayFirstValid == monthFirstValid)
            monthFirst = twelveHour;
        else
            monthFirst = monthFirstValid > dayFirstValid;
        m_result.dateOrder = monthFirst ? DateOrder::MonthFirst : DateOrder::DayFirst;
    }
    ImportBatch &batch = m_result.batch;
    batch.entries.reserve(batch.entries.size() + m_pending.size());
    for (const Pending &p : m_pending) {
        const bool swap = !p.yearFirst && !monthFirst;
        const QDate date(p.year, swap ? p.second : p.first, swap ? p.first : p.second);
        if (!date.isValid()) {
            unread(p.line, ImportText::tr("no such date"));
            continue;
        }
        batch.add(date.toJulianDay(), p.minutes, p.type, p.value, p.instant, p.flags);
    }
    findClockChanges();
    m_pending.clear();
    m_pending.shrink_to_fit();
}

void EntrySink::findClockChanges()
{
    std::vector<std::pair<qint64, int>> instants; // with their offsets
    for (const Pending &p : m_pending) {
        if (p.instant != ImportEntry::noInstant)
            instants.emplace_back(p.instant, p.utcOffset);
    }
    std::sort(instants.begin(), instants.end());
    const auto offsetAt = [](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().offsetFromUtc();
    };
    std::vector<ClockChange> &changes = m_result.clockChanges;
    for (size_t i = 1; i < instants.size(); ++i) {
        qint64 before = instants[i - 1].first;
        int offset = instants[i - 1].second;
        // Each change between two readings in turn: a binary search for the
        // first moment with another offset.
        while (offset != instants[i].second && changes.size() < size_t(maxClockChangesKept)) {
            qint64 low = before, high = instants[i].first;
            while (high - low > 1000) {
                const qint64 middle = low + (high - low) / 2;
                (offsetAt(middle) == offset ? low : high) = middle;
            }
            const int next = offsetAt(high);
            // Local times run from the change at the older offset on; the
            // span between the two offsets' readings repeats or is left out.
            const qint64 changeSecs = high >= 0 ? high / 1000 : -((999 - high) / 1000);
            const QDateTime start =
                QDateTime::fromSecsSinceEpoch(changeSecs + std::min(offset, next), Qt::UTC);
            const int length = std::abs(next - offset) / 60;
            const int startMinutes = start.time().hour() * 60 + start.time().minute();
            changes.push_back(
                ClockChange{start.date(), startMinutes, startMinutes + length, next < offset});
            before = high;
            offset = next;
        }
    }
}
