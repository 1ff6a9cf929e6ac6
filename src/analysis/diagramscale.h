// SPDX-License-Identifier: GPL-3.0-or-later
// Value-to-pixel mapping of the glucose diagram, apart from any painting.
// Plot area: x 20 to 200, y 20 to 180 of a 220 x 200 window.
#ifndef DIAGRAMSCALE_H
#define DIAGRAMSCALE_H

#include "core/glucoseconversion.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace DiagramScale {

constexpr int left = 20;
constexpr int right = 200;
constexpr int top = 20;
constexpr int bottom = 180;

// Far-off points are kept within this distance of the window, so a reading
// years away or a huge value cannot overflow an int.
constexpr int farAway = 100000;

// A value scale exists only for a positive top value.
bool hasValueScale(int maxGluco);
int valueY(qint64 value, int maxGluco);
// Where a reading's mark goes: as valueY within the scale, but a reading above
// the scale is pinned to the top of the value axis and one below 0 to the time
// axis, so the most dangerous values never vanish off the window.
int readingY(qint64 value, int maxGluco);
// Days shown: the time axis exists only for at least one day.
bool hasTimeScale(int daysBack);
int timeX(qint64 secondsFromStart, int daysBack);
int pixelsPerDay(int daysBack);
// The days whose grid line is drawn and, of those, the ones that get a label.
// Beyond 180 days every grid line falls on x 20, so one line stands for all.
std::vector<qint64> gridDays(int daysBack);
bool labelsEveryDay(int daysBack);
int labelOffset(int daysBack);

// A value axis label, four characters wide: " 140" or " 7.8" in mmol/L.
QString valueLabel(int mgPerDl, GlucoseUnit unit);

// Where a reading stands against the limits, as its mark is coloured; with
// crossed limits the upper one wins.
enum class Level
{
    AtOrBelowLower,
    BetweenLimits,
    AtOrAboveUpper
};
Level readingLevel(int value, int lowerLimit, int upperLimit);

} // namespace DiagramScale

#endif
