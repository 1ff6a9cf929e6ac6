// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/statistics.h"

#include "analysis/excursions.h"
#include "analysis/glucoserange.h"
#include "analysis/targetset.h"
#include "core/diary.h"
#include "core/entrytext.h"

#include <QJsonArray>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <tuple>

namespace {

constexpr int minutesPerDay = 24 * 60;
constexpr int tightRangeLowest = 70;
constexpr int tightRangeHighest = 140;
constexpr int hypoThreshold = 70;
constexpr int severeHypoThreshold = 54;

// (n - 1) * p / 100 between closest ranks; valueAt(k) is the k-th smallest.
template <typename ValueAt>
std::optional<double> interpolatedPercentile(qint64 n, double p, ValueAt valueAt)
{
    if (n <= 0)
        return std::nullopt;
    const double position = double(n - 1) * std::clamp(p, 0.0, 100.0) / 100.0;
    const qint64 below = qint64(std::floor(position));
    const double fraction = position - double(below);
    const double low = valueAt(below);
    if (fraction == 0.0 || below + 1 >= n)
        return low;
    return low + fraction * (valueAt(below + 1) - low);
}

// The readings of one group as counts per whole mg/dL; the rare values
// beyond the counted range are kept apart. Adding is O(1), so a decade of
// sensor data needs no sort.
class Distribution
{
public:
    static constexpr int counted = 1024;

    void add(int value)
    {
        if (value < counted)
            ++m_counts[size_t(value)];
        else
            m_beyond.push_back(value);
    }
    void add(const Distribution &other)
    {
        for (int v = 0; v < counted; ++v)
            m_counts[size_t(v)] += other.m_counts[size_t(v)];
        m_beyond.insert(m_beyond.end(), other.m_beyond.begin(), other.m_beyond.end());
    }
    // Call once all values are in, before the reads below.
    void finish()
    {
        std::sort(m_beyond.begin(), m_beyond.end());
        m_n = qint64(m_beyond.size());
        for (qint64 count : m_counts)
            m_n += count;
    }

    qint64 size() const { return m_n; }
    // The k-th smallest value, 0-based.
    int valueAt(qint64 k) const
    {
        for (int v = 0; v < counted; ++v) {
            if (k < m_counts[size_t(v)])
                return v;
            k -= m_counts[size_t(v)];
        }
        return m_beyond[size_t(k)];
    }
    std::optional<double> percentile(double p) const
    {
        return interpolatedPercentile(m_n, p, [this](qint64 k) { return double(valueAt(k)); });
    }
    // Readings from low to high, both included.
    qint64 countBetween(int low, int high) const
    {
        qint64 count = 0;
        for (int v = std::max(low, 0); v <= std::min(high, counted - 1); ++v)
            count += m_counts[size_t(v)];
        for (int v : m_beyond)
            count += v >= low && v <= high;
        return count;
    }
    template <typename F> void forEachValue(F f) const
    {
        for (int v = 0; v < counted; ++v) {
            if (m_counts[size_t(v)])
                f(v, m_counts[size_t(v)]);
        }
        for (int v : m_beyond)
            f(v, 1);
    }

private:
    std::array<qint64, counted> m_counts{};
    std::vector<int> m_beyond;
    qint64 m_n = 0;
};

// Counts distinct keys below a bound: a bit set where it is small enough,
// else the keys are gathered and sorted (a period of a million years).
class DistinctCounter
{
public:
    explicit DistinctCounter(qint64 bound)
        : m_bitwise(bound <= (qint64(1) << 28)), m_bits(m_bitwise ? size_t((bound + 63) / 64) : 0)
    {}
    void add(qint64 key)
    {
        if (m_bitwise)
            m_bits[size_t(key >> 6)] |= quint64(1) << (key & 63);
        else
            m_keys.push_back(key);
    }
    qint64 count()
    {
        if (!m_bitwise) {
            sortKeys();
            return qint64(m_keys.size());
        }
        qint64 n = 0;
        for (quint64 word : m_bits)
            n += __builtin_popcountll(word);
        return n;
    }

private:
    void sortKeys()
    {
        std::sort(m_keys.begin(), m_keys.end());
        m_keys.erase(std::unique(m_keys.begin(), m_keys.end()), m_keys.end());
    }

