// SPDX-License-Identifier: GPL-3.0-or-later
// Value-to-pixel mapping of the ambulatory glucose profile chart and the
// stacked range bar, apart from any painting. Coordinates are logical
// pixels as floating point, so the chart is drawn at the device's own
// resolution.
#ifndef AGPSCALE_H
#define AGPSCALE_H

#include "analysis/statistics.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <vector>

namespace AgpScale {

// Room left of the plot for the value labels and below it for the hours.
constexpr double marginLeft = 44;
constexpr double marginTop = 10;
constexpr double marginRight = 24;
constexpr double marginBottom = 24;

QRectF plotArea(const QSizeF &size);
// The top of the value axis: 350 mg/dL, raised in steps of 50 to the
// highest 95th percentile.
double topValue(const GlucoseStatistics &statistics);
// Hour 0 to 24 across the plot.
double hourX(double hour, const QRectF &plot);
// 0 to top up the plot; values beyond either end stay on its edge.
double valueY(double mgPerDl, double top, const QRectF &plot);
// A horizontal line of one logical pixel placed on a pixel's middle, so it
// covers whole device pixels at any integral pixel ratio.
double crispY(double y);

// One percentile across the day as (hour, mg/dL) points in each hour's
// middle, split where an hour has no readings. When both the first and the
// last hour have readings the line reaches the chart's edges at their mean,
// as the day goes on past midnight.
using Run = std::vector<QPointF>;
std::vector<Run> percentileRuns(const std::array<AgpBin, 24> &agp,
                                std::optional<double> AgpBin::*percentile);
// A band between two percentiles as closed polygons: the upper run forth,
// the lower one back.
std::vector<std::vector<QPointF>> bandPolygons(const std::array<AgpBin, 24> &agp,
                                               std::optional<double> AgpBin::*lower,
                                               std::optional<double> AgpBin::*upper);

// The chart's colours: the two bands, the median and the consensus lines
// (70 and 180 mg/dL); the user's own limits are drawn lighter.
QColor outerBandColor();
QColor innerBandColor();
QColor medianColor();
QColor targetLineColor();
QColor lowerLimitColor();
QColor upperLimitColor();

// The range bar, stacked from very high at the top to very low at the bottom.
enum Range
{
    VeryHigh,
    High,
    InRange,
    Low,
    VeryLow
};
constexpr int rangeCount = 5;
QColor rangeColor(int range);
std::optional<double> rangePercent(const GlucoseStatistics &statistics, int range);
// Heights follow the shares; the segments tile the bar without gaps. Without
// readings every segment is empty.
std::array<QRectF, rangeCount> rangeSegments(const GlucoseStatistics &statistics,
                                             const QRectF &bar);

} // namespace AgpScale

#endif
