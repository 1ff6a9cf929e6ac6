// SPDX-License-Identifier: GPL-3.0-or-later
// `mellidor report`: the report as a PDF, without a display. The caller
// provides a QGuiApplication (offscreen platform) for the fonts.
#ifndef REPORTCOMMAND_H
#define REPORTCOMMAND_H

#include <QStringList>
#include <QTextStream>

// arguments: what follows the word "report":
// [--days N | --from YYYY-MM-DD --to YYYY-MM-DD] [--unit mgdl|mmol] --output FILE.pdf
// Reads the diary and the settings of the working directory.
// Returns 0 when written, 1 when the diary cannot be read or the file cannot
// be written (no partial file is left) or must not be (the diary, its
// settings or lock, or not a regular file), 2 for bad options.
int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

#endif
