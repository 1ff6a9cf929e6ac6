// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/diaryimport.h"

#include "core/diarysession.h"
#include "import/importsummary.h"
#include "import/importtext.h"

QStringList importRefusals(const std::vector<ImportResult> &results, bool *cancelled)
{
    QStringList refused;
    if (cancelled)
        *cancelled = false;
    for (const ImportResult &result : results) {
        if (!result.ok())
            refused << result.error;
        if (cancelled)
            *cancelled = *cancelled || result.cancelled;
    }
    return refused;
}

ImportOutcome importIntoSession(DiarySession &session, std::vector<ImportResult> results,
                                const QStringList &names, const QString &stepName)
{
    ImportOutcome outcome;
    outcome.refused = importRefusals(results, &outcome.cancelled);
    if (!outcome.refused.isEmpty())
        return outcome;
    std::vector<const ImportBatch *> batches;
    for (const ImportResult &result : results) {
        batches.push_back(&result.batch);
        outcome.mmolRead = outcome.mmolRead || result.mmolReadings > 0;
    }
    const DiarySession::ImportStep step =
        session.importBatches(batches, stepName.isEmpty() ? ImportText::tr("Import") : stepName);
    outcome.added = step.added;
    outcome.saveError = step.saveError;
    for (size_t i = 0; i < results.size(); ++i)
        outcome.summaries << importSummary(names.value(qsizetype(i)), results[i], step.counts[i]);
    return outcome;
}
