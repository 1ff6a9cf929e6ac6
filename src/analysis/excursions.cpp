// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/excursions.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// The consensus counts an event from 15 minutes on, and readings above the
// threshold for less than 15 minutes do not end one.
constexpr qint64 eventMinutes = 15;
// The windows of the moving averages: 5 and 32 readings of a five-minute
// sensor, as long in time for other intervals.
constexpr int shortWindowMinutes = 25;
constexpr int longWindowMinutes = 160;

int windowOf(int minutes, int interval)
{
    return std::max(1, int(std::lround(double(minutes) / interval)));
}
// Longer gaps are not bridged: a line through them would invent excursions.
constexpr qint64 maxInterpolatedGap = 45;

// The grid values, parts split at long gaps: part k runs from starts[k] to
// starts[k + 1]. Readings of one minute count as their mean.
struct Grid
{
    std::vector<double> values;
    std::vector<size_t> starts;
};

Grid gridOf(const std::vector<TimedReading> &readings, int interval)
{
    Grid grid;
    // About one grid point a reading; a sensor's gaps add few.
    grid.values.reserve(readings.size() + readings.size() / 8);
    qint64 lastMinute = 0, gridMinute = 0;
    double lastValue = 0;
    const size_t n = readings.size();
    for (size_t r = 0; r < n;) {
        const qint64 minute = readings[r].minute;
        double value = readings[r].value;
        if (++r < n && readings[r].minute == minute) {
            int count = 1;
            for (; r < n && readings[r].minute == minute; ++r, ++count)
                value += readings[r].value;
            value /= count;
        }
        if (minute == gridMinute + interval && !grid.starts.empty()) {
            // The common case: a reading on the grid's next point.
            grid.values.push_back(value);
            gridMinute = minute;
        } else if (grid.starts.empty() || minute - lastMinute > maxInterpolatedGap) {
            grid.starts.push_back(grid.values.size());
            grid.values.push_back(value);
            gridMinute = minute;
        } else {
            while (gridMinute + interval <= minute) {
                gridMinute += interval;
                const double share = double(gridMinute - lastMinute) / double(minute - lastMinute);
                grid.values.push_back(lastValue + (value - lastValue) * share);
            }
        }
        lastMinute = minute;
        lastValue = value;
    }
    grid.starts.push_back(grid.values.size());
    return grid;
}

// The peaks and nadirs: between two crossings of the moving averages the
// highest value after an upward crossing, the lowest after a downward one,
// each sought from the turning point before it. The averages trail over
// their windows; the first window - 1 values take the first whole
// window's mean. n is at least the long window.
std::vector<double> turningPoints(const double *values, size_t n, int interval)
{
    const size_t shortWindow = size_t(windowOf(shortWindowMinutes, interval));
    const size_t longWindow = size_t(windowOf(longWindowMinutes, interval));
    double firstShort = 0, firstLong = 0;
    for (size_t i = 0; i < shortWindow; ++i)
        firstShort += values[i];
    for (size_t i = 0; i < longWindow; ++i)
        firstLong += values[i];
    // The sums of the windows; the averages' difference times both windows
    // has its sign, and only the sign counts.
    double shortSum = 0, longSum = 0;
    const auto delta = [&](size_t i) {
        shortSum += values[i];
        if (i >= shortWindow)
            shortSum -= values[i - shortWindow];
        longSum += values[i];
        if (i >= longWindow)
            longSum -= values[i - longWindow];
        const double s = i + 1 < shortWindow ? firstShort : shortSum;
        const double l = i + 1 < longWindow ? firstLong : longSum;
        return s * double(longWindow) - l * double(shortWindow);
    };
    // At most one point a value, written without a call in the loop below:
    // a call there would keep the sums in memory, not in registers.
    const std::unique_ptr<double[]> found(new double[n + 1]);
    size_t count = 0;
    double last = delta(0);
    double crossingDelta = last;
    // Values times sign: the extreme sought is the highest.
    double sign = last > 0 ? 1 : -1;
    size_t best = 0;
    double bestValue = values[0] * sign;
    for (size_t i = 1; i < n; ++i) {
        double next;
        if (i < longWindow) {
            next = delta(i);
        } else { // as delta, with both windows whole
            shortSum += values[i];
            shortSum -= values[i - shortWindow];
            longSum += values[i];
            longSum -= values[i - longWindow];
            next = shortSum * double(longWindow) - longSum * double(shortWindow);
        }
        const double v = values[i] * sign;
        best = v > bestValue ? i : best;
        bestValue = v > bestValue ? v : bestValue;
        // A delta of 0 is no side: compare with the last crossing's instead.
        const double before = last != 0 ? last : crossingDelta;
        if (next * before < 0) {
            found[count++] = bestValue * sign;
            sign = next > before ? 1 : -1;
            bestValue = values[best] * sign;
            for (size_t j = best; j <= i; ++j) {
                const double w = values[j] * sign;
                best = w > bestValue ? j : best;
                bestValue = w > bestValue ? w : bestValue;
            }
            crossingDelta = next;
        }
        last = next;
    }
    found[count++] = bestValue * sign;
    return std::vector<double>(found.get(), found.get() + count);
}

