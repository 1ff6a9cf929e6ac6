#include "analysis/agpscale.h"
#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"
#include "app/statscommand.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QtTest>

using Figures = QMap<QString, QVariant>; // JSON key -> expected number, or null

namespace {

const QDate firstDay(2026, 12, 1), lastDay(2026, 12, 7);

Diary diaryOf(const QStringList &lines)
{
    const QByteArray bytes = (lines.join(u'\n') + u'\n').toUtf8();
    Diary diary;
    DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
    return diary;
}

// Readings on 3 December at the given times, all of one value.
QStringList readingsAt(const QStringList &times, int value = 100)
{
    QStringList lines;
    for (const QString &time : times)
        lines << QStringLiteral(" 3.12.2026,%1,Glucose,%2").arg(time).arg(value);
    return lines;
}

QStringList values(const QList<int> &values)
{
    QStringList lines;
    for (int v : values)
        lines << QStringLiteral(" 2.12.2026,08:00,Glucose,%1").arg(v);
    return lines;
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::setForTesting(nullptr); }
    void figures_data();
    void figures();
    void agpBinsByHour();
    void percentiles_data();
    void percentiles();
    void glucoseText();
    void scale();
    void command_data();
    void command();
};

void TestStatistics::figures_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<Figures>("expected");
    const QVariant null;
    QTest::newRow("no readings") << QStringList{" 2.12.2026,08:00,Carbs,  70"} << 100 << 130
                                 << Figures{{"readings", 0},
                                            {"days", 7},
                                            {"mean", null},
                                            {"median", null},
                                            {"in_range_percent", null},
                                            {"below_target_percent", null},
                                            {"carbs_per_day", 10}};
    QTest::newRow("one reading") << values({100}) << 100 << 130
                                 << Figures{{"readings", 1},
                                            {"days_with_readings", 1},
                                            {"mean", 100},
                                            {"sd", null},
                                            {"cv_percent", null},
                                            {"min", 100},
                                            {"median", 100},
                                            {"max", 100},
                                            {"gmi_percent", 5.702},
                                            {"ea1c_percent", 146.7 / 28.7},
                                            {"in_range_percent", 100},
                                            {"below_target_percent", 100}};
    QTest::newRow("two readings") << values({100, 200}) << 100 << 130
                                  << Figures{{"mean", 150},
                                             {"sd", std::sqrt(5000.0)},
                                             {"cv_percent", 100 * std::sqrt(5000.0) / 150},
                                             {"median", 150}};
    QTest::newRow("range boundaries") << values({53, 54, 69, 70, 180, 181, 250, 251}) << 100 << 130
                                      << Figures{{"very_low_percent", 12.5},
                                                 {"low_percent", 25},
                                                 {"in_range_percent", 25},
                                                 {"high_percent", 25},
                                                 {"very_high_percent", 12.5}};
    QTest::newRow("own limits included at both ends") << values({100, 101, 129, 130}) << 100 << 130
                                                      << Figures{{"below_target_percent", 25},
                                                                 {"in_target_percent", 50},
                                                                 {"above_target_percent", 25}};
    QTest::newRow("own limits crossed: the upper one wins, as in the diagram")
        << values({90, 120, 160}) << 150 << 100
        << Figures{{"below_target_percent", 100.0 / 3},
                   {"in_target_percent", 0},
                   {"above_target_percent", 200.0 / 3}};
    QTest::newRow("values beyond the counted range")
        << values({50, 1500, 2000}) << 100 << 130
        << Figures{{"median", 1500},
                   {"max", 2000},
                   {"very_high_percent", 200.0 / 3},
                   {"above_target_percent", 200.0 / 3}};
    QTest::newRow("outside the period, other types, unreadable dates and times")
        << QStringList{"30.11.2026,12:00,Glucose,300", " 8.12.2026,00:00,Glucose,300",
                       "xx.12.2026,12:00,Glucose,300", "31.11.2026,12:00,Glucose,300",
                       " 4.12.2026,25:00,Glucose,300", " 4.12.2026,12:00,Glucose,abc",
                       " 4.12.2026,12:00,glucose,300", " 4.12.2026,12:00,Carbs,300",
                       " 4.12.2026,12:00,Glucose,100"}
        << 100 << 130 << Figures{{"readings", 1}, {"mean", 100}, {"days_with_readings", 1}};
    QTest::newRow("carbs and insulins per day")
        << QStringList{" 1.12.2026,08:00,Carbs,70",        " 7.12.2026,08:00,Carbs,70",
                       " 2.12.2026,08:00,Bolus,7",         " 2.12.2026,x,Novorapid,4",
                       " 2.12.2026,08:00,Insuman Rapid,3", " 2.12.2026,22:00,Lantus,20",
                       " 3.12.2026,22:00,Semilente,1",     " 3.12.2026,22:00,Fiasp,50",
                       "30.11.2026,22:00,Basis,70"}
        << 100 << 130 << Figures{{"carbs_per_day", 20}, {"bolus_per_day", 2}, {"basal_per_day", 3}};
}

