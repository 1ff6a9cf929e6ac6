// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/daycontent.h"

#include "core/entrytext.h"

#include <algorithm>

namespace {

int minutesOf(const Diary &diary, int row)
{
    const QTime time = diary.time(row);
    return time.isValid() ? time.hour() * 60 + time.minute() : -1;
}

} // namespace

bool DayContent::showsSameAs(const DayContent &other) const
{
    return day == other.day && readings == other.readings && markers == other.markers &&
           std::equal(entries.begin(), entries.end(), other.entries.begin(), other.entries.end(),
                      [](const DayEntry &a, const DayEntry &b) { return a.texts == b.texts; });
}

DayContent dayContent(const Diary &diary, const QDate &day, int lowerLimit, int upperLimit)
{
    DayContent content;
    content.day = day;
    const std::vector<int> rows = diary.rowsOn(day);

    struct Timed
    {
        int minutes;
        int row;
    };
    std::vector<Timed> entries;
    for (const int row : rows) {
        const int minutes = minutesOf(diary, row);
        const int type = diary.typeOf(row);
        if (countsAsReading(minutes, type, diary.value(row)))
            continue;
        entries.push_back({minutes, row});
        if (minutes >= 0 && (type == carbsType || insulinKind(type) != InsulinKind::None))
            content.markers.push_back(
                {minutes, type,
                 type == carbsType ? qint64(diary.value(row)) : diary.hundredths(row)});
    }
    for (const TimedReading &r : readingsAround(diary, day)) {
        // A neighbour's reading is only drawn as the curve's way on.
        if (r.ofTheDay || r.inSeries)
            content.readings.push_back({r.minutes, r.value, r.inSeries});
        if (r.ofTheDay && !r.inSeries)
            entries.push_back({r.minutes, r.row});
    }
    std::stable_sort(content.markers.begin(), content.markers.end(),
                     [](const DayMarker &a, const DayMarker &b) { return a.minutes < b.minutes; });
    // Newest first, as the list shows them; an unreadable time comes last.
    std::sort(entries.begin(), entries.end(), [](const Timed &a, const Timed &b) {
        return a.minutes != b.minutes ? a.minutes > b.minutes : a.row < b.row;
    });
    content.entries.reserve(entries.size());
    for (const Timed &e : entries)
        content.entries.push_back({e.row, diary.entryTexts(e.row)});
    content.figures = computeStatistics(diary.copyOfRows(rows), day, day, lowerLimit, upperLimit);
    return content;
}
