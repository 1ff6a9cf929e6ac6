// SPDX-License-Identifier: GPL-3.0-or-later
// The glucose figures of a period of whole days: mean, variability, the
// glucose management indicator, time in ranges and the ambulatory glucose
// profile (readings folded onto one day as percentiles by hour). Values are
// mg/dL; a figure without readings to stand on is empty.
#ifndef STATISTICS_H
#define STATISTICS_H

#include <QDate>
#include <QJsonObject>
#include <QString>

#include <array>
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
    double carbsPerDay = 0;
    double bolusPerDay = 0;
    double basalPerDay = 0;
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
};

inline constexpr int maximumSensorInterval = 15;

// Over the "Glucose" entries with a readable date and time from `from` to
// `to`, both included. The limits are the user's own, as the diagram uses them.
GlucoseStatistics computeStatistics(const Diary &diary, const QDate &from, const QDate &to,
                                    int lowerLimit, int upperLimit);

// The first and the last day of the entries with a readable date, of any
// type; empty for a diary without one. The period "all entries".
std::optional<std::pair<QDate, QDate>> entryDateRange(const Diary &diary);

// The last day of a first look at the last `days` days: today, or the day of
// the newest reading when those days hold none (a past only imported).
QDate firstLookEnd(const Diary &diary, const QDate &today, int days);

// Linear interpolation between closest ranks: p at (n - 1) * p / 100 of the
// sorted values. Empty for no values.
std::optional<double> percentile(const std::vector<int> &sortedValues, double p);

// The keys the command line and tests rely on; empty figures are null.
QJsonObject toJson(const GlucoseStatistics &statistics);

#endif
