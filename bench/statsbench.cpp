// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics at 1,000,000 entries: the figures and AGP of the last 90 days
// (alone and with the 90 days before) and of all entries, and opening the statistics window, with
// `wc -l` on the same diary file as the yardstick for the whole-diary figures; and `mellidor stats`
// of all entries as a whole process against one that does little more than load the diary.
#include "statsbench.h"

#include "analysis/statistics.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "syntheticdiary.h"
#include "ui/mellidor.h"
#include "ui/statisticswindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qsizetype entries = 1000000;

// A diary of its own, so the other cases' changes and restores never race it.
QString statsDir()
{
    static const QString dir = [] {
        const QString path =
            qEnvironmentVariable("MELLIDOR_BENCH_DIR", QDir::tempPath() + "/mellidor-bench") +
            QStringLiteral("/stats");
        QDir().mkpath(path);
        QFile file(path + QStringLiteral("/MellidorFile.txt"));
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write(syntheticDiary(entries, QDateTime::currentDateTime()));
        return path;
    }();
    return dir;
}

const Diary &loadedDiary()
{
    static const std::unique_ptr<Diary> diary = [] {
        auto d = std::make_unique<Diary>();
        DiaryFile::load(statsDir() + QStringLiteral("/MellidorFile.txt"), *d);
        return d;
    }();
    return *diary;
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void figures(benchmark::State &state, int days, bool compare = false)
{
    const Diary &diary = loadedDiary();
    const QDate today = QDate::currentDate();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QDate from = today.addDays(-(days - 1)), to = today;
        if (days == 0) {
            const auto range = entryDateRange(diary);
            from = range->first;
            to = range->second;
        }
        const GlucoseStatistics s = computeStatistics(diary, {from, to, 70, 180, {}, compare});
        state.SetIterationTime(seconds(timer));
        if (s.readings == 0)
            state.SkipWithError("no readings");
        state.counters["readings"] = s.readings;
    }
}

void openWindow(benchmark::State &state)
{
    QDir::setCurrent(statsDir());
    Mellidor main;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<StatisticsWindow>(&main.session());
        window->show();
        window->repaint();
        state.SetIterationTime(seconds(timer));
    }
}

void wcLines(benchmark::State &state)
{
    const QString path = statsDir() + QStringLiteral("/MellidorFile.txt");
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(
            QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("wc -l '%1' >/dev/null").arg(path)});
        state.SetIterationTime(seconds(timer));
    }
}

// `mellidor stats` over the diary with these arguments, as a whole process.
double processSeconds(const QStringList &arguments)
{
    QProcess command;
    command.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    command.start(QStringLiteral(MELLIDOR_BINARY),
                  QStringList{QStringLiteral("-C"), statsDir(), QStringLiteral("stats")} +
                      arguments);
    command.waitForFinished(-1);
    const double elapsed = seconds(timer);
    return command.exitStatus() == QProcess::NormalExit && command.exitCode() == 0 ? elapsed : -1;
}

// The statistics of all entries as a whole process; each run beside one of
// `--days 1`, which only loads the diary, and their ratio as a counter.
void processAllEntries(benchmark::State &state)
{
    const auto range = entryDateRange(loadedDiary());
    const QStringList all{QStringLiteral("--from"), range->first.toString(Qt::ISODate),
                          QStringLiteral("--to"), range->second.toString(Qt::ISODate)};
    for (auto _ : state) {
        const double load = processSeconds({QStringLiteral("--days"), QStringLiteral("1")});
        const double stats = processSeconds(all);
        if (load <= 0 || stats <= 0)
            state.SkipWithError("the command failed");
        state.SetIterationTime(stats);
        state.counters["load_ms"] = load * 1e3;
        state.counters["x_load"] = stats / load;
    }
}

} // namespace

void registerStatsBenchmarks()
{
    const auto add = [](const char *name, auto function) {
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMicrosecond);
    };
    add("stats_wc_l/1000000", wcLines);
    add("stats_90_days/1000000", [](benchmark::State &s) { figures(s, 90); });
    add("stats_90_days_compare/1000000", [](benchmark::State &s) { figures(s, 90, true); });
    add("stats_all_entries/1000000", [](benchmark::State &s) { figures(s, 0); });
    add("stats_window_open/1000000", openWindow);
    add("stats_process_all_entries/1000000", processAllEntries);
}
