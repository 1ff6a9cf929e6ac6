// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reportcommand.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"
#include "ui/reportrenderer.h"

#include <QPdfWriter>
#include <QtTest>

#include <cmath>

using namespace ReportLayout;

static const QDate lastDay(2025, 3, 14); // a Friday, and today

static QByteArray line(const QDate &d, int minutes, const char *type, int value)
{
    return QStringLiteral("%1,%2,%3,%4\n")
        .arg(formatDate(d.day(), d.month(), d.year()), formatTime(minutes / 60, minutes % 60), type,
             formatValue(value))
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

// The data of the days up to lastDay, with the limits 100 and 130.
static ReportData dataOf(const QByteArray &bytes, int days)
{
    return collectReportData(diaryOf(bytes),
                             {lastDay.addDays(1 - days), lastDay, 100, 130, {}, lastDay});
}

static QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

static QString errors; // of the last report()
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
        Clock::setForTesting([] { return lastDay.startOfDay(); });
    }

    // Rows of a week, the newest first, the oldest day of a row on its left.
    void curveCells()
    {
        QCOMPARE(QList<int>({curveRow(6), curveColumn(6), curveRow(7), curveColumn(7), curveRow(89),
                             curveColumn(89), curveRowCount(14), curveRowCount(15)}),
                 QList<int>({0, 0, 1, 6, 12, 1, 2, 3}));
    }

    // A day longer than a page; thirty empty days whose curves spill over.
    void logbookFlow()
    {
        const double bottom = contentRect(Report::defaultPageSize()).bottom();
        for (const std::vector<int> &entries :
             {std::vector<int>{3, 400, 3}, std::vector<int>(30)}) {
            const Plan p = plan(Report::defaultPageSize(), entries);
            QCOMPARE(p.pageCount, 3);
            for (const CurveRowPlace &row : p.curveRows)
                QVERIFY(row.page < p.firstLogbookPage && row.top + curveRowHeight <= bottom);
            std::vector<int> placed(entries.size());
            LogbookPiece last{0, 0, 0, false, p.firstLogbookPage, 0};
            for (const LogbookPiece &piece : p.logbook) {
                QVERIFY(piece.day >= last.day && piece.page >= last.page);
                QCOMPARE(piece.firstLine, placed[size_t(piece.day)]);
                QCOMPARE(piece.continued, piece.firstLine > 0);
                QVERIFY(piece.top + (1 + piece.lines) * logbookLineHeight <= bottom);
                placed[size_t(piece.day)] += piece.lines;
                last = piece;
            }
            for (size_t d = 0; d < entries.size(); ++d)
                QCOMPARE(placed[d], logbookEntryLines(entries[d]));
        }
    }

    // Finger-stick readings belong in the logbook; a sensor day's do not.
    void dayData()
    {
        QByteArray bytes = line(lastDay, 1200, "Glucose", 180) + line(lastDay, 420, "Glucose", 90) +
                           line(lastDay, 430, "Humalog", 5) + line(lastDay, 1320, "Lantus", 18) +
                           line(lastDay, 430, "Carbs", 45) +
                           line(lastDay.addDays(1), 0, "Carbs", 9);
        for (int i = 0; i < sensorDayReadings; ++i)
            bytes += line(lastDay.addDays(-1), i * 5, "Glucose", 100 + i);
        QStringList days; // day, readings, carbs, bolus, basal, mean: logbook
        for (const ReportDay &day : dataOf(bytes, 3).days) {
            days << QString::asprintf("%d %zu %lld %lld %lld %g:", day.date.day(),
                                      day.readings.size(), day.carbs, day.bolus, day.basal,
                                      day.mean.value_or(-1));
            for (const LogbookEntry &e : day.logbook)
                days.last() += QStringLiteral(" %1 %2 %3").arg(e.minutes).arg(e.type).arg(e.value);
        }
        QCOMPARE(days, QStringList({"14 2 45 5 18 135: 420 Glucose 90 430 Humalog 5 430 Carbs 45 "
                                    "1200 Glucose 180 1320 Lantus 18",
                                    "13 48 0 0 0 123.5:", "12 0 0 0 0 -1:"}));
    }

    // With the limits 80 and 160 of the settings; a second report has the same text.
    void pdf_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("texts"); // separated by '|'
        QTest::newRow("one day") << "--days 1" << 2
                                 << "288 on 1 of 1 days|Mean glucose 90 mg/dL|Own limits 80-160|"
                                    "in 56.6 %|Fri 2025-03-14|07:30 Carbs 60";
        QTest::newRow("fourteen days in mmol/L") << "--days 14 --unit mmol" << 2
                                                 << "4032 on 14 of 14 days|Sat 2025-03-01|Mean "
                                                    "glucose 7.1 mmol/L|Own limits 4.4-8.9";
        QTest::newRow("ninety days") << "--days 90" << 7 << "25920 on 90 of 90 days|Mon 2024-12-16";
        QTest::newRow("no readings") << "--from 2020-01-01 --to 2020-01-07" << 2
                                     << "No glucose readings in this period.|0 on 0 of 7 days";
    }
    void pdf()
    {
        QFETCH(QString, options);
        QFETCH(int, pages);
        QFETCH(QString, texts);
        WorkDir dir;
        writeBytes(DiaryFile::fileName, sensorDiary(93));
        QDir().mkdir("Settings");
        writeBytes("Settings/Mellidor.conf", " 80\n160\n");
        QCOMPARE(report(options + " --output r.pdf"), 0);
        const QString info = run("pdfinfo", {"r.pdf"});
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        QVERIFY(info.contains("595 x 842 pts (A4)"));
        const QString text = run("pdftotext", {"-layout", "r.pdf", "-"});
        for (const QString &e :
             texts.split(u'|') + QStringList{QStringLiteral("page %1 of %1").arg(pages)})
            QVERIFY2(text.simplified().contains(e), qPrintable(e + " missing in:\n" + text));
        QCOMPARE(text.count("page "), pages);
        QCOMPARE(report(options + " --output again.pdf"), 0);
        QCOMPARE(run("pdftotext", {"-layout", "again.pdf", "-"}), text);
        if (!options.startsWith("--days 14"))
            return; // the range bar and the AGP bands of page 1 at 72 dpi, a pixel a point
        run("pdftoppm", {"-r", "72", "-f", "1", "-l", "1", "-png", "-singlefile", "r.pdf", "p1"});
        const QImage image("p1.png");
        const auto at = [&image](QPointF p) { return QColor(image.pixel(p.toPoint())).name(); };
        const GlucoseStatistics s =
            computeStatistics(diaryOf(sensorDiary(14)), lastDay.addDays(-13), lastDay, 80, 160);
        const QRectF agp = firstPage(Report::defaultPageSize()).agp;
        const std::vector<QRectF> bar =
            rangeSegments(firstPage(Report::defaultPageSize()).rangeBar,
                          {*s.veryLowPercent, *s.lowPercent, *s.inRangePercent, *s.highPercent,
                           *s.veryHighPercent});
        QVERIFY(bar[2].height() > 10 && bar[1].height() > 4);
        const AgpBin &bin = s.agp[3]; // 03:00 to 04:00: the whole of it is one hour's band
        const auto band = [&](double v) { return at({agpX(3.5, agp) + 4, agpY(v, agp)}); };
        QCOMPARE(
            QStringList({at(bar[2].center()), at(bar[1].center()), band((*bin.p25 + *bin.p50) / 2),
                         band((*bin.p75 + *bin.p95) / 2), band(*bin.p95 + 25)}),
            QStringList({"#43a047", "#e53935", "#64b5f6", "#bbdefb", "#ffffff"}));
    }

    void letterPaperIsShorter()
    {
        WorkDir dir;
        QPdfWriter writer(dir.file("l.pdf"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), {}, {}));
        QCOMPARE(Report::render(writer, dataOf(sensorDiary(90), 90)), 8);
    }

    // Bad options (status 2) and outputs that cannot be written (status 1)
    // leave the folder as it was.
    void failures_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error"); // the parts it holds, separated by '|'
        for (const char *bad :
             {"--days 3", "--days 3 --from 2025-01-01 --to 2025-01-02 -o", "--from 2025-01-01 -o",
              "--days 0 -o", "--days two -o", "--from 2025-01-02 --to 2025-01-01 -o",
              "--days 100000 -o", "--from 2025-02-30 --to 2025-03-01 -o", "--unit mg -o",
              "--pages 2 -o", "x -o"})
            QTest::newRow(bad) << QString(bad).replace("-o", "--output x.pdf") << 2
                               << "Usage: mellidor report";
        QTest::newRow("no folder") << "--output nowhere/r.pdf" << 1 << "nowhere|does not exist";
        QTest::newRow("a folder's name") << "--output folder" << 1 << "folder|directory";
        QTest::newRow("inside a file") << "--output file.txt/r.pdf" << 1 << "file.txt|not a folder";
        QTest::newRow("full disk (a size limit)")
            << "--output r.pdf" << 1 << "r.pdf|File too large";
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
