// SPDX-License-Identifier: GPL-3.0-or-later
// Value-to-pixel mapping of the ambulatory glucose profile chart and the
// stacked range bar, apart from any painting. Coordinates are floating
// point in the painter's units (a widget's logical pixels, a report's
// points), so the charts are drawn at the device's own resolution.
#ifndef AGPSCALE_H
#define AGPSCALE_H

#include "analysis/glucoserange.h"
#include "analysis/statistics.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <vector>

namespace AgpScale {

// Room left of the plot for the value labels and below it for the hours, in
// a widget of the given size.
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
// A line of one logical pixel placed on a pixel's middle, so it covers
// whole device pixels at any integral pixel ratio.
double crisp(double coordinate);

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

// The range bar, stacked from very high at the top to very low at the
// bottom. Heights follow the shares; the segments tile the bar without
// gaps. Without readings every segment is empty.
std::array<QRectF, glucoseRanges.size()> rangeSegments(const GlucoseStatistics &statistics,
                                                       const QRectF &bar);
// The middle of a range's label beside the bar: the labels share the bar's
// height evenly, so a thin segment never hides its neighbour's.
double rangeLabelY(GlucoseRange range, const QRectF &bar);

// The glycaemia risk grid: the hypoglycaemia component across from 0 to
// griHypoMax, the hyperglycaemia component up from 0 to griHyperMax, as the
// GRI paper draws it. Points beyond stay on the edge.
constexpr double griHypoMax = 30;
constexpr double griHyperMax = 60;
QPointF griPoint(double hypo, double hyper, const QRectF &plot);

} // namespace AgpScale

#endif
