// SPDX-License-Identifier: GPL-3.0-or-later
// The five consensus ranges of glucose and the share of readings in each.
// Charts stack them from very high at the top to very low at the bottom, so
// that is their order here.
#ifndef GLUCOSERANGE_H
#define GLUCOSERANGE_H

#include <array>
#include <optional>

struct GlucoseStatistics;

enum class GlucoseRange
{
    VeryHigh,
    High,
    InRange,
    Low,
    VeryLow
};

inline constexpr std::array<GlucoseRange, 5> glucoseRanges{
    GlucoseRange::VeryHigh, GlucoseRange::High, GlucoseRange::InRange, GlucoseRange::Low,
    GlucoseRange::VeryLow};

// Whole mg/dL, both included; the outer ranges are open.
struct RangeBounds
{
    int lowest;
    int highest;
};
RangeBounds rangeBounds(GlucoseRange range);

std::optional<double> rangePercent(const GlucoseStatistics &statistics, GlucoseRange range);

#endif
