// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/dayscale.h"

#include <algorithm>
#include <cmath>

namespace DayScale {

namespace {
QRectF nonNegative(double left, double top, double width, double height)
{
    return QRectF(left, top, std::max(0.0, width), std::max(0.0, height));
}
} // namespace

Areas dayAreas(const QRectF &area)
{
    const double left = area.left() + marginLeft;
    const double width = area.width() - marginLeft - marginRight;
    const QRectF plot = nonNegative(left, area.top() + marginTop, width,
                                    area.height() - marginTop - 2 * laneHeight - hoursHeight);
    return {plot, nonNegative(left, plot.bottom(), width, laneHeight),
            nonNegative(left, plot.bottom() + laneHeight, width, laneHeight)};
}

QRectF stripRect(const QRectF &area, int index)
{
    const double height = std::max(0.0, area.height() - hoursHeight) / weekDays;
    return QRectF(area.left(), area.top() + index * height, area.width(), height);
}

Areas stripAreas(const QRectF &strip)
{
    const double left = strip.left() + stripLabelWidth;
    const double width = strip.width() - stripLabelWidth - stripFigureWidth;
    const QRectF plot =
        nonNegative(left, strip.top() + 2, width, strip.height() - 4 - 2 * stripLaneHeight);
    return {plot, nonNegative(left, plot.bottom(), width, stripLaneHeight),
            nonNegative(left, plot.bottom() + stripLaneHeight, width, stripLaneHeight)};
}

int stripAt(const QRectF &area, double y)
{
    const QRectF first = stripRect(area, 0);
    if (first.height() <= 0 || y < first.top())
        return -1;
    const int index = int(std::floor((y - first.top()) / first.height()));
    return index < weekDays ? index : -1;
}

double timeX(const DayTimeline &timeline, int minutes, const QRectF &plot)
{
    return plot.left() + plot.width() * timeline.position(minutes);
}

double glucoseY(int mgPerDl, int top, const QRectF &plot)
{
    if (top <= 0)
        return plot.bottom();
    return plot.bottom() - plot.height() * std::clamp(double(mgPerDl), 0.0, double(top)) / top;
}

} // namespace DayScale
