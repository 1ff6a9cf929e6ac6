// SPDX-License-Identifier: GPL-3.0-or-later
// Report benchmarks: the PDF of 14 and 90 days in a 1,000,000-entry diary.
#ifndef REPORTBENCH_H
#define REPORTBENCH_H

void registerReportBenchmarks();

#endif
