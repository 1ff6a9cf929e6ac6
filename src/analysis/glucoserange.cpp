// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/glucoserange.h"

#include "analysis/statistics.h"

#include <climits>

RangeBounds rangeBounds(GlucoseRange range)
{
    switch (range) {
    case GlucoseRange::VeryHigh:
        return {251, INT_MAX};
    case GlucoseRange::High:
        return {181, 250};
    case GlucoseRange::InRange:
        return {70, 180};
    case GlucoseRange::Low:
        return {54, 69};
    case GlucoseRange::VeryLow:
        break;
    }
    return {INT_MIN, 53};
}

std::optional<double> rangePercent(const GlucoseStatistics &s, GlucoseRange range)
{
    switch (range) {
    case GlucoseRange::VeryHigh:
        return s.veryHighPercent;
    case GlucoseRange::High:
        return s.highPercent;
    case GlucoseRange::InRange:
        return s.inRangePercent;
    case GlucoseRange::Low:
        return s.lowPercent;
    case GlucoseRange::VeryLow:
        break;
    }
    return s.veryLowPercent;
}
