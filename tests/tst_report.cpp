#include "analysis/reportdata.h"
#include "analysis/reportlayout.h"
#include "app/reportcommand.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/entrytext.h"
#include "testsupport.h"
#include "ui/reportrenderer.h"

#include <QPdfWriter>
#include <QProcess>
#include <QtTest>

#include <cmath>

using namespace ReportLayout;

static const QDate lastDay(2025, 3, 14); // a Friday, and today

static QByteArray line(const QDate &d, int minutes, const char *type, int value)
{
    return (formatDate(d.day(), d.month(), d.year()) + u',' +
            formatTime(minutes / 60, minutes % 60) + u',' + type + u',' + formatValue(value) +
            u'\n')
        .toUtf8();
}

// Five-minute readings up to lastDay: a daily wave shifted day by day, so
// the hours spread into bands; meals with carbs and bolus, basal at night.
static QByteArray sensorDiary(int days)
{
    QByteArray bytes;
    for (int back = days - 1; back >= 0; --back) {
        const QDate d = lastDay.addDays(-back);
        for (int m = 0; m < 1440; m += 5) {
            bytes += line(d, m, "Glucose",
                          130 + int(50 * std::sin(m * 2 * M_PI / 1440)) + (back * 29) % 81 - 40);
            if (m == 450 || m == 750 || m == 1110)
                bytes += line(d, m, "Carbs", 60) + line(d, m, "Bolus", 6);
        }
        bytes += line(d, 1320, "Lantus", 20);
    }
    return bytes;
}

static Diary diaryOf(const QByteArray &bytes)
{
    Diary diary;
    DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
    return diary;
}

static QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

static QString errors; // of the last report()