void TestStatistics::figures()
{
    QFETCH(QStringList, lines);
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(Figures, expected);
    const QJsonObject json =
        toJson(computeStatistics(diaryOf(lines), firstDay, lastDay, lower, upper));
    QCOMPARE(json.value("from").toString(), QStringLiteral("2026-12-01"));
    QCOMPARE(json.value("to").toString(), QStringLiteral("2026-12-07"));
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QJsonValue actual = json.value(it.key());
        QVERIFY2(!actual.isUndefined(), qPrintable(it.key()));
        if (it.value().isNull())
            QVERIFY2(actual.isNull(), qPrintable(it.key()));
        else
            QVERIFY2(qAbs(actual.toDouble(-1e9) - it.value().toDouble()) < 1e-9,
                     qPrintable(QStringLiteral("%1: %2").arg(it.key()).arg(actual.toDouble())));
    }
}

void TestStatistics::agpBinsByHour()
{
    QStringList lines = readingsAt({"23:59", "00:00", "00:59", "12:00", "12:04", "12:05"});
    lines << QStringLiteral(" 5.12.2026,12:00,Glucose,100");
    for (int v = 100; v < 200; v += 10)
        lines << QStringLiteral(" 6.12.2026,08:%1,Glucose,%2").arg(v / 10).arg(v);
    const GlucoseStatistics s = computeStatistics(diaryOf(lines), firstDay, lastDay, 100, 130);
    QCOMPARE(s.agp[23].n, 1);
    QCOMPARE(s.agp[0].n, 2);
    QCOMPARE(s.agp[12].n, 4);
    QCOMPARE(s.agp[1].n, 0);
    QVERIFY(!s.agp[1].p50);
    QCOMPARE(s.agp[5].hour, 5);
    // Ten values 100..190 in hour 8: ranks at 9 * p / 100.
    QCOMPARE(*s.agp[8].p5, 104.5);
    QCOMPARE(*s.agp[8].p25, 122.5);
    QCOMPARE(*s.agp[8].p50, 145.0);
    QCOMPARE(*s.agp[8].p75, 167.5);
    QCOMPARE(*s.agp[8].p95, 185.5);
    QCOMPARE(s.daysWithReadings, 3);
    // 12:00 and 12:04 share one five-minute slot on 3 December.
    QCOMPARE(s.coveragePercent, 100.0 * 8 / (7 * 288));

    // A period of millennia counts its days and slots without a bit per slot.
    const GlucoseStatistics wide =
        computeStatistics(diaryOf(lines), QDate(1, 1, 1), QDate(9999, 12, 31), 100, 130);
    QCOMPARE(wide.readings, 17);
    QCOMPARE(wide.daysWithReadings, 3);
    QCOMPARE(wide.coveragePercent, 100.0 * 8 / (double(wide.days) * 288));
    QCOMPARE(entryDateRange(diaryOf(lines)),
             std::make_optional(std::make_pair(QDate(2026, 12, 3), QDate(2026, 12, 6))));
    QVERIFY(!entryDateRange(diaryOf({"note"})));
}

void TestStatistics::percentiles_data()
{
    QTest::addColumn<QList<int>>("sorted");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("expected");
    QTest::newRow("one value") << QList<int>{7} << 95.0 << 7.0;
    QTest::newRow("between two") << QList<int>{10, 20} << 25.0 << 12.5;
    QTest::newRow("lowest") << QList<int>{1, 5, 9} << 0.0 << 1.0;
    QTest::newRow("highest") << QList<int>{1, 5, 9} << 100.0 << 9.0;
    QTest::newRow("on a rank") << QList<int>{1, 5, 9} << 50.0 << 5.0;
}

void TestStatistics::percentiles()
{
    QFETCH(QList<int>, sorted);
    QFETCH(double, p);
    QFETCH(double, expected);
    QCOMPARE(percentile(std::vector<int>(sorted.begin(), sorted.end()), p).value_or(-1), expected);
    QVERIFY(!percentile({}, 50));
}

void TestStatistics::glucoseText()
{
    QCOMPARE(formatGlucose(112.5, GlucoseUnit::MgPerDl), QStringLiteral("113"));
    QCOMPARE(formatGlucose(180, GlucoseUnit::MmolPerL), QStringLiteral("10.0"));
    QCOMPARE(formatGlucose(70, GlucoseUnit::MmolPerL), QStringLiteral("3.9"));
    QCOMPARE(formatGlucose(std::nullopt, GlucoseUnit::MmolPerL), QStringLiteral("\u2013"));
}

