// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/daycontent.h"

#include "core/entrytext.h"

#include <algorithm>

namespace {

constexpr int minutesPerDay = 24 * 60;

int minutesOf(const Diary &diary, int row)
{
    const QTime time = diary.time(row);
    return time.isValid() ? time.hour() * 60 + time.minute() : -1;
}

// A reading as the statistics count one: a Glucose with a time and a
// positive value.
bool isReading(const Diary &diary, int row, int minutes)
{
    return minutes >= 0 && diary.typeOf(row) == glucoseType && diary.value(row) > 0;
}

} // namespace

bool DayContent::showsSameAs(const DayContent &other) const
{
    return day == other.day && readings == other.readings && markers == other.markers &&
           std::equal(entries.begin(), entries.end(), other.entries.begin(), other.entries.end(),
                      [](const DayEntry &a, const DayEntry &b) { return a.texts == b.texts; });
}

std::vector<bool> sensorSeries(const std::vector<int> &minutes)
{
    const size_t n = minutes.size();
    std::vector<bool> series(n, false);
    for (size_t i = 0; i < n; ++i)
        series[i] = (i > 0 && minutes[i] - minutes[i - 1] <= sensorSeriesMinutes) ||
                    (i + 1 < n && minutes[i + 1] - minutes[i] <= sensorSeriesMinutes);
    return series;
}

DayContent dayContent(const Diary &diary, const QDate &day, int lowerLimit, int upperLimit)
{
    DayContent content;
    content.day = day;
    const std::vector<int> rows = diary.rowsOn(day);

    struct Timed
    {
        int minutes;
        int row; // -1 for a neighbour's reading
        int value;
    };
    std::vector<Timed> readings;
    // The neighbours' readings within reach of midnight decide whether the
    // day's first and last readings belong to a series.
    for (const int shift : {-1, 1}) {
        for (const int row : diary.rowsOn(day.addDays(shift))) {
            const int minutes = minutesOf(diary, row);
            const int at = minutes + shift * minutesPerDay;
            if (isReading(diary, row, minutes) && at >= -sensorSeriesMinutes &&
                at < minutesPerDay + sensorSeriesMinutes)
                readings.push_back({at, -1, diary.value(row)});
        }
    }
    std::vector<Timed> entries;
    for (const int row : rows) {
        const int minutes = minutesOf(diary, row);
        if (isReading(diary, row, minutes)) {
            readings.push_back({minutes, row, diary.value(row)});
            continue;
        }
        entries.push_back({minutes, row, 0});
        const int type = diary.typeOf(row);
        if (minutes >= 0 && (type == carbsType || insulinKind(type) != InsulinKind::None))
            content.markers.push_back(
                {minutes, type,
                 type == carbsType ? qint64(diary.value(row)) : diary.hundredths(row)});
    }
    // In time order; at one time, the older row (lower in the list) first.
    std::stable_sort(readings.begin(), readings.end(), [](const Timed &a, const Timed &b) {
        return a.minutes != b.minutes ? a.minutes < b.minutes : a.row > b.row;
    });
    std::vector<int> times;
    times.reserve(readings.size());
    for (const Timed &r : readings)
        times.push_back(r.minutes);
    const std::vector<bool> series = sensorSeries(times);
    for (size_t i = 0; i < readings.size(); ++i) {
        const Timed &r = readings[i];
        // A neighbour's reading is only drawn as the curve's way on.
        if (r.row >= 0 || series[i])
            content.readings.push_back({r.minutes, r.value, series[i]});
        if (r.row >= 0 && !series[i])
            entries.push_back({r.minutes, r.row, 0});
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
