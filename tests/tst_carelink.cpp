// SPDX-License-Identifier: GPL-3.0-or-later
// The Medtronic CareLink CSV reader: sections with their own headers and
// delimiters, entries and skipped rows by kind, meter readings written again,
// event markers.
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/importmerge.h"
#include "import/importfile.h"
#include "import/importsummary.h"
#include "testsupport.h"

#include <QtTest>

namespace {

struct Imported
{
    QByteArray lines; // the diary after importing into an empty one, oldest first
    QString summary;
    ImportResult result;
};

Imported importBytes(const QByteArray &bytes)
{
    const QString name = QStringLiteral("x.csv");
    Imported imported;
    imported.result = readImportData(bytes, name);
    Diary diary;
    const MergePlan plan = planMerge(diary, {&imported.result.batch});
    diary.insertRows(plan.rows, plan.texts);
    for (int row = diary.rowCount() - 1; row >= 0; --row)
        diary.appendLine(row, imported.lines);
    if (imported.result.ok())
        imported.summary = importSummary(name, imported.result, plan.counts[0]);
    else
        imported.summary = imported.result.error;
    // Once imported, the file adds nothing more.
    if (!planMerge(diary, {&imported.result.batch}).rows.empty())
        imported.summary += QStringLiteral(" (adds entries again)");
    return imported;
}

// A small CareLink file: a preamble, then each section as a separator line
// naming it, a header and rows.
QByteArray careLink(const QList<QPair<QByteArray, QByteArrayList>> &sections, char sep = ',')
{
    QByteArray file = QByteArray("Last Name,First Name,Patient ID\n\"Sample\",\"Sample\",\"\"\n\n")
                          .replace(',', sep);
    for (const auto &[name, lines] : sections) {
        file += QByteArray("-------,MiniMed 780G MMT-1886," + name + ",NG0000000H,------- \n")
                    .replace(',', sep);
        file += lines.join('\n') + '\n';
    }
    return file;
}

// The lines in order: entries of the same minute stand in the order the file
// gives them.
QByteArrayList sorted(const QByteArray &lines)
{
    QByteArrayList list = lines.split('\n');
    std::sort(list.begin(), list.end());
    return list;
}

// What was skipped, copied, rounded and not read, kinds in any order.
QStringList counts(const ImportResult &result)
{
    QStringList list;
    for (const SkippedKind &kind : result.skippedKinds)
        list << QStringLiteral("%1 %2").arg(kind.count).arg(kind.many);
    list.sort();
    list << QString::number(result.rowsSkipped) << QString::number(result.copiesSkipped)
         << QString::number(result.valuesRounded) << QString::number(result.unreadCount);
    return list;
}

const QByteArray meterHeader = "Index,Date,Time,BG Source,BG Reading (mg/dL)";

} // namespace

