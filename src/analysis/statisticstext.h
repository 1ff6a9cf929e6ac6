// SPDX-License-Identifier: GPL-3.0-or-later
// The glucose figures as people read them, one table shared by the
// statistics window, the report and the command line: a label, the value in
// the chosen unit and, where the consensus on glucose monitoring sets one,
// its target and whether it is met.
#ifndef STATISTICSTEXT_H
#define STATISTICSTEXT_H

#include "analysis/glucoserange.h"
#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct StatisticsLine
{
    QString label;
    QString value;
    QString target;          // empty where the consensus sets none
    std::optional<bool> met; // empty without a target or without a figure
    bool note = false;       // the value is a sentence or a name, not a figure
    // With the period before: the change of the figure as shown, "↑ +2.5"
    // (the value beside it shows the unit), a dash when either period has
    // none; empty for a line without a figure.
    QString change = {};
    // Whether the change is in the reader's favour; empty when it is none,
    // or when neither way is better.
    std::optional<bool> favourable = std::nullopt;
};

// The core figures, the time in the ranges of the statistics' target set
// (named when it is not the standard one) and carbs and insulin per day;
// each with its change when the statistics hold the period before.
std::vector<StatisticsLine> statisticsLines(const GlucoseStatistics &statistics, GlucoseUnit unit,
                                            int lowerLimit, int upperLimit);

// The figures beyond the consensus core: time in tight range, the risk
// indices and the excursions; with their changes as above.
std::vector<StatisticsLine> riskLines(const GlucoseStatistics &statistics, GlucoseUnit unit);

// "3 events below 70 (mean 25 min), 1 below 54"; empty without a sensor.
QString eventsText(const GlucoseStatistics &statistics, GlucoseUnit unit);

// Why the figures may not stand for the period: too few days with readings
// or too little sensor coverage.
QStringList statisticsWarnings(const GlucoseStatistics &statistics);

// "Compared with 2025-02-15 to 2025-02-28"; empty without the period before.
QString comparisonText(const GlucoseStatistics &statistics);

// Said with a first look that shows the days up to the newest reading
// because the last firstLookDays hold none.
QString firstLookNote();

// The target followed by a mark for met or missed: "> 70 %  ✓".
QString targetWithMark(const StatisticsLine &line);

// A range's name with its bounds in the unit: "In range 70–180" or
// "In range 3.9–10.0".
QString rangeLabel(GlucoseRange range, GlucoseUnit unit);

// "63.2 %"; a dash for no figure.
QString formatPercent(std::optional<double> percent);

inline constexpr int minimumDaysWithReadings = 14;
inline constexpr double minimumCoveragePercent = 70;

#endif
