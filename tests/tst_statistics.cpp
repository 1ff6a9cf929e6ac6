// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/agpscale.h"
#include "analysis/excursions.h"
#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"
#include "analysis/statisticstext.h"
#include "analysis/targetset.h"
#include "app/statscommand.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diarychange.h"
#include "core/diaryfile.h"
#include "core/diarysession.h"
#include "core/entrytext.h"
#include "ui/agpchart.h"
#include "ui/mellidor.h"
#include "ui/palette.h"
#include "ui/rangebar.h"
#include "ui/statisticswindow.h"
#include "windowtestsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

static const QDate firstDay(2026, 12, 1), lastDay(2026, 12, 7);

static Diary diaryOf(const QStringList &lines)
{
    return diaryOf((lines.join(u'\n') + u'\n').toUtf8());
}

// Readings of these values on 2 December at 08:00.
static QStringList values(const QList<int> &values)
{
    QStringList lines;
    for (int v : values)
        lines << QStringLiteral(" 2.12.2026,08:00,Glucose,%1").arg(v);
    return lines;
}

// Each expected figure by its JSON key; a null one must be null, an object
// holds figures of its own.
static void checkFigures(const QJsonObject &json, const QJsonObject &expected)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QJsonValue actual = json.value(it.key());
        if (it->isObject()) {
            checkFigures(actual.toObject(), it->toObject());
            continue;
        }
        const QString got = actual.isNull() ? "null" : QString::number(actual.toDouble());
        QVERIFY2(it->isNull() ? actual.isNull()
                 : it->isString() || it->isArray()
                     ? actual == *it
                     : qAbs(actual.toDouble(1e9) - it->toDouble()) < 1e-6,
                 qPrintable(it.key() + " is " + got));
    }
}

// The style sheet of the first label of window that shows text, or "none".
static QString labelStyle(const QWidget &window, const QString &text)
{
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->text().contains(text))
            return label->styleSheet();
    return "none";
}

using Figures = QJsonObject;
Q_DECLARE_METATYPE(TargetSet)
static const QJsonValue null;

class TestStatistics : public QObject
{
    Q_OBJECT
    std::unique_ptr<WorkDir> m_dir;
    std::unique_ptr<Mellidor> m_main;

    void open(const QByteArray &diary)
    {
        m_main.reset(); // it locks the diary in the old directory
        m_dir.reset();
        m_dir = std::make_unique<WorkDir>(diary);
        m_main = std::make_unique<Mellidor>();
    }

private slots:
    // A window over a diary of its own for each test, at 15:00 on 6 December.
    void init()
    {
        Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
        // One reading in each period, so each longer period holds one more.
        open(testData("diary-one-per-period.txt"));
    }

