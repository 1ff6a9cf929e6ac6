// SPDX-License-Identifier: GPL-3.0-or-later
// The day view at 1,000,000 entries: opening it (its day index built from
// nothing, the first paint included), showing another day or week with its
// paint, and marking a month of the calendar. And the main window's list
// with a sensor's readings hidden: its first paint beside the full list's,
// and hiding or showing them again, paint included.
#include "dayviewbench.h"

#include "core/diary.h"
#include "core/diaryfile.h"
#include "syntheticdiary.h"
#include "ui/daychart.h"
#include "ui/dayview.h"
#include "ui/listbox.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr qsizetype entries = 1000000;
constexpr int steps = 20;

const Diary &loadedDiary()
{
    static const std::unique_ptr<Diary> diary = [] {
        const QString dir =
            qEnvironmentVariable("MELLIDOR_BENCH_DIR", QDir::tempPath() + "/mellidor-bench") +
            QStringLiteral("/dayview");
        QDir().mkpath(dir);
        QFile file(dir + QStringLiteral("/MellidorFile.txt"));
        if (!file.exists() && file.open(QIODevice::WriteOnly)) {
            file.write(syntheticDiary(entries, QDateTime::currentDateTime()));
            file.close();
        }
        auto d = std::make_unique<Diary>();
        DiaryFile::load(file.fileName(), *d);
        return d;
    }();
    return *diary;
}

// A list of the large diary whose day index is not built yet.
std::unique_ptr<DiaryModel> freshList()
{
    auto list = std::make_unique<DiaryModel>();
    Diary copy = loadedDiary();
    list->replaceRows(copy);
    return list;
}

// Counts the chart's paints, so a case that painted nothing is noticed.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Until the window is on screen and its chart painted: a repaint() before
// that paints nothing.
void waitForPaint(const PaintCounter &counter)
{
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents();
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

const DayChartSettings settings{70, 180, 300, GlucoseUnit::MgPerDl};

void openView(benchmark::State &state)
{
    for (auto _ : state) {
        const auto list = freshList();
        QElapsedTimer timer;
        timer.start();
        DayView view(list.get(), settings);
        PaintCounter counter;
        view.chart()->installEventFilter(&counter);
        view.show();
        waitForPaint(counter);
        state.SetIterationTime(seconds(timer));
        if (view.chart()->days().front().readings.empty() || counter.paints == 0)
            state.SkipWithError("no readings painted");
    }
}

// Each step goes back one day (or week), as a person paging through does.
void showAnother(benchmark::State &state, bool week)
{
    const auto list = freshList();
    DayView view(list.get(), settings);
    view.setWeekMode(week);
    view.resize(900, 700);
    PaintCounter counter;
    view.chart()->installEventFilter(&counter);
    view.show();
    waitForPaint(counter);
    counter.paints = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        if (week)
            view.showPreviousWeek();
        else
            view.showPreviousDay();
        view.repaint();
        state.SetIterationTime(seconds(timer));
    }
    if (counter.paints < steps)
        state.SkipWithError("a day was not painted");
}

void markMonth(benchmark::State &state)
{
    const auto list = freshList();
    DayView view(list.get(), settings);
    QCalendarWidget *calendar = view.calendar();
    for (auto _ : state) {
        const QDate shown = QDate(calendar->yearShown(), calendar->monthShown(), 1).addMonths(-1);
        QElapsedTimer timer;
        timer.start();
        calendar->setCurrentPage(shown.year(), shown.month());
        state.SetIterationTime(seconds(timer));
    }
}

// The main window's list of the large diary, at a window's size.
std::unique_ptr<ListBox> loadedListBox()
{
    auto list = std::make_unique<ListBox>();
    Diary copy = loadedDiary();
    list->diaryModel()->replaceRows(copy);
    list->resize(400, 600);
    return list;
}

// From a list never shown to its first picture; the filter is built before.
void listFirstPaint(benchmark::State &state, bool filtered)
{
    for (auto _ : state) {
        const auto list = loadedListBox();
        list->setSensorReadingsShown(!filtered);
        QElapsedTimer timer;
        timer.start();
        list->show();
        const QImage image = list->grab().toImage();
        state.SetIterationTime(seconds(timer));
        if (image.isNull() || (list->lineCount() < list->rowCount()) != filtered)
            state.SkipWithError("not painted as asked");
    }
}

// One toggle of the filter with the paint that follows, the current entry
// in the middle of the diary.
void listToggle(benchmark::State &state, bool hide)
{
    const auto list = loadedListBox();
    list->show();
    list->setCurrentRow(list->rowCount() / 2);
    (void)list->grab();
    for (auto _ : state) {
        list->setSensorReadingsShown(hide);
        QElapsedTimer timer;
        timer.start();
        list->setSensorReadingsShown(!hide);
        const QImage image = list->grab().toImage();
        state.SetIterationTime(seconds(timer));
        if (image.isNull() || list->currentRow() < 0)
            state.SkipWithError("no current entry");
    }
}

} // namespace

void registerDayViewBenchmarks()
{
    const auto add = [](const char *name, auto function, int iterations) {
        benchmark::RegisterBenchmark(name, function)
            ->UseManualTime()
            ->Iterations(iterations)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMicrosecond);
    };
    add("day_view_open/1000000", openView, 1);
    add(
        "day_view_another_day/1000000", [](benchmark::State &s) { showAnother(s, false); }, steps);
    add(
        "day_view_another_week/1000000", [](benchmark::State &s) { showAnother(s, true); }, steps);
    add("day_view_mark_month/1000000", markMonth, steps);
    add(
        "list_first_paint/1000000", [](benchmark::State &s) { listFirstPaint(s, false); }, 1);
    add(
        "list_first_paint_filtered/1000000", [](benchmark::State &s) { listFirstPaint(s, true); },
        1);
    add(
        "list_hide_sensor/1000000", [](benchmark::State &s) { listToggle(s, true); }, 5);
    add(
        "list_show_sensor/1000000", [](benchmark::State &s) { listToggle(s, false); }, 5);
}
