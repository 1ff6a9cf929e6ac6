// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/diagramscale.h"

#include "analysis/glucoseunit.h"

#include <algorithm>
#include <cmath>

namespace DiagramScale {

namespace {
int toPixel(double coordinate)
{
    // trunc first, as the scale asks; the clamp keeps the int conversion defined.
    return int(std::clamp(std::trunc(coordinate), double(-farAway), double(farAway)));
}
} // namespace

bool hasValueScale(int maxGluco)
{
    return maxGluco > 0;
}

int valueY(qint64 value, int maxGluco)
{
    return toPixel(180.0 - (160.0 / maxGluco) * double(value));
}

int readingY(qint64 value, int maxGluco)
{
    if (value > maxGluco)
        return top;
    if (value < 0)
        return bottom;
    return valueY(value, maxGluco);
}

bool hasTimeScale(int daysBack)
{
    return daysBack > 0;
}

int timeX(qint64 secondsFromStart, int daysBack)
{
    return left + toPixel(double(secondsFromStart) * 180.0 / (double(daysBack) * 24.0 * 3600.0));
}

int pixelsPerDay(int daysBack)
{
    return int(std::trunc(180.0 / daysBack));
}

std::vector<qint64> gridDays(int daysBack)
{
    std::vector<qint64> days;
    if (daysBack <= 0)
        return days;
    if (pixelsPerDay(daysBack) == 0) {
        days = {0, qint64(daysBack) - 1};
        return days;
    }
    days.reserve(size_t(daysBack));
    for (int i = 0; i < daysBack; ++i)
        days.push_back(i);
    return days;
}

bool labelsEveryDay(int daysBack)
{
    return daysBack <= 7;
}

int labelOffset(int daysBack)
{
    return labelsEveryDay(daysBack) ? 50 / daysBack : 0;
}

Level readingLevel(int value, int lowerLimit, int upperLimit)
{
    if (value >= upperLimit)
        return Level::AtOrAboveUpper;
    if (value > lowerLimit)
        return Level::BetweenLimits;
    return Level::AtOrBelowLower;
}

QString valueLabel(int mgPerDl, GlucoseUnit unit)
{
    if (unit == GlucoseUnit::MmolPerL)
        return QStringLiteral("%1").arg(shownDecimal(mmolText(mgPerDl)), 4);
    return QString::asprintf("%4d", mgPerDl);
}

} // namespace DiagramScale
