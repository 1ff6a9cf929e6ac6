// SPDX-License-Identifier: GPL-3.0-or-later
// Registers the day view and list filter cases of the benchmark.
#ifndef DAYVIEWBENCH_H
#define DAYVIEWBENCH_H

void registerDayViewBenchmarks();

#endif
