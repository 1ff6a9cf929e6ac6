// SPDX-License-Identifier: GPL-3.0-or-later
// A Nightscout fetch of 90 days: five-minute readings (25,920) and their
// treatments (meals, corrections and half-hourly temporary basal rates)
// from the loopback site, asked in windows, unpacked and read; and the same
// fetched into a 1,000,000-entry diary by `mellidor sync`. The site runs in
// the same process and thread, so its answers are in the time.
#include "app/commandline.h"
#include "core/diaryfolder.h"
#include "core/nightscoutsettings.h"
#include "fetch/nightscoutfetch.h"
#include "nightscoutserver.h"
#include "syntheticdiary.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

constexpr int days = 90;

void fill(NightscoutServer &server, const QDateTime &end)
{
    QByteArrayList entries, treatments;
    const qint64 first = end.addDays(-days).toMSecsSinceEpoch();
    quint32 noise = 4242;
    for (qint64 ms = first; ms < end.toMSecsSinceEpoch(); ms += 300000) {
        noise = noise * 1103515245u + 12345u;
        const QByteArray utc =
            QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
        entries << "{\"_id\":\"" + QByteArray::number(noise, 16) +
                       "\",\"device\":\"xDrip-DexcomG6\",\"date\":" + QByteArray::number(ms) +
                       ",\"dateString\":\"" + utc +
                       "\",\"sgv\":" + QByteArray::number(60 + (noise >> 16) % 200) +
                       ",\"delta\":0,\"direction\":\"Flat\",\"type\":\"sgv\"}";
        const qint64 minute = (ms - first) / 60000 % 1440;
        if (minute % 30 == 0)
            treatments << "{\"created_at\":\"" + utc +
                              "\",\"eventType\":\"Temp Basal\",\"duration\":30,\"rate\":0.8,"
                              "\"absolute\":0.8,\"insulin\":null,\"carbs\":null}";
        if (minute == 420 || minute == 720 || minute == 1110)
            treatments << "{\"created_at\":\"" + utc +
                              "\",\"eventType\":\"Meal Bolus\",\"insulin\":4.5,\"carbs\":" +
                              QByteArray::number(30 + minute % 40) + '}';
        if (minute == 900)
            treatments << "{\"created_at\":\"" + utc +
                              "\",\"eventType\":\"Correction Bolus\",\"insulin\":1.25}";
    }
    server.add(QStringLiteral("entries"), '[' + entries.join(',') + ']');
    server.add(QStringLiteral("treatments"), '[' + treatments.join(',') + ']');
}

void fetch(benchmark::State &state)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    NightscoutServer server;
    fill(server, end);
    NightscoutSettings site;
    site.url = server.url();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const NightscoutOutcome outcome =
            NightscoutFetch::run(site, end.toLocalTime().date().addDays(-days));
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!outcome.error.isEmpty())
            state.SkipWithError(qPrintable(outcome.error));
        else if (outcome.results[0].batch.entries.size() < size_t(days * 288))
            state.SkipWithError("not every reading was fetched");
        else
            state.counters["entries"] = double(outcome.results[0].batch.entries.size() +
                                               outcome.results[1].batch.entries.size());
        state.counters["requests"] = server.requests;
        server.requests = 0;
    }
}

qsizetype linesOf(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().count('\n');
}

// The whole `mellidor sync` in this process: the lock, the diary loaded,
// the fetch, one step, the diary saved and the marks stored. The diary's
// own readings run up to now, so the fetched ones fall between them and
// the file is written whole.
void syncInto1M(benchmark::State &state)
{
    const QDateTime end = QDateTime::currentDateTimeUtc();
    NightscoutServer server;
    fill(server, end);
    const QString root =
        qEnvironmentVariable("MELLIDOR_BENCH_DIR", QDir::tempPath() + "/mellidor-bench") +
        QStringLiteral("/fetch");
    const QString diary = root + u'/' + DiaryFolder::path(DiaryFolder::File::Diary);
    const QString pristine = diary + QStringLiteral(".pristine");
    if (!QFile::exists(pristine)) {
        QDir().mkpath(root);
        QFile file(pristine);
        file.open(QIODevice::WriteOnly);
        file.write(syntheticDiary(1000000, end.toLocalTime()));
    }
    NightscoutSettings site;
    site.url = server.url();
    for (auto _ : state) {
        QFile::remove(diary);
        QFile::copy(pristine, diary);
        QString error;
        QFile::remove(root + u'/' + DiaryFolder::path(DiaryFolder::File::Nightscout));
        NightscoutFile::write(root + u'/' + DiaryFolder::path(DiaryFolder::File::Nightscout), site,
                              &error);
        ::sync();
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QElapsedTimer timer;
        timer.start();
        const int status = runCommandLine(
            {QStringLiteral("mellidor"), QStringLiteral("-C"), root, QStringLiteral("sync")},
            outStream, errStream);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        const qsizetype added = linesOf(diary) - linesOf(pristine);
        state.counters["added"] = double(added);
        if (status != CommandOk)
            state.SkipWithError(qPrintable(err));
        else if (added < qsizetype(days) * 288)
            state.SkipWithError("not every reading was added");
    }
}

} // namespace

void registerFetchBenchmarks()
{
    for (const auto &[name, function] : {std::pair{"nightscout_fetch_90_days", &fetch},
                                         {"nightscout_sync_90_days_into_1M", &syncInto1M}})
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
}