    void figures_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("upper"); // the lower limit is 100
        QTest::addColumn<TargetSet>("targets");
        QTest::addColumn<Figures>("expected"); // with "previous": compared
        const auto row = [](const char *name, const QStringList &lines, const Figures &expected,
                            int upper = 130, TargetSet targets = TargetSet::Standard) {
            QTest::newRow(name) << lines << upper << targets << expected;
        };
        row("no readings", {" 2.12.2026,08:00,Carbs,  70"},
            {{"readings", 0},
             {"mean", null},
             {"days_with_entries", 1},
             {"carbs_per_day", 70},
             {"basal_percent", null},
             {"gri", null},
             {"gri_zone", null},
             {"lbgi", null}});
        row("one reading", values({100}),
            {{"sd", null},
             {"cv_percent", null},
             {"gmi_percent", 5.702},
             {"ea1c_percent", 5.1114983}});
        row("two readings", values({100, 200}),
            {{"mean", 150}, {"sd", 70.710678}, {"cv_percent", 47.140452}, {"median", 150}});
        row("range boundaries", values({53, 54, 69, 70, 180, 181, 250, 251}),
            {{"very_low_percent", 12.5},
             {"low_percent", 25},
             {"in_range_percent", 25},
             {"high_percent", 25},
             {"very_high_percent", 12.5}});
        row("tight range 70 to 140", values({69, 70, 140, 141}), {{"titr_percent", 50}});
        // hypo = VLow + 0.8 Low, hyper = VHigh + 0.5 High, GRI = 3 hypo + 1.6 hyper.
        row("GRI at its cap", values({40, 45}),
            {{"gri_hypo", 100}, {"gri_hyper", 0}, {"gri", 100}, {"gri_zone", "E"}});
        row("GRI of 20 is zone A", values({200, 100, 100, 100}),
            {{"gri_hyper", 12.5}, {"gri", 20}, {"gri_zone", "A"}});
        row("GRI of 24 is zone B", values({60, 100, 100, 100, 100, 100, 100, 100, 100, 100}),
            {{"gri_hypo", 8}, {"gri", 24}, {"gri_zone", "B"}});
        // 10 f(G)^2 with f = 1.509 ((ln G)^1.084 - 5.381): 0.48205 at 100, 33.952 at 300.
        row("risk indices", values({100, 300}), {{"lbgi", 0.2410256}, {"hbgi", 16.9759938}});
        row("own limits included at both ends", values({100, 101, 129, 130}),
            {{"below_target_percent", 25},
             {"in_target_percent", 50},
             {"above_target_percent", 25}});
        row("crossed limits: the upper one wins", values({80, 95, 120}),
            {{"below_target_percent", 33.333333}, {"above_target_percent", 66.666667}}, 90);
        row("values beyond the counted range", values({50, 1500, 2000}),
            {{"min", 50},
             {"median", 1500},
             {"max", 2000},
             {"mean", 1183.333333},
             {"very_low_percent", 33.333333}});
        row("outside the period, other types, unreadable dates and times",
            {"30.11.2026,12:00,Glucose,300", " 8.12.2026,00:00,Glucose,300",
             "xx.12.2026,12:00,Glucose,300", "31.11.2026,12:00,Glucose,300",
             " 4.12.2026,25:00,Glucose,300", " 4.12.2026,12:00,Glucose,abc",
             " 4.12.2026,12:00,glucose,300", " 4.12.2026,12:00,Carbs,300",
             " 4.12.2026,12:00,Glucose,100"},
            {{"readings", 1}, {"mean", 100}, {"days_with_readings", 1}});
        row("carbs and insulins per day",
            {" 1.12.2026,08:00,Carbs,70", " 7.12.2026,08:00,Carbs,70", " 2.12.2026,08:00,Bolus,7",
             " 2.12.2026,x,Novorapid,4", " 2.12.2026,08:00,Insuman Rapid,3",
             " 2.12.2026,22:00,Lantus,20", " 3.12.2026,22:00,Semilente,1",
             " 3.12.2026,22:00,Fiasp,50", "30.11.2026,22:00,Basis,70"},
            // Over the 4 days with entries (Fiasp is no type of ours, but an entry).
            {{"carbs_per_day", 35},
             {"bolus_per_day", 3.5},
             {"basal_per_day", 5.25},
             {"insulin_per_day", 8.75},
             {"basal_percent", 60}});
        row("fractional doses sum exactly",
            {" 2.12.2026,08:00,Bolus,2.35", " 2.12.2026,12:00,Novorapid,0.15",
             " 3.12.2026,08:00,Humalog, 2.5", " 4.12.2026,08:00,Bolus,   2",
             " 2.12.2026,22:00,Lantus,12.35", " 3.12.2026,22:00,Basis,1.645",
             " 5.12.2026,08:00,Carbs,   0"},
            {{"bolus_per_day", 1.75}, {"basal_per_day", 3.5}, {"insulin_per_day", 5.25}});
        // Below, at or between, above the set's range; the consensus keys keep 70 to 180.
        for (TargetSet set : {TargetSet::Standard, TargetSet::Older, TargetSet::PregnancyType1,
                              TargetSet::PregnancyType2}) {
            const bool pregnancy = set >= TargetSet::PregnancyType1;
            row(targetSetKey(set), values({62, 63, 140, 141, 180, 181}),
                {{"target_set", QString(targetSetKey(set))},
                 {"target_range", pregnancy ? QJsonArray{63, 140} : QJsonArray{70, 180}},
                 {"target_below_percent", pregnancy ? 100.0 / 6 : 100.0 / 3},
                 {"target_in_range_percent", pregnancy ? 100.0 / 3 : 50},
                 {"target_above_percent", pregnancy ? 50 : 100.0 / 6},
                 {"in_range_percent", 50}},
                130, set);
        }
        // The week before 1 December: readings and carbs on its first and last
        // day only, and none before it.
        row("the period before, across a gap",
            {"23.11.2026,08:00,Glucose,300", "24.11.2026,08:00,Glucose,100",
             "24.11.2026,08:00,Carbs,50", "30.11.2026,23:59,Glucose,200",
             "30.11.2026,23:59,Carbs,30", " 1.12.2026,00:00,Glucose,120"},
            {{"readings", 1},
             {"previous", Figures{{"from", "2026-11-24"}, {"mean", 150}, {"carbs_per_day", 40}}}});
        row("the period before the diary's start", values({120}),
            {{"mean", 120},
             {"previous",
              Figures{{"readings", 0}, {"mean", null}, {"days", 7}, {"carbs_per_day", null}}}});
    }
    void figures()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, upper);
        QFETCH(TargetSet, targets);
        QFETCH(Figures, expected);
        const QJsonObject json =
            toJson(computeStatistics(diaryOf(lines), {firstDay, lastDay, 100, upper, targets,
                                                      expected.contains("previous")}));
        checkFigures(json, expected);
        QCOMPARE(json.contains("previous"), expected.contains("previous"));
    }

    void agpBinsByHour()
    {
        QStringList lines{" 5.12.2026,12:00,Glucose,100"};
        for (const char *time : {"23:59", "00:00", "00:59", "12:00", "12:04", "12:05"})
            lines << QStringLiteral(" 3.12.2026,%1,Glucose,100").arg(time);
        for (int v = 100; v < 200; v += 10)
            lines << QStringLiteral(" 6.12.2026,08:%1,Glucose,%2").arg(v / 10).arg(v);
        const GlucoseStatistics s = computeStatistics(diaryOf(lines), firstDay, lastDay, 100, 130);
        QCOMPARE(QList<int>({s.agp[23].n, s.agp[0].n, s.agp[12].n, s.agp[1].n, s.agp[5].hour,
                             s.daysWithReadings}),
                 QList<int>({1, 2, 4, 0, 5, 3}));
        QVERIFY(!s.agp[1].p50);
        // Ten values 100..190 in hour 8: ranks at 9 * p / 100.
        const AgpBin &h = s.agp[8];
        QCOMPARE(QList<double>({*h.p5, *h.p25, *h.p50, *h.p75, *h.p95}),
                 QList<double>({104.5, 122.5, 145, 167.5, 185.5}));
        // Minute after minute on 6 December: the gap most seen is one minute,
        // so each reading fills a slot of its own.
        QCOMPARE(s.intervalMinutes.value_or(-1), 1);
        QCOMPARE(s.coveragePercent.value_or(-1), 100.0 * 17 / (7 * 1440));

        // A period of millennia counts its days and slots without a bit per slot.
        const GlucoseStatistics wide =
            computeStatistics(diaryOf(lines), QDate(1, 1, 1), QDate(9999, 12, 31), 100, 130);
        QCOMPARE(QList<int>({wide.readings, wide.daysWithReadings}), QList<int>({17, 3}));
        QCOMPARE(wide.coveragePercent.value_or(-1), 100.0 * 17 / (double(wide.days) * 1440));
        QCOMPARE(entryDateRange(diaryOf(lines)),
                 std::make_optional(std::make_pair(QDate(2026, 12, 3), QDate(2026, 12, 6))));
        QVERIFY(!entryDateRange(diaryOf("note")) && entryDateRange(diaryOf("3.12.2026,8:00,x,1")));
    }

    void sensorInterval_data()
    {
        QTest::addColumn<int>("step");        // minutes between readings
        QTest::addColumn<int>("days");        // with readings, of 14, the last ones
        QTest::addColumn<int>("hours");       // covered each day from midnight
        QTest::addColumn<int>("interval");    // -1: none
        QTest::addColumn<double>("coverage"); // -1: none
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("copies"); // of each reading, at the same minute
        QTest::newRow("every 15 minutes") << 15 << 14 << 24 << 15 << 100.0 << 0 << 1;
        QTest::newRow("every 5 minutes") << 5 << 14 << 24 << 5 << 100.0 << 0 << 1;
        QTest::newRow("every minute") << 1 << 14 << 24 << 1 << 100.0 << 0 << 1;
        QTest::newRow("every 7 minutes, a short last slot")
            << 7 << 14 << 24 << 7 << 100.0 << 0 << 1;
        QTest::newRow("half of each day") << 15 << 14 << 12 << 15 << 50.0 << 1 << 1;
        QTest::newRow("five days") << 5 << 5 << 24 << 5 << 100.0 * 5 / 14 << 2 << 1;
        QTest::newRow("16 minutes: no sensor") << 16 << 14 << 24 << -1 << -1.0 << 0 << 1;
        QTest::newRow("a meter, five days") << 240 << 5 << 24 << -1 << -1.0 << 0 << 1;
        // A slot counts once, however many readings it holds.
        QTest::newRow("half of each day, twice") << 15 << 14 << 12 << 15 << 50.0 << 1 << 2;
    }
    void sensorInterval()
    {
        QFETCH(int, step);
        QFETCH(int, days);
        QFETCH(int, hours);
        QFETCH(int, interval);
        QFETCH(double, coverage);
        QFETCH(int, warnings);
        QFETCH(int, copies);
        QStringList lines;
        for (int day = 0; day < days; ++day) {
            const QDate date = lastDay.addDays(-day);
            for (int minute = 0; minute < hours * 60; minute += step) {
                for (int copy = 0; copy < copies; ++copy)
                    lines << formatDate(date.day(), date.month(), date.year()) + u',' +
                                 formatTime(minute / 60, minute % 60) + ",Glucose, 120";
            }
        }
        const GlucoseStatistics s =
            computeStatistics(diaryOf(lines), lastDay.addDays(-13), lastDay, 100, 130);
        QCOMPARE(statisticsWarnings(s).size(), warnings);
        const QJsonObject json = toJson(s);
        QCOMPARE(json["interval_minutes"].toInt(-1), interval);
        QCOMPARE(json["coverage_percent"].toDouble(-1), coverage);
        // Events and excursions need a sensor.
        QCOMPARE(json["events_below_70"].toInt(-1), interval < 0 ? -1 : 0);
    }

    void excursions_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QList<QPoint>>("readings"); // minute, mg/dL
        QTest::addColumn<QList<int>>("events");      // below 70, below 54
        QTest::addColumn<double>("eventMinutes");    // -1: none
        QTest::addColumn<double>("mage");            // -1: none
        // Readings every step minutes from minute start, and one of 100 after.
        const auto run = [](const QList<int> &values, int step = 5, int start = 0) {
            QList<QPoint> readings;
            for (int v : values)
                readings << QPoint(start + int(readings.size()) * step, v);
            return readings << QPoint(start + int(readings.size()) * step, 100);
        };
        const auto row = [](const char *name, const QList<QPoint> &readings, QList<int> events,
                            double minutes, int interval = 5) {
            QTest::newRow(name) << interval << readings << events << minutes << -1.0;
        };
        row("15 minutes below 70", run({69, 69, 69}), {1, 0}, 15);
        row("70 is not below", run({70, 70, 70}), {0, 0}, -1);
        row("10 minutes are no event", run({60, 60}), {0, 0}, -1);
        row("one reading at 15 minutes", run({60}, 15), {1, 0}, 15, 15);
        row("every minute, 15 of them", run(QList<int>(15, 60), 1), {1, 0}, 15, 1);
        row("every minute, 14 of them", run(QList<int>(14, 60), 1), {0, 0}, -1, 1);
        row("runs 15 minutes apart are one event", run({60, 60, 60, 80, 80, 60, 60}), {1, 0}, 35);
        row("runs 20 minutes apart are two", run({60, 60, 60, 80, 80, 80, 60, 60, 60}), {2, 0}, 15);
        row("a gap longer than two intervals ends a run",
            run({60, 60}).mid(0, 2) + run({60, 60}, 5, 25), {0, 0}, -1);
        row("a gap of two intervals does not", run({60, 60}).mid(0, 2) + run({60}, 5, 15), {1, 0},
            20);
        row("below 54 within below 70", run({50, 50, 50, 60, 60, 60}), {1, 1}, 30);

        // Triangles from low to high and back in 2 * half steps, ending low.
        // Every second one peaks at otherHigh where that is given.
        const auto waves = [](int cycles, int half, int low, int high, int step, int start = 0,
                              int otherHigh = 0) {
            QList<QPoint> readings;
            for (int i = 0; i <= 2 * cycles * half; ++i) {
                const int phase = i % (2 * half);
                const int up = phase <= half ? phase : 2 * half - phase;
                const int peak = otherHigh && i / (2 * half) % 2 ? otherHigh : high;
                readings << QPoint(start + i * step, low + (peak - low) * up / half);
            }
            return readings;
        };
        const auto mage = [](const char *name, const QList<QPoint> &readings, double mage,
                             int interval = 5) {
            QTest::newRow(name) << interval << readings << QList<int>{0, 0} << -1.0 << mage;
        };
        // Straight lines through these levels, ten readings each.
        const auto steps = [](const QList<int> &levels, int start = 0) {
            QList<QPoint> readings{{start, levels[0]}};
            for (qsizetype l = 1; l < levels.size(); ++l) {
                for (int i = 1; i <= 10; ++i)
                    readings << QPoint(start + int(readings.size()) * 5,
                                       levels[l - 1] + (levels[l] - levels[l - 1]) * i / 10);
            }
            return readings;
        };
        // Only the direction of the first excursion counts: rises of 150 and
        // falls of 100 give 150 when a rise comes first and 100 when a fall
        // does (the mean of both would be 125).
        mage("a rise first: the rises", steps({100, 250, 150, 300, 200, 350, 250}), 150);
        mage("a fall first: the falls", steps({250, 150, 300, 200, 350, 250, 400}), 100);
        // The first rise, of 30, is smaller than the deviation: the fall after it comes first.
        mage("an uncounted rise first: the falls", steps({200, 230, 100, 250, 120, 270, 140}), 130);
        mage("every excursion 100", waves(6, 10, 100, 200, 5), 100);
        mage("excursions of 100 and 60", waves(6, 10, 100, 200, 5, 0, 160), 80);
        // The standard deviation is 29: rises of 20 are no excursions.
        mage("rises below the deviation left out", waves(6, 10, 100, 200, 5, 0, 120), 100);
        // The windows last 25 and 160 minutes: 2 and 11 readings at 15.
        mage("every 15 minutes", waves(3, 4, 100, 200, 15), 100, 15);
        mage("fewer readings than the long window", waves(6, 10, 100, 200, 5).mid(0, 31), -1);
        mage("fewer at 15 minutes", waves(3, 4, 100, 200, 15).mid(0, 10), -1, 15);
        mage("flat", QList<QPoint>(40, QPoint(0, 120)), -1);
        // Parts of equal length apart by an hour: 100 and 40 weigh alike. A
        // line through the gap would give 71.08.
        const QList<QPoint> first = waves(3, 20, 100, 200, 5);
        mage("parts split at a long gap", first + waves(6, 10, 140, 180, 5, 660), 70);
    }
    void excursions()
    {
        QFETCH(int, interval);
        QFETCH(QList<QPoint>, readings);
        QFETCH(QList<int>, events);
        QFETCH(double, eventMinutes);
        QFETCH(double, mage);
        std::vector<TimedReading> series;
        for (const QPoint &p : readings)
            series.push_back(TimedReading{p.x(), p.y()});
        const HypoEvents below70 = hypoEvents(series, interval, 70);
        QCOMPARE(QList<int>({below70.count, hypoEvents(series, interval, 54).count}), events);
        QCOMPARE(below70.meanMinutes.value_or(-1), eventMinutes);
        const std::optional<double> amplitude = meanAmplitudeOfExcursions(series, interval);
        QVERIFY2(qAbs(amplitude.value_or(-1) - mage) < 1e-9,
                 qPrintable(QString::number(amplitude.value_or(-1))));
    }

    // Traces whose MAGE people measured by hand (iglu's test data), each
    // imported whole as one period.
    void mageByHand_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("manual");
        QTest::newRow("JHU 5746-5842") << "mage-jhu-5746-5842.csv" << 89.0;
        QTest::newRow("Tsalikian 2005 1-135") << "mage-tsalikian2005-1-135.csv" << 138.0;
        QTest::newRow("JHU 2994-3281") << "mage-jhu-2994-3281.csv" << 70.0;
    }
    void mageByHand()
    {
        QFETCH(QString, file);
        QFETCH(double, manual);
        QStringList lines;
        for (const QByteArray &row : testData(qPrintable(file)).split('\n').mid(1)) {
            const QDateTime t =
                QDateTime::fromString(QString(row.split(',').value(1)), "yyyy-MM-dd HH:mm:ss");
            if (t.isValid())
                lines.prepend(t.toString("dd.MM.yyyy,hh:mm") + ",Glucose," +
                              row.split(',').value(2).trimmed());
        }
        const Diary diary = diaryOf(lines);
        const auto [first, last] = *entryDateRange(diary);
        const GlucoseStatistics s = computeStatistics(diary, first, last, 100, 130);
        QVERIFY2(qAbs(s.mage.value_or(0) / manual - 1) <= 0.03,
                 qPrintable(QString::number(s.mage.value_or(-1))));
    }

    void timeOrder_data()
    {
        QTest::addColumn<QList<int>>("minutes");
        QTest::newRow("in order, ties") << QList<int>{1, 2, 2, 3};
        QTest::newRow("one far ahead") << QList<int>{1, 900, 2, 3, 4};
        QTest::newRow("one far behind") << QList<int>{5, 6, 7, 1, 8};
        QTest::newRow("ahead at the end, behind at the start") << QList<int>{4, 1, 2, 9, 3};
        QTest::newRow("reversed") << QList<int>{5, 4, 3, 2, 1};
    }
    void timeOrder()
    {
        QFETCH(QList<int>, minutes);
        std::vector<TimedReading> readings;
        QList<QPoint> expected, got; // minute, row
        for (int i = 0; i < minutes.size(); ++i) {
            readings.push_back(TimedReading{minutes[i], i}); // the value tells rows apart
            expected << QPoint(minutes[i], i);
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](QPoint a, QPoint b) { return a.x() < b.x(); });
        putInTimeOrder(readings);
        for (const TimedReading &r : readings)
            got << QPoint(int(r.minute), r.value);
        QCOMPARE(got, expected);
    }

    // No sensor, none, one and several events, in either unit.
    void eventsSentence()
    {
        GlucoseStatistics s;
        QStringList texts{eventsText(s, GlucoseUnit::MgPerDl)};
        s.eventsBelow70 = s.eventsBelow54 = 0;
        texts << eventsText(s, GlucoseUnit::MgPerDl);
        s.eventsBelow70 = 1;
        s.eventMinutesBelow70 = 15;
        texts << eventsText(s, GlucoseUnit::MgPerDl);
        s.eventsBelow70 = 3;
        s.eventsBelow54 = 1;
        s.eventMinutesBelow70 = 26.6; // rounded
        texts << eventsText(s, GlucoseUnit::MmolPerL);
        QCOMPARE(texts, QStringList({"", "0 events below 70, 0 below 54",
                                     "1 event below 70 (mean 15 min), 0 below 54",
                                     "3 events below 3.9 (mean 27 min), 1 below 3.0"}));
    }

    // After an import of the past, the first look is not an empty one.
    void firstLookAtAnImportedPast()
    {
        open(" 1. 3.2025,12:00,Glucose, 130\n14. 3.2025,12:00,Glucose, 120\n"
             " 5.12.2026,12:00,Carbs,  10\n");
        StatisticsWindow window(&m_main->session());
        const GlucoseStatistics s = window.statistics();
        QCOMPARE(QList<QDate>({s.from, s.to}),
                 QList<QDate>({QDate(2025, 3, 1), QDate(2025, 3, 14)}));
        QCOMPARE(s.readings, 2);
        QVERIFY(labelStyle(window, firstLookNote()) != "none");
        // The command without a period looks the same way and says so; --days 14 does not.
        QString text;
        QTextStream out(&text);
        for (const QStringList &arguments : {QStringList(), {"--json"}, {"--days", "14"}})
            runStatsCommand(arguments, out, out);
        out.flush();
        QCOMPARE(text.count(firstLookNote()), 2);
        QCOMPARE(text.count(QRegularExpression("2025-03-01.*to.*2025-03-14")), 2);
        window.setPeriod(PeriodChooser::Last14Days);
        QVERIFY(window.statistics().readings == 0 && labelStyle(window, firstLookNote()) == "none");
        QList<QDate> offered;
        answerDialog(m_main.get(), "saveReport", [&](QDialog *dialog) {
            for (const QDateEdit *edit : dialog->findChildren<QDateEdit *>())
                offered << edit->date();
            offered << QDate(2000, 1, dialog->findChildren<QComboBox *>()[0]->currentIndex() + 1);
            dialog->reject();
        });
        QCOMPARE(offered, QList<QDate>({QDate(2025, 3, 1), QDate(2025, 3, 14), QDate(2000, 1, 5)}));
    }

    void scale()
    {
        using namespace AgpScale;
        QCOMPARE(formatGlucose(112.5, GlucoseUnit::MgPerDl), QStringLiteral("113")); // halves up
        const QRectF plot = plotArea(QSizeF(500, 300));
        QCOMPARE(QList<double>({hourX(12, plot), hourX(30, plot), valueY(175, 350, plot),
                                valueY(-5, 350, plot), valueY(900, 350, plot)}),
                 QList<double>({260, 476, 143, 276, 10}));

        GlucoseStatistics s = computeStatistics(Diary(), firstDay, lastDay, 100, 130);
        for (int hour : {0, 1, 5, 23})
            s.agp[size_t(hour)].p50 = s.agp[size_t(hour)].p95 = 100 + hour;
        s.agp[23].p95 = 520;
        QCOMPARE(topValue(s), 550.0);
        // Hours 0-1 and 23 meet over midnight at the edges; hour 5 stands alone.
        QCOMPARE(percentileRuns(s.agp, &AgpBin::p50),
                 (std::vector<Run>{{{0, 111.5}, {0.5, 100}, {1.5, 101}},
                                   {{5.5, 105}},
                                   {{23.5, 123}, {24, 111.5}}}));

        s.veryHighPercent = 10;
        s.highPercent = 20;
        s.inRangePercent = s.veryLowPercent = 100.0 / 3;
        s.lowPercent = 100.0 / 3 - 30;
        const auto segments = rangeSegments(s, QRectF(0, 7, 10, 100));
        const auto segment = [&segments](GlucoseRange range) { return segments[size_t(range)]; };
        QCOMPARE(
            QList<double>({segment(GlucoseRange::VeryHigh).top(), segment(GlucoseRange::High).top(),
                           segment(GlucoseRange::VeryLow).bottom()}),
            QList<double>({7, 17, 107}));
        for (size_t range = 1; range < segments.size(); ++range)
            QCOMPARE(segments[range].top(), segments[range - 1].bottom());
    }

    // Lines as "label|value|target|change|+ or -" (in the reader's favour or
    // not); one starting with "!" must not be there. With changes expected,
    // against the week before: 100, 100, 150 mg/dL, 40 g and 10 U of Lantus.
    void lines_data()
    {
        QTest::addColumn<QStringList>("entries"); // on 2 December
        QTest::addColumn<TargetSet>("targets");
        QTest::addColumn<QStringList>("expected");
        const QStringList some = values({60, 100, 200, 300});
        QTest::newRow("standard, not named; no insulin")
            << some << TargetSet::Standard
            << QStringList{"!Targets", "Time above 250|25.0 %|< 5 %  ✗||",
                           "Time below 54|0.0 %|< 1 %  ✓||", "Basal insulin|0.0 U|||",
                           "Basal share of the insulin|–|||"};
        QTest::newRow("older") << some << TargetSet::Older
                               << QStringList{"Targets|Older or high-risk|||",
                                              "Time in range 70–180|25.0 %|> 50 %  ✗||",
                                              "Time below 54|0.0 %|||", "Time above 180|50.0 %|||",
                                              "Time above 250|25.0 %|< 10 %  ✗||"};
        QTest::newRow("pregnancy, type 1")
            << some << TargetSet::PregnancyType1
            << QStringList{"Targets|Pregnancy, type 1|||", "Time above 140|50.0 %|< 25 %  ✗||",
                           "Time in range 63–140|25.0 %|> 70 %  ✗||",
                           "Time below 63|25.0 %|< 4 %  ✗||", "!Time above 250"};
        QTest::newRow("pregnancy, type 2: no goals")
            << some << TargetSet::PregnancyType2
            << QStringList{"Time in range 63–140|25.0 %|||", "Time below 63|25.0 %|||"};
        QTest::newRow("per day, over the days with entries")
            << QStringList{" 2.12.2026,08:00,Carbs,50", " 5.12.2026,08:00,Basis,10.5"}
            << TargetSet::Standard
            << QStringList{"Per day, over 2 days with entries||||", "Carbs|25.0 g|||",
                           "Total insulin|5.3 U|||", "Basal share of the insulin|100.0 %|||"};
        QTest::newRow("rapid insulin only: no basal to show")
            << QStringList{" 2.12.2026,08:00,Novorapid,6"} << TargetSet::Standard
            << QStringList{"Per day, over 1 day with entries||||", "Total insulin|6.0 U|||",
                           "Basal insulin|No basal insulin recorded in this period|||",
                           "Basal share of the insulin|–|||"};
        QTest::newRow("against the week before")
            << values({100, 200}) << TargetSet::PregnancyType1
            << QStringList{"Mean glucose|150 mg/dL||↑ +33|-",
                           "Readings|2||↓ −1|-",
                           "Minimum|100 mg/dL||→ 0|",
                           "Time above 140|50.0 %|< 25 %  ✗|↑ +16.7|-",
                           "Time in range 63–140|50.0 %|> 70 %  ✗|↓ −16.7|-",
                           "Carbs|0.0 g||↓ −40.0|",
                           "Basal insulin|0.0 U||↓ −10.0|",
                           "Basal share of the insulin|–||–|",
                           "Targets|Pregnancy, type 1|||",
                           "Mean amplitude of excursions|–||–|"};
    }
    void lines()
    {
        QFETCH(QStringList, entries);
        QFETCH(TargetSet, targets);
        QFETCH(QStringList, expected);
        const QStringList before{"27.11.2026,08:00,Glucose,100", "27.11.2026,09:00,Glucose,100",
                                 "27.11.2026,10:00,Glucose,150", "27.11.2026,10:00,Carbs,40",
                                 "27.11.2026,22:00,Lantus,10"};
        const bool compare = expected.join(u' ').contains(u'→');
        const GlucoseStatistics s = computeStatistics(
            diaryOf(before + entries), {firstDay, lastDay, 100, 130, targets, compare});
        QStringList shown;
        for (const auto &lines : {statisticsLines(s, GlucoseUnit::MgPerDl, 100, 130),
                                  riskLines(s, GlucoseUnit::MgPerDl)}) {
            for (const StatisticsLine &l : lines)
                shown << QStringList{l.label, l.value, targetWithMark(l), l.change,
                                     l.favourable ? (*l.favourable ? "+" : "-") : ""}
                             .join(u'|');
        }
        for (const QString &line : expected) {
            QVERIFY2(line.startsWith(u'!') ? !shown.join(u'\n').contains(line.mid(1))
                                           : shown.contains(line),
                     qPrintable(line + " in:\n" + shown.join(u'\n')));
        }
    }

    // Each consensus target compares its own way: at most, at least, below, above.
    void targets_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("figure");
        QTest::addColumn<QString>("target"); // with its mark
        QTest::newRow("CV at its limit") << "Coefficient of variation" << 36.0 << "≤ 36 %  ✓";
        QTest::newRow("CV above") << "Coefficient of variation" << 36.1 << "≤ 36 %  ✗";
        QTest::newRow("days at the limit") << "Days with readings" << 14.0 << "≥ 14  ✓";
        QTest::newRow("days below") << "Days with readings" << 13.0 << "≥ 14  ✗";
        QTest::newRow("coverage at the limit") << "Sensor coverage" << 70.0 << "≥ 70 %  ✓";
        QTest::newRow("in range at the limit") << "Time in range 70–180" << 70.0 << "> 70 %  ✗";
        QTest::newRow("in range above") << "Time in range 70–180" << 70.1 << "> 70 %  ✓";
        QTest::newRow("below 54 at the limit") << "Time below 54" << 1.0 << "< 1 %  ✗";
        QTest::newRow("above 250 below") << "Time above 250" << 4.9 << "< 5 %  ✓";
    }
    void targets()
    {
        QFETCH(QString, label);
        QFETCH(double, figure);
        QFETCH(QString, target);
        GlucoseStatistics s;
        s.readings = 1;
        s.daysWithReadings = int(figure);
        s.coveragePercent = figure;
        s.cvPercent = s.inRangePercent = s.veryLowPercent = s.veryHighPercent = figure;
        const auto targets = [&s](const QString &label) {
            QStringList found;
            for (const StatisticsLine &line : statisticsLines(s, GlucoseUnit::MgPerDl, 100, 130))
                if (line.label == label)
                    found << targetWithMark(line);
            return found;
        };
        QCOMPARE(targets(label), QStringList{target});
        s.cvPercent.reset(); // no figure, no mark
        QCOMPARE(targets("Coefficient of variation"), QStringList{"≤ 36 %"});
    }

    void command_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<Figures>("expected");
        QTest::newRow("default: 14 days")
            << "--json" << 0 << Figures{{"days", 14}, {"readings", 2}};
        // The settings' limits 95 and 160 hold 90 below and 150 between them.
        QTest::newRow("one day") << "--days 1 --json" << 0
                                 << Figures{{"days", 1}, {"below_target_percent", 100}};
        QTest::newRow("from = to")
            << "--from 2026-12-06 --to=2026-12-06 --json" << 0 << Figures{{"days", 1}};
        QTest::newRow("dates") << "--from 2026-11-01 --to 2026-11-30 --json" << 0
                               << Figures{
                                      {"days", 30}, {"readings", 1}, {"in_target_percent", 100}};
        for (TargetSet set : targetSets)
            QTest::newRow(targetSetKey(set))
                << "--json --targets " + QString(targetSetKey(set)) << 0
                << Figures{{"target_set", QString(targetSetKey(set))}};
        QTest::newRow("compared: JSON")
            << "--days 7 --compare --json" << 0 << Figures{{"previous", Figures{{"mean", 150}}}};
        QTest::newRow("compared: lines")
            << "--days 7 --compare" << 0 << Figures{{"text", "Mean glucose: 90 mg/dL ↓ −60"}};
        for (const char *bad :
             {"--targets elderly", "--targets", "--compare=yes", "--days 0", "--days 2x",
              "--from 2026-11-01", "--weeks 2", "today",
              "--days 3 --from 2026-11-01 --to 2026-11-02", "--from 2026-11-02 --to 2026-11-01",
              "--from 2026-02-30 --to 2026-03-01"})
            QTest::newRow(bad) << bad << 2 << Figures();
    }
    void command()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(Figures, expected);
        WorkDir dir("25.11.2026,12:00,Glucose, 150\n 6.12.2026,09:00,Glucose,  90\n");
        QDir().mkdir("Settings");
        writeBytes(dir.file("Settings/Mellidor.conf"), " 95\n160\n200\n  3\n");
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(runStatsCommand(arguments.split(u' '), out, err), status);
        QCOMPARE(errText.isEmpty(), status == 0);
        QVERIFY2(outText.simplified().contains(expected.take("text").toString()),
                 qPrintable(outText));
        checkFigures(QJsonDocument::fromJson(outText.toUtf8()).object(), expected);
    }
    void periods_data()
    {
        QTest::addColumn<int>("period"); // StatisticsWindow::Period
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("readings");
        QTest::addColumn<int>("mgPerDl"); // the mean
        QTest::addColumn<QString>("mmolPerL");
        QTest::newRow("7 days") << 0 << QDate(2026, 11, 30) << 2 << 150 << "8.3";
        QTest::newRow("14 days") << 1 << QDate(2026, 11, 23) << 3 << 140 << "7.8";
        QTest::newRow("30 days") << 2 << QDate(2026, 11, 7) << 4 << 135 << "7.5";
        QTest::newRow("90 days") << 3 << QDate(2026, 9, 8) << 5 << 132 << "7.3";
        QTest::newRow("all entries") << 4 << QDate(2020, 1, 1) << 6 << 130 << "7.2";
        QTest::newRow("dates") << 5 << QDate(2026, 12, 3) << 2 << 150 << "8.3";
    }
    void periods()
    {
        QFETCH(int, period);
        QFETCH(QDate, from);
        QFETCH(int, readings);
        QFETCH(int, mgPerDl);
        QFETCH(QString, mmolPerL);
        StatisticsWindow window(&m_main->session());
        if (period == PeriodChooser::Dates)
            window.setDates(from, QDate(2026, 12, 6));
        else
            window.setPeriod(PeriodChooser::Period(period));
        QCOMPARE(window.period(), PeriodChooser::Period(period));
        const GlucoseStatistics s = window.statistics();
        QCOMPARE(QList<QDate>({s.from, s.to}), QList<QDate>({from, QDate(2026, 12, 6)}));
        QCOMPARE(s.readings, readings);
        // One reading a day is a meter's: no sensor figures to warn about.
        QCOMPARE(window.warningText(), QString());
        // The person's own limits, each where it belongs.
        QVERIFY(labelStyle(window, "At or above your upper limit 130") != "none" &&
                labelStyle(window, "At or below your lower limit 100") != "none");
        QVERIFY(window.figureTexts().contains(QStringLiteral("%1 mg/dL").arg(mgPerDl)));
        window.setUnit(GlucoseUnit::MmolPerL);
        QVERIFY(window.figureTexts().contains(mmolPerL + " mmol/L"));
        QVERIFY(!window.figureTexts().join(' ').contains("mg/dL")); // only the unit shown
    }

    // Changes green in the reader's favour; another set leaves no line behind.
    void compareAndTargets()
    {
        StatisticsWindow window(&m_main->session());
        window.setPeriod(PeriodChooser::Last7Days);
        window.show();
        const qsizetype labels = window.findChildren<QLabel *>().size();
        window.compareBox()->click();
        QCOMPARE(window.changeTexts().mid(0, 4), QStringList({"↑ +1", "↑ +1", "–", "↑ +30"}));
        QCOMPARE(QStringList({labelStyle(window, "↑ +1"), labelStyle(window, "↑ +30")}),
                 QStringList({Palette::styleSheetColor(Palette::met),
                              Palette::styleSheetColor(Palette::missed)}));
        QVERIFY(labelStyle(window, "Compared with 2026-11-23 to 2026-11-29") != "none");
        Preferences chosen = m_main->preferences();
        for (TargetSet set : {TargetSet::Older, TargetSet::PregnancyType1, TargetSet::Standard}) {
            chosen.targets = set;
            m_main->setPreferences(chosen);
            QTRY_COMPARE(window.statistics().targetSet, set);
            QCOMPARE(labelStyle(window, "Time above 250") != "none",
                     set != TargetSet::PregnancyType1);
            QCOMPARE(labelStyle(window, targetSetName(set)) != "none", set != TargetSet::Standard);
        }
        window.compareBox()->click();
        QCOMPARE(window.findChildren<QLabel *>().size(), labels);
        QVERIFY(window.changeTexts().join("").isEmpty() && !window.statistics().previous);
    }

    void followsTheDiary()
    {
        auto *window = new StatisticsWindow(&m_main->session());
        window->setPeriod(PeriodChooser::Last7Days);
        window->show();
        m_main->undoStack()->push(new InsertEntries(&m_main->session().document(), "New", {0},
                                                    {{" 6.12.2026", "14:00", "Glucose", " 300"}}));
        QTRY_COMPARE(window->statistics().readings, 3);
        m_main->undoStack()->undo();
        QTRY_COMPARE(window->statistics().readings, 2);

        // Without its main window it shows no readings and does not crash.
        m_main.reset();
        window->refresh();
        QCOMPARE(window->statistics().readings, 0);
        delete window;
    }

    void chartPixels()
    {
        using namespace AgpScale;
        GlucoseStatistics s;
        for (int hour = 10; hour <= 14; ++hour)
            s.agp[size_t(hour)] = {hour, 10, 60, 100, 140, 200, 260};
        AgpChart chart;
        chart.resize(480, 300);
        chart.setStatistics(s, GlucoseUnit::MgPerDl, 100, 130);
        const QRectF plot = plotArea(chart.size());
        for (const qreal ratio : {1.0, 2.0}) { // lines stay on whole device pixels at either
            QImage image(chart.size() * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            chart.render(&image);
            const auto at = [&](double hour, double mgPerDl) {
                return QColor(image.pixel(int(hourX(hour, plot) * ratio),
                                          int(std::floor(valueY(mgPerDl, 350, plot)) * ratio)));
            };
            QCOMPARE(QList<QColor>({at(12.5, 115), at(12.5, 230), at(12.5, 140), at(12.5, 300),
                                    at(4.5, 180), at(4.5, 70), at(4.5, 115)}),
                     QList<QColor>({Palette::innerBand, Palette::outerBand, Palette::median,
                                    chart.palette().base().color(), Palette::targetLine,
                                    Palette::targetLine, chart.palette().base().color()}));
        }
    }

    // Each range's segment and swatch in its colour; a share of 0 has no segment.
    void rangeBarPixels()
    {
        using namespace AgpScale;
        GlucoseStatistics s;
        s.readings = 10;
        s.veryHighPercent = 10;
        s.highPercent = 20;
        s.inRangePercent = 50;
        s.lowPercent = 0;
        s.veryLowPercent = 20;
        RangeBar bar;
        bar.resize(bar.sizeHint().width(), 216);
        bar.setStatistics(s, GlucoseUnit::MgPerDl);
        const QImage image = bar.grab().toImage();
        const QRectF rect = bar.barRect();
        const auto segments = rangeSegments(s, rect);
        for (GlucoseRange range : glucoseRanges) {
            const QRectF segment = segments[size_t(range)];
            const QColor swatch(image.pixel(int(rect.right()) + 13, int(rangeLabelY(range, rect))));
            QCOMPARE(swatch, Palette::rangeColor(range));
            if (segment.height() > 0)
                QCOMPARE(QColor(image.pixel(segment.center().toPoint())),
                         Palette::rangeColor(range));
        }
        QCOMPARE(segments[size_t(GlucoseRange::Low)].height(), 0.0);
    }

    void reportFromMenuAndWindow()
    {
        SKIP_WITHOUT_TOOL("pdftotext");
        whenDialogOpens([](QDialog *dialog) { // period from - to, mmol/L, then the file
            dialog->findChildren<QComboBox *>()[0]->setCurrentIndex(4);
            dialog->findChildren<QComboBox *>()[1]->setCurrentIndex(1);
            dialog->findChildren<QDateEdit *>()[0]->setDate(QDate(2026, 12, 3));
            dialog->findChildren<QDateEdit *>()[1]->setDate(QDate(2026, 12, 4));
            dialog->findChild<QCheckBox *>()->setChecked(true);
            chooseFiles({"menu.pdf"});
            pressOk(dialog);
        });
        triggerMenuItem(*m_main, 1, "&Report...");
        verifyDialogsAnswered();
        const QString text = outputOf("pdftotext", {"-layout", "menu.pdf", "-"});
        QVERIFY2(text.contains("2026-12-03 to 2026-12-04 (2 days)") && text.contains("11.1 mmol/L"),
                 qPrintable(text));
        QVERIFY(text.contains("Compared with 2026-12-01 to 2026-12-02"));
        // The window's own choices: the targets chosen in the menu, its comparison.
        m_main->setPreferences(
            {GlucoseUnit::MgPerDl, InsulinDoses::WholeUnits, false, TargetSet::Older});
        StatisticsWindow window(&m_main->session());
        window.setPeriod(PeriodChooser::Last30Days);
        window.compareBox()->setChecked(true);
        chooseFiles({"window.pdf"});
        window.findChild<QPushButton *>()->click(); // Save PDF... comes first
        verifyDialogsAnswered();
        const QString windowText = outputOf("pdftotext", {"-layout", "window.pdf", "-"});
        QVERIFY(windowText.contains("2026-11-07 to 2026-12-06 (30 days)") &&
                windowText.contains("Older or high-risk") && windowText.contains("Compared with"));
    }
};

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
