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
#include <csignal>
#include <sys/resource.h>

using namespace ReportLayout;

namespace {

const QDate lastDay(2025, 3, 14); // a Friday

QByteArray line(const QDate &d, int minutes, const char *type, int value)
{
    return (formatDate(d.day(), d.month(), d.year()) + u',' +
            formatTime(minutes / 60, minutes % 60) + u',' + QLatin1String(type) + u',' +
            formatValue(value) + u'\n')
        .toUtf8();
}

// Five-minute readings up to lastDay: a daily wave shifted day by day, so
// the hours spread into bands; meals with carbs and bolus, basal at night.
QByteArray sensorDiary(int days)
{
    QByteArray bytes;
    for (int back = days - 1; back >= 0; --back) {
        const QDate d = lastDay.addDays(-back);
        for (int m = 0; m < 1440; m += 5) {
            bytes += line(d, m, "Glucose",
                          130 + int(50 * std::sin(m * 2 * M_PI / 1440)) + (back * 29) % 81 - 40);
            if (m == 450 || m == 750 || m == 1110) {
                bytes += line(d, m, "Carbs", 60);
                bytes += line(d, m, "Bolus", 6);
            }
        }
        bytes += line(d, 1320, "Lantus", 20);
    }
    return bytes;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int report(const QStringList &arguments, QString *errors = nullptr)
{
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int status = runReportCommand(arguments, out, err);
    if (errors)
        *errors = errText;
    return status;
}

QStringList period(int days)
{
    return {"--from", lastDay.addDays(1 - days).toString(Qt::ISODate), "--to",
            lastDay.toString(Qt::ISODate)};
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Clock::setForTesting([] { return QDateTime(lastDay.addDays(1), QTime(8, 0)); });
    }

    void curveCells_data()
    {
        QTest::addColumn<int>("back");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("last day: right of the first row") << 0 << 0 << 6;
        QTest::newRow("a week earlier: left of the first row") << 6 << 0 << 0;
        QTest::newRow("eighth day back: second row, right") << 7 << 1 << 6;
        QTest::newRow("ninetieth day") << 89 << 12 << 1;
    }
    void curveCells()
    {
        QFETCH(int, back);
        QFETCH(int, row);
        QFETCH(int, column);
        QCOMPARE(curveRow(back), row);
        QCOMPARE(curveColumn(back), column);
    }

    // Every entry line is placed once, in order, within the content.
    void logbookFlow_data()
    {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<std::vector<int>>("entries");
        QTest::addColumn<int>("pages");
        const QSizeF a4 = Report::defaultPageSize();
        const QSizeF letter = QPageSize(QPageSize::Letter).size(QPageSize::Point);
        QTest::newRow("one day") << a4 << std::vector<int>{7} << 2;
        QTest::newRow("ninety days, A4") << a4 << std::vector<int>(90, 7) << 7;
        QTest::newRow("ninety days, letter") << letter << std::vector<int>(90, 7) << 8;
        QTest::newRow("a day longer than a page") << a4 << std::vector<int>{3, 400, 3} << 3;
        QTest::newRow("thirty days without entries: curves spill over")
            << a4 << std::vector<int>(30, 0) << 3;
    }
    void logbookFlow()
    {
        QFETCH(QSizeF, page);
        QFETCH(std::vector<int>, entries);
        QFETCH(int, pages);
        const Plan p = plan(page, entries);
        QCOMPARE(p.pageCount, pages);
        QCOMPARE(int(p.curveRows.size()), curveRowCount(int(entries.size())));
        const double bottom = contentRect(page).bottom();
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
        Diary diary;
        DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
        const ReportData data =
            collectReportData(diary, {sensorDay.addDays(-1), lastDay, 100, 130, {}, lastDay});
        QCOMPARE(int(data.days.size()), 3);
        const ReportDay &fingerDay = data.days[0];
        QCOMPARE(fingerDay.date, lastDay);
        QCOMPARE(fingerDay.carbs, 45);
        QCOMPARE(fingerDay.bolus, 5);
        QCOMPARE(fingerDay.basal, 18);
        QCOMPARE(fingerDay.mean, 135.0);
        QStringList logbook;
        for (const LogbookEntry &e : fingerDay.logbook)
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
        QTest::addColumn<QString>("dayHeader");
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
        QCOMPARE(report(period(days) + QStringList{"--unit", unit, "--output", "r.pdf"}), 0);

        const QString info = run("pdfinfo", {"r.pdf"});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))),
                 qPrintable(info));
        QVERIFY2(info.contains("595 x 842 pts (A4)"), qPrintable(info));

        const QString text = run("pdftotext", {"-layout", "r.pdf", "-"});
        Diary diary;
        DiaryFile::load(DiaryFile::fileName, diary);
        const GlucoseUnit u = unit == "mmol" ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
        const GlucoseStatistics s =
            computeStatistics(diary, lastDay.addDays(1 - days), lastDay, 80, 160);
        const QStringList expected{
            QStringLiteral("%1 to 2025-03-14 (%2 day").arg(s.from.toString(Qt::ISODate)).arg(days),
            "made on 2025-03-15",
            QStringLiteral("%1 on %2 of %2 days").arg(days * 288).arg(days),
            "Mean glucose " + formatGlucose(s.mean, u) + ' ' + unitName(u),
            "Time in range " + formatGlucose(70, u) + '-' + formatGlucose(180, u),
            QString::number(*s.inRangePercent, 'f', 1) + " %",
            "above 70 %",
            "Coefficient of variation " + QString::number(*s.cvPercent, 'f', 1) + " %",
            "Own limits " + formatGlucose(80, u) + '-' + formatGlucose(160, u),
            QString::number(*s.inTargetPercent, 'f', 1) + " %",
            "Carbs per day 180",
            dayHeader,
            "07:30 Carbs 60",
            "22:00 Lantus 20",
            QStringLiteral("page 1 of %1").arg(pages),
            QStringLiteral("page %1 of %1").arg(pages)};
        const QString flat = text.simplified();
        for (const QString &e : expected)
            QVERIFY2(flat.contains(e), qPrintable(e + " missing in:\n" + text.left(3000)));
        QCOMPARE(text.count("page "), pages);

        QCOMPARE(report(period(days) + QStringList{"--unit", unit, "--output", "again.pdf"}), 0);
        QCOMPARE(run("pdftotext", {"-layout", "again.pdf", "-"}), text);
    }

    // The range bar and the AGP bands, read back from the PDF at 72 dpi:
    // one pixel per point.
    void firstPagePixels()
    {
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(14));
        QCOMPARE(report(period(14) + QStringList{"--output", "r.pdf"}), 0);
        run("pdftoppm", {"-r", "72", "-f", "1", "-l", "1", "-png", "-singlefile", "r.pdf", "p1"});
        const QImage image("p1.png");
        QVERIFY(!image.isNull());
        const auto colourAt = [&image](double x, double y) {
            return QColor(image.pixel(int(x), int(y))).name();
        };

        Diary diary;
        DiaryFile::load(DiaryFile::fileName, diary);
        const GlucoseStatistics s =
            computeStatistics(diary, lastDay.addDays(-13), lastDay, 100, 130);
        const FirstPage layout = firstPage(Report::defaultPageSize());
        const std::vector<QRectF> bar =
            rangeSegments(layout.rangeBar, {*s.veryLowPercent, *s.lowPercent, *s.inRangePercent,
                                            *s.highPercent, *s.veryHighPercent});
        QVERIFY(bar[2].height() > 10 && bar[1].height() > 4);
        QCOMPARE(colourAt(bar[2].center().x(), bar[2].center().y()), "#43a047");
        QCOMPARE(colourAt(bar[1].center().x(), bar[1].center().y()), "#e53935");

        const AgpBin &bin = s.agp[3]; // 03:00 to 04:00: the whole of it is one hour's band
        const double x = agpX(3.5, layout.agp) + 4;
        QCOMPARE(colourAt(x, agpY((*bin.p25 + *bin.p50) / 2, layout.agp)), "#64b5f6");
        QCOMPARE(colourAt(x, agpY((*bin.p75 + *bin.p95) / 2, layout.agp)), "#bbdefb");
        QCOMPARE(colourAt(x, agpY(*bin.p95 + 25, layout.agp)), "#ffffff");
    }

    void emptyPeriod()
    {
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(3));
        QCOMPARE(report({"--from", "2020-01-01", "--to", "2020-01-07", "--output", "e.pdf"}), 0);
        const QString text = run("pdftotext", {"e.pdf", "-"}).simplified();
        QVERIFY2(text.contains("No glucose readings in this period."), qPrintable(text));
        QVERIFY(text.contains("0 on 0 of 7 days"));
        QVERIFY(text.contains("page 2 of 2"));
    }

    void letterPaper()
    {
        WorkDir dir;
        Diary diary;
        DiaryFile::loadBytes(sensorDiary(90).constData(), sensorDiary(90).size(), diary);
        const ReportData data =
            collectReportData(diary, {lastDay.addDays(-89), lastDay, 100, 130, {}, lastDay});
        {
            QPdfWriter writer(dir.file("l.pdf"));
            writer.setPageLayout(
                QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
            QCOMPARE(Report::render(writer, data), 8);
        }
        const QString info = run("pdfinfo", {dir.file("l.pdf")});
        QVERIFY2(info.contains("612 x 792 pts (letter)") &&
                     info.contains(QRegularExpression("Pages:\\s+8\\n")),
                 qPrintable(info));
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no output") << QStringList{"--days", "3"};
        QTest::newRow("days and dates") << QStringList{
            "--days", "3", "--from", "2025-01-01", "--to", "2025-01-02", "--output", "x.pdf"};
        QTest::newRow("from without to")
            << QStringList{"--from", "2025-01-01", "--output", "x.pdf"};
        QTest::newRow("from after to")
            << QStringList{"--from", "2025-01-02", "--to", "2025-01-01", "--output", "x.pdf"};
        QTest::newRow("impossible date")
            << QStringList{"--from", "2025-02-30", "--to", "2025-03-01", "--output", "x.pdf"};
        QTest::newRow("zero days") << QStringList{"--days", "0", "--output", "x.pdf"};
        QTest::newRow("days not a number") << QStringList{"--days", "two", "--output", "x.pdf"};
        QTest::newRow("too many days") << QStringList{"--days", "100000", "--output", "x.pdf"};
        QTest::newRow("unknown unit") << QStringList{"--unit", "mg", "--output", "x.pdf"};
        QTest::newRow("unknown option") << QStringList{"--pages", "2", "--output", "x.pdf"};
        QTest::newRow("stray argument") << QStringList{"--output", "x.pdf", "extra"};
    }
    void badOptions()
    {
        WorkDir dir;
        QFETCH(QStringList, arguments);
        QString errors;
        QCOMPARE(report(arguments, &errors), 2);
        QVERIFY(errors.contains("usage: mellidor report"));
        QVERIFY(!QFile::exists("x.pdf"));
    }

    void unwritable_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "nowhere/r.pdf"
                                        << "does not exist";
        QTest::newRow("a folder's name") << "folder"
                                         << "directory";
        QTest::newRow("inside a file") << "file.txt/r.pdf"
                                       << "not a folder";
    }
    void unwritable()
    {
        QFETCH(QString, output);
        QFETCH(QString, reason);
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(2));
        writeBytes("file.txt", "x");
        QDir().mkdir("folder");
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString errors;
        QCOMPARE(report({"--days", "2", "--output", output}, &errors), 1);
        QVERIFY2(errors.contains(output) && errors.contains(reason), qPrintable(errors));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir("folder").isEmpty());
    }

    // A disk that fills up mid-write (a file size limit; root obeys it too)
    // leaves no partial report.
    void fullDisk()
    {
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(14));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 20000;
        setrlimit(RLIMIT_FSIZE, &small);
        QString errors;
        const int status = report({"--days", "14", "--output", "r.pdf"}, &errors);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(status, 1);
        QVERIFY2(errors.contains("File too large"), qPrintable(errors));
        QVERIFY(!QFile::exists("r.pdf"));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
