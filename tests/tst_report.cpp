// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/agpscale.h"
#include "analysis/statisticstext.h"
#include "app/reportcommand.h"
#include "app/translation.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/diarysession.h"
#include "testsupport.h"
#include "ui/palette.h"
#include "ui/reportrenderer.h"

#include <QPdfWriter>
#include <QTranslator>
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

// The data of the days up to lastDay, with the limits 100 and 130.
static ReportData dataOf(const QByteArray &bytes, int days)
{
    return collectReportData(diaryOf(bytes),
                             {lastDay.addDays(1 - days), lastDay, 100, 130, {}, lastDay});
}

// The words of the first pages of a PDF with their boxes, in points from
// each page's top left.
static QList<std::pair<QRectF, QString>> pdfWords(const QString &path, int pages)
{
    const QString words = outputOf("pdftotext", {"-bbox", "-l", QString::number(pages), path, "-"});
    static const QRegularExpression word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                                         "xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    QList<std::pair<QRectF, QString>> found;
    for (const QRegularExpressionMatch &m : word.globalMatch(words)) {
        found.append({QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                      m.captured(5)});
    }
    return found;
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
            LogbookPiece last{0, 0, 0, 1, false, p.firstLogbookPage, 0};
            for (const LogbookPiece &piece : p.logbook) {
                QVERIFY(piece.day >= last.day && piece.page >= last.page);
                QCOMPARE(piece.firstLine, placed[size_t(piece.day)]);
                QCOMPARE(piece.continued, piece.firstLine > 0);
                QVERIFY(piece.top + (piece.headerLines + piece.lines) * logbookLineHeight <=
                        bottom);
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
        QCOMPARE(days,
                 QStringList({"14 2 45 500 1800 135: 420 Glucose 90 430 Humalog 5 430 Carbs 45 "
                              "1200 Glucose 180 1320 Lantus 18",
                              "13 48 0 0 0 123.5:", "12 0 0 0 0 -1:"}));
    }

    // With the limits 80 and 160 of the settings; a second report has the
    // same text. Page 1 holds the statistics window's figures and warnings.
    void pdf_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("one day") << "--days 1" << lastDay << lastDay << 2
                                 << QStringList{"values in mg/dL", "Fri 2025-03-14",
                                                "07:30 Carbs 60 g"};
        QTest::newRow("fourteen days in mmol/L")
            << "--days 14 --unit mmol" << lastDay.addDays(-13) << lastDay << 2
            << QStringList{"values in mmol/L", "Sat 2025-03-01", "In range 3.9–10.0"};
        QTest::newRow("targets and the period before")
            << "--days 14 --targets pregnancy-type-1 --compare" << lastDay.addDays(-13) << lastDay
            << 2 << QStringList{"Pregnancy, type 1"};
        QTest::newRow("ninety days")
            << "--days 90" << lastDay.addDays(-89) << lastDay << 7 << QStringList{"Mon 2024-12-16"};
        QTest::newRow("no readings")
            << "--from 2020-01-01 --to 2020-01-07" << QDate(2020, 1, 1) << QDate(2020, 1, 7) << 2
            << QStringList{"No readings in this period"};
    }
    void pdf()
    {
        QFETCH(QString, options);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, pages);
        QFETCH(QStringList, texts);
        SKIP_WITHOUT_TOOL("pdfinfo");
        SKIP_WITHOUT_TOOL("pdftotext");
        SKIP_WITHOUT_TOOL("pdftoppm");
        WorkDir dir(sensorDiary(93));
        QDir().mkdir("Settings");
        writeBytes("Settings/Mellidor.conf", " 80\n160\n");
        QCOMPARE(report(options + " --output r.pdf"), 0);
        const QString info = outputOf("pdfinfo", {"r.pdf"});
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))));
        QVERIFY(info.contains("595 x 842 pts (A4)"));
        const QString text = outputOf("pdftotext", {"-layout", "r.pdf", "-"});
        const TargetSet set =
            options.contains("pregnancy-type-1") ? TargetSet::PregnancyType1 : TargetSet::Standard;
        const GlucoseStatistics s = computeStatistics(
            diaryOf(sensorDiary(93)), {from, to, 80, 160, set, options.contains("--compare")});
        const bool mmol = options.contains("--unit mmol");
        const GlucoseUnit unit = mmol ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
        for (const auto &figures : {statisticsLines(s, unit, 80, 160), riskLines(s, unit)}) {
            for (const StatisticsLine &figure : figures)
                texts << QStringList{figure.label, figure.value, targetWithMark(figure),
                                     figure.change}
                             .join(u' ')
                             .simplified();
        }
        texts << statisticsWarnings(s) << eventsText(s, unit) << comparisonText(s)
              << QStringLiteral("page %1 of %1").arg(pages);
        // A text wrapped in its box reads whole in the PDF's own order;
        // blanks are left out, as pdftotext guesses them from the gaps.
        const auto solid = [](QString s) { return s.remove(QRegularExpression("\\s")); };
        const QString flowing = solid(outputOf("pdftotext", {"r.pdf", "-"}));
        for (const QString &e : texts)
            QVERIFY2(solid(text).contains(solid(e)) || flowing.contains(solid(e)),
                     qPrintable(e + " missing in:\n" + text));
        QCOMPARE(text.count("page "), pages);
        QCOMPARE(report(options + " --output again.pdf"), 0);
        QCOMPARE(outputOf("pdftotext", {"-layout", "again.pdf", "-"}), text);
        if (!mmol)
            return; // the range bar and the AGP bands of page 1 at 72 dpi, a pixel a point
        outputOf("pdftoppm",
                 {"-r", "72", "-f", "1", "-l", "1", "-png", "-singlefile", "r.pdf", "p1"});
        const QImage image("p1.png");
        const auto at = [&image](QPointF p) { return QColor(image.pixel(p.toPoint())); };
        const FirstPage page = firstPage(Report::defaultPageSize());
        const auto bar = AgpScale::rangeSegments(s, page.rangeBar);
        const QRectF inRange = bar[size_t(GlucoseRange::InRange)];
        const QRectF low = bar[size_t(GlucoseRange::Low)];
        QVERIFY(inRange.height() > 10 && low.height() > 4);
        const AgpBin &bin = s.agp[3]; // in the middle of 03:00 to 04:00
        const auto band = [&](double v) {
            return at({AgpScale::hourX(3.5, page.agp),
                       AgpScale::valueY(v, AgpScale::topValue(s), page.agp)});
        };
        // The risk grid: zone A at its origin, E at its far corner, the
        // period's point between.
        const QRectF &gri = page.gri;
        QCOMPARE(QList<QColor>({at(inRange.center()), at(low.center()),
                                band((*bin.p25 + *bin.p50) / 2), band((*bin.p75 + *bin.p95) / 2),
                                band(*bin.p95 + 25), at(gri.bottomLeft() + QPointF(3, -3)),
                                at(gri.topRight() + QPointF(-3, 3)),
                                at(AgpScale::griPoint(*s.griHypo, *s.griHyper, gri))}),
                 QList<QColor>({Palette::inRange, Palette::low, Palette::innerBand,
                                Palette::outerBand, Qt::white, Palette::griZones[0],
                                Palette::griZones[4], Palette::median}));
    }

    // The value axis reaches the highest 95th percentile, as in the window,
    // so readings above 350 mg/dL are not flattened: its top label stands
    // at the top of the plot.
    void agpAxisTop_data()
    {
        QTest::addColumn<int>("peak"); // every reading from 10:00 to 11:00
        QTest::addColumn<bool>("mmol");
        QTest::addColumn<QString>("top");
        QTest::newRow("below 350") << 300 << false << "350";
        QTest::newRow("above 350") << 420 << false << "450";
        QTest::newRow("above 350 in mmol/L") << 420 << true << "25.0";
        QTest::newRow("far above") << 601 << false << "650";
    }
    void agpAxisTop()
    {
        QFETCH(int, peak);
        QFETCH(bool, mmol);
        QFETCH(QString, top);
        SKIP_WITHOUT_TOOL("pdftotext");
        QByteArray bytes;
        for (int back = 13; back >= 0; --back) {
            for (int m = 0; m < 1440; m += 5)
                bytes += line(lastDay.addDays(-back), m, "Glucose", m / 60 == 10 ? peak : 150);
        }
        ReportData data = dataOf(bytes, 14);
        data.request.unit = mmol ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
        QCOMPARE(*data.statistics.agp[10].p95, double(peak));
        WorkDir dir;
        QString error;
        QVERIFY2(Report::writePdf("r.pdf", data, &error), qPrintable(error));
        const QRectF plot = firstPage(Report::defaultPageSize()).agp;
        QStringList atTop; // left of the plot, level with its top
        for (const auto &[box, word] : pdfWords("r.pdf", 1)) {
            if (box.right() < plot.left() && box.right() > plot.left() - 30 &&
                box.top() < plot.top() && box.bottom() > plot.top())
                atTop << word;
        }
        QCOMPARE(atTop, QStringList{top});
    }

    // Twelve days of a sensor and fractional doses, compared with the days
    // before, in mmol/L and under the longest target set: every word of
    // every page inside the margins, in English and in German, numbers with
    // the language's decimal mark.
    void fitsThePage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << QStringList{"Bolus 7.53 U", "bolus 25.53 U", "7.1 mmol/L"};
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << QStringList{"Bolus 7,53 U", "Bolus 25,53 U", "7,1 mmol/L",
                                               "Gestationsdiabetes"};
    }
    void fitsThePage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, shown);
        SKIP_WITHOUT_TOOL("pdftotext");
        QLocale::setDefault(locale);
        installTranslations(locale);
        const ReportData data =
            collectReportData(diaryOf(sensorDiary(12) + "14. 3.2025,07:35,Bolus,7.53\n"),
                              {lastDay.addDays(-13), lastDay, 100, 130, GlucoseUnit::MmolPerL,
                               lastDay, TargetSet::PregnancyType2, true});
        WorkDir dir;
        QString error;
        int pages = 0;
        QVERIFY2(Report::writePdf("r.pdf", data, &error, &pages), qPrintable(error));
        const QString text = outputOf("pdftotext", {"r.pdf", "-"}).simplified();
        for (QTranslator *translator : qApp->findChildren<QTranslator *>())
            delete translator; // removed from the application as it goes
        QLocale::setDefault(QLocale::c());
        const QSizeF page = Report::defaultPageSize();
        const QRectF printable(margin, margin, page.width() - 2 * margin,
                               page.height() - 2 * margin);
        QStringList outside;
        for (const auto &[box, word] : pdfWords("r.pdf", pages)) {
            if (!printable.contains(box))
                outside << word;
        }
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(u' ')));
        for (const QString &s : shown)
            QVERIFY2(text.contains(s), qPrintable(s + " missing in:\n" + text));
    }

    void letterPaperIsShorter()
    {
        WorkDir dir;
        QPdfWriter writer(dir.file("l.pdf"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), {}, {}));
        // A4 takes 7.
        QCOMPARE(Report::render(writer, dataOf(sensorDiary(90), 90)), 9);
    }

    // Bad options (status 2) and outputs that cannot be written (status 1)
    // leave the folder as it was.
    // The period a report may cover: forwards, and at most maxReportDays.
    void reportPeriods_data()
    {
        QTest::addColumn<int>("days"); // first to last day, both counted; 0: backwards
        QTest::newRow("one day") << 1;
        QTest::newRow("the longest") << maxReportDays;
        QTest::newRow("a day longer") << maxReportDays + 1;
        QTest::newRow("backwards") << 0;
    }
    void reportPeriods()
    {
        QFETCH(int, days);
        WorkDir dir(sensorDiary(2));
        DiarySession session;
        QCOMPARE(session.open().status, DiaryFile::LoadResult::Loaded);
        ReportRequest request;
        request.to = QDate(2026, 12, 6);
        request.from = request.to.addDays(1 - days);
        QString problem;
        const std::optional<ReportData> data = reportOf(session, request, &problem);
        const bool made = days >= 1 && days <= maxReportDays;
        QCOMPARE(problem.isEmpty(), made);
        QCOMPARE(data ? qsizetype(data->days.size()) : 0, made ? days : 0);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("named"); // in the error
        QTest::addColumn<QString>("reason");
        for (const char *bad :
             {"--days 3", "--days 3 --from 2025-01-01 --to 2025-01-02 -o", "--from 2025-01-01 -o",
              "--days 0 -o", "--days two -o", "--from 2025-01-02 --to 2025-01-01 -o",
              "--days 100000 -o", "--from 2025-02-30 --to 2025-03-01 -o", "--unit mg -o",
              "--targets elderly -o", "--compare=1 -o", "--pages 2 -o", "x -o"})
            QTest::newRow(bad) << QString(bad).replace("-o", "--output x.pdf") << 2 << ""
                               << "Usage: mellidor report";
        QTest::newRow("no folder") << "--output nowhere/r.pdf" << 1 << "nowhere"
                                   << "does not exist";
        QTest::newRow("a folder's name") << "--output folder" << 1 << "folder"
                                         << "directory";
        QTest::newRow("inside a file") << "--output file.txt/r.pdf" << 1 << "file.txt"
                                       << "not a folder";
        QTest::newRow("full disk (a size limit)") << "--output r.pdf" << 1 << "r.pdf"
                                                  << "File too large";
    }
    void failures()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, named);
        QFETCH(QString, reason);
        WorkDir dir(sensorDiary(14));
        writeBytes("file.txt", "x");
        QDir().mkdir("folder");
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        withFileSizeLimit(20000, [&] { QCOMPARE(report(arguments), status); });
        QVERIFY2(errors.contains(named) && errors.contains(reason), qPrintable(errors));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir("folder").isEmpty());
    }

    // Doses with fractions sum exactly and show as written; whole ones as before.
    void fractionalDoses()
    {
        SKIP_WITHOUT_TOOL("pdftotext");
        const ReportData data =
            dataOf("14. 3.2025,07:05,Bolus,2.35\n14. 3.2025,12:00,Humalog, 1.5\n14. 3.2025,12:05,"
                   "Novorapid,   3\n14. 3.2025,22:00,Lantus,10.25\n14. 3.2025,22:01,Basis,   2\n",
                   1);
        WorkDir dir;
        QString error;
        QVERIFY2(Report::writePdf("r.pdf", data, &error), qPrintable(error));
        const QString text = outputOf("pdftotext", {"-layout", "r.pdf", "-"}).simplified();
        for (const char *shown :
             {"bolus 6.85 U, basal 12.25 U", "07:05 Bolus 2.35 U", "12:00 Humalog 1.5 U",
              "12:05 Novorapid 3 U", "22:00 Lantus 10.25 U", "22:01 Basis 2 U"})
            QVERIFY2(text.contains(shown), qPrintable(shown + (" missing in: " + text)));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