// The report command on its arguments written with spaces between them.
static int report(const QString &arguments)
{
    QString outText;
    errors.clear();
    QTextStream out(&outText), err(&errors);
    return runReportCommand(arguments.split(u' '), out, err);
}

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setForTesting([] { return QDateTime(lastDay, QTime(20, 0)); });
    }

    // Days counted back from the last: rows of a week, the newest row first
    // and the oldest day of a row on its left.
    void curveCells()
    {
        QCOMPARE(QList<int>({curveRow(0), curveColumn(0), curveRow(6), curveColumn(6), curveRow(7),
                             curveColumn(7), curveRow(89), curveColumn(89), curveRowCount(14),
                             curveRowCount(15)}),
                 QList<int>({0, 6, 0, 0, 1, 6, 12, 1, 2, 3}));
    }

    // Every entry line is placed once, in order, within the content.
    void logbookFlow_data()
    {
        QTest::addColumn<std::vector<int>>("entries");
        QTest::addColumn<int>("pages");
        QTest::newRow("a day longer than a page") << std::vector<int>{3, 400, 3} << 3;
        QTest::newRow("thirty days without entries: curves spill over")
            << std::vector<int>(30, 0) << 3;
    }
    void logbookFlow()
    {
        QFETCH(std::vector<int>, entries);
        QFETCH(int, pages);
        const Plan p = plan(Report::defaultPageSize(), entries);
        QCOMPARE(p.pageCount, pages);
        QCOMPARE(int(p.curveRows.size()), curveRowCount(int(entries.size())));
        const double bottom = contentRect(Report::defaultPageSize()).bottom();
        for (const CurveRowPlace &row : p.curveRows)
            QVERIFY(row.page < p.firstLogbookPage && row.top + curveRowHeight <= bottom);
        std::vector<int> placed(entries.size());
        int lastDayPlaced = -1, lastPage = p.firstLogbookPage;
        for (const LogbookPiece &piece : p.logbook) {
            QVERIFY(piece.day >= lastDayPlaced && piece.page >= lastPage);
            QCOMPARE(piece.firstLine, placed[size_t(piece.day)]);
            QCOMPARE(piece.continued, piece.firstLine > 0);
            QVERIFY(piece.top + (1 + piece.lines) * logbookLineHeight <= bottom);
            placed[size_t(piece.day)] += piece.lines;
            lastDayPlaced = piece.day;
            lastPage = piece.page;
        }
        for (size_t d = 0; d < entries.size(); ++d)
            QCOMPARE(placed[d], logbookEntryLines(entries[d]));
        QCOMPARE(lastPage + 1, p.pageCount);
    }

    // Finger-stick readings belong in the logbook; a sensor day's do not.
    void dayData()
    {
        const QDate sensorDay = lastDay.addDays(-1);
        QByteArray bytes = line(lastDay, 1200, "Glucose", 180) + line(lastDay, 420, "Glucose", 90) +
                           line(lastDay, 430, "Humalog", 5) + line(lastDay, 1320, "Lantus", 18) +
                           line(lastDay, 430, "Carbs", 45) +
                           line(lastDay.addDays(1), 0, "Carbs", 9);
        for (int i = 0; i < sensorDayReadings; ++i)
            bytes += line(sensorDay, i * 5, "Glucose", 100 + i);
        const ReportData data = collectReportData(
            diaryOf(bytes), {sensorDay.addDays(-1), lastDay, 100, 130, {}, lastDay});
        QCOMPARE(int(data.days.size()), 3);
        const ReportDay &day = data.days[0];
        QCOMPARE(day.date, lastDay);
        QCOMPARE(
            QList<double>({double(day.carbs), double(day.bolus), double(day.basal), *day.mean}),
            QList<double>({45, 5, 18, 135}));
        QStringList logbook;
        for (const LogbookEntry &e : day.logbook)
            logbook << QStringLiteral("%1 %2 %3").arg(e.minutes).arg(e.type).arg(e.value);
        QCOMPARE(logbook, QStringList({"420 Glucose 90", "430 Humalog 5", "430 Carbs 45",
                                       "1200 Glucose 180", "1320 Lantus 18"}));
        QCOMPARE(int(data.days[1].readings.size()), sensorDayReadings);
        QVERIFY(data.days[1].logbook.empty());
        QVERIFY(data.days[2].readings.empty() && data.days[2].logbook.empty());
    }

    void pdf_data()
    {
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("dayHeader"); // of the oldest day
        QTest::newRow("one day") << 1 << 2 << "mgdl"
                                 << "Fri 2025-03-14";
        QTest::newRow("fourteen days") << 14 << 2 << "mgdl"
                                       << "Sat 2025-03-01";
        QTest::newRow("fourteen days in mmol/L") << 14 << 2 << "mmol"
                                                 << "Sat 2025-03-01";
        QTest::newRow("ninety days") << 90 << 7 << "mgdl"
                                     << "Mon 2024-12-16";
    }
    void pdf()
    {
        QFETCH(int, days);
        QFETCH(int, pages);
        QFETCH(QString, unit);
        QFETCH(QString, dayHeader);
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(days + 3));
        QDir().mkdir("Settings");
        writeBytes("Settings/Mellidor.conf", " 80\n160\n200\n  3\n");
        const QString options = QStringLiteral("--days %1 --unit %2 --output ").arg(days).arg(unit);
        QCOMPARE(report(options + "r.pdf"), 0);
        const QString info = run("pdfinfo", {"r.pdf"});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))) &&
                     info.contains("595 x 842 pts (A4)"),
                 qPrintable(info));

        const QString text = run("pdftotext", {"-layout", "r.pdf", "-"});
        const GlucoseUnit u = unit == "mmol" ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
        const GlucoseStatistics s = computeStatistics(diaryOf(sensorDiary(days + 3)),
                                                      lastDay.addDays(1 - days), lastDay, 80, 160);
        const auto percent = [](std::optional<double> p) { return QString::number(*p, 'f', 1); };
        for (const QString &e :
             {QStringLiteral("%1 to 2025-03-14 (%2 day")
                  .arg(s.from.toString(Qt::ISODate))
                  .arg(days),
              QStringLiteral("%1 on %2 of %2 days").arg(days * 288).arg(days),
              "Mean glucose " + formatGlucose(s.mean, u) + ' ' + unitName(u),
              "Time in range " + formatGlucose(70, u) + '-' + formatGlucose(180, u) + ' ' +
                  percent(s.inRangePercent) + " %",
              "Coefficient of variation " + percent(s.cvPercent) + " %",
              "Own limits " + formatGlucose(80, u) + '-' + formatGlucose(160, u),
              percent(s.inTargetPercent) + " %", QStringLiteral("Carbs per day 180"), dayHeader,
              QStringLiteral("07:30 Carbs 60"), QStringLiteral("page 1 of %1").arg(pages),
              QStringLiteral("page %1 of %1").arg(pages)})
            QVERIFY2(text.simplified().contains(e),
                     qPrintable(e + " missing in:\n" + text.left(3000)));
        QCOMPARE(text.count("page "), pages);

        QCOMPARE(report(options + "again.pdf"), 0); // the same text twice
        QCOMPARE(run("pdftotext", {"-layout", "again.pdf", "-"}), text);
    }

    // The range bar and the AGP bands, read back from the PDF at 72 dpi:
    // one pixel per point.
    void firstPagePixels()
    {
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(14));
        QCOMPARE(report("--days 14 --output r.pdf"), 0);
        run("pdftoppm", {"-r", "72", "-f", "1", "-l", "1", "-png", "-singlefile", "r.pdf", "p1"});
        const QImage image("p1.png");
        QVERIFY(!image.isNull());
        const auto colourAt = [&image](QPointF p) {
            return QColor(image.pixel(p.toPoint())).name();
        };

        const GlucoseStatistics s =
            computeStatistics(diaryOf(sensorDiary(14)), lastDay.addDays(-13), lastDay, 100, 130);
        const FirstPage layout = firstPage(Report::defaultPageSize());
        const std::vector<QRectF> bar =
            rangeSegments(layout.rangeBar, {*s.veryLowPercent, *s.lowPercent, *s.inRangePercent,
                                            *s.highPercent, *s.veryHighPercent});
        QVERIFY(bar[2].height() > 10 && bar[1].height() > 4);
        QCOMPARE(colourAt(bar[2].center()), "#43a047");
        QCOMPARE(colourAt(bar[1].center()), "#e53935");

        const AgpBin &bin = s.agp[3]; // 03:00 to 04:00: the whole of it is one hour's band
        const auto at = [&](double mgPerDl) {
            return colourAt({agpX(3.5, layout.agp) + 4, agpY(mgPerDl, layout.agp)});
        };
        QCOMPARE(at((*bin.p25 + *bin.p50) / 2), "#64b5f6");
        QCOMPARE(at((*bin.p75 + *bin.p95) / 2), "#bbdefb");
        QCOMPARE(at(*bin.p95 + 25), "#ffffff");
    }

    void emptyPeriod()
    {
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(3));
        QCOMPARE(report("--from 2020-01-01 --to 2020-01-07 --output e.pdf"), 0);
        const QString text = run("pdftotext", {"e.pdf", "-"}).simplified();
        QVERIFY2(text.contains("No glucose readings in this period.") &&
                     text.contains("0 on 0 of 7 days") && text.contains("page 2 of 2"),
                 qPrintable(text));
    }

    // On the printer's paper, not A4: a letter page is shorter.
    void letterPaper()
    {
        WorkDir dir;
        QPdfWriter writer(dir.file("l.pdf"));
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        QCOMPARE(
            Report::render(
                writer, collectReportData(diaryOf(sensorDiary(90)),
                                          {lastDay.addDays(-89), lastDay, 100, 130, {}, lastDay})),
            8);
    }

    // Bad options (status 2) and outputs that cannot be written (status 1)
    // leave the folder as it was.
    void failures_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // the parts it holds, separated by '|'
        for (const char *bad :
             {"--days 3", "--days 3 --from 2025-01-01 --to 2025-01-02 --output x.pdf",
              "--from 2025-01-01 --output x.pdf",
              "--from 2025-01-02 --to 2025-01-01 --output x.pdf",
              "--from 2025-02-30 --to 2025-03-01 --output x.pdf", "--days 0 --output x.pdf",
              "--days two --output x.pdf", "--days 100000 --output x.pdf",
              "--unit mg --output x.pdf", "--pages 2 --output x.pdf", "--output x.pdf extra"})
            QTest::newRow(bad) << bad << 2 << "usage: mellidor report";
        QTest::newRow("missing folder")
            << "--output nowhere/r.pdf" << 1 << "nowhere|does not exist";
        QTest::newRow("a folder's name") << "--output folder" << 1 << "folder|directory";
        QTest::newRow("inside a file") << "--output file.txt/r.pdf" << 1 << "file.txt|not a folder";
        // A disk that fills up mid-write (a file size limit; root obeys it too).
        QTest::newRow("full disk") << "--output r.pdf" << 1 << "r.pdf|File too large";
    }
    void failures()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, error);
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(14));
        writeBytes("file.txt", "x");
        QDir().mkdir("folder");
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        withFileSizeLimit(20000, [&] { QCOMPARE(report(arguments), status); });
        for (const QString &part : error.split(u'|'))
            QVERIFY2(errors.contains(part), qPrintable(errors));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir("folder").isEmpty());
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
