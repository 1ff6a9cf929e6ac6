// SPDX-License-Identifier: GPL-3.0-or-later
// The window's import and export: reading export files with a progress
// dialog, and the plan that places an import again after an outside change.
// The menu's slots are Mellidor::importFiles and Mellidor::exportFile.
#ifndef IMPORTPROGRESS_H
#define IMPORTPROGRESS_H

#include "core/diary.h"
#include "import/importfile.h"

#include <QStringList>

#include <vector>

class QWidget;

// Reads the files in turn. A progress dialog with Cancel appears when the
// reading takes longer than half a second; cancelling stops at that file,
// which comes back cancelled (and the files after it are not read).
std::vector<ImportResult> readImportFiles(QWidget *parent, const QStringList &files);

#endif
