// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/excursions.h"

#include <algorithm>
#include <cmath>

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

// The grid values between long gaps, one vector for each part. Readings of
// one minute count as their mean.
std::vector<std::vector<double>> gridParts(const std::vector<TimedReading> &readings, int interval)
{
    std::vector<std::vector<double>> parts;
    qint64 lastMinute = 0, gridMinute = 0;
    double lastValue = 0;
    for (size_t r = 0; r < readings.size();) {
        const qint64 minute = readings[r].minute;
        double sum = 0;
        int n = 0;
        for (; r < readings.size() && readings[r].minute == minute; ++r, ++n)
            sum += readings[r].value;
        const double value = sum / n;
        if (parts.empty() || minute - lastMinute > maxInterpolatedGap) {
            parts.push_back({value});
            gridMinute = minute;
        } else {
            while (gridMinute + interval <= minute) {
                gridMinute += interval;
                const double share = double(gridMinute - lastMinute) / double(minute - lastMinute);
                parts.back().push_back(lastValue + (value - lastValue) * share);
            }
        }
        lastMinute = minute;
        lastValue = value;
    }
    return parts;
}

// The trailing mean over window values; the first window - 1 take the
// first whole window's mean.
std::vector<double> movingAverage(const std::vector<double> &values, int window)
{
    std::vector<double> averages(values.size());
    double sum = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        sum += values[i];
        if (i >= size_t(window))
            sum -= values[i - size_t(window)];
        if (i + 1 >= size_t(window))
            averages[i] = sum / window;
    }
    for (size_t i = 0; i + 1 < size_t(window); ++i)
        averages[i] = averages[size_t(window) - 1];
    return averages;
}

// The peaks and nadirs: between two crossings of the moving averages the
// highest value after an upward crossing, the lowest after a downward one.
std::vector<double> turningPoints(const std::vector<double> &values, int interval)
{
    const std::vector<double> shortAverage =
        movingAverage(values, windowOf(shortWindowMinutes, interval));
    const std::vector<double> longAverage =
        movingAverage(values, windowOf(longWindowMinutes, interval));
    std::vector<double> delta(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        delta[i] = shortAverage[i] - longAverage[i];
    struct Crossing
    {
        size_t index;
        bool falling; // a nadir follows
    };
    std::vector<Crossing> crossings{{0, !(delta[0] > 0)}};
    for (size_t i = 1; i < delta.size(); ++i) {
        // A delta of 0 is no side: compare with the last crossing's instead.
        const double before = delta[i - 1] != 0 ? delta[i - 1] : delta[crossings.back().index];
        if (delta[i] * before < 0)
            crossings.push_back({i, delta[i] < before});
    }
    crossings.push_back({delta.size() - 1, !(delta.back() > 0)});

    std::vector<double> points;
    size_t from = crossings[0].index;
    for (size_t c = 0; c + 1 < crossings.size(); ++c) {
        size_t best = from;
        for (size_t i = from; i <= crossings[c + 1].index; ++i) {
            if (crossings[c].falling ? values[i] < values[best] : values[i] > values[best])
                best = i;
        }
        points.push_back(values[best]);
        from = best;
    }
    return points;
}

// The excursions of at least sd in one direction (up: nadir to peak), each
// from the extreme turning point before it to the extreme one after it.
std::vector<double> excursions(const std::vector<double> &points, double sd, bool up)
{
    // Heights in the direction of the excursion.
    const auto rise = [&points, up](size_t from, size_t to) {
        return up ? points[to] - points[from] : points[from] - points[to];
    };
    std::vector<double> heights;
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
        heights.push_back(rise(base, j));
        if (k >= n - 1)
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
    return heights;
}

double mean(const std::vector<double> &values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / double(values.size());
}

double sampleDeviation(const std::vector<double> &values)
{
    const double average = mean(values);
    double squares = 0;
    for (double v : values)
        squares += (v - average) * (v - average);
    return std::sqrt(squares / double(values.size() - 1));
}

} // namespace

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
    for (const std::vector<double> &part : gridParts(readings, interval)) {
        if (part.size() < longWindow)
            continue;
        const double sd = sampleDeviation(part);
        if (!(sd > 0))
            continue;
        const std::vector<double> points = turningPoints(part, interval);
        const double minutes = double(part.size() - 1) * interval;
        for (bool up : {true, false}) {
            const std::vector<double> heights = excursions(points, sd, up);
            if (heights.empty())
                continue;
            weighted += mean(heights) * minutes;
            weights += minutes;
        }
    }
    if (weights == 0)
        return std::nullopt;
    return weighted / weights;
}
