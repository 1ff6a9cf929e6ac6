// SPDX-License-Identifier: GPL-3.0-or-later
// The window's reading of export files, with a progress dialog.
#ifndef IMPORTPROGRESS_H
#define IMPORTPROGRESS_H

#include "import/importfile.h"

#include <QStringList>

#include <vector>

class QWidget;

// Reads the files in turn. A progress dialog with Cancel appears when the
// reading takes longer than half a second; cancelling stops at that file,
// which comes back cancelled (and the files after it are not read).
std::vector<ImportResult> readImportFiles(QWidget *parent, const QStringList &files);

#endif