    bool m_bitwise;
    std::vector<quint64> m_bits;
    std::vector<qint64> m_keys;
};

// The days with readings, and the most common gap between the distinct
// minutes of readings (the smaller one of a tie) when it is a sensor's.
// The readings are in time order.
std::pair<int, std::optional<int>> daysAndInterval(const std::vector<TimedReading> &series)
{
    std::array<qint64, maximumSensorInterval + 2> gaps{}; // the last: all longer gaps
    int days = 0;
    qint64 nextDay = LLONG_MIN; // the first minute after the last reading's day
    for (size_t i = 0; i < series.size(); ++i) {
        const qint64 minute = series[i].minute;
        if (minute >= nextDay) {
            ++days;
            nextDay = (minute / minutesPerDay + 1) * minutesPerDay;
        }
        const qint64 gap = i ? minute - series[i - 1].minute : 0;
        if (gap > 0)
            ++gaps[size_t(std::min<qint64>(gap, maximumSensorInterval + 1))];
    }
    const auto most = std::max_element(gaps.begin() + 1, gaps.end());
    const int gap = int(most - gaps.begin());
    if (*most == 0 || gap > maximumSensorInterval)
        return {days, std::nullopt};
    return {days, gap};
}

// Share of the period's slots of interval minutes from each midnight (the
// last slot of a day may be shorter) that hold a reading; the readings are
// in time order.
double slotCoverage(const std::vector<TimedReading> &series, qint64 days, int interval)
{
    const int slotsPerDay = (minutesPerDay + interval - 1) / interval;
    std::array<quint16, minutesPerDay> slotOf;
    for (int m = 0; m < minutesPerDay; ++m)
        slotOf[size_t(m)] = quint16(m / interval);
    qint64 filled = 0, lastSlot = -1, day = 0, nextDay = LLONG_MIN;
    for (const TimedReading &r : series) {
        if (r.minute >= nextDay) {
            day = r.minute / minutesPerDay;
            nextDay = (day + 1) * minutesPerDay;
        }
        const qint64 slot =
            day * slotsPerDay + slotOf[size_t(r.minute - (nextDay - minutesPerDay))];
        filled += slot != lastSlot;
        lastSlot = slot;
    }
    return std::min(100.0, 100.0 * double(filled) / double(days * slotsPerDay));
}

// What one pass over the diary gathers for one period: the readings by hour
// and in time order, the days with entries, carbs and insulin.
struct PeriodTally
{
    PeriodTally(qint64 firstDay, qint64 days, size_t rows)
        : firstDay(firstDay), days(days), hours(std::make_unique<std::array<Distribution, 24>>()),
          entryDays(days)
    {
        series.reserve(size_t(std::min<qint64>(qint64(rows), days * minutesPerDay)));
    }

