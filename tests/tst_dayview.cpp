// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/entrytext.h"
#include "testsupport.h"
#include "ui/daychart.h"
#include "ui/dayentriesmodel.h"
#include "ui/dayview.h"
#include "ui/listbox.h"
#include "ui/palette.h"
#include "ui/sensorfiltermodel.h"

#include <QAbstractItemModelTester>
#include <QCalendarWidget>
#include <QTableView>
#include <QTextCharFormat>
#include <QtTest>

#include <ctime>
#include <memory>

namespace {

const QDate tuesday(2025, 9, 30);
const QSize chartSize(480, 260); // plot x 48 to 464, y 10 to 206; lanes at y 215 and 233

QByteArray entry(const QDate &day, int minutes, const char *type, int value)
{
    return (formatDate(day.day(), day.month(), day.year()) + u',' +
            formatTime(minutes / 60, minutes % 60) + u',' + QLatin1String(type) + u',' +
            formatValue(value) + u'\n')
        .toUtf8();
}

// A sensor's readings every five minutes.
QByteArray sensor(const QDate &day, int from, int to, int value)
{
    QByteArray lines;
    for (int minutes = from; minutes <= to; minutes += 5)
        lines += entry(day, minutes, "Glucose", value);
    return lines;
}

// The table's rows as the list shows them: "12:30 Carbs   45".
QStringList tableLines(const DayView &view)
{
    QStringList lines;
    const QAbstractItemModel *model = view.entriesView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        lines << model->index(row, 1).data().toString() + u' ' +
                     model->index(row, 2).data().toString() + u' ' +
                     model->index(row, 3).data().toString();
    return lines;
}

int countColor(const QImage &image, QRgb color, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == color;
    return n;
}

// How many pixels of a colour an area holds, from min to max.
struct Probe
{
    QRect area;
    QRgb color;
    int min;
    int max;
};
Probe some(const QRect &area, QRgb color)
{
    return {area, color, 1, INT_MAX};
}
Probe none(const QRect &area, QRgb color)
{
    return {area, color, 0, 0};
}

enum class Change
{
    Insert,
    Remove,
    Reset,
    Sort
};

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

} // namespace

Q_DECLARE_METATYPE(Probe)
Q_DECLARE_METATYPE(Change)

class TestDayView : public QObject
{
    Q_OBJECT
    std::unique_ptr<DiaryModel> m_list;
    std::unique_ptr<DayView> m_view;

