// SPDX-License-Identifier: GPL-3.0-or-later
#include "reportbench.h"

#include "analysis/reportdata.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "syntheticdiary.h"
#include "ui/reportrenderer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

const Diary &largeDiary()
{
    static const std::unique_ptr<Diary> diary = [] {
        auto d = std::make_unique<Diary>();
        const QByteArray bytes = syntheticDiary(1000000, QDateTime::currentDateTime());
        DiaryFile::loadBytes(bytes.constData(), bytes.size(), *d);
        return d;
    }();
    return *diary;
}

// From the diary in memory to the PDF on disk, as `mellidor report` does
// after loading.
void report(benchmark::State &state, int days)
{
    const Diary &diary = largeDiary();
    const QDate today = QDate::currentDate();
    ReportRequest request{today.addDays(1 - days), today, 100, 130, GlucoseUnit::MgPerDl, today};
    const QString path = QDir::temp().filePath(QStringLiteral("mellidor-bench-report.pdf"));
    int pages = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        const bool ok = Report::writePdf(path, collectReportData(diary, request), &error, &pages);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!ok)
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pages"] = pages;
    state.counters["bytes"] = double(QFileInfo(path).size());
    QFile::remove(path);
}

} // namespace

void registerReportBenchmarks()
{
    for (int days : {14, 90}) {
        benchmark::RegisterBenchmark(("report_" + std::to_string(days) + "_days/1000000").c_str(),
                                     [days](benchmark::State &s) { report(s, days); })
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
}
