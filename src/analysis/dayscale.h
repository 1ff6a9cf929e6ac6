// SPDX-License-Identifier: GPL-3.0-or-later
// Where the day view draws: the plot of a day with lanes for insulin and
// carbs under it, the strips of a week, and the mapping of a wall clock time
// and a glucose onto them. Floating point in a widget's logical pixels.
#ifndef DAYSCALE_H
#define DAYSCALE_H

#include "analysis/daytimeline.h"

#include <QRectF>

namespace DayScale {

// Around the plot of one day: the value labels left, the lanes and then the
// hours below.
constexpr double marginLeft = 48;
constexpr double marginTop = 10;
constexpr double marginRight = 16;
constexpr double laneHeight = 18;
constexpr double hoursHeight = 18;
// A week's strips: the day's name left, its time in range right, its lanes
// thinner; the hours once under all seven.
constexpr double stripLabelWidth = 88;
constexpr double stripFigureWidth = 64;
constexpr double stripLaneHeight = 8;
constexpr int weekDays = 7;

struct Areas
{
    QRectF plot;
    QRectF insulinLane;
    QRectF carbsLane;
};
// The areas of one day drawn in area.
Areas dayAreas(const QRectF &area);
// The strip of the week's day index (0 Monday) in area, and its areas.
QRectF stripRect(const QRectF &area, int index);
Areas stripAreas(const QRectF &strip);
// The strip index at y, or -1.
int stripAt(const QRectF &area, double y);

double timeX(const DayTimeline &timeline, int minutes, const QRectF &plot);
// 0 to top up the plot; a glucose above the scale is pinned to its top.
double glucoseY(int mgPerDl, int top, const QRectF &plot);

} // namespace DayScale

#endif
