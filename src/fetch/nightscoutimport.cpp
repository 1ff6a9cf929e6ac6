// SPDX-License-Identifier: GPL-3.0-or-later
#include "fetch/nightscoutimport.h"

#include "core/diarysession.h"
#include "fetch/fetchtext.h"

#include <algorithm>

NightscoutImport importNightscout(DiarySession &session, const NightscoutSettings &site,
                                  std::vector<ImportResult> results, const NightscoutMarks &marks)
{
    QStringList names;
    for (const ImportResult &result : results)
        names << result.path;
    NightscoutImport done;
    done.outcome = importIntoSession(session, std::move(results), names,
                                     FetchText::tr("Fetch from Nightscout"));
    NightscoutSettings stored = session.nightscout();
    if (!done.outcome.refused.isEmpty() || !done.outcome.saveError.isEmpty() ||
        !stored.isSite(site.url))
        return done;
    for (auto [kept, fetched] : {std::pair{&stored.marks.entries, &marks.entries},
                                 {&stored.marks.treatments, &marks.treatments}}) {
        if (fetched->isValid())
            *kept = kept->isValid() ? std::max(*kept, *fetched) : *fetched;
    }
    if (!(stored.marks == session.nightscout().marks))
        session.setNightscout(stored, &done.marksError);
    return done;
}
