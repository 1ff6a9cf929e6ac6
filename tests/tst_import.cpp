// SPDX-License-Identifier: GPL-3.0-or-later
// Readers of export files, the duplicate and placement rules, the CSV export.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/entrytext.h"
#include "core/importmerge.h"
#include "import/importfile.h"
#include "import/importsummary.h"
#include "testsupport.h"

#include <QtTest>

#include <ctime>
#include <sys/stat.h>

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

// Nightscout entries JSON from (milliseconds, mg/dL).
QByteArray nightscout(const QList<QPair<qint64, int>> &readings)
{
    QByteArrayList rows;
    for (const auto &[ms, value] : readings)
        rows << "{\"sgv\":" + QByteArray::number(value) + ",\"date\":" + QByteArray::number(ms) +
                    '}';
    return '[' + rows.join(',') + ']';
}

// Sets TZ for a scope and restores it however the test ends.
struct Zone
{
    const QByteArray saved = qgetenv("TZ");
    explicit Zone(const QByteArray &zone) { set(zone); }
    ~Zone() { set(saved); }
    static void set(const QByteArray &zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
};

// The program's exit status in dir, -1 when it does not end in time.
int runMellidor(const QString &dir, const QStringList &arguments, QByteArray *errors = nullptr)
{
    QProcess process;
    process.start(qEnvironmentVariable("MELLIDOR_BINARY"), QStringList{"-C", dir} + arguments);
    const bool ended = process.waitForFinished(20000);
    if (errors)
        *errors = process.readAllStandardError();
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT
    const Zone berlin{"Europe/Berlin"};

private slots:
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
        add("Mellidor diary: readable hand-edited lines as written, no unreadable ones",
            {0, 0, 8, ymd},
            "14.10.2019,16:53,Glucose, 112\r\n1.1.2020,8:5,Lantus,12\n1.1.2020,8:5,Lantus,12x\n"
            "no commas\n14.10.2019,16:54,Glucose, 99999999999\n14.10.2019,16:55,Glucose,1e308\n"
            "31. 2.2020,10:00,Glucose, 100\n14.10.2019,25:99,Glucose, 100\n"
            "14.10.2019,16:56,Glucose, 112,5\n14.10.2019,ab:cd,Glucose, 100\n"
            "14.10.2019,16:57,Bolus,  03\r\r\r\n",
            "14.10.2019,16:53,Glucose, 112\n14.10.2019,16:57,Bolus,  03\n1.1.2020,8:5,Lantus,12\n");
        add("Mellidor CSV: no unreadable entries, no type a diary line cannot hold", {0, 0, 5, ymd},
            "date,time,type,value\n2024-03-01,10:00,Pizza,2\n2024-02-31,10:00,Glucose,100\n"
            "2024-03-01,7,Glucose,100\n2024-03-01,10:00,Glucose,9999999999\n"
            "2024-03-01,10:00,\"Pizza, large\",2\n2024-03-01,10:01,\"Pizza\nlarge\",2\n",
            " 1. 3.2024,10:00,Pizza,   2\n");
        add("CR-only line ends, no last one", {0, 0, 0, ymd},
            "14.10.2019,16:53,Glucose, 112\r15.10.2019,08:00,Bolus,   4",
            "14.10.2019,16:53,Glucose, 112\n15.10.2019,08:00,Bolus,   4\n");
        // Times far outside any real date are no times: never cast, never entries.
        const QByteArray at12 = " 1. 6.2025,12:00,Glucose, 120\n";
        add("hostile times: Nightscout JSON", {0, 0, 5, ymd},
            QByteArray("[{'sgv':120,'date':1748772000000},\n{'sgv':1,'date':1e19},{'sgv':2,"
                       "'date':-9.3e18},{'sgv':3,'date':8.64e15},{'sgv':4,'date':"
                       "253402300800000},{'sgv':5,'dateString':'1705-01-01T00:00:00Z'}]")
                .replace('\'', '"'),
            at12);
        add("hostile times: Nightscout treatments", {0, 0, 2, ymd},
            QByteArray("[{'carbs':20,'created_at':'2025-06-01T10:00:00Z'},\n{'carbs':21,"
                       "'mills':1e300},{'carbs':22,'created_at':'1899-06-01T00:00:00Z'}]")
                .replace('\'', '"'),
            " 1. 6.2025,12:00,Carbs,  20\n");
        add("hostile times: Nightscout TSV", {0, 0, 4, ymd},
            "\"2025-06-01T10:00:00Z\"\t1748772000000\t120\nx\t99999999999999999999\t1\n"
            "x\t-99999999999999999999\t2\nx\t999999999999999\t3\nx\t-3029443200000\t4\n",
            at12);
        add("hostile times: Dexcom", {0, 0, 1, ymd},
            dexcomHeader + "\n1,2025-06-01T12:00:00,EGV,,,,G6,120\n"
                           "2,1899-12-31T23:00:00,EGV,,,,G6,121\n",
            at12);
        add("hostile times: Mellidor diary", {0, 0, 2, ymd},
            at12 + " 1. 1.1899,10:00,Glucose, 1\n 1. 1.10000,10:00,Glucose, 2\n", at12);
        add("hostile times: Mellidor CSV", {0, 0, 1, ymd},
            "date,time,type,value\n2025-06-01,12:00,Glucose,120\n1899-12-31,10:00,Glucose,121\n",
            at12);
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

    void brokenJson_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("offset");
        QTest::newRow("cut before a whole entry") << QByteArray("[{\"sgv\":120,\"date\":") << 19;
        QTest::newRow("no comma") << QByteArray("[{\"sgv\":120,\"date\":1} {\"sgv\":1}]") << 23;
        QTest::newRow("lines before, text after")
            << QByteArray("\n\n[{\"sgv\":120,\"date\":1}] x") << 25;
    }

