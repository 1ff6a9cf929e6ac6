// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the import as an export file: format detection,
// every reader, the merge into a diary and the CSV export. Whatever the
// bytes, what joins the diary must be entries the diary can hold: each with
// a readable date, time and value, saved lines that load back the same,
// nothing new on a second import, and an export that reads back whole.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/importmerge.h"
#include "import/importfile.h"
#include "import/importsummary.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

QByteArray saved(const Diary &diary)
{
    QByteArray lines;
    for (int row = diary.rowCount() - 1; row >= 0; --row)
        diary.appendLine(row, lines);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A zone whose clocks change, so instants meet repeated local times.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const ImportResult result = readImportData(input, QStringLiteral("fuzz"));
    if (!result.ok()) {
        check(!result.error.isEmpty(), "a refusal says why");
        return 0;
    }
    check(!result.batch.entries.empty(), "a file read holds entries");

    Diary diary;
    const MergePlan plan = planMerge(diary, {&result.batch});
    diary.insertRows(plan.rows, plan.texts);
    check(plan.counts[0].added == diary.rowCount(), "added as counted");
    importSummary(QStringLiteral("fuzz"), result, plan.counts[0]);

    for (int row = 0; row < diary.rowCount(); ++row) {
        const QDate date = diary.date(row);
        check(date.isValid() && date.year() >= firstImportYear && date.year() <= lastImportYear,
              "date");
        check(readableTime(diary.bytes(row, Diary::TimeColumn)), "time");
        check(diary.hasFraction(row) || readableValue(diary.bytes(row, Diary::ValueColumn)),
              "value");
        const QByteArray type = diary.bytes(row, Diary::TypeColumn);
        check(!type.contains(',') && !type.contains('\n'), "type");
        check(row == 0 || diary.dateTimeKey(row - 1) >= diary.dateTimeKey(row), "newest on top");
    }

    const QByteArray lines = saved(diary);
    Diary loaded;
    DiaryFile::loadBytes(lines.constData(), lines.size(), loaded);
    check(loaded.rowCount() == diary.rowCount() && saved(loaded) == lines, "saved lines load back");

    check(planMerge(diary, {&result.batch}).rows.empty(), "a second import adds nothing");

    qsizetype skipped = -1;
    const QByteArray csv = exportCsv(diary, QDate(), QDate(), &skipped);
    check(skipped == 0, "every entry exported");
    const ImportResult back = readImportData(csv, QStringLiteral("export"));
    check(back.ok() && back.unreadCount == 0 &&
              qsizetype(back.batch.entries.size()) == diary.rowCount(),
          "the export reads back whole");
    check(planMerge(diary, {&back.batch}).rows.empty(), "the export adds nothing");
    return 0;
}
