// SPDX-License-Identifier: GPL-3.0-or-later
// One file's import in a sentence, for the command line and the window.
#ifndef IMPORTSUMMARY_H
#define IMPORTSUMMARY_H

#include "core/importmerge.h"
#include "import/importfile.h"

#include <QString>

// "name (format): 12 entries added (10 Glucose, 2 Bolus), 1 duplicate
// skipped, 3 rows skipped, 2 values rounded, dates read day first; the
// clock changes: 02:00 to 03:00 on 26.10.2025 occurs twice; 1 row not read:
// line 7 (...)". The parts that are zero are left out, except the entries
// added.
QString importSummary(const QString &name, const ImportResult &result, const MergeCounts &counts);

#endif