class TestCareLink : public QObject
{
    Q_OBJECT

private slots:
    void files_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("summary");
        // Newest first; the meter reading at 07:54:58 is written again at
        // 07:55:03 and 07:55:10 (kept at its first minute), again at 07:44
        // (ten minutes before: another reading), and 153 at 07:55:20.
        QTest::newRow("780G: semicolons, decimal commas, mg/dL, BOM, CRLF")
            << testData("carelink-780g-semicolon.csv")
            << QByteArray(" 6.11.2025,23:55,Glucose, 101\n 7.11.2025,07:44,Glucose, 152\n"
                          " 7.11.2025,07:54,Glucose, 152\n 7.11.2025,07:55,Glucose, 153\n"
                          " 7.11.2025,12:35,Glucose, 175\n 7.11.2025,12:36,Carbs,  15\n"
                          " 7.11.2025,12:37,Bolus,1.03\n 7.11.2025,12:40,Glucose, 180\n")
            << "x.csv (Medtronic CareLink CSV): 8 entries added (6 Glucose, 1 Carbs, 1 Bolus), 2 "
               "duplicates skipped, 21 rows skipped (3 basal rate rows, 2 bolus programming rows, "
               "2 "
               "alerts, 2 daily auto-insulin totals, 2 day markers, 1 temporary basal row, 1 bolus "
               "wizard row without carbs, 1 prime, 1 rewind, 1 suspend, 1 calibration, 1 sensor "
               "exception, 3 other rows), 1 value rounded.";
        // The meter reading 9.3 is written twice, and the sensor reading of
        // its minute is equal to it.
        QTest::newRow("670G: commas, mmol/L, the older layout with Alarm, LF")
            << testData("carelink-670g-comma-mmol.csv")
            << QByteArray("28. 5.2024,12:05,Bolus,2.48\n28. 5.2024,16:38,Glucose, 168\n"
                          "28. 5.2024,16:38,Carbs,  40\n28. 5.2024,16:38,Bolus,   4\n"
                          "28. 5.2024,16:40,Glucose, 101\n")
            << "x.csv (Medtronic CareLink CSV): 5 entries added (2 Glucose, 1 Carbs, 2 Bolus), 2 "
               "duplicates skipped, 7 rows skipped (1 alarm, 1 bolus programming row, 1 bolus "
               "wizard row without carbs, 1 calibration, 1 daily auto-insulin total, 1 sensor "
               "exception, 1 other row), 1 value rounded.";
        // A sensor without a pump: meals and injections as event markers.
        QTest::newRow("event markers: meals give carbs, insulin is counted")
            << testData("carelink-markers.csv")
            << QByteArray(" 2. 3.2025,08:10,Glucose, 120\n 2. 3.2025,08:15,Carbs,  45\n"
                          " 2. 3.2025,12:00,Carbs,  13\n")
            << "x.csv (Medtronic CareLink CSV): 3 entries added (1 Glucose, 2 Carbs), 5 rows "
               "skipped (2 event markers, 2 insulin markers, 1 day marker), 1 value rounded; 1 "
               "row not read: line 10 (no number for Carbs).";
        QTest::newRow("sections: each with its own header, found by name, and delimiter")
            << QByteArray("Last Name;First Name\n\"Sample\";\"Sample\"\n\n"
                          "-------;MiniMed 780G MMT-1886;Pump;NG0000000H;------- \n"
                          "Index;Date;Time;Bolus Volume Selected (U);Bolus Volume Delivered (U);"
                          "Basal Rate (U/h)\n0,00000;2025/11/01;08:00:00;2,5;2,5;\n"
                          "1,00000;2025/11/01;07:59:00;2,5;;\n2,00000;2025/11/01;07:00:00;;;0,8\n\n"
                          "-------;MiniMed 780G MMT-1886;Pump;NG0000000H;Aggregated Auto Insulin "
                          "Data \nIndex;Date;Time;Bolus Volume Delivered (U)\n"
                          "3,00000;2025/11/01;00:00:00;10,125\n\n"
                          "-------,MiniMed 780G MMT-1886,Sensor,NG0000000H,------- \n"
                          "Index,Sensor Glucose (mmol/L),Time,Event Marker,Date\n"
                          "0.00000,5.5,08:05:00,,2025/11/01\n"
                          "1.00000,,08:01:00,\"Meal: 30,00g\",2025/11/01\n")
            << QByteArray(" 1.11.2025,08:00,Bolus, 2.5\n 1.11.2025,08:01,Carbs,  30\n"
                          " 1.11.2025,08:05,Glucose,  99\n")
            << "x.csv (Medtronic CareLink CSV): 3 entries added (1 Glucose, 1 Carbs, 1 Bolus), 3 "
               "rows skipped (1 bolus programming row, 1 basal rate row, 1 daily auto-insulin "
               "total).";
        // Older exports write two-digit years and the day or the month first.
        QTest::newRow("two-digit years: the date-order rule decides")
            << careLink({{"Sensor",
                          {"Index,Date,Time,Sensor Glucose (mg/dL)",
                           "0.00000,13/05/24,08:00:00,120", "1.00000,12/05/24,08:00:00,110"}}})
            << QByteArray("12. 5.2024,08:00,Glucose, 110\n13. 5.2024,08:00,Glucose, 120\n")
            << "x.csv (Medtronic CareLink CSV): 2 entries added (2 Glucose), dates read day "
               "first.";
        QTest::newRow("unreadable rows told by their line, a cut one too")
            << careLink({{"Sensor",
                          {"Index,Date,Time,Sensor Glucose (mg/dL),Event Marker",
                           "0.00000,2025/11/01,08:00:00,120,", "1.00000,2025/11/01,late,121,",
                           "2.00000,2025/11/01,08:10:00,high,",
                           "3.00000,2025/11/01,08:15:00,,\"Meal: 4"}}})
            << QByteArray(" 1.11.2025,08:00,Glucose, 120\n")
            << "x.csv (Medtronic CareLink CSV): 1 entry added (1 Glucose); 3 rows not read: line 7 "
               "(no readable date and time), line 8 (no glucose value), line 9 (the file ends "
               "inside this row).";
    }

    void files()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, lines);
        QFETCH(QString, summary);
        const Imported imported = importBytes(file);
        QCOMPARE(imported.lines, lines);
        QCOMPARE(imported.summary, summary);
        // Oldest first, the file gives the same; a cut row would take the
        // rows after it.
        if (summary.endsWith(u"inside this row)."))
            return;
        QByteArrayList rows = file.split('\n');
        for (qsizetype begin = 0; begin < rows.size();) {
            qsizetype end = begin;
            while (end < rows.size() && !rows[end].isEmpty() && rows[end][0] >= '0' &&
                   rows[end][0] <= '9')
                ++end;
            std::reverse(rows.begin() + begin, rows.begin() + end);
            begin = end + 1;
        }
        const Imported reversed = importBytes(rows.join('\n'));
        QCOMPARE(sorted(reversed.lines), sorted(lines));
        QCOMPARE(counts(reversed.result), counts(imported.result));
    }

    // A meter reading with the value of one taken within the five minutes
    // before it is that one written again, whichever order the file runs in.
    void meterCopies_data()
    {
        QTest::addColumn<QByteArrayList>("rows");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<int>("copies");
        const QByteArray at0800 = " 1.11.2025,08:00,Glucose, 120\n";
        QTest::newRow("4:59 later")
            << QByteArrayList{"2025/11/01,08:00:30,A,120", "2025/11/01,08:05:29,B,120"} << at0800
            << 1;
        QTest::newRow("5:01 later")
            << QByteArrayList{"2025/11/01,08:00:30,A,120", "2025/11/01,08:05:31,B,120"}
            << at0800 + " 1.11.2025,08:05,Glucose, 120\n"
            << 0;
        QTest::newRow("another value")
            << QByteArrayList{"2025/11/01,08:00:30,A,120", "2025/11/01,08:00:40,B,121"}
            << at0800 + " 1.11.2025,08:00,Glucose, 121\n"
            << 0;
        QTest::newRow("over midnight")
            << QByteArrayList{"2025/10/31,23:58:00,A,120", "2025/11/01,00:01:00,B,120"}
            << QByteArray("31.10.2025,23:58,Glucose, 120\n") << 1;
        QTest::newRow("the first of three, at its own minute")
            << QByteArrayList{"2025/11/01,07:59:58,A,120", "2025/11/01,08:00:03,B,120",
                              "2025/11/01,08:00:10,C,120"}
            << QByteArray(" 1.11.2025,07:59,Glucose, 120\n") << 2;
    }

    void meterCopies()
    {
        QFETCH(QByteArrayList, rows);
        QFETCH(QByteArray, lines);
        QFETCH(int, copies);
        for (const bool newestFirst : {false, true}) {
            QByteArrayList ordered = rows;
            if (newestFirst)
                std::reverse(ordered.begin(), ordered.end());
            for (qsizetype i = 0; i < ordered.size(); ++i)
                ordered[i] = QByteArray::number(i) + ".00000," + ordered[i];
            const Imported imported =
                importBytes(careLink({{"Pump", QByteArrayList{meterHeader} + ordered}}));
            QCOMPARE(sorted(imported.lines), sorted(lines));
            QCOMPARE(imported.result.copiesSkipped, qsizetype(copies));
        }
    }
};

QTEST_GUILESS_MAIN(TestCareLink)
#include "tst_carelink.moc"
