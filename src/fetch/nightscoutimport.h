// SPDX-License-Identifier: GPL-3.0-or-later
// What a fetch brought, into the diary session as an export's records go
// (importIntoSession): one step, the same summaries and duplicate rules, so
// records fetched or imported before are not added twice. The marks move on
// only once that step is saved (or nothing was new): a step that could not
// be saved is asked for again by the next fetch.
#ifndef NIGHTSCOUTIMPORT_H
#define NIGHTSCOUTIMPORT_H

#include "core/nightscoutsettings.h"
#include "import/diaryimport.h"

#include <vector>

class DiarySession;

struct NightscoutImport
{
    ImportOutcome outcome;
    // Why the marks could not be stored; the entries are saved all the
    // same, and the next fetch asks for them again and skips them.
    QString marksError;
};

// site: the site fetched from; the marks are stored only while it is the
// session's site, each the later of the stored one and the fetched one.
NightscoutImport importNightscout(DiarySession &session, const NightscoutSettings &site,
                                  std::vector<ImportResult> results, const NightscoutMarks &marks);

#endif
