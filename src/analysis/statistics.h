// SPDX-License-Identifier: GPL-3.0-or-later
// The glucose figures of a period of whole days: mean, variability, the
// glucose management indicator, time in ranges and the ambulatory glucose
// profile (readings folded onto one day as percentiles by hour). Values are
// mg/dL; a figure without readings to stand on is empty.
#ifndef STATISTICS_H
#define STATISTICS_H

#include "core/preferences.h"

#include <QDate>
#include <QJsonObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class Diary;

struct AgpBin
{
    int hour = 0;
    int n = 0;
    std::optional<double> p5, p25, p50, p75, p95;
};

struct GlucoseStatistics
{
    QDate from, to;
    int readings = 0;
    int days = 0;
    int daysWithReadings = 0;
    std::optional<double> mean, sd, cvPercent, min, median, max;
    std::optional<double> gmiPercent, ea1cPercent;
    std::optional<double> veryLowPercent, lowPercent, inRangePercent, highPercent, veryHighPercent;
    std::optional<double> belowTargetPercent, inTargetPercent, aboveTargetPercent;
    // Time in tight range, 70 to 140.
    std::optional<double> titrPercent;
    // Glycaemia risk index (Klonoff 2022): its hypo and hyper components and
    // the index, capped at 100, with its zone "A" to "E".
    std::optional<double> griHypo, griHyper, gri;
    QString griZone;
    // Low and high blood glucose indices (Kovatchev).
    std::optional<double> lbgi, hbgi;
    // The set of targets and the shares below, in and above its range.
    TargetSet targetSet = TargetSet::Standard;
    std::optional<double> targetBelowPercent, targetInRangePercent, targetAbovePercent;
    // Days of the period with an entry of any type: carbs and insulin per
    // day are their averages over those days.
    int daysWithEntries = 0;
    double carbsPerDay = 0;
    double bolusPerDay = 0;
    double basalPerDay = 0;
    double insulinPerDay = 0; // every insulin
    // Long and intermediate insulins' share of all insulin; empty without any.
    std::optional<double> basalPercent;
    // The most common gap between consecutive readings in whole minutes, when
    // it is at most maximumSensorInterval: the readings come from a sensor.
    // Empty for a meter's few readings a day.
    std::optional<int> intervalMinutes;
    // Share of the period's slots of the interval's width, counted from
    // midnight, that hold a reading; at most 100, empty without an interval.
    std::optional<double> coveragePercent;
    // Hypoglycaemia events below 70 and 54 and the mean length in minutes of
    // those below 70; empty without an interval.
    std::optional<int> eventsBelow70, eventsBelow54;
    std::optional<double> eventMinutesBelow70;
    // Mean amplitude of glycaemic excursions; empty without an interval.
    std::optional<double> mage;
    std::array<AgpBin, 24> agp{};
    // The period of the same length that ends the day before, when asked for.
    std::shared_ptr<const GlucoseStatistics> previous;
};

// Rapid insulin but no long one: the basal may come from a pump, whose
// basal rates the diary does not hold, so 0 U is no fact to show.
bool basalNotRecorded(const GlucoseStatistics &statistics);

inline constexpr int maximumSensorInterval = 15;

// What to compute: the period from `from` to `to`, both included; the
// user's own limits, as the diagram uses them; the targets the figures are
// read against; and whether the period before goes along.
struct StatisticsRequest
{
    QDate from, to;
    int lowerLimit = 0;
    int upperLimit = 0;
    TargetSet targets = TargetSet::Standard;
    bool compare = false;
};

// Over the "Glucose" entries with a readable date and time in the period;
// carbs and insulin over the entries of every type. With compare, previous
// holds the same figures of the period before, from the same pass over the
// diary.
GlucoseStatistics computeStatistics(const Diary &diary, const StatisticsRequest &request);
inline GlucoseStatistics computeStatistics(const Diary &diary, const QDate &from, const QDate &to,
                                           int lowerLimit, int upperLimit)
{
    return computeStatistics(diary, {from, to, lowerLimit, upperLimit});
}

// The period of the same length as from..to that ends the day before from.
std::pair<QDate, QDate> periodBefore(const QDate &from, const QDate &to);

// The first and the last day of the entries with a readable date, of any
// type; empty for a diary without one. The period "all entries".
std::optional<std::pair<QDate, QDate>> entryDateRange(const Diary &diary);

// A first look at the statistics, in the window and by `mellidor stats`
// without a period, covers this many days.
inline constexpr int firstLookDays = 14;

// The last day of a first look at the last `days` days: today, or the day of
// the newest reading when those days hold none (a past only imported).
QDate firstLookEnd(const Diary &diary, const QDate &today, int days = firstLookDays);

// Linear interpolation between closest ranks: p at (n - 1) * p / 100 of the
// sorted values. Empty for no values.
std::optional<double> percentile(const std::vector<int> &sortedValues, double p);

// The keys the command line and tests rely on; empty figures are null. The
// period before, when there is one, is the object "previous" with the same
// keys.
QJsonObject toJson(const GlucoseStatistics &statistics);

#endif