    DayView &open(const QByteArray &diary, const QDate &day = {},
                  GlucoseUnit unit = GlucoseUnit::MgPerDl)
    {
        m_list = std::make_unique<DiaryModel>();
        Diary rows = diaryOf(diary);
        m_list->replaceRows(rows);
        m_list->setGlucoseUnit(unit);
        m_view = std::make_unique<DayView>(m_list.get(), DayChartSettings{80, 160, 300, unit});
        m_view->showDay(day);
        return *m_view;
    }

private slots:
    void initTestCase()
    {
        // Clocks change here on the last Sundays of March and October.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void cleanup()
    {
        m_view.reset();
        m_list.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void navigation_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<QDate>("start"); // null: where the view opens
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("strip"); // clicked in the week, or -1
        QTest::addColumn<QDate>("shown");
        // Entries on three days across a new year, with empty stretches between.
        const QByteArray three = entry({2025, 12, 30}, 600, "Glucose", 120) +
                                 entry({2026, 1, 2}, 600, "Carbs", 40) +
                                 entry({2026, 1, 10}, 480, "Bolus", 4);
        const auto row = [&](const char *name, const QDate &start, const char *keys,
                             const QDate &shown, int strip = -1) {
            QTest::newRow(name) << three << start << QKeySequence(QString::fromLatin1(keys))
                                << strip << shown;
        };
        row("opens on the newest day", {}, "", {2026, 1, 10});
        row("left, a day back", {}, "Left", {2026, 1, 9});
        row("right beyond the entries", {}, "Right, Right", {2026, 1, 12});
        row("page up, a week back", {}, "PgUp", {2026, 1, 3});
        row("page down, a week on", {}, "PgDown", {2026, 1, 17});
        row("home, the first day", {}, "Home", {2025, 12, 30});
        row("end from the first", {2025, 12, 30}, "End", {2026, 1, 10});
        row("entries back, over the new year", {}, "Ctrl+Left, Ctrl+Left", {2025, 12, 30});
        row("entries back from an empty day", {2026, 1, 5}, "Ctrl+Left", {2026, 1, 2});
        row("no entries before the first", {2025, 12, 30}, "Ctrl+Left", {2025, 12, 30});
        row("entries on, over the new year", {2025, 12, 30}, "Ctrl+Right", {2026, 1, 2});
        row("entries on from before all", {2020, 5, 1}, "Ctrl+Right", {2025, 12, 30});
        row("no entries after the newest", {}, "Ctrl+Right", {2026, 1, 10});
        row("right into the new year", {2025, 12, 31}, "Right", {2026, 1, 1});
        row("right over the 25-hour day", {2025, 10, 26}, "Right", {2025, 10, 27});
        row("left over the 23-hour day", {2025, 3, 31}, "Left, Left", {2025, 3, 29});
        row("a strip of the week", {2026, 1, 10}, "", {2026, 1, 7}, 2);
        row("the week's first strip", {2026, 1, 10}, "", {2026, 1, 5}, 0);
        QTest::newRow("empty diary opens today")
            << QByteArray() << QDate() << QKeySequence() << -1 << QDate::currentDate();
    }

    void navigation()
    {
        QFETCH(QByteArray, diary);
        QFETCH(QDate, start);
        QFETCH(QKeySequence, keys);
        QFETCH(int, strip);
        QFETCH(QDate, shown);
        DayView &view = open(diary, start);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(&view, keys[i].key(), keys[i].keyboardModifiers());
        if (strip >= 0) {
            view.setWeekMode(true);
            const QRectF at = DayScale::stripRect(view.chart()->rect(), strip);
            QTest::mouseClick(view.chart(), Qt::LeftButton, {}, at.center().toPoint());
            QVERIFY(!view.weekMode());
        }
        QCOMPARE(view.day(), shown);
        QCOMPARE(view.property("day").toDate(), shown);
        QCOMPARE(view.windowTitle(), QStringLiteral("Day View \u2013 ") + DayView::dayText(shown));
    }

    void chart_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("week");
        QTest::addColumn<GlucoseUnit>("unit");
        QTest::addColumn<QList<Probe>>("probes");
        QTest::addColumn<QStringList>("labels"); // of the value axis
        const QRect plot(48, 10, 416, 196);
        const QStringList mgPerDl{"0", "70", "180", "300"};
        const GlucoseUnit mg = GlucoseUnit::MgPerDl;
        // The band of the limits 80 to 160, the consensus line at 180 (y 88).
        QTest::newRow("band and lines") << QByteArray() << tuesday << false << mg
                                        << QList<Probe>{some({120, 130, 1, 1}, Palette::limitBand),
                                                        none({120, 60, 1, 1}, Palette::limitBand),
                                                        some({120, 88, 1, 1}, Palette::targetLine)}
                                        << mgPerDl;
        QTest::newRow("a reading above the scale at the top")
            << entry(tuesday, 720, "Glucose", 400) << tuesday << false << mg
            << QList<Probe>{some({255, 10, 3, 3}, Palette::veryHigh),
                            none({240, 16, 30, 190}, Palette::veryHigh)}
            << mgPerDl;
        // 120 at 08:00: x 186.7, y 127.6.
        QTest::newRow("a lone meter reading as a dot")
            << entry(tuesday, 480, "Glucose", 120) << tuesday << false << mg
            << QList<Probe>{{{182, 123, 9, 9}, Palette::inRange, 30, 81},
                            none(plot, Palette::sensorCurve)}
            << mgPerDl;
        // 150 from 06:00 to 07:00: through x 160.7 at y 108.
        QTest::newRow("a sensor's readings as a curve")
            << sensor(tuesday, 360, 420, 150) << tuesday << false << mg
            << QList<Probe>{some({158, 106, 6, 5}, Palette::sensorCurve),
                            none(plot, Palette::inRange)}
            << mgPerDl;
        // At 12:30 (x 264.7): carbs in the lower lane, the rapid insulin as a
        // triangle (its upper corner filled) in the upper one; the long one
        // at 22:00 (x 429.3) as a diamond (its corner empty).
        QTest::newRow("carbs and insulin at their time")
            << entry(tuesday, 750, "Bolus", 6) + entry(tuesday, 750, "Carbs", 45) +
                   entry(tuesday, 1320, "Lantus", 20)
            << tuesday << false << mg << QList<Probe>{some({264, 232, 2, 2}, Palette::carbs),
                                                      none({48, 224, 200, 18}, Palette::carbs),
                                                      some({264, 214, 2, 2}, Palette::rapidInsulin),
                                                      some({261, 211, 1, 1}, Palette::rapidInsulin),
                                                      some({429, 214, 2, 2}, Palette::longInsulin),
                                                      none({425, 211, 1, 1}, Palette::longInsulin),
                                                      none({48, 206, 416, 36}, Palette::inRange)}
            << mgPerDl;
        // 12:00 lies 11 of 23 hours into the day (x 247), 13 of 25 (x 264.3).
        QTest::newRow("noon of the 23-hour day")
            << entry({2025, 3, 30}, 720, "Glucose", 120) << QDate(2025, 3, 30) << false << mg
            << QList<Probe>{{{243, 123, 9, 9}, Palette::inRange, 30, 81},
                            none({253, 120, 20, 16}, Palette::inRange)}
            << mgPerDl;
        QTest::newRow("noon of the 25-hour day")
            << entry({2025, 10, 26}, 720, "Glucose", 120) << QDate(2025, 10, 26) << false << mg
            << QList<Probe>{{{260, 123, 9, 9}, Palette::inRange, 30, 81},
                            none({240, 120, 15, 16}, Palette::inRange)}
            << mgPerDl;
        QTest::newRow("mmol/L labels")
            << QByteArray() << tuesday << false << GlucoseUnit::MmolPerL << QList<Probe>{}
            << QStringList{"0.0", "3.9", "10.0", "16.7"};
        // Wednesday's strip: plot x 88 to 416, y 71.1 to 85.7; 120 at noon at (252, 80).
        QTest::newRow("the week's strips")
            << entry(tuesday.addDays(1), 720, "Glucose", 120) << tuesday << true << mg
            << QList<Probe>{some({249, 77, 6, 6}, Palette::inRange),
                            none({0, 0, 480, 69}, Palette::inRange),
                            none({0, 90, 480, 170}, Palette::inRange)}
            << mgPerDl;
    }

