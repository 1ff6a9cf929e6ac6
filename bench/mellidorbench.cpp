// SPDX-License-Identifier: GPL-3.0-or-later
// The large-diary benchmark: load, first show, diagram paint, add, edit,
// save and memory at 10,000, 100,000 and 1,000,000 entries, and the day
// view, with `wc -l` on the 1,000,000-line file as the yardstick. Run it
// through scripts/bench.
#include "core/diaryfile.h"
#include "dayviewbench.h"
#include "reportbench.h"
#include "statsbench.h"
#include "syntheticdiary.h"
#include "ui/mellidor.h"
#include "ui/mellidorpaint.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUndoStack>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <memory>
#include <unistd.h>

namespace {

const QList<qsizetype> sizes{10000, 100000, 1000000};
QString benchRoot;

QString dirFor(qsizetype entries)
{
    return benchRoot + QStringLiteral("/%1").arg(entries);
}

QString diaryFor(qsizetype entries)
{
    return dirFor(entries) + QStringLiteral("/MellidorFile.txt");
}

// The largest diary with fractional doses, shown in mmol/L with fractions.
QString unitsDir()
{
    return dirFor(sizes.last()) + QStringLiteral("-units");
}

// Writes the diaries once and keeps a pristine copy to restore after changes.
void prepareDiaries()
{
    for (qsizetype entries : sizes) {
        QDir().mkpath(dirFor(entries));
        const QString pristine = diaryFor(entries) + QStringLiteral(".pristine");
        if (!QFile::exists(pristine)) {
            QFile file(pristine);
            file.open(QIODevice::WriteOnly);
            file.write(syntheticDiary(entries, QDateTime::currentDateTime()));
        }
    }
    QDir().mkpath(benchRoot + QStringLiteral("/0"));
    QDir().mkpath(unitsDir() + QStringLiteral("/Settings"));
    QFile preferences(unitsDir() + QStringLiteral("/Settings/Preferences.conf"));
    preferences.open(QIODevice::WriteOnly);
    preferences.write("glucose_unit=mmol/L\ninsulin_doses=fractions\n");
    QFile diary(unitsDir() + QStringLiteral("/MellidorFile.txt"));
    if (!diary.exists() && diary.open(QIODevice::WriteOnly))
        diary.write(syntheticDiary(sizes.last(), QDateTime::currentDateTime(), true));
}

void restoreDiary(qsizetype entries)
{
    QFile::remove(diaryFor(entries));
    QFile::copy(diaryFor(entries) + QStringLiteral(".pristine"), diaryFor(entries));
    // A fresh copy is dirty in the page cache: write it out now, or the first
    // fsync of a measured step pays for all of it.
    ::sync();
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// Presses OK on the next modal dialog after changing it.
void acceptNextDialog(std::function<void(QDialog *)> change = {})
{
    QTimer::singleShot(0, [change] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (change)
            change(dialog);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}

std::unique_ptr<Mellidor> openWindow(const QString &dir)
{
    QDir::setCurrent(dir);
    return std::make_unique<Mellidor>();
}

std::unique_ptr<Mellidor> openWindow(qsizetype entries)
{
    return openWindow(dirFor(entries));
}

void load(benchmark::State &state, qsizetype entries, const QString &dir)
{
    QDir::setCurrent(dir);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<Mellidor>();
        state.SetIterationTime(seconds(timer));
        if (window->listBox->rowCount() != entries)
            state.SkipWithError("not every row loaded");
    }
}

void firstShow(benchmark::State &state, const QString &dir)
{
    for (auto _ : state) {
        auto window = openWindow(dir);
        QElapsedTimer timer;
        timer.start();
        window->show();
        window->repaint();
        state.SetIterationTime(seconds(timer));
    }
}

void diagramPaint(benchmark::State &state, const QString &dir, int days)
{
    auto window = openWindow(dir);
    window->daysBack = days;
    MellidorPaint diagram(window.get());
    QImage image(diagram.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        diagram.render(&image);
        state.SetIterationTime(seconds(timer));
    }
}

void addEntry(benchmark::State &state, qsizetype entries)
{
    restoreDiary(entries);
    auto window = openWindow(entries);
    // The hand-edited lines without commas make the first save after loading
    // rewrite the file whole (that is save's figure); adds after it append.
    acceptNextDialog();
    QMetaObject::invokeMethod(window.get(), "insertNewValue");
    ::sync();
    for (auto _ : state) {
        acceptNextDialog();
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(window.get(), "insertNewValue");
        state.SetIterationTime(seconds(timer));
    }
    window.reset();
    restoreDiary(entries);
}

void editEntry(benchmark::State &state, qsizetype entries)
{
    restoreDiary(entries);
    auto window = openWindow(entries);
    const QDate tomorrow = QDate::currentDate().addDays(1);
    for (auto _ : state) {
        // The bottom (oldest) entry becomes the newest: it moves to the top.
        window->listBox->setCurrentItem(window->listBox->rowCount() - 1);
        acceptNextDialog([tomorrow](QDialog *dialog) {
            const QList<QSpinBox *> boxes = dialog->findChildren<QSpinBox *>();
            boxes[2]->setValue(tomorrow.year());
            boxes[1]->setValue(tomorrow.month());
            boxes[0]->setValue(tomorrow.day());
        });
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(window.get(), "editValue");
        state.SetIterationTime(seconds(timer));
    }
    window.reset();
    restoreDiary(entries);
}

void deleteEntry(benchmark::State &state, qsizetype entries)
{
    restoreDiary(entries);
    auto window = openWindow(entries);
    for (auto _ : state) {
        // A middle entry: the file is rewritten whole.
        window->listBox->setCurrentItem(window->listBox->rowCount() / 2);
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(window.get(), "deleteValue");
        state.SetIterationTime(seconds(timer));
    }
    window.reset();
    restoreDiary(entries);
}

void undoEdit(benchmark::State &state, qsizetype entries)
{
    restoreDiary(entries);
    auto window = openWindow(entries);
    const QDate tomorrow = QDate::currentDate().addDays(1);
    for (auto _ : state) {
        state.PauseTiming();
        window->listBox->setCurrentItem(window->listBox->rowCount() - 1);
        acceptNextDialog([tomorrow](QDialog *dialog) {
            dialog->findChildren<QSpinBox *>()[2]->setValue(tomorrow.year());
        });
        QMetaObject::invokeMethod(window.get(), "editValue");
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        window->undoStack()->undo();
        state.SetIterationTime(seconds(timer));
    }
    window.reset();
    restoreDiary(entries);
}

void saveAtExit(benchmark::State &state, qsizetype entries)
{
    restoreDiary(entries);
    auto window = openWindow(entries);
    for (auto _ : state) {
        QString error;
        QElapsedTimer timer;
        timer.start();
        const bool ok =
            DiaryFile::save(QStringLiteral("MellidorFile.txt"), window->listBox->diary(), &error);
        state.SetIterationTime(seconds(timer));
        if (!ok)
            state.SkipWithError(qPrintable(error));
    }
}

void wcLines(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"),
                           QStringLiteral("wc -l '%1' >/dev/null").arg(diaryFor(sizes.last()))});
        state.SetIterationTime(seconds(timer));
    }
}

