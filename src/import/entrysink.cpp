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

// Far above any reading, dose or meal: a value beyond it is a misread column.
constexpr int maxValue = 100000;

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

bool EntrySink::nextRow(CsvReader &csv, const RowPlace &place)
{
    while (csv.next()) {
        if (!progress(place.byteOffset + qint64(double(csv.position()) * place.byteScale)))
            return false;
        if (csv.blank())
            continue;
        if (csv.complete())
            return true;
        const QString reason = ImportText::tr("the file ends inside this row");
        unread(csv.line() + place.lineOffset,
               place.member.isEmpty() ? reason
                                      : ImportText::tr("%1 in %2").arg(reason, place.member));
    }
    if (csv.overlong())
        refuseOverlong(csv.line() + place.lineOffset, place.member);
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
