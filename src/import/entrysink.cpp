// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/entrysink.h"

#include "core/entrytext.h"
#include "core/glucosefacts.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

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

bool parseStamp(QByteArrayView text, Stamp &stamp)
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
        stamp = Stamp{a, b, c, 0, true, false};
    } else if (aDigits <= 2 && (cDigits == 4 || cDigits == 2)) {
        stamp = Stamp{cDigits == 2 ? 2000 + c : c, a, b, 0, false, false};
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
        stamp.twelveHour = true;
        pos += 2;
    }
    // A zone suffix is ignored: times are taken as written on the device.
    if (pos < s.size() && (s[pos] == 'Z' || s[pos] == '+' || s[pos] == '-'))
        pos = s.size();
    if (pos != s.size() || hour > 23 || minute > 59)
        return false;
    stamp.minutes = hour * 60 + minute;
    return true;
}

Stamp stampOf(const QDateTime &instant)
{
    const QDateTime local = instant.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    return Stamp{d.year(), d.month(), d.day(), t.hour() * 60 + t.minute(), true, false};
}

bool parseNumber(QByteArrayView text, double &number)
{
    const QByteArrayView s = trimmed(text);
    qsizetype pos = 0;
    const bool negative = pos < s.size() && s[pos] == '-';
    if (negative || (pos < s.size() && s[pos] == '+'))
        ++pos;
    double value = 0;
    int digits = 0;
    while (pos < s.size() && isDigit(s[pos])) {
        value = value * 10 + (s[pos++] - '0');
        ++digits;
    }
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
        ++pos;
        double scale = 0.1;
        while (pos < s.size() && isDigit(s[pos])) {
            value += (s[pos++] - '0') * scale;
            scale /= 10;
            ++digits;
        }
    }
    if (!digits || pos != s.size() || value > 1e15)
        return false;
    number = negative ? -value : value;
    return true;
}

EntrySink::EntrySink(ImportResult &result, const ImportProgress &progress, qint64 total)
    : m_result(result), m_progress(progress), m_total(total)
{}

void EntrySink::add(const Stamp &stamp, int type, int value, qsizetype line)
{
    if (value > maxValue) {
        unread(line, QStringLiteral("value out of range"));
        return;
    }
    m_pending.push_back(Pending{stamp, type, value, line});
}

void EntrySink::glucose(const Stamp &stamp, double value, bool mmol, qsizetype line)
{
    if (mmol) {
        value *= mgPerDlPerMmolPerL;
    } else if (value != std::floor(value)) {
        ++m_result.valuesRounded;
    }
    const int mgPerDl = qRound(std::min(value, double(maxValue) + 1));
    if (mgPerDl <= 0) {
        skip();
        return;
    }
    add(stamp, glucoseType, mgPerDl, line);
}

void EntrySink::amount(const Stamp &stamp, int type, double value, qsizetype line)
{
    if (value != std::floor(value))
        ++m_result.valuesRounded;
    const int whole = qRound(std::min(value, double(maxValue) + 1));
    if (whole <= 0) {
        skip();
        return;
    }
    add(stamp, type, whole, line);
}

void EntrySink::glucoseText(const Stamp &stamp, QByteArrayView text, bool mmol, qsizetype line)
{
    double value;
    if (parseNumber(text, value))
        glucose(stamp, value, mmol, line);
    else
        unread(line, QStringLiteral("no glucose value"));
}

void EntrySink::amountText(const Stamp &stamp, int type, QByteArrayView text, qsizetype line)
{
    double value;
    if (parseNumber(text, value))
        amount(stamp, type, value, line);
    else
        unread(line, QStringLiteral("no number for %1").arg(typeName(type)));
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

void EntrySink::finish()
{
    // Day-month or month-day: the order under which every date is valid;
    // where both fit, AM/PM times mean month first.
    qsizetype ambiguous = 0, dayFirstValid = 0, monthFirstValid = 0;
    bool twelveHour = false;
    for (const Pending &p : m_pending) {
        if (p.stamp.yearFirst)
            continue;
        ++ambiguous;
        dayFirstValid += QDate::isValid(p.stamp.year, p.stamp.second, p.stamp.first);
        monthFirstValid += QDate::isValid(p.stamp.year, p.stamp.first, p.stamp.second);
        twelveHour = twelveHour || p.stamp.twelveHour;
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
        const Stamp &s = p.stamp;
        const bool swap = !s.yearFirst && !monthFirst;
        const QDate date(s.year, swap ? s.second : s.first, swap ? s.first : s.second);
        if (!date.isValid()) {
            unread(p.line, QStringLiteral("no such date"));
            continue;
        }
        batch.add(date.toJulianDay(), s.minutes, p.type, p.value);
    }
    m_pending.clear();
    m_pending.shrink_to_fit();
}
