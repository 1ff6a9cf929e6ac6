// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/agpscale.h"

#include <algorithm>
#include <cmath>

namespace AgpScale {

QRectF plotArea(const QSizeF &size)
{
    return QRectF(marginLeft, marginTop, std::max(0.0, size.width() - marginLeft - marginRight),
                  std::max(0.0, size.height() - marginTop - marginBottom));
}

double topValue(const GlucoseStatistics &statistics)
{
    double highest = 0;
    for (const AgpBin &bin : statistics.agp)
        highest = std::max(highest, bin.p95.value_or(0));
    return std::max(350.0, std::ceil(highest / 50.0) * 50.0);
}

double hourX(double hour, const QRectF &plot)
{
    return plot.left() + plot.width() * std::clamp(hour, 0.0, 24.0) / 24.0;
}

double valueY(double mgPerDl, double top, const QRectF &plot)
{
    if (top <= 0)
        return plot.bottom();
    return plot.bottom() - plot.height() * std::clamp(mgPerDl, 0.0, top) / top;
}

double crisp(double coordinate)
{
    return std::floor(coordinate) + 0.5;
}

std::vector<Run> percentileRuns(const std::array<AgpBin, 24> &agp,
                                std::optional<double> AgpBin::*percentile)
{
    std::vector<Run> runs;
    bool open = false;
    for (const AgpBin &bin : agp) {
        const std::optional<double> &value = bin.*percentile;
        if (!value) {
            open = false;
            continue;
        }
        if (!open)
            runs.emplace_back();
        open = true;
        runs.back().emplace_back(bin.hour + 0.5, *value);
    }
    const std::optional<double> &first = agp.front().*percentile;
    const std::optional<double> &last = agp.back().*percentile;
    if (first && last) {
        const double midnight = (*first + *last) / 2;
        runs.front().insert(runs.front().begin(), QPointF(0, midnight));
        runs.back().emplace_back(24, midnight);
    }
    return runs;
}

std::vector<std::vector<QPointF>> bandPolygons(const std::array<AgpBin, 24> &agp,
                                               std::optional<double> AgpBin::*lower,
                                               std::optional<double> AgpBin::*upper)
{
    const std::vector<Run> lows = percentileRuns(agp, lower);
    std::vector<Run> polygons = percentileRuns(agp, upper);
    // Every percentile exists exactly where an hour has readings, so both
    // split alike.
    for (size_t i = 0; i < polygons.size() && i < lows.size(); ++i)
        polygons[i].insert(polygons[i].end(), lows[i].rbegin(), lows[i].rend());
    return polygons;
}

std::array<QRectF, glucoseRanges.size()> rangeSegments(const GlucoseStatistics &statistics,
                                                       const QRectF &bar)
{
    std::array<QRectF, glucoseRanges.size()> segments;
    double total = 0;
    for (GlucoseRange range : glucoseRanges)
        total += rangePercent(statistics, range).value_or(0);
    double share = 0;
    double top = bar.top();
    for (GlucoseRange range : glucoseRanges) {
        share += rangePercent(statistics, range).value_or(0);
        // Boundaries from the running sum: rounding never opens a gap.
        const double bottom =
            total > 0 ? bar.top() + bar.height() * std::min(1.0, share / total) : bar.top();
        segments[size_t(range)] = QRectF(bar.left(), top, bar.width(), bottom - top);
        top = bottom;
    }
    return segments;
}

double rangeLabelY(GlucoseRange range, const QRectF &bar)
{
    return bar.top() + bar.height() / double(glucoseRanges.size()) * (double(range) + 0.5);
}

QPointF griPoint(double hypo, double hyper, const QRectF &plot)
{
    return QPointF(plot.left() + plot.width() * std::clamp(hypo, 0.0, griHypoMax) / griHypoMax,
                   plot.bottom() -
                       plot.height() * std::clamp(hyper, 0.0, griHyperMax) / griHyperMax);
}

} // namespace AgpScale
