// SPDX-License-Identifier: GPL-3.0-or-later
// Figures that need the readings in time order: hypoglycaemia events and the
// mean amplitude of glycaemic excursions. Both need a sensor's interval.
#ifndef EXCURSIONS_H
#define EXCURSIONS_H

#include <QtGlobal>

#include <optional>
#include <vector>

struct TimedReading
{
    qint64 minute = 0; // from the period's first midnight
    int value = 0;     // mg/dL
};

// Sorts readings by minute. A diary is kept in time order and a hand-edited
// one holds few rows out of it: those are sorted apart and merged in, so a
// decade of readings is not sorted again.
void putInTimeOrder(std::vector<TimedReading> &readings);

struct HypoEvents
{
    int count = 0;
    std::optional<double> meanMinutes; // empty without events
};

// Events below threshold: runs of readings below it, no two more than twice
// the interval apart, each lasting from its first reading to its last plus
// one interval; runs at most 15 minutes apart are one event, and an event
// lasts at least 15 minutes. readings are in time order.
HypoEvents hypoEvents(const std::vector<TimedReading> &readings, int interval, int threshold);

// MAGE by the crossings of a short and a long moving average on a grid of
// the interval (Fernandes et al. 2022), over 25 and 160 minutes (5 and 32
// readings of a five-minute sensor): the mean of the excursions of at least
// the standard deviation in the direction of the first one, as people
// measure it by hand (Service's rule). The grid is
// interpolated over gaps of up to 45 minutes and split at longer ones; each
// part's excursions weigh by its length. Empty with fewer readings than the
// long window, or without an excursion.
std::optional<double> meanAmplitudeOfExcursions(const std::vector<TimedReading> &readings,
                                                int interval);

#endif
