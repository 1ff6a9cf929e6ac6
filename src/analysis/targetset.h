// SPDX-License-Identifier: GPL-3.0-or-later
// The consensus targets for the time in ranges (Battelino et al., Diabetes
// Care 2019) for each group of people: the range that counts as in target
// and the goals for the shares of readings. The consensus ranges of
// glucoserange.h stay what they are; a set only says which range and goals
// a period's figures are read against.
#ifndef TARGETSET_H
#define TARGETSET_H

#include "core/preferences.h"

#include <QString>

#include <optional>

struct TargetGoals
{
    int low = 70, high = 180; // mg/dL, both in range
    // In range above, the others below these percentages; empty where the
    // set gives no goal.
    std::optional<double> inRange, belowLow, below54, aboveHigh, above250;
};

const TargetGoals &targetGoals(TargetSet set);

// For people: "Older or high-risk".
QString targetSetName(TargetSet set);

#endif