// A run of this program in its own process reports its resident memory with
// the diary of the given directory loaded and shown.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

qint64 residentWith(qsizetype entries, bool history = false)
{
    QProcess child;
    QStringList arguments{QStringLiteral("--rss"), entries ? dirFor(entries) : benchRoot + "/0"};
    if (history)
        arguments << QStringLiteral("--history");
    child.start(QCoreApplication::applicationFilePath(), arguments);
    child.waitForFinished(120000);
    return child.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

void registerImportBenchmarks();
void registerFetchBenchmarks();

namespace {

class TableReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.aggregate_name == "median")
                medians[QString::fromStdString(run.run_name.function_name)] =
                    run.GetAdjustedRealTime() * 1000.0 /
                    benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
    }
    QMap<QString, double> medians;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--rss") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
        Mellidor window;
        window.show();
        window.repaint();
        const qint64 shown = residentBytes();
        if (argc == 4) {
            // Bytes in use on the heap, not resident pages: freed memory that
            // malloc keeps would hide what the history holds.
            const size_t before = mallinfo2().uordblks;
            // A thousand deletes: what the history holds.
            for (int step = 0; step < 1000; ++step) {
                window.listBox->setCurrentItem(step);
                QMetaObject::invokeMethod(&window, "deleteValue");
            }
            std::printf("%lld\n", static_cast<long long>(mallinfo2().uordblks - before));
            return 0;
        }
        std::printf("%lld\n", static_cast<long long>(shown));
        return 0;
    }
    QApplication app(argc, argv);
    benchRoot = qEnvironmentVariable("MELLIDOR_BENCH_DIR", QDir::tempPath() + "/mellidor-bench");
    prepareDiaries();

    const auto add = [](const std::string &name, auto function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMicrosecond);
    };
    add("wc_l/1000000", [](benchmark::State &s) { wcLines(s); });
    for (qsizetype n : sizes) {
        const std::string size = std::to_string(n);
        add("load/" + size, [n](benchmark::State &s) {
            restoreDiary(n);
            load(s, n, dirFor(n));
        });
        add("first_show/" + size, [n](benchmark::State &s) { firstShow(s, dirFor(n)); });
        add("diagram_3_days/" + size, [n](benchmark::State &s) { diagramPaint(s, dirFor(n), 3); });
        add("diagram_30_days/" + size,
            [n](benchmark::State &s) { diagramPaint(s, dirFor(n), 30); });
        add("add/" + size, [n](benchmark::State &s) { addEntry(s, n); });
        add("edit/" + size, [n](benchmark::State &s) { editEntry(s, n); });
        add("save/" + size, [n](benchmark::State &s) { saveAtExit(s, n); });
        add("delete/" + size, [n](benchmark::State &s) { deleteEntry(s, n); });
        add("undo_edit/" + size, [n](benchmark::State &s) { undoEdit(s, n); });
    }
    const qsizetype largest = sizes.last();
    const std::string units = "_units/" + std::to_string(largest);
    add("load" + units, [largest](benchmark::State &s) { load(s, largest, unitsDir()); });
    add("first_show" + units, [](benchmark::State &s) { firstShow(s, unitsDir()); });
    add("diagram_30_days" + units, [](benchmark::State &s) { diagramPaint(s, unitsDir(), 30); });
    registerStatsBenchmarks();
    registerReportBenchmarks();
    registerImportBenchmarks();
    registerDayViewBenchmarks();
    registerFetchBenchmarks();
    benchmark::Initialize(&argc, argv);
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double wc = reporter.medians.value("wc_l/1000000");
    const qint64 empty = residentWith(0);
    const qint64 full = residentWith(sizes.last());
    restoreDiary(sizes[0]);
    const qint64 history = residentWith(sizes[0], true);
    restoreDiary(sizes[0]);
    std::printf("\nMedian of 7 runs, milliseconds; ratio = time / (wc -l of the 1M-line file, "
                "%.2f ms)\n\n",
                wc);
    std::printf("%-18s %12s %12s %12s %12s\n", "measure", "10,000", "100,000", "1,000,000",
                "ratio at 1M");
    for (const char *name : {"load", "first_show", "diagram_3_days", "diagram_30_days", "add",
                             "edit", "save", "delete", "undo_edit"}) {
        std::printf("%-18s", name);
        double last = 0;
        for (qsizetype n : sizes) {
            last = reporter.medians.value(QStringLiteral("%1/%2").arg(QLatin1String(name)).arg(n));
            std::printf(" %12.2f", last);
        }
        std::printf(" %12.1f\n", wc > 0 ? last / wc : 0.0);
    }
    // The same diary with fractional doses, in mmol/L with fractions on.
    for (const char *name : {"load", "first_show", "diagram_30_days"}) {
        const double ms = reporter.medians.value(
            QStringLiteral("%1_units/%2").arg(QLatin1String(name)).arg(sizes.last()));
        std::printf("%-18s %12s %12s %12.2f %12.1f\n", qPrintable(name + QStringLiteral(" mmol")),
                    "", "", ms, wc > 0 ? ms / wc : 0.0);
    }
    std::printf("%-18s %12s %12s %12.1f\n", "memory B/entry", "", "",
                double(full - empty) / double(sizes.last()));
    std::printf("%-18s %12s %12.1f\n", "1000 undo steps", "KB", double(history) / 1024);
    const double loadProcess = reporter.medians.value("process_load_1M");
    if (loadProcess > 0)
        std::printf("\nA year imported into 1M entries, whole process: %.1f x a process that "
                    "loads them (%.2f ms)\n",
                    reporter.medians.value("process_import_year_1M") / loadProcess, loadProcess);
    std::printf("\nRSS empty %lld bytes, RSS with 1M entries %lld bytes\n",
                static_cast<long long>(empty), static_cast<long long>(full));
    return 0;
}
