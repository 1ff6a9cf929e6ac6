// SPDX-License-Identifier: GPL-3.0-or-later
// Readers of export files, the duplicate and placement rules, the CSV export.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/entrytext.h"
#include "core/importmerge.h"
#include "import/importfile.h"

#include <QtTest>

#include <ctime>

namespace {

QByteArray fileOf(const Diary &diary)
{
    QByteArray lines;
    for (int row = diary.rowCount() - 1; row >= 0; --row)
        diary.appendLine(row, lines);
    return lines;
}

QByteArray importInto(Diary &diary, const ImportResult &result)
{
    const MergePlan plan = planMerge(diary, {&result.batch});
    diary.insertRows(plan.rows, plan.texts);
    return fileOf(diary);
}

const QByteArray dexcomHeader = "Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event Subtype,,,,"
                                "Glucose Value (mg/dL),Insulin Value (u),Carb Value (grams)";
const QByteArray libreHeader =
    "Device,Serial Number,Device Timestamp,Record Type,Historic Glucose mg/dL,Scan Glucose "
    "mg/dL,Non-numeric Rapid-Acting Insulin,Rapid-Acting Insulin (units),Non-numeric "
    "Food,Carbohydrates (grams),Carbohydrates (servings),Non-numeric Long-Acting "
    "Insulin,Long-Acting Insulin Value (units),Notes,Strip Glucose mg/dL";
const int ymd = int(DateOrder::YearFirst), dmy = int(DateOrder::DayFirst),
          mdy = int(DateOrder::MonthFirst);

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void readers_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QList<int>>("counts"); // skipped, rounded, unread, date order
        const auto add = [](const char *name, QList<int> counts, QByteArray file,
                            QByteArray lines) { QTest::newRow(name) << file << lines << counts; };
        add("Dexcom: BOM, CRLF, quotes, High/Low, doses, other rows skipped", {2, 1, 1, ymd},
            "\xef\xbb\xbf" + dexcomHeader +
                "\r\n1,,FirstName,,Sample\r\n2,2019-10-14T16:53:05,Calibration,,,,G6,93\r\n"
                "3,\"2019-10-14T16:55:59\",\"EGV\",,,,\"G6, Android\",High,,,,,1,X\r\n"
                "4,2019-10-14T17:00:00,EGV,,,,G6,Low\r\n5,2019-10-14T17:05:00,EGV,,,,G6,112\r\n"
                "6,2019-10-14T17:06:00,Insulin,Fast-Acting,,,G6,,2.50\r\n"
                "7,2019-10-14T23:24:00,Insulin,Long-Acting,,,G6,,21.00\r\n"
                "8,2019-10-14T23:30:00,Carbs,,,,G6,,,15\r\n9,not a time,EGV,,,,G6,100\r\n",
            "14.10.2019,16:55,Glucose, 400\n14.10.2019,17:00,Glucose,  40\n"
            "14.10.2019,17:05,Glucose, 112\n14.10.2019,17:06,Bolus,   3\n"
            "14.10.2019,23:24,Basis,  21\n14.10.2019,23:30,Carbs,  15\n");
        add("Dexcom German: semicolons, decimal commas, mmol/L, cut in quotes", {0, 2, 1, ymd},
            "Index;Zeitstempel;Ereignisart;Ereignisuntertyp;;;;Glukosewert (mmol/l);"
            "Insulinwert (E);Kohlenhydratwert (Gramm)\n1;2020-03-01 08:00:00;EGV;;;;G6;"
            "6,2\n2;2020-03-01 08:01:00;Insulin;Schnell wirkend;;;G6;;4,4\n3;2020-03-01 "
            "08:02:00;Kohlenhydrate;;;;G6;;;30,5\n4;2020-03-01 08:03:00;EGV;;;;\"G6",
            " 1. 3.2020,08:00,Glucose, 112\n 1. 3.2020,08:01,Bolus,   4\n"
            " 1. 3.2020,08:02,Carbs,  31\n");
        add("LibreView: blank line, day first, record types, strip, doses", {2, 0, 0, dmy},
            "Glucose Data,Generated on,13-12-2020 10:23 UTC\r\n\r\n" + libreHeader +
                "\r\nL,1,05-12-2019 16:25,0,101\r\nL,1,13-12-2019 16:41,1,,99\r\n"
                "L,1,06-12-2019 11:13,5,,,,,1\r\nL,1,06-12-2019 11:14,5,,,,,,45\r\n"
                "L,1,06-12-2019 11:15,4,,,,6,,,,,8\r\nL,1,06-12-2019 11:16,2,,,,,,,,,,,77\r\n"
                "L,1,06-12-2019 11:17,6,,,,,,,,,,note,\r\n",
            " 5.12.2019,16:25,Glucose, 101\n 6.12.2019,11:14,Carbs,  45\n"
            " 6.12.2019,11:15,Basis,   8\n 6.12.2019,11:15,Bolus,   6\n"
            " 6.12.2019,11:16,Glucose,  77\n13.12.2019,16:41,Glucose,  99\n");
        add("LibreView: month first because 12-13 is no day-month date, mmol/L", {0, 0, 0, mdy},
            "x,y\n" + QByteArray(libreHeader).replace("mg/dL", "mmol/L") +
                "\nL,1,12-13-2019 07:00,0,5.5\nL,1,12-01-2019 07:00,0,\"4,0\"\n",
            " 1.12.2019,07:00,Glucose,  72\n13.12.2019,07:00,Glucose,  99\n");
        add("LibreView German, AM/PM where both orders fit as well: month first", {0, 0, 1, mdy},
            "Glukose-Werte,Erstellt am\nGer\xc3\xa4t,Seriennummer,Ger\xc3\xa4tezeit"
            "stempel,Aufzeichnungstyp,Glukosewert-Verlauf mg/dL\nL,1,03-04-2021 "
            "01:05 PM,0,120\nL,1,03-04-2021 12:10 AM,0,130\nL,1,31-04-2021 12:10 "
            "AM,0,140\n",
            " 4. 3.2021,00:10,Glucose, 130\n 4. 3.2021,13:05,Glucose, 120\n");
        add("Nightscout: local time, error codes, mbg, other types, cut off", {2, 1, 2, ymd},
            QByteArray("[{'type':'sgv','sgv':162,'date':1775421029000},{'type':'sgv','sgv':5,"
                       "'date':1775421329000},{'type':'cal','slope':1000,'date':1775421329000},"
                       "{'type':'mbg','mbg':101.5,'dateString':'2026-01-05T20:00:00Z'},"
                       "\n{'type':'sgv','sgv':170},{'type':'sgv','sgv':150,'da")
                .replace('\'', '"'),
            " 5. 1.2026,21:00,Glucose, 102\n 5. 4.2026,22:30,Glucose, 162\n");
        add("Nightscout treatments: rates skipped, tiny doses round away", {2, 2, 0, ymd},
            QByteArray("[{'eventType':'Temp Basal','rate':0.5,'created_at':'2026-04-05T20:06:0"
                       "0.033Z'},{'eventType':'SMB','insulin':0.2,'created_at':'2026-04-05T2"
                       "0:06:01.413Z'},{'eventType':'Meal Bolus','insulin':2.5,'carbs':40,"
                       "'timestamp':'2026-04-05T11:45:26.696Z'}]")
                .replace('\'', '"'),
            " 5. 4.2026,13:45,Bolus,   3\n 5. 4.2026,13:45,Carbs,  40\n");
        add("Nightscout entries TSV from the API", {1, 0, 0, ymd},
            "\"2026-04-05T20:30:29.000Z\"\t1775421029000\t162\t\"Flat\"\t\"x\"\n"
            "\"2026-04-05T20:35:29.000Z\"\t1775421329000\t12\t\"\"\t\"x\"\n",
            " 5. 4.2026,22:30,Glucose, 162\n");
        add("Mellidor diary lines, hand-edited ones kept as written", {0, 0, 1, ymd},
            "14.10.2019,16:53,Glucose, 112\r\n1.1.2020,8:5,Lantus,12x\nno commas\n",
            "14.10.2019,16:53,Glucose, 112\n1.1.2020,8:5,Lantus,12x\n");
        QByteArray random(4096, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(random.data()), 1024);
        add("refused: random bytes", {}, random, {});
        add("refused: no entry", {}, dexcomHeader + "\n1,,Alert,High\n", {});
        add("refused: another format", {}, "name,age\nAnna,31\n", {});
        add("refused: other JSON", {}, "[{\"name\":\"Anna\"}]", {});
    }

    void readers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, lines);
        QFETCH(QList<int>, counts);
        const ImportResult result = readImportData(file, QStringLiteral("x.csv"));
        QVERIFY2(result.ok() != lines.isEmpty(), qPrintable(result.error));
        Diary diary;
        QCOMPARE(importInto(diary, result), lines);
        if (lines.isEmpty())
            return;
        QCOMPARE((QList<int>{int(result.rowsSkipped), int(result.valuesRounded),
                             int(result.unreadCount), int(result.dateOrder)}),
                 counts);
        if (result.unreadCount)
            QVERIFY(result.unread.front().line > 1);
    }

    void cancelStopsReading()
    {
        const QByteArray line = "1,2019-10-14T17:05:00,EGV,,,,G6,100\n";
        qint64 calls = 0;
        const ImportResult result = readImportData(
            dexcomHeader + '\n' + line.repeated(20000), "big.csv",
            [&calls](qint64 done, qint64 total) { return done <= total && ++calls < 2; });
        QVERIFY(result.cancelled && !result.ok() && result.batch.entries.empty());
        QCOMPARE(calls, 2);
    }

    // Placing all at once equals adding one at a time by the edit dialog's rule.
    void placementMatchesOneAtATime()
    {
        QRandomGenerator random(12);
        const auto texts = [&random](bool odd) -> EntryTexts {
            const QByteArray time = "07:0" + QByteArray::number(random.bounded(3));
            if (odd)
                return {"no date", time, "Carbs", "   1"};
            return {formatDate(1 + int(random.bounded(4)), 3, 2024).toUtf8(), time,
                    items[random.bounded(3)], QByteArray::number(random.bounded(1000))};
        };
        for (int round = 0; round < 300; ++round) {
            Diary naive;
            for (int i = int(random.bounded(12)); i > 0; --i)
                naive.prependRow(texts(random.bounded(8) == 0));
            Diary merged = naive;
            ImportBatch batch;
            for (int i = int(random.bounded(12)); i > 0; --i)
                batch.addTexts(texts(false));
            const MergePlan plan = planMerge(merged, {&batch});
            merged.insertRows(plan.rows, plan.texts);
            for (const ImportEntry &e : batch.entries) {
                const EntryTexts &t = batch.verbatim[size_t(e.verbatim)];
                if (std::find(plan.texts.begin(), plan.texts.end(), t) == plan.texts.end())
                    continue;
                const qint64 key = Diary::dateTimeKey(parseDate(QString::fromUtf8(t[0])),
                                                      parseTime(QString::fromUtf8(t[1])));
                int at = naive.rowCount();
                while (at > 0 && naive.dateTimeKey(at - 1) < key)
                    --at;
                naive.insertRow(at, t);
            }
            QCOMPARE(fileOf(merged), fileOf(naive));
        }
    }

    void exportAndDuplicates()
    {
        Diary diary;
        diary.prependRow({" 5. 3.2024", "07:30", "Pasta", "   2"}); // not a duplicate of Pizza
        diary.prependRow({"31. 2.2024", "7", "Pizza, \"large\"", "   2"});
        diary.prependRow({" 4. 3.2024", "23:59", "Carbs", "  40"});
        diary.prependRow({" 5. 3.2024", "07:30", "Pizza", "   2"});
        const QByteArray head = "date,time,type,value\n",
                         lastTwo = "2024-03-05,07:30,Pizza,2\n2024-03-05,07:30,Pasta,2\n";
        QCOMPARE(exportCsv(diary), head +
                                       "31. 2.2024,07:07,\"Pizza, \"\"large\"\"\",2\n"
                                       "2024-03-04,23:59,Carbs,40\n" +
                                       lastTwo);
        QCOMPARE(exportCsv(diary, QDate(2024, 3, 5), QDate(2024, 3, 5)), head + lastTwo);
        ImportResult result = readImportData(exportCsv(diary), "e.csv");
        Diary fresh;
        importInto(fresh, result);
        QCOMPARE(exportCsv(fresh), exportCsv(diary));
        QCOMPARE(planMerge(diary, {&result.batch}).counts[0].added, 0);
        // Duplicates of the diary, of the same file and of an earlier file.
        const QByteArray added = "2024-03-05,07:30,Glucose,113\n2024-03-05,07:30,Bolus,112\n";
        result = readImportData(head + lastTwo + added + added.left(29), "a.csv");
        const MergePlan plan = planMerge(diary, {&result.batch, &result.batch});
        QCOMPARE((QList<qsizetype>{plan.counts[0].added, plan.counts[0].duplicates,
                                   plan.counts[1].added, plan.counts[1].duplicates}),
                 (QList<qsizetype>{2, 3, 0, 5}));
        diary.insertRows(plan.rows, plan.texts);
        QVERIFY(planMerge(diary, {&result.batch}).rows.empty());
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
