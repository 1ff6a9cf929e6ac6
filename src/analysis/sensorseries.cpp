// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/sensorseries.h"

#include "core/entrytext.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int minutesPerDay = 24 * 60;

int minutesOf(const Diary &diary, int row)
{
    const QTime time = diary.time(row);
    return time.isValid() ? time.hour() * 60 + time.minute() : -1;
}

} // namespace

bool countsAsReading(int minutes, int type, int value)
{
    return minutes >= 0 && type == glucoseType && value > 0;
}

std::vector<bool> sensorSeries(const std::vector<qint64> &minutes)
{
    const size_t n = minutes.size();
    std::vector<bool> series(n, false);
    for (size_t i = 0; i < n; ++i)
        series[i] = (i > 0 && minutes[i] - minutes[i - 1] <= sensorSeriesMinutes) ||
                    (i + 1 < n && minutes[i + 1] - minutes[i] <= sensorSeriesMinutes);
    return series;
}

std::vector<TimedReading> readingsAround(const Diary &diary, const QDate &day)
{
    std::vector<TimedReading> readings;
    for (const int shift : {-1, 0, 1}) {
        for (const int row : diary.rowsOn(day.addDays(shift))) {
            const int minutes = minutesOf(diary, row);
            const int at = minutes + shift * minutesPerDay;
            // The neighbours' readings within reach of midnight decide
            // whether the day's first and last readings belong to a series.
            if (countsAsReading(minutes, diary.typeOf(row), diary.value(row)) &&
                (shift == 0 ||
                 (at >= -sensorSeriesMinutes && at < minutesPerDay + sensorSeriesMinutes)))
                readings.push_back({at, row, diary.value(row), false, shift == 0});
        }
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const TimedReading &a, const TimedReading &b) {
                         return a.minutes != b.minutes ? a.minutes < b.minutes : a.row > b.row;
                     });
    std::vector<qint64> times;
    times.reserve(readings.size());
    for (const TimedReading &r : readings)
        times.push_back(r.minutes);
    const std::vector<bool> series = sensorSeries(times);
    for (size_t i = 0; i < readings.size(); ++i)
        readings[i].inSeries = series[i];
    return readings;
}

std::vector<bool> sensorSeriesRows(const Diary &diary)
{
    const int n = diary.rowCount();
    std::vector<bool> rows(size_t(n), false);
    // The minutes of each stored row that is a reading, -1 for the others.
    std::vector<qint16> minutesAt(size_t(n), -1);
    diary.forEachEntry([&](int row, qint64, int minutes, int type, int value) {
        if (countsAsReading(minutes, type, value))
            minutesAt[size_t(n - 1 - row)] = qint16(minutes);
    });
    // Day by day in date order, each day's readings in time order.
    std::vector<qint64> times;
    std::vector<int> readingRows;
    std::vector<size_t> order;
    const DayIndex &days = diary.days();
    for (const QDate &day : days.between(days.first(), days.last())) {
        const size_t start = times.size();
        const qint64 midnight = day.toJulianDay() * minutesPerDay;
        days.forEachPosition(day, [&](size_t position) {
            if (minutesAt[position] >= 0) {
                times.push_back(midnight + minutesAt[position]);
                readingRows.push_back(n - 1 - int(position));
            }
        });
        if (std::is_sorted(times.begin() + qsizetype(start), times.end()))
            continue;
        order.resize(times.size() - start);
        std::iota(order.begin(), order.end(), start);
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return times[a] < times[b]; });
        std::vector<qint64> sortedTimes;
        std::vector<int> sortedRows;
        for (const size_t i : order) {
            sortedTimes.push_back(times[i]);
            sortedRows.push_back(readingRows[i]);
        }
        std::copy(sortedTimes.begin(), sortedTimes.end(), times.begin() + qsizetype(start));
        std::copy(sortedRows.begin(), sortedRows.end(), readingRows.begin() + qsizetype(start));
    }
    const std::vector<bool> series = sensorSeries(times);
    for (size_t i = 0; i < series.size(); ++i)
        rows[size_t(readingRows[i])] = series[i];
    return rows;
}