void TestStatistics::scale()
{
    using namespace AgpScale;
    const QRectF plot = plotArea(QSizeF(500, 300));
    QCOMPARE(plot, QRectF(44, 10, 432, 266));
    QCOMPARE(hourX(12, plot), 44 + 216.0);
    QCOMPARE(hourX(30, plot), plot.right());
    QCOMPARE(valueY(175, 350, plot), 10 + 133.0);
    QCOMPARE(valueY(-5, 350, plot), plot.bottom());
    QCOMPARE(valueY(900, 350, plot), plot.top());

    GlucoseStatistics s;
    for (int hour = 0; hour < 24; ++hour)
        s.agp[size_t(hour)].hour = hour;
    for (int hour : {0, 1, 5, 23})
        s.agp[size_t(hour)].p50 = s.agp[size_t(hour)].p95 = 100 + hour;
    s.agp[23].p95 = 520;
    QCOMPARE(topValue(s), 550.0);
    // Hours 0-1 and 23 meet over midnight at the edges; hour 5 stands alone.
    const std::vector<Run> runs = percentileRuns(s.agp, &AgpBin::p50);
    QCOMPARE(runs.size(), size_t(3));
    QCOMPARE(runs[0], (Run{{0, 111.5}, {0.5, 100}, {1.5, 101}}));
    QCOMPARE(runs[1], (Run{{5.5, 105}}));
    QCOMPARE(runs[2], (Run{{23.5, 123}, {24, 111.5}}));

    s.veryHighPercent = 10;
    s.highPercent = 20;
    s.inRangePercent = 100.0 / 3;
    s.lowPercent = 100.0 / 3 - 30;
    s.veryLowPercent = 100.0 / 3;
    const auto segments = rangeSegments(s, QRectF(0, 7, 10, 100));
    QCOMPARE(segments[VeryHigh].top(), 7.0);
    QCOMPARE(segments[High].top(), 17.0);
    for (int range = 1; range < rangeCount; ++range)
        QCOMPARE(segments[size_t(range)].top(), segments[size_t(range) - 1].bottom());
    QCOMPARE(segments[VeryLow].bottom(), 107.0);
}

void TestStatistics::command_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("readings");
    QTest::newRow("default: 14 days") << QStringList{"--json"} << 0 << "2026-11-23" << 2;
    QTest::newRow("one day") << QStringList{"--days", "1", "--json"} << 0 << "2026-12-06" << 1;
    QTest::newRow("dates") << QStringList{"--from", "2026-11-01", "--to=2026-11-30", "--json"} << 0
                           << "2026-11-01" << 1;
    QTest::newRow("no readings") << QStringList{"--from", "2020-01-01", "--to", "2020-01-01",
                                                "--json"}
                                 << 0 << "2020-01-01" << 0;
    QTest::newRow("for people") << QStringList{"--days", "30"} << 0 << "" << 0;
    for (const auto &[name, arguments] :
         std::initializer_list<std::pair<const char *, QStringList>>{
             {"zero days", {"--days", "0"}},
             {"days not a number", {"--days", "2x"}},
             {"from without to", {"--from", "2026-11-01"}},
             {"days and dates", {"--days", "3", "--from", "2026-11-01", "--to", "2026-11-02"}},
             {"to before from", {"--from", "2026-11-02", "--to", "2026-11-01"}},
             {"impossible date", {"--from", "2026-02-30", "--to", "2026-03-01"}},
             {"unknown option", {"--weeks", "2"}},
             {"stray argument", {"today"}}})
        QTest::newRow(name) << arguments << 2 << "" << 0;
}

void TestStatistics::command()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, from);
    QFETCH(int, readings);
    Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), "25.11.2026,12:00,Glucose, 150\n"
                                             " 6.12.2026,09:00,Glucose,  90\n");
    QDir().mkdir("Settings");
    writeBytes(dir.file("Settings/Mellidor.conf"), " 95\n160\n200\n  3\n");
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(runStatsCommand(arguments, out, err), status);
    QCOMPARE(errText.isEmpty(), status == 0);
    if (!arguments.contains("--json") || status != 0) {
        QVERIFY(status != 0 ||
                outText.contains(QRegularExpression("\nMean glucose: +120 mg/dL\n")));
        return;
    }
    const QJsonObject json = QJsonDocument::fromJson(outText.toUtf8()).object();
    QCOMPARE(json.value("from").toString(), from);
    QCOMPARE(json.value("readings").toInt(), readings);
    QCOMPARE(json.value("agp").toArray().size(), 24);
    if (readings == 1)
        QCOMPARE(json.value("below_target_percent").toDouble(), from == "2026-12-06" ? 100 : 0);
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