    qint64 firstDay, days;
    std::unique_ptr<std::array<Distribution, 24>> hours;
    DistinctCounter entryDays;
    std::vector<TimedReading> series;
    // Doses in hundredths of a unit, so that fractions sum exactly.
    qint64 carbs = 0, bolus = 0, basal = 0;
};

GlucoseStatistics finish(PeriodTally &t, const StatisticsRequest &request, const QDate &from,
                         const QDate &to)
{
    GlucoseStatistics s;
    s.from = from;
    s.to = to;
    s.days = int(std::min<qint64>(t.days, INT_MAX));
    s.targetSet = request.targets;
    s.daysWithEntries = int(t.entryDays.count());
    if (s.daysWithEntries > 0) {
        const double days = s.daysWithEntries;
        s.carbsPerDay = double(t.carbs) / days;
        s.bolusPerDay = double(t.bolus) / 100.0 / days;
        s.basalPerDay = double(t.basal) / 100.0 / days;
        s.insulinPerDay = double(t.bolus + t.basal) / 100.0 / days;
    }
    if (t.bolus + t.basal > 0)
        s.basalPercent = 100.0 * double(t.basal) / double(t.bolus + t.basal);

    std::vector<TimedReading> &series = t.series;
    putInTimeOrder(series);
    std::tie(s.daysWithReadings, s.intervalMinutes) = daysAndInterval(series);
    if (s.intervalMinutes) {
        s.coveragePercent = slotCoverage(series, t.days, *s.intervalMinutes);
        const HypoEvents below70 = hypoEvents(series, *s.intervalMinutes, hypoThreshold);
        s.eventsBelow70 = below70.count;
        s.eventMinutesBelow70 = below70.meanMinutes;
        s.eventsBelow54 = hypoEvents(series, *s.intervalMinutes, severeHypoThreshold).count;
        s.mage = meanAmplitudeOfExcursions(series, *s.intervalMinutes);
    }

    Distribution all;
    for (int hour = 0; hour < 24; ++hour) {
        Distribution &d = (*t.hours)[size_t(hour)];
        d.finish();
        AgpBin &bin = s.agp[size_t(hour)];
        bin.hour = hour;
        bin.n = int(d.size());
        bin.p5 = d.percentile(5);
        bin.p25 = d.percentile(25);
        bin.p50 = d.percentile(50);
        bin.p75 = d.percentile(75);
        bin.p95 = d.percentile(95);
        all.add(d);
    }
    all.finish();
    const qint64 n = all.size();
    s.readings = int(n);
    if (n == 0)
        return s;

    double sum = 0;
    all.forEachValue([&](int v, qint64 count) { sum += double(v) * double(count); });
    const double mean = sum / double(n);
    s.mean = mean;
    if (n >= 2) {
        double squares = 0;
        all.forEachValue([&](int v, qint64 count) {
            squares += (double(v) - mean) * (double(v) - mean) * double(count);
        });
        s.sd = std::sqrt(squares / double(n - 1));
        s.cvPercent = 100.0 * *s.sd / mean;
    }
    s.min = all.percentile(0);
    s.median = all.percentile(50);
    s.max = all.percentile(100);
    s.gmiPercent = 3.31 + 0.02392 * mean;
    s.ea1cPercent = (mean + 46.7) / 28.7;

    const auto share = [n](qint64 count) { return 100.0 * double(count) / double(n); };
    const auto rangeShare = [&](GlucoseRange range) {
        const RangeBounds bounds = rangeBounds(range);
        return share(all.countBetween(bounds.lowest, bounds.highest));
    };
    s.veryLowPercent = rangeShare(GlucoseRange::VeryLow);
    s.lowPercent = rangeShare(GlucoseRange::Low);
    s.inRangePercent = rangeShare(GlucoseRange::InRange);
    s.highPercent = rangeShare(GlucoseRange::High);
    s.veryHighPercent = rangeShare(GlucoseRange::VeryHigh);
    const TargetGoals &goals = targetGoals(request.targets);
    s.targetBelowPercent = share(all.countBetween(INT_MIN, goals.low - 1));
    s.targetInRangePercent = share(all.countBetween(goals.low, goals.high));
    s.targetAbovePercent = share(all.countBetween(goals.high + 1, INT_MAX));
    s.titrPercent = share(all.countBetween(tightRangeLowest, tightRangeHighest));
    s.griHypo = *s.veryLowPercent + 0.8 * *s.lowPercent;
    s.griHyper = *s.veryHighPercent + 0.5 * *s.highPercent;
    s.gri = std::min(100.0, 3.0 * *s.griHypo + 1.6 * *s.griHyper);
    // Zones of 20 points: up to 20 is "A", above 80 is "E".
    int zone = 0;
    while (zone < 4 && *s.gri > 20.0 * (zone + 1))
        ++zone;
    s.griZone = QString(QChar(u'A' + zone));
    double lowRisk = 0, highRisk = 0;
    all.forEachValue([&](int v, qint64 count) {
        // mg/dL on Kovatchev's symmetric scale: below 112.5 counts as low.
        const double f = 1.509 * (std::pow(std::log(double(v)), 1.084) - 5.381);
        (f < 0 ? lowRisk : highRisk) += 10 * f * f * double(count);
    });
    s.lbgi = lowRisk / double(n);
    s.hbgi = highRisk / double(n);
    // As the diagram colours them; with crossed limits the upper one wins.
    const qint64 above = all.countBetween(request.upperLimit, INT_MAX);
    const qint64 below =
        all.countBetween(INT_MIN, std::min(request.lowerLimit, request.upperLimit - 1));
    s.belowTargetPercent = share(below);
    s.aboveTargetPercent = share(above);
    s.inTargetPercent = share(n - below - above);
    return s;
}

template <typename T> QJsonValue json(const std::optional<T> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

std::optional<double> percentile(const std::vector<int> &sortedValues, double p)
{
    return interpolatedPercentile(qint64(sortedValues.size()), p,
                                  [&](qint64 k) { return double(sortedValues[size_t(k)]); });
}

std::optional<std::pair<QDate, QDate>> entryDateRange(const Diary &diary)
{
    qint64 first = LLONG_MAX;
    qint64 last = LLONG_MIN;
    diary.forEachEntry([&](int, qint64 julianDay, int, int, int) {
        if (julianDay == INT64_MIN)
            return;
        first = std::min(first, julianDay);
        last = std::max(last, julianDay);
    });
    if (first > last)
        return std::nullopt;
    return std::make_pair(QDate::fromJulianDay(first), QDate::fromJulianDay(last));
}

QDate firstLookEnd(const Diary &diary, const QDate &today, int days)
{
    const qint64 last = today.toJulianDay();
    const qint64 first = last - (days - 1);
    qint64 newest = LLONG_MIN;
    bool inPeriod = false;
    diary.forEachEntry([&](int, qint64 julianDay, int minutes, int type, int value) {
        // Readings as the statistics count them.
        if (type != glucoseType || minutes < 0 || value <= 0 || julianDay == INT64_MIN)
            return;
        newest = std::max(newest, julianDay);
        inPeriod = inPeriod || (julianDay >= first && julianDay <= last);
    });
    if (inPeriod || newest == LLONG_MIN)
        return today;
    return QDate::fromJulianDay(newest);
}

bool basalNotRecorded(const GlucoseStatistics &s)
{
    return s.bolusPerDay > 0 && s.basalPerDay == 0;
}

std::pair<QDate, QDate> periodBefore(const QDate &from, const QDate &to)
{
    const qint64 days = from.daysTo(to) + 1;
    return {from.addDays(-days), from.addDays(-1)};
}

GlucoseStatistics computeStatistics(const Diary &diary, const StatisticsRequest &request)
{
    const QDate &from = request.from, &to = request.to;
    if (!from.isValid() || !to.isValid() || to < from) {
        GlucoseStatistics s;
        s.from = from;
        s.to = to;
        s.targetSet = request.targets;
        for (int hour = 0; hour < 24; ++hour)
            s.agp[size_t(hour)].hour = hour;
        return s;
    }
    const qint64 firstDay = from.toJulianDay();
    const qint64 lastDay = to.toJulianDay();
    const qint64 days = lastDay - firstDay + 1;
    const size_t rows = size_t(diary.rowCount());
    PeriodTally current(firstDay, days, rows);
    std::optional<PeriodTally> before;
    if (request.compare)
        before.emplace(firstDay - days, days, rows);
    const qint64 scanFrom = before ? firstDay - days : firstDay;

    // By type position + 1, so that another type (-1) is None.
    std::array<InsulinKind, itemCount + 1> kinds{};
    for (int type = 0; type < itemCount; ++type)
        kinds[size_t(type + 1)] = insulinKind(type);
    diary.forEachEntry([&](int row, qint64 julianDay, int minutes, int type, int value) {
        // An unreadable date is INT64_MIN and falls outside every period.
        if (julianDay < scanFrom || julianDay > lastDay)
            return;
        PeriodTally &t = julianDay >= firstDay ? current : *before;
        const qint64 day = julianDay - t.firstDay;
        t.entryDays.add(day);
        if (type == glucoseType) {
            // A glucose without a time, or whose value is no positive
            // number, is not a reading.
            if (minutes < 0 || value <= 0)
                return;
            (*t.hours)[size_t(minutes / 60)].add(value);
            // Written in place: a reading built apart and copied in is read
            // back whole before its two halves are stored, which stalls.
            TimedReading &reading = t.series.emplace_back();
            reading.minute = day * minutesPerDay + minutes;
            reading.value = value;
        } else if (type == carbsType) {
            t.carbs += value;
        } else if (kinds[size_t(type + 1)] == InsulinKind::Rapid) {
            t.bolus += diary.hundredths(row);
        } else if (kinds[size_t(type + 1)] == InsulinKind::Long) {
            t.basal += diary.hundredths(row);
        }
    });

    GlucoseStatistics s = finish(current, request, from, to);
    if (before) {
        const auto [previousFrom, previousTo] = periodBefore(from, to);
        s.previous = std::make_shared<const GlucoseStatistics>(
            finish(*before, request, previousFrom, previousTo));
    }
    return s;
}

QJsonObject toJson(const GlucoseStatistics &s)
{
    QJsonArray agp;
    for (const AgpBin &bin : s.agp) {
        agp.append(QJsonObject{{"hour", bin.hour},
                               {"n", bin.n},
                               {"p5", json(bin.p5)},
                               {"p25", json(bin.p25)},
                               {"p50", json(bin.p50)},
                               {"p75", json(bin.p75)},
                               {"p95", json(bin.p95)}});
    }
    const TargetGoals &goals = targetGoals(s.targetSet);
    // Averages over no day are no figures.
    const auto daily = [&s](double value) {
        return s.daysWithEntries ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
    };
    QJsonObject object{
        {"from", s.from.toString(Qt::ISODate)},
        {"to", s.to.toString(Qt::ISODate)},
        {"readings", s.readings},
        {"days", s.days},
        {"days_with_readings", s.daysWithReadings},
        {"interval_minutes", json(s.intervalMinutes)},
        {"coverage_percent", json(s.coveragePercent)},
        {"mean", json(s.mean)},
        {"sd", json(s.sd)},
        {"cv_percent", json(s.cvPercent)},
        {"min", json(s.min)},
        {"median", json(s.median)},
        {"max", json(s.max)},
        {"gmi_percent", json(s.gmiPercent)},
        {"ea1c_percent", json(s.ea1cPercent)},
        {"very_low_percent", json(s.veryLowPercent)},
        {"low_percent", json(s.lowPercent)},
        {"in_range_percent", json(s.inRangePercent)},
        {"high_percent", json(s.highPercent)},
        {"very_high_percent", json(s.veryHighPercent)},
        {"below_target_percent", json(s.belowTargetPercent)},
        {"in_target_percent", json(s.inTargetPercent)},
        {"above_target_percent", json(s.aboveTargetPercent)},
        {"titr_percent", json(s.titrPercent)},
        {"gri", json(s.gri)},
        {"gri_zone", s.gri ? QJsonValue(s.griZone) : QJsonValue(QJsonValue::Null)},
        {"gri_hypo", json(s.griHypo)},
        {"gri_hyper", json(s.griHyper)},
        {"lbgi", json(s.lbgi)},
        {"hbgi", json(s.hbgi)},
        {"events_below_70", json(s.eventsBelow70)},
        {"events_below_54", json(s.eventsBelow54)},
        {"event_minutes_below_70", json(s.eventMinutesBelow70)},
        {"mage", json(s.mage)},
        {"target_set", QString::fromLatin1(targetSetKey(s.targetSet))},
        {"target_range", QJsonArray{goals.low, goals.high}},
        {"target_below_percent", json(s.targetBelowPercent)},
        {"target_in_range_percent", json(s.targetInRangePercent)},
        {"target_above_percent", json(s.targetAbovePercent)},
        {"days_with_entries", s.daysWithEntries},
        {"carbs_per_day", daily(s.carbsPerDay)},
        {"bolus_per_day", daily(s.bolusPerDay)},
        {"basal_per_day", daily(s.basalPerDay)},
        {"insulin_per_day", daily(s.insulinPerDay)},
        {"basal_percent", json(s.basalPercent)},
        {"agp", agp},
    };
    if (s.previous)
        object.insert(QStringLiteral("previous"), toJson(*s.previous));
    return object;
}
