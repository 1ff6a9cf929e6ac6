// SPDX-License-Identifier: GPL-3.0-or-later
// Registers the statistics cases of the benchmark.
#ifndef STATSBENCH_H
#define STATSBENCH_H

void registerStatsBenchmarks();

#endif