    // Broken JSON is told as JSON, in the parser's words and with its offset.
    void brokenJson()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, offset);
        QJsonParseError parser;
        QJsonDocument::fromJson(file, &parser);
        QCOMPARE(readImportData(file, QStringLiteral("ns.json")).error,
                 QStringLiteral("\"ns.json\" is JSON that cannot be read: %1 at offset %2.")
                     .arg(parser.errorString())
                     .arg(offset));
    }

    void clockChange_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("duplicates");
        QTest::addColumn<QString>("note");
        const auto add = [](const char *name, const QByteArray &file, const QByteArray &lines,
                            int duplicates = 0,
                            const char *note = "02:00 to 03:00 on 26.10.2025 occurs twice",
                            const QByteArray &zone = "Europe/Berlin") {
            QTest::newRow(name) << zone << file << lines << duplicates << QString(note);
        };
        const QByteArray at0230 = QByteArray("26.10.2025,02:30,Glucose, 120\n").repeated(2);
        // 00:30Z and 01:30Z on 2025-10-26 are both 02:30 in Berlin.
        add("back: an hour apart", nightscout({{1761438600000, 120}, {1761442200000, 120}}),
            at0230);
        add("back: later instant above, file oldest first",
            nightscout({{1761439500000, 100}, {1761443100000, 200}}),
            "26.10.2025,02:45,Glucose, 100\n26.10.2025,02:45,Glucose, 200\n");
        add("back: one reading sent twice",
            nightscout({{1761438600000, 120}, {1761438620000, 120}, {1761442210000, 120}}), at0230,
            1);
        add("back: TSV", "\"2025-10-26T01:30:00Z\"\t1761442200000\t120\nx\t1761438600000\t120\n",
            at0230);
        add("forward", nightscout({{1743294600000, 120}, {1743298200000, 121}}),
            "30. 3.2025,01:30,Glucose, 120\n30. 3.2025,03:30,Glucose, 121\n", 0,
            "02:00 to 03:00 on 30.03.2025 does not occur");
        // Back by half an hour: 14:45Z and 15:15Z are both 01:45.
        add("Lord Howe", nightscout({{1743864300000, 90}, {1743866100000, 90}}),
            QByteArray(" 6. 4.2025,01:45,Glucose,  90\n").repeated(2), 0,
            "01:30 to 02:00 on 06.04.2025 occurs twice", "Australia/Lord_Howe");
    }

    // Every reading is kept when the clocks go back; importing again adds
    // nothing, and a diary holding some of them gets the others.
    void clockChange()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, lines);
        QFETCH(int, duplicates);
        QFETCH(QString, note);
        const Zone scope(zone);
        const ImportResult result = readImportData(file, QStringLiteral("ns"));
        Diary diary;
        const MergePlan plan = planMerge(diary, {&result.batch});
        diary.insertRows(plan.rows, plan.texts);
        QCOMPARE(fileOf(diary), lines);
        QCOMPARE(plan.counts[0].duplicates, duplicates);
        QVERIFY(importSummary(QStringLiteral("ns"), result, plan.counts[0]).contains(note));
        QVERIFY(planMerge(diary, {&result.batch}).rows.empty());
        Diary partial = diary;
        partial.removeRows({0});
        QCOMPARE(planMerge(partial, {&result.batch}).rows.size(), size_t(1));
        ImportBatch replay; // entries merged once keep their number when applied again
        replay.distinct = true;
        for (const EntryTexts &texts : plan.texts)
            replay.addTexts(texts);
        QCOMPARE(planMerge(Diary(), {&replay}).rows.size(), plan.rows.size());
    }

    void fileKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error"); // empty: read
        QTest::newRow("FIFO") << QString("fifo") << QString("named pipe");
        QTest::newRow("/dev/zero") << QString("/dev/zero") << QString("device");
        QTest::newRow("above the limit") << QString("huge") << QString("too large");
        QTest::newRow("symlink to an export") << QString("link") << QString();
    }

    // Only regular files are read, up to a size: anything else is refused at
    // once, by the command too (which holds the diary's lock meanwhile).
    void fileKinds()
    {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        WorkDir dir;
        const QString path = kind.startsWith(u'/') ? kind : dir.file(kind);
        writeBytes(dir.file("good.csv"), "date,time,type,value\n2024-03-01,10:00,Glucose,120\n");
        if (kind == u"fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == u"huge")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) &&
                    QFile::resize(path, maxImportFileBytes + 1));
        else if (kind == u"link")
            QVERIFY(QFile::link(dir.file("good.csv"), path));
        const ImportResult result = readImportFile(path);
        QVERIFY2(result.error.contains(error) && result.ok() == error.isEmpty(),
                 qPrintable(result.error));
        QCOMPARE(runMellidor(dir.path(), {"import", path}), error.isEmpty() ? 0 : 2);
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
        diary.prependRow({" 4. 3.2024", "7", "Pizza \"large\"", "   2"});
        diary.prependRow({"31. 2.2024", "07:00", "Carbs", "   2"});
        diary.prependRow({" 4. 3.2024", "ab:cd", "Carbs", "   2"});
        diary.prependRow({" 4. 3.2024", "23:00", "Glucose", " 99999999999"});
        diary.prependRow({" 4. 3.2024", "23:59", "Carbs", "  40"});
        diary.prependRow({" 5. 3.2024", "07:30", "Pizza", "   2"});
        const QByteArray head = "date,time,type,value\n",
                         lastTwo = "2024-03-05,07:30,Pizza,2\n2024-03-05,07:30,Pasta,2\n";
        qsizetype skipped = 0;
        QCOMPARE(exportCsv(diary, {}, {}, &skipped),
                 head + "2024-03-04,07:07,\"Pizza \"\"large\"\"\",2\n2024-03-04,23:59,Carbs,40\n" +
                     lastTwo);
        QCOMPARE(skipped, 3);
        QCOMPARE(exportCsv(diary, QDate(2024, 3, 5), QDate(2024, 3, 5), &skipped), head + lastTwo);
        QCOMPARE(skipped, 1); // the date that cannot be read; the others are outside
        WorkDir dir;
        writeBytes(dir.diary(), fileOf(diary));
        QByteArray errors;
        QCOMPARE(runMellidor(dir.path(), {"export"}, &errors), 0);
        QCOMPARE(errors, "3 entries without a readable date, time or value were not exported\n");
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