// The excursions of at least sd in one direction (up: nadir to peak), each
// from the extreme turning point before it to the extreme one after it, and
// where the first one starts and ends (indices in points); at most `most`.
struct Excursions
{
    std::vector<double> heights;
    size_t firstStart = 0, firstEnd = 0;
};

Excursions excursions(const std::vector<double> &points, double sd, bool up, size_t most = SIZE_MAX)
{
    // Heights in the direction of the excursion.
    const auto rise = [&points, up](size_t from, size_t to) {
        return up ? points[to] - points[from] : points[from] - points[to];
    };
    Excursions found;
    const size_t n = points.size();
    size_t j = 0, start = 0, base = 0; // base: the most extreme point from start to j
    while (j < n) {
        if (rise(base, j) < 0)
            base = j;
        if (rise(base, j) < sd) {
            ++j;
            continue;
        }
        size_t k = j;
        for (; k < n; ++k) {
            if (rise(j, k) > 0)
                j = k;
            if (rise(j, k) < -sd || k == n - 1)
                break;
        }
        if (found.heights.empty()) {
            found.firstStart = base;
            found.firstEnd = j;
        }
        found.heights.push_back(rise(base, j));
        if (k >= n - 1 || found.heights.size() >= most)
            break;
        // Up from the next point; down from the peak, as the turning point
        // it also is.
        start = up ? k : j;
        j = k;
        base = start;
        for (size_t i = start; i <= j; ++i) {
            if (rise(base, i) < 0)
                base = i;
        }
    }
    return found;
}

double mean(const double *values, size_t n)
{
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += values[i];
    return sum / double(n);
}

// In one pass: the values less the first one keep the squares small.
double sampleDeviation(const double *values, size_t n)
{
    double sum = 0, squares = 0;
    for (size_t i = 0; i < n; ++i) {
        const double d = values[i] - values[0];
        sum += d;
        squares += d * d;
    }
    return std::sqrt(std::max(0.0, (squares - sum * sum / double(n)) / double(n - 1)));
}

} // namespace

