// SPDX-License-Identifier: GPL-3.0-or-later
// The import that the window, the command line and the Nightscout fetch
// share: from what was read to one step of the diary session and the
// summary of each file.
#ifndef DIARYIMPORT_H
#define DIARYIMPORT_H

#include "import/importfile.h"

#include <QStringList>

#include <vector>

class DiarySession;

struct ImportOutcome
{
    // Why nothing was imported: the errors of the files that could not be
    // read, in their order. Empty when the step was made.
    QStringList refused;
    bool cancelled = false; // the person cancelled the reading of one
    // One sentence per file, in order.
    QStringList summaries;
    qsizetype added = 0;
    // Readings were given in mmol/L.
    bool mmolRead = false;
    // Why the step could not be saved; empty when it was.
    QString saveError;
};

// The errors of the files that could not be read or were cancelled. One of
// them means nothing at all is imported.
QStringList importRefusals(const std::vector<ImportResult> &results, bool *cancelled = nullptr);

// All files or none: with a refusal the diary stays as it is. Otherwise the
// new entries of every file become one step (Undo takes all of it back),
// each placed by its date and time, none twice. names: the files as the
// summaries name them; stepName: the step as Undo names it, "Import" when
// empty.
ImportOutcome importIntoSession(DiarySession &session, std::vector<ImportResult> results,
                                const QStringList &names, const QString &stepName = QString());

#endif
