// SPDX-License-Identifier: GPL-3.0-or-later
// The ambulatory glucose profile and the range bar, painted the same way in
// the statistics window and in the report. Callers pass the rectangles in
// their painter's units (a widget's pixels, a report's points) and a style
// for the text, the neutral lines and the line width; the chart colours
// come from the palette.
#ifndef CHARTPAINTER_H
#define CHARTPAINTER_H

#include "analysis/glucoserange.h"
#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;
class QWidget;

namespace Charts {

struct ChartStyle
{
    QFont font;
    QColor text;
    QColor grid;          // hour lines, the ends of the value axis
    QColor emptyBar;      // the range bar behind its segments
    double lineWidth = 1; // the median is twice as wide
    double gap = 4;       // between a chart and its labels
    double swatch = 10;   // the colour square before a range's label
};

// A widget's font and the colours of its palette.
ChartStyle widgetStyle(const QWidget &widget);

struct AgpLimits
{
    int lower = 0;
    int upper = 0;
};

// The bands, the median and the lines of the profile in plot: the range of
// the statistics' target set and the user's limits; the value labels go
// left of it, the hours below. The value axis reaches the highest 95th
// percentile, so no band is cut off.
void paintAgp(QPainter &painter, const QRectF &plot, const GlucoseStatistics &statistics,
              GlucoseUnit unit, AgpLimits limits, const ChartStyle &style);

// The share of each range as one stacked bar in bar, with the ranges' names
// and percentages right of it.
void paintRangeBar(QPainter &painter, const QRectF &bar, const GlucoseStatistics &statistics,
                   GlucoseUnit unit, const ChartStyle &style);
// A range's label beside the bar, "In range 70–180  63.2 %", and where the
// labels start.
QString rangeBarLabel(const GlucoseStatistics &statistics, GlucoseRange range, GlucoseUnit unit);
double rangeBarTextLeft(const QRectF &bar, const ChartStyle &style);

// The glycaemia risk grid in plot: the five zones as diagonal bands, the
// period's hypo and hyper components as a point, the axes' ends labelled.
void paintGri(QPainter &painter, const QRectF &plot, const GlucoseStatistics &statistics,
              const ChartStyle &style);

} // namespace Charts

#endif