void putInTimeOrder(std::vector<TimedReading> &readings)
{
    const auto earlier = [](const TimedReading &a, const TimedReading &b) {
        return a.minute < b.minute;
    };
    // A row goes apart when it is earlier than the last one kept, or later
    // than the one after it (a row far ahead would hold back all others).
    // The rows kept close up in runs, each moved at once.
    std::vector<TimedReading> apart;
    const auto begin = readings.begin();
    const size_t n = readings.size();
    size_t kept = 0, run = 0; // the rows from run to i are kept where they are
    qint64 lastKept = LLONG_MIN;
    for (size_t i = 0; i < n; ++i) {
        const qint64 minute = readings[i].minute;
        if (minute >= lastKept && (i + 1 == n || readings[i + 1].minute >= minute)) {
            lastKept = minute;
            continue;
        }
        apart.push_back(readings[i]);
        if (kept != run)
            std::copy(begin + qint64(run), begin + qint64(i), begin + qint64(kept));
        kept += i - run;
        run = i + 1;
    }
    if (apart.empty())
        return;
    std::copy(begin + qint64(run), readings.end(), begin + qint64(kept));
    kept += n - run;
    std::stable_sort(apart.begin(), apart.end(), earlier);
    // Merged from the back, into the room the rows apart leave: the rows
    // kept that are later than a row apart move up behind it.
    size_t out = n;
    for (size_t a = apart.size(); a > 0; --a) {
        const size_t later =
            size_t(std::upper_bound(begin, begin + qint64(kept), apart[a - 1], earlier) - begin);
        std::move_backward(begin + qint64(later), begin + qint64(kept), begin + qint64(out));
        out -= kept - later;
        kept = later;
        readings[--out] = apart[a - 1];
    }
}

HypoEvents hypoEvents(const std::vector<TimedReading> &readings, int interval, int threshold)
{
    HypoEvents events;
    double totalMinutes = 0;
    bool inRun = false, inEvent = false;
    qint64 runFirst = 0, runLast = 0, eventFirst = 0, eventLast = 0;
    const auto endEvent = [&] {
        const qint64 length = eventLast + interval - eventFirst;
        if (inEvent && length >= eventMinutes) {
            ++events.count;
            totalMinutes += double(length);
        }
        inEvent = false;
    };
    const auto endRun = [&] {
        if (!inRun)
            return;
        inRun = false;
        if (inEvent && runFirst - eventLast <= eventMinutes) {
            eventLast = runLast;
            return;
        }
        endEvent();
        inEvent = true;
        eventFirst = runFirst;
        eventLast = runLast;
    };
    for (const TimedReading &reading : readings) {
        if (inRun && reading.minute - runLast > 2 * qint64(interval))
            endRun();
        if (reading.value >= threshold) {
            endRun();
            continue;
        }
        if (!inRun)
            runFirst = reading.minute;
        inRun = true;
        runLast = reading.minute;
    }
    endRun();
    endEvent();
    if (events.count)
        events.meanMinutes = totalMinutes / events.count;
    return events;
}

std::optional<double> meanAmplitudeOfExcursions(const std::vector<TimedReading> &readings,
                                                int interval)
{
    if (interval <= 0)
        return std::nullopt;
    const size_t longWindow = size_t(windowOf(longWindowMinutes, interval));
    if (readings.size() < longWindow)
        return std::nullopt;
    double weighted = 0, weights = 0;
    const Grid grid = gridOf(readings, interval);
    for (size_t part = 0; part + 1 < grid.starts.size(); ++part) {
        const double *values = grid.values.data() + grid.starts[part];
        const size_t n = grid.starts[part + 1] - grid.starts[part];
        if (n < longWindow)
            continue;
        const double sd = sampleDeviation(values, n);
        if (!(sd > 0))
            continue;
        const std::vector<double> points = turningPoints(values, n, interval);
        const double minutes = double(n - 1) * interval;
        // Only the direction of the first excursion counts (Service's rule):
        // the rises when the first one peaks no later than the peak the
        // first fall starts from. Only that direction is followed through.
        const Excursions rise = excursions(points, sd, true, 1);
        const Excursions fall = excursions(points, sd, false, 1);
        if (rise.heights.empty() && fall.heights.empty())
            continue;
        const bool risesFirst =
            !rise.heights.empty() && (fall.heights.empty() || rise.firstEnd <= fall.firstStart);
        const std::vector<double> heights = excursions(points, sd, risesFirst).heights;
        weighted += mean(heights.data(), heights.size()) * minutes;
        weights += minutes;
    }
    if (weights == 0)
        return std::nullopt;
    return weighted / weights;
}