    void chart()
    {
        QFETCH(QByteArray, diary);
        QFETCH(QDate, day);
        QFETCH(bool, week);
        QFETCH(GlucoseUnit, unit);
        QFETCH(QList<Probe>, probes);
        QFETCH(QStringList, labels);
        DayView &view = open(diary, day, unit);
        view.setWeekMode(week);
        // The view's chart, alone at a known size.
        DayChart chart;
        chart.showDays(view.chart()->days(), view.day(), view.settings());
        chart.resize(chartSize);
        QImage image(chartSize, QImage::Format_RGB32);
        chart.render(&image);
        for (const Probe &p : probes) {
            const int n = countColor(image, p.color, p.area);
            QVERIFY2(n >= p.min && n <= p.max,
                     qPrintable(QStringLiteral("%1 of %2 in ").arg(n).arg(p.color, 0, 16) +
                                QDebug::toString(p.area)));
        }
        QStringList texts;
        for (const auto &label : DayCharts::valueLabels(view.settings()))
            texts << label.second;
        QCOMPARE(texts, labels);
    }

    void entries_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<GlucoseUnit>("unit");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("figures"); // unchecked when empty
        const GlucoseUnit mg = GlucoseUnit::MgPerDl;
        const QDate monday = tuesday.addDays(-1), wednesday = tuesday.addDays(1);
        QTest::newRow("all but a sensor's readings, newest first")
            << sensor(tuesday, 360, 420, 150) + entry(tuesday, 720, "Glucose", 120) +
                   entry(tuesday, 750, "Bolus", 6) + entry(tuesday, 750, "Carbs", 45) +
                   entry(tuesday, 1320, "Lantus", 20) + entry(wednesday, 60, "Carbs", 10)
            << mg
            << QStringList{"22:00 Lantus   20", "12:30 Carbs   45", "12:30 Bolus    6",
                           "12:00 Glucose  120"}
            << QStringList{"14",      "148 mg/dL", "120 mg/dL", "150 mg/dL", "0.0 %",
                           "100.0 %", "0.0 %",     "45 g",      "6 U",       "20 U"};
        QTest::newRow("15 minutes across midnight a series, 16 apart alone")
            << entry(monday, 1425, "Glucose", 100) + entry(tuesday, 0, "Glucose", 100) +
                   entry(wednesday, 0, "Bolus", 1) + entry(tuesday, 600, "Glucose", 60) +
                   entry(tuesday, 616, "Glucose", 260) + entry(tuesday, 1430, "Glucose", 90) +
                   entry(wednesday, 6, "Glucose", 90)
            << mg << QStringList{"23:50 Glucose   90", "10:16 Glucose  260", "10:00 Glucose   60"}
            << QStringList{"4",      "128 mg/dL", "60 mg/dL", "260 mg/dL", "25.0 %",
                           "50.0 %", "25.0 %",    "0 g",      "0 U",       "0 U"};
        QTest::newRow("15 minutes apart are a series; entries that are no reading")
            << entry(tuesday, 600, "Glucose", 100) + entry(tuesday, 615, "Glucose", 100) +
                   entry(tuesday, 700, "Glucose", 0) + "30. 9.2025,noon,Carbs,20\n" +
                   entry(tuesday, 800, "Insuman Rapid", 3) + "30. 9.2025,14:00,Bolus, 2.5\n"
            << mg
            << QStringList{"14:00 Bolus  2.5", "13:20 Insuman Rapid    3", "11:40 Glucose    0",
                           "noon Carbs 20"}
            << QStringList{"2",       "100 mg/dL", "100 mg/dL", "100 mg/dL", "0.0 %",
                           "100.0 %", "0.0 %",     "20 g",      "5.5 U",     "0 U"};
        QTest::newRow("in mmol/L as the list shows them")
            << entry(tuesday, 720, "Glucose", 120) + entry(tuesday, 750, "Carbs", 45)
            << GlucoseUnit::MmolPerL << QStringList{"12:30 Carbs   45", "12:00 Glucose 6.7"}
            << QStringList{"1", "6.7 mmol/L", "6.7 mmol/L", "6.7 mmol/L"};
    }

    void entries()
    {
        QFETCH(QByteArray, diary);
        QFETCH(GlucoseUnit, unit);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, figures);
        DayView &view = open(diary, tuesday, unit);
        QCOMPARE(tableLines(view), lines);
        QCOMPARE(view.figureTexts().mid(0, figures.size()), figures);

        // Choosing a row names its row of the list; showing an entry chooses
        // nothing.
        QSignalSpy chosen(&view, &DayView::entryChosen);
        view.entriesView()->setCurrentIndex(view.entriesView()->model()->index(0, 0));
        QCOMPARE(chosen.size(), 1);
        const int row = chosen.front().front().toInt();
        QCOMPARE(m_list->index(row, 1).data().toString() + u' ' +
                     m_list->index(row, 2).data().toString() + u' ' +
                     m_list->index(row, 3).data().toString(),
                 lines[0]);
        view.showDay(tuesday.addDays(5));
        view.showEntry(row);
        QCOMPARE(view.day(), tuesday);
        QCOMPARE(view.entriesView()->currentIndex().row(), 0);
        QCOMPARE(chosen.size(), 1);
    }

    void following_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<bool>("week");
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("lines"); // inserted, or the rows after a reset
        QTest::addColumn<bool>("touches");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QDate>("marked"); // in the calendar afterwards, and not
        QTest::addColumn<QDate>("unmarked");
        const QDate monday = tuesday.addDays(-1), wednesday = tuesday.addDays(1),
                    sunday = tuesday.addDays(-2);
        const QByteArray diary =
            entry(sunday, 600, "Carbs", 10) + entry(tuesday, 480, "Glucose", 120) +
            entry(tuesday, 750, "Carbs", 45) + entry(wednesday, 60, "Bolus", 2);
        const QStringList before{"12:30 Carbs   45", "08:00 Glucose  120"};
        const auto row = [&](const char *name, Change change, int at, const QByteArray &lines,
                             bool touches, const QStringList &shown, const QDate &marked,
                             const QDate &unmarked, bool week = false) {
            QTest::newRow(name) << diary << week << change << at << lines << touches << shown
                                << marked << unmarked;
        };
        row("new entry of the day", Change::Insert, 1, entry(tuesday, 600, "Carbs", 20), true,
            {"12:30 Carbs   45", "10:00 Carbs   20", "08:00 Glucose  120"}, tuesday, monday);
        // The 5th of October is the last day the September page shows.
        row("new entry of another day, above the day's rows", Change::Insert, 0,
            entry({2025, 10, 5}, 600, "Carbs", 20), false, before, {2025, 10, 5}, monday);
        row("new entry of another day of the week", Change::Insert, 0,
            entry(tuesday.addDays(2), 600, "Carbs", 20), true, before, tuesday, monday, true);
        row("new entry of the next week", Change::Insert, 0,
            entry(tuesday.addDays(6), 600, "Carbs", 20), false, before, tuesday, monday, true);
        row("deleted entry of the day", Change::Remove, 1, {}, true, {"08:00 Glucose  120"},
            tuesday, monday);
        row("deleted entry of another day, above the day's rows", Change::Remove, 0, {}, false,
            before, tuesday, wednesday);
        row("deleted last entry of another day", Change::Remove, 3, {}, false, before, tuesday,
            sunday);
        row("read again, the day as it was", Change::Reset, 0,
            entry(monday.addDays(-5), 300, "Bolus", 1) + diary, false, before, monday.addDays(-5),
            monday);
        row("read again, the day changed", Change::Reset, 0,
            diary + entry(tuesday, 1200, "Basis", 12), true,
            {"20:00 Basis   12", "12:30 Carbs   45", "08:00 Glucose  120"}, tuesday, monday);
        row("sorted the other way", Change::Sort, 0, {}, false, before, wednesday, monday);
        QTest::newRow("a reading after midnight makes a series")
            << diary + entry(tuesday, 1430, "Glucose", 90) << false << Change::Insert << 0
            << entry(wednesday, 5, "Glucose", 95) << true << before << wednesday << monday;
        QTest::newRow("a deleted reading leaves its neighbour alone")
            << diary + entry(tuesday, 1420, "Glucose", 90) + entry(tuesday, 1430, "Glucose", 95)
            << false << Change::Remove << 0 << QByteArray() << true
            << QStringList{"23:40 Glucose   90", "12:30 Carbs   45", "08:00 Glucose  120"}
            << tuesday << monday;
    }

    void following()
    {
        QFETCH(QByteArray, diary);
        QFETCH(bool, week);
        QFETCH(Change, change);
        QFETCH(int, row);
        QFETCH(QByteArray, lines);
        QFETCH(bool, touches);
        QFETCH(QStringList, shown);
        QFETCH(QDate, marked);
        QFETCH(QDate, unmarked);
        DayView &view = open(diary, tuesday);
        // The list's filter follows too, as if built afresh.
        SensorFilterModel filter(m_list.get());
        QAbstractItemModelTester tester(&filter);
        view.setWeekMode(week);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PaintCounter counter;
        view.chart()->installEventFilter(&counter);
        QCoreApplication::processEvents();
        counter.paints = 0;
        Diary changed = diaryOf(lines);
        switch (change) {
        case Change::Insert:
            m_list->insertEntries({row}, {changed.entryTexts(0)});
            break;
        case Change::Remove:
            m_list->removeEntries({row});
            break;
        case Change::Reset:
            m_list->replaceRows(changed);
            break;
        case Change::Sort:
            m_list->sortByDateTime(true);
            break;
        }
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints > 0, touches);
        QCOMPARE(tableLines(view), shown);
        SensorFilterModel fresh(m_list.get());
        for (int line = 0; line <= fresh.rowCount(); ++line)
            QCOMPARE(filter.listRow(line), fresh.listRow(line));
        QCOMPARE(view.calendar()->dateTextFormat(marked).fontWeight(), int(QFont::Bold));
        QCOMPARE(view.calendar()->dateTextFormat(unmarked).fontWeight(), int(QFont::Normal));
    }
};

QTEST_MAIN(TestDayView)
#include "tst_dayview.moc"
