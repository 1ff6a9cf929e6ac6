// SPDX-License-Identifier: GPL-3.0-or-later
// Readers of export files, the duplicate and placement rules, the CSV export.
#include "app/commandline.h"
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/entrytext.h"
#include "core/importmerge.h"
#include "import/importfile.h"
#include "import/importsummary.h"
#include "testsupport.h"

#include <QtTest>

#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace {

QByteArray fileOf(const Diary &diary)
{
    QByteArray lines;
    for (int row = diary.rowCount() - 1; row >= 0; --row)
        diary.appendLine(row, lines);
    return lines;
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

// A deflated member of a zip archive.
struct ZipMember
{
    QByteArray name, packed;
    uLong crc;
    qint64 size;
};

const Bytef *bytesOf(const QByteArray &data)
{
    return reinterpret_cast<const Bytef *>(data.constData());
}

QByteArray zipArchive(const QList<ZipMember> &members)
{
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char(i < 4 ? value >> (8 * i) & 0xff : 0); // zeros beyond 32 bits
        return out;
    };
    QByteArray archive, directory;
    for (const ZipMember &m : members) {
        const QByteArray common = le(20, 2) + le(0, 2) + le(8, 2) + le(0, 4) + le(m.crc, 4) +
                                  le(m.packed.size(), 4) + le(quint32(m.size), 4) +
                                  le(m.name.size(), 2) + le(0, 2);
        directory +=
            le(0x02014b50, 4) + le(20, 2) + common + le(0, 10) + le(archive.size(), 4) + m.name;
        archive += le(0x04034b50, 4) + common + m.name + m.packed;
    }
    return archive + directory + le(0x06054b50, 4) + le(0, 4) + le(members.size(), 2).repeated(2) +
           le(directory.size(), 4) + le(archive.size(), 4) + le(0, 2);
}

// A zip archive of one member per (name, contents): qCompress gives a zlib
// stream, from which its header and checksum are cut.
QByteArray zipOf(const QList<QPair<QByteArray, QByteArray>> &members)
{
    QList<ZipMember> packed;
    for (const auto &[name, contents] : members)
        packed << ZipMember{name, qCompress(contents).sliced(6).chopped(4),
                            crc32(0, bytesOf(contents), uInt(contents.size())), contents.size()};
    return zipArchive(packed);
}

// A member of head and count copies of chunk, packed without holding them:
// deflated alone and flushed, a chunk packs to the same bytes every time.
ZipMember repeatedMember(const QByteArray &head, const QByteArray &chunk, int count)
{
    const auto deflated = [](const QByteArray &text) {
        z_stream stream{};
        deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
        QByteArray out(qsizetype(deflateBound(&stream, uLong(text.size()))) + 64, '\0');
        stream.next_in = const_cast<Bytef *>(bytesOf(text));
        stream.avail_in = uInt(text.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        deflate(&stream, Z_FULL_FLUSH);
        out.truncate(out.size() - stream.avail_out);
        deflateEnd(&stream);
        return out;
    };
    uLong crc = crc32(0, bytesOf(head), uInt(head.size()));
    const uLong chunkCrc = crc32(0, bytesOf(chunk), uInt(chunk.size()));
    for (int i = 0; i < count; ++i)
        crc = crc32_combine(crc, chunkCrc, chunk.size());
    // An empty last block ends the data.
    return {"bg.csv", deflated(head) + deflated(chunk).repeated(count) + QByteArray("\3\0", 2), crc,
            head.size() + chunk.size() * qint64(count)};
}

// What reading data gives in a child process whose address space may grow
// by no more than budget bytes: the error, or how many entries it holds.
QString readWithin(const QByteArray &data, qint64 budget)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        // A crash ends the child at once, without the test's handlers; so
        // does a hang.
        for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            std::signal(signal, SIG_DFL);
        ::alarm(120);
        long pages = 0;
        if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
            pages = std::fscanf(statm, "%ld", &pages) == 1 ? pages : 0;
            std::fclose(statm);
        }
        const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(budget);
        const rlimit space{limit, limit};
        ::setrlimit(RLIMIT_AS, &space);
        const ImportResult result = readImportData(data, QStringLiteral("big.csv"));
        const QByteArray text = result.error.isEmpty()
                                    ? QByteArray::number(qint64(result.batch.entries.size()))
                                    : result.error.toUtf8();
        const bool written = ::write(pipeEnds[1], text.constData(), size_t(text.size())) >= 0;
        ::_exit(pages && written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QByteArray text(4096, '\0');
    const ssize_t length = ::read(pipeEnds[0], text.data(), size_t(text.size()));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || length < 0)
        return QStringLiteral("failed: status %1").arg(status);
    return QString::fromUtf8(text.first(length));
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
        QTest::addColumn<QByteArray>("lines");  // the diary after the import
        QTest::addColumn<QList<int>>("counts"); // skipped, rounded, unread, date order
        QTest::addColumn<QByteArray>("before"); // the diary
        QTest::addColumn<QString>("error");     // how a refused file's error starts
        QTest::addColumn<QString>("summary");   // a part of the summary
        QTest::addColumn<QByteArray>("zone");
        const auto add = [](const char *name, QList<int> counts, QByteArray file, QByteArray lines,
                            QByteArray before = {}, QString error = {}, QString summary = {},
                            QByteArray zone = "Europe/Berlin") {
            QTest::newRow(name) << file << lines << counts << before << error << summary << zone;
        };
        // Times far outside any real date are no times: never cast, never entries.
        add("Dexcom: BOM, CRLF, quotes, High/Low, doses, other rows, hostile times", {3, 1, 2, ymd},
            "\xef\xbb\xbf" + dexcomHeader +
                "\r\n1,,FirstName,,Sample\r\n2,2019-10-14T16:53:05,Calibration,,,,G6,93\r\n"
                "3,\"2019-10-14T16:55:59\",\"EGV\",,,,\"G6, Android\",High,,,,,1,X\r\n"
                "4,2019-10-14T17:00:00,EGV,,,,G6,Low\r\n5,2019-10-14T17:05:00,EGV,,,,G6,112\r\n"
                "6,2019-10-14T17:06:00,Insulin,Fast-Acting,,,G6,,2.50\r\n"
                "6,2019-10-14T17:07:00,Insulin,Fast-Acting,,,G6,,0.004\r\n"
                "7,2019-10-14T23:24:00,Insulin,Long-Acting,,,G6,,21.00\r\n"
                "8,2019-10-14T23:30:00,Carbs,,,,G6,,,15\r\n9,not a time,EGV,,,,G6,100\r\n"
                "10,1899-12-31T23:00:00,EGV,,,,G6,121\r\n",
            "14.10.2019,16:55,Glucose, 400\n14.10.2019,17:00,Glucose,  40\n"
            "14.10.2019,17:05,Glucose, 112\n14.10.2019,17:06,Bolus, 2.5\n"
            "14.10.2019,23:24,Basis,  21\n14.10.2019,23:30,Carbs,  15\n");
        add("Dexcom German: semicolons, decimal commas, mmol/L, cut in quotes", {0, 2, 1, ymd},
            "Index;Zeitstempel;Ereignisart;Ereignisuntertyp;;;;Glukosewert (mmol/l);"
            "Insulinwert (E);Kohlenhydratwert (Gramm)\n1;2020-03-01 08:00:00;EGV;;;;G6;"
            "6,2\n2;2020-03-01 08:01:00;Insulin;Schnell wirkend;;;G6;;2,345\n3;2020-03-01 "
            "08:02:00;Kohlenhydrate;;;;G6;;;30,5\n4;2020-03-01 08:03:00;EGV;;;;\"G6",
            " 1. 3.2020,08:00,Glucose, 112\n 1. 3.2020,08:01,Bolus,2.35\n"
            " 1. 3.2020,08:02,Carbs,  31\n");
        // A spreadsheet's re-save: the BOM read as Latin-1 and quoted again,
        // columns moved, spaces for the T, a tab in a column's name.
        add("Dexcom re-saved: mangled first cell, columns moved, spaced timestamps", {1, 0, 0, ymd},
            "\"\xc3\xaf\xc2\xbb\xc2\xbf\"\"\"\"Index\"\"\"\"\",Event Type,Event Subtype,"
            "Timestamp (YYYY-MM-DDThh:mm:ss),Glucose Value (mg/dL),Insulin Value (u),"
            "Carb Value (grams),Transmitter Time\t(Long Integer),Transmitter ID,Source Device "
            "ID\r\n1,Device,,,,,,,,G6\r\n2,EGV,,2019-10-14 16:55:59,112,,,7573,8GH86L,G6\r\n"
            "3,Insulin,Fast-Acting,2019-10-14 17:06:00,,2.5\r\n4,Carbs,,2019-10-14 17:07,,,20\r\n",
            "14.10.2019,16:55,Glucose, 112\n14.10.2019,17:06,Bolus, 2.5\n"
            "14.10.2019,17:07,Carbs,  20\n");
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
        add("Nightscout: local time, error codes, mbg, other types, hostile times, cut off",
            {2, 1, 7, ymd},
            QByteArray("[{'type':'sgv','sgv':162,'date':1775421029000},{'type':'sgv','sgv':5,"
                       "'date':1775421329000},{'type':'cal','slope':1000,'date':1775421329000},"
                       "{'type':'mbg','mbg':101.5,'dateString':'2026-01-05T20:00:00Z'},\n{'sgv':1,"
                       "'date':1e19},{'sgv':2,'date':-9.3e18},{'sgv':3,'date':8.64e15},{'sgv':4,"
                       "'date':253402300800000},{'sgv':5,'dateString':'1705-01-01T00:00:00Z'},"
                       "\n{'type':'sgv','sgv':170},{'type':'sgv','sgv':150,'da")
                .replace('\'', '"'),
            " 5. 1.2026,21:00,Glucose, 102\n 5. 4.2026,22:30,Glucose, 162\n");
        add("Nightscout treatments: rates skipped, doses to hundredths, hostile times",
            {1, 1, 2, ymd},
            QByteArray("[{'eventType':'Temp Basal','rate':0.5,'created_at':'2026-04-05T20:06:0"
                       "0.033Z'},{'eventType':'SMB','insulin':0.2,'created_at':'2026-04-05T2"
                       "0:06:01.413Z'},{'eventType':'Meal Bolus','insulin':2.345,'carbs':40,"
                       "'timestamp':'2026-04-05T11:45:26.696Z'},\n{'carbs':21,'mills':1e300},"
                       "{'carbs':22,'created_at':'1899-06-01T00:00:00Z'}]")
                .replace('\'', '"'),
            " 5. 4.2026,13:45,Bolus,2.35\n 5. 4.2026,13:45,Carbs,  40\n"
            " 5. 4.2026,22:06,Bolus, 0.2\n");
        // The clock the person lived by, not this computer's: New York here.
        add("Tidepool JSON: own offsets over device times, doses, meals, injections, kinds",
            {6, 1, 2, ymd}, testData("exports/tidepool.json"),
            " 9. 3.2024,22:10,Glucose, 145\n10. 3.2024,08:02,Glucose, 112\n"
            "10. 3.2024,12:29,Carbs,  45\n10. 3.2024,12:30,Bolus, 3.3\n"
            "10. 3.2024,17:00,Bolus, 0.7\n10. 3.2024,18:20,Carbs,  30\n"
            "10. 3.2024,19:30,Glucose, 100\n10. 3.2024,22:00,Basis,  14\n"
            "10. 3.2024,22:15,Bolus, 4.5\n",
            {}, {},
            "6 rows skipped (2 basal records, 1 wizard record without carbs, 1 upload record, 1 "
            "device event, 1 pump settings record), 1 value rounded; 2 rows not read: line 16 (no "
            "glucose value), line 17 (no readable time).",
            "America/New_York");
        add("Tidepool CSV: nested fields as text, quoted, mmol/L", {4, 0, 0, ymd},
            testData("exports/tidepool-flat.csv"),
            "17. 1.2024,16:06,Glucose,  73\n18. 1.2024,00:44,Carbs,  40\n"
            "18. 1.2024,00:44,Bolus, 2.9\n18. 1.2024,00:44,Glucose, 112\n"
            "18. 1.2024,08:00,Basis,10.5\n18. 1.2024,12:00,Carbs,  25\n",
            {}, {},
            "4 rows skipped (1 wizard record without carbs, 1 basal record, 1 device event, 1 "
            "upload record)");
        // Python's notation: either quote, True and None.
        add("Tidepool CSV: nested fields with an apostrophe", {0, 0, 0, ymd},
            "type,time,timezoneOffset,nutrition,formulation,dose\nfood,2024-01-18T20:00:00Z,60,"
            "\"{'carbohydrate': {'net': 25}, 'name': \"\"Kid's snack\"\", 'x': True}\"\ninsulin,"
            "2024-01-18T21:00:00Z,60,,\"{'simple': {'actingType': 'long'}, 'name': 'it\\'s\\tok', "
            "'y': None}\",{'total': 7}\n",
            "18. 1.2024,21:00,Carbs,  25\n18. 1.2024,22:00,Basis,   7\n");
        add("Tidepool JSON: an object holding the records, cut off", {0, 0, 1, ymd},
            QByteArray("{'meta':{'count':3},'data':[{'type':'smbg','time':'2024-06-01T12:00:00Z',"
                       "'timezoneOffset':60,'value':5.5},\n{'type':'cbg','time':'2024-06-01T12:0"
                       "5:00Z','timezoneOffset':60,'val")
                .replace('\'', '"'),
            " 1. 6.2024,13:00,Glucose,  99\n");
        add("Nightscout JSON cut after a whole entry and a word", {0, 0, 1, ymd},
            "[{\"sgv\":162,\"date\":1775421029000},\ntrue", " 5. 4.2026,22:30,Glucose, 162\n");
        // Read in place: escapes, brackets in strings, nesting and blanks do not
        // confuse the records; a repeated key keeps its last value, and of
        // several arrays the first by name holds the records.
        add("Nightscout JSON: escapes, nesting, blanks, repeated keys, arrays by name",
            {0, 0, 0, ymd},
            "{ \"zz\" : [{\"sgv\":99,\"date\":1775421029000}], \"status\" : \"}\\\"]\",\r\n"
            "\t\"entries\":[ {\"n\":\"a \\\"}]{[\\\\\", \"x\":{\"y\":[1,{\"z\":\"]}\"}]}, \"sgv\" "
            ": 120 ,"
            "\"sgv\":130, \"date\":1775421029000 } ,\n {\"n\\u00f6\":\"\xc3\xa4\",\"type\":\"sgv\","
            "\"sgv\":140,\"d\\u0061te\":1775421329000}, {\"sgv\":1.5e2,\"date\":1775421629000,"
            "\"e\":[[],{}]} ] }",
            " 5. 4.2026,22:30,Glucose, 130\n 5. 4.2026,22:35,Glucose, 140\n"
            " 5. 4.2026,22:40,Glucose, 150\n");
        // A dose in the diary at the same minute as the file's and with its
        // whole units (halves up) was imported before doses kept fractions.
        const QByteArray at0730 = " 2. 5.2024,07:30,Bolus,";
        const char *const doses[][3] = {{"   2", "2.35", ""},     {"   2", "2.495", ""},
                                        {"   3", "2.5", ""},      {"2.35", "2.35", ""},
                                        {"   3", "2.35", "2.35"}, {"2.35", "2", "   2"},
                                        {"   2", "2.5", " 2.5"}}; // diary, file, added
        for (const auto &[inDiary, inFile, added] : doses)
            QTest::addRow("dose %s in the diary, %s in the file", inDiary, inFile)
                << dexcomHeader + "\n1,2024-05-02T07:30:00,Insulin,Fast-Acting,,,G7,," + inFile
                << (*added ? at0730 + added + '\n' : "") + at0730 + inDiary + '\n'
                << QList<int>{0, inFile == QByteArray("2.495"), 0, ymd} << at0730 + inDiary + '\n'
                << QString() << QString() << QByteArray("Europe/Berlin");
        add("Nightscout entries TSV from the API, hostile times", {1, 0, 4, ymd},
            "\"2026-04-05T20:30:29.000Z\"\t1775421029000\t162\t\"Flat\"\t\"x\"\n"
            "\"2026-04-05T20:35:29.000Z\"\t1775421329000\t12\t\"\"\t\"x\"\n"
            "x\t99999999999999999999\t1\nx\t-99999999999999999999\t2\n"
            "x\t999999999999999\t3\nx\t-3029443200000\t4\n",
            " 5. 4.2026,22:30,Glucose, 162\n");
        // Doses to two decimals, as written where the diary reads them.
        add("Mellidor diary: readable hand-edited lines as written, no unreadable ones",
            {0, 0, 13, ymd},
            "14.10.2019,16:53,Glucose, 112\r\n1.1.2020,8:5,Lantus,12\n1.1.2020,8:5,Lantus,12x\n"
            "no commas\n14.10.2019,16:54,Glucose, 99999999999\n14.10.2019,16:55,Glucose,1e308\n"
            "31. 2.2020,10:00,Glucose, 100\n14.10.2019,25:99,Glucose, 100\n"
            "14.10.2019,16:56,Glucose, 112,5\n14.10.2019,ab:cd,Glucose, 100\n"
            "14.10.2019,16:57,Bolus,  03\r\r\r\n14.10.2019,16:58,Carbs, 4.5\n"
            "14.10.2019,16:59,Bolus,2.35\n14.10.2019,17:00,Basis,.5\n14.10.2019,17:01,Bolus,2.345\n"
            " 1. 1.1899,10:00,Glucose, 1\n 1. 1.10000,10:00,Glucose, "
            "2\n14.10.2019,17:02,Bolus,2.0\n",
            "14.10.2019,16:53,Glucose, 112\n14.10.2019,16:57,Bolus,  03\n"
            "14.10.2019,16:59,Bolus,2.35\n14.10.2019,17:00,Basis,.5\n1.1.2020,8:5,Lantus,12\n");
        add("Mellidor CSV: no unreadable entries, no type a diary line cannot hold",
            {0, 0, 10, ymd},
            "date,time,type,value\n2024-03-01,10:00,Pizza,2\n2024-02-31,10:00,Glucose,100\n"
            "2024-03-01,10:00,Glucose,100.5\n2024-03-01,10:00,Carbs,4.5\n"
            "2024-03-01,10:00,Bolus,1.255\n2024-03-01,10:00,Bolus,-0.5\n"
            "2024-03-01,7,Glucose,100\n2024-03-01,10:00,Glucose,9999999999\n"
            "2024-03-01,10:00,\"Pizza, large\",2\n2024-03-01,10:01,\"Pizza\nlarge\",2\n"
            "1899-12-31,10:00,Glucose,121\n",
            " 1. 3.2024,10:00,Pizza,   2\n");
        // Spreadsheets save in Windows-1252: its characters beyond Latin-1 too.
        add("Mellidor CSV in Windows-1252", {0, 0, 0, ymd},
            "date,time,type,value\n2024-03-01,10:00,M\xfcsli \x80,2\n",
            " 1. 3.2024,10:00,M\xc3\xbcsli \xe2\x82\xac,   2\n", {}, {},
            "(1 M\xc3\xbcsli \xe2\x82\xac), text read as Windows-1252.");
        add("LibreView German in Windows-1252", {1, 0, 0, dmy},
            QString::fromUtf8(testData("exports/libreview-de-mgdl.csv")).toLatin1(),
            "15. 3.2022,06:14,Glucose, 102\n15. 3.2022,06:51,Glucose,  95\n"
            "15. 3.2022,06:55,Carbs,  50\n15. 3.2022,06:56,Bolus,   5\n"
            "15. 3.2022,06:59,Glucose, 101\n15. 3.2022,21:30,Basis,  14\n"
            "15. 3.2022,21:35,Glucose, 143\n");
        add("Mellidor CSV: fractions", {0, 0, 0, ymd}, testData("fractional-doses.csv"),
            testData("fractional-doses.txt")
                .replace("2.345", "2.35")
                .replace(",.5", ", 0.5")
                .replace("   14", "  14"));
        add("CR-only line ends, no last one", {0, 0, 0, ymd},
            "14.10.2019,16:53,Glucose, 112\r15.10.2019,08:00,Bolus,   4",
            "14.10.2019,16:53,Glucose, 112\n15.10.2019,08:00,Bolus,   4\n");
        add("Research table from R: quoted, row numbers, decimals, missing readings",
            {1, 1, 0, ymd},
            "\"\",\"id\",\"time\",\"gl\"\n\"1\",\"Subject 1\",\"2015-06-06 16:50:27\",153.5\n"
            "\"2\",\"Subject 1\",\"2015-06-06 16:55:27\",NA\n\"3\",\"Subject 1\",\"2015-06-07 "
            "00:05:27\",88\n",
            " 6. 6.2015,16:50,Glucose, 154\n 7. 6.2015,00:05,Glucose,  88\n", {}, {},
            "1 row skipped (1 missing reading), 1 value rounded");
        add("Research table without row numbers", {0, 0, 1, ymd},
            "ID,Time,GL\r\nS,2015-03-10 15:36:26,172\r\nS,10 March,99\r\n",
            "10. 3.2015,15:36,Glucose, 172\n");
        add("Research table cut inside the last row's id", {0, 0, 1, ymd},
            "id,time,gl\nSubject 3,2015-03-10 15:36,172\nSubject",
            "10. 3.2015,15:36,Glucose, 172\n", {}, {}, "line 3 (the file ends inside this row)");
        add("refused: research table of two people", {},
            ",id,time,gl\n1,A,2015-03-10 15:36,172\n2,B,2015-03-10 15:41,180\n3,A,2015-03-10 "
            "15:46,181\n",
            {}, {}, "\"x.csv\" holds the readings of more than one person (ids \"A\", \"B\")");
        // Pen or pump units give the bolus; else meal plus correction insulin.
        add("mySugr English (US): several entries a row, month names, AM/PM", {2, 1, 0, ymd},
            testData("exports/mysugr-en-us.csv"),
            "31.12.2016,00:05,Glucose, 113\n 5. 8.2017,12:05,Bolus,2.25\n"
            " 5. 8.2017,22:30,Basis,  12\n 6. 8.2017,17:58,Carbs,  50\n"
            " 6. 8.2017,17:58,Bolus,   4\n 6. 8.2017,22:57,Bolus,13.8\n"
            " 6. 8.2017,22:57,Glucose, 365\n 7. 8.2017,09:42,Carbs,  45\n"
            " 7. 8.2017,09:42,Bolus, 4.5\n 7. 8.2017,09:42,Glucose, 186\n");
        add("mySugr Danish: mmol/L, decimal commas, day first", {0, 0, 0, dmy},
            testData("exports/mysugr-da-mmol.csv"),
            "13. 2.2021,22:10,Bolus, 2.5\n13. 2.2021,22:10,Glucose, 223\n"
            "14. 2.2021,08:00,Basis,18.5\n14. 2.2021,18:05,Carbs,  60\n"
            "14. 2.2021,18:05,Bolus,   6\n14. 2.2021,18:05,Glucose, 128\n"
            "14. 2.2021,19:59,Glucose,  58\n");
        add("Glooko zip, German: every file of it, folders, a file that is no CSV", {2, 0, 0, dmy},
            testData("exports/glooko-de.zip"),
            "12. 6.2026,22:00,Basis,  14\n12. 6.2026,23:10,Bolus, 0.5\n"
            "13. 6.2026,07:55,Carbs,  20\n13. 6.2026,07:55,Bolus,1.25\n"
            "13. 6.2026,08:00,Glucose, 138\n13. 6.2026,08:05,Glucose, 142\n"
            "13. 6.2026,12:30,Carbs,  30\n",
            {}, {}, "2 rows skipped (1 basal rate row, 1 alarm)");
        add("Glooko CSV alone, English: boluses, a row of nothing", {1, 0, 0, mdy},
            "Name:Sample Person,Date Range:06/12/2026 - 06/13/2026\r\nTimestamp,Insulin Type,"
            "Blood Glucose Input (mg/dl),Carbs Input (g),Carbs Ratio,Insulin Delivered (U),Initial "
            "Delivery (U),Extended Delivery (U),Serial Number\r\n06/13/2026 07:55,Normal,120,30,"
            "10,3.05,,,SN\r\n06/12/2026 22:00,Normal,0,0,10,0,,,SN\r\n",
            "13. 6.2026,07:55,Carbs,  30\n13. 6.2026,07:55,Bolus,3.05\n");
        // Where both orders fit and no time has AM or PM: day first.
        add("Glooko CSV, mmol/L, either date order", {0, 0, 0, dmy},
            "Name:S,Date Range:x\nTimestamp,CGM Glucose Value (mmol/l),Serial Number\n"
            "12.06.2026 08:00,\"5,5\",SN\n",
            "12. 6.2026,08:00,Glucose,  99\n");
        // Every reading is kept when the clocks go back.
        const QString back = "2 entries added (2 Glucose); the clock changes: 02:00 to 03:00 on "
                             "26.10.2025 occurs twice";
        const QByteArray at0230 = QByteArray("26.10.2025,02:30,Glucose, 120\n").repeated(2);
        // 00:30Z and 01:30Z on 2025-10-26 are both 02:30 in Berlin.
        add("back: an hour apart", {0, 0, 0, ymd},
            nightscout({{1761438600000, 120}, {1761442200000, 120}}), at0230, {}, {}, back);
        add("back: later instant above, file oldest first", {0, 0, 0, ymd},
            nightscout({{1761439500000, 100}, {1761443100000, 200}}),
            "26.10.2025,02:45,Glucose, 100\n26.10.2025,02:45,Glucose, 200\n", {}, {}, back);
        add("back: one reading sent twice", {0, 0, 0, ymd},
            nightscout({{1761438600000, 120}, {1761438620000, 120}, {1761442210000, 120}}), at0230,
            {}, {}, "1 duplicate skipped; the clock changes");
        add("back: TSV", {0, 0, 0, ymd},
            "\"2025-10-26T01:30:00Z\"\t1761442200000\t120\nx\t1761438600000\t120\n", at0230, {}, {},
            back);
        add("forward", {0, 0, 0, ymd}, nightscout({{1743294600000, 120}, {1743298200000, 121}}),
            "30. 3.2025,01:30,Glucose, 120\n30. 3.2025,03:30,Glucose, 121\n", {}, {},
            "(2 Glucose); the clock changes: 02:00 to 03:00 on 30.03.2025 does not occur");
        // Back by half an hour: 14:45Z and 15:15Z are both 01:45.
        add("Lord Howe", {0, 0, 0, ymd}, nightscout({{1743864300000, 90}, {1743866100000, 90}}),
            QByteArray(" 6. 4.2025,01:45,Glucose,  90\n").repeated(2), {}, {},
            "(2 Glucose); the clock changes: 01:30 to 02:00 on 06.04.2025 occurs twice",
            "Australia/Lord_Howe");
        QByteArray random(4096, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(random.data()), 1024);
        add("refused: random bytes", {}, random, {});
        add("refused: no entry", {}, dexcomHeader + "\n1,,Alert,High\n", {});
        add("refused: another format", {}, "name,age\nAnna,31\n", {});
        add("refused: other JSON", {}, "[{\"name\":\"Anna\"}]", {});
        add("refused: Index first but no CareLink columns", {},
            "Index,Date,Time,Value\n1,2025/11/01,08:00:00,120\n", {}, {},
            "\"x.csv\" holds no entries (read as Nightscout entries CSV)");
        // Broken JSON is told as JSON, in the parser's words and with its offset.
        for (const auto &[name, file, offset] :
             {std::tuple{"JSON cut before a whole entry", "[{\"sgv\":120,\"date\":", 19},
              {"JSON without a comma", "[{\"sgv\":120,\"date\":1} {\"sgv\":1}]", 23},
              {"JSON with lines before, text after", "\n\n[{\"sgv\":120,\"date\":1}] x", 25},
              {"JSON with a byte beyond UTF-8", "[{\"sgv\":120,\"date\":1,\"n\":\"\xff\"}]", 26},
              {"JSON closed by the wrong bracket", "[{\"sgv\":120,\"date\":1},{\"sgv\":1]", 31},
              {"JSON with a bad last digit of an escape",
               "[{\"sgv\":120,\"date\":1,\"n\":\"\\u004g\"}]", 31}}) {
            QJsonParseError parser;
            QJsonDocument::fromJson(file, &parser);
            add(name, {}, file, {}, {},
                QStringLiteral("\"x.csv\" is JSON that cannot be read: %1 at offset %2.")
                    .arg(parser.errorString())
                    .arg(offset));
        }
    }

    void readers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, lines);
        QFETCH(QList<int>, counts);
        QFETCH(QByteArray, before);
        QFETCH(QString, error);
        QFETCH(QString, summary);
        QFETCH(QByteArray, zone);
        const Zone scope(zone);
        const ImportResult result = readImportData(file, QStringLiteral("x.csv"));
        QVERIFY2(result.ok() != lines.isEmpty() && result.error.startsWith(error),
                 qPrintable(result.error));
        Diary diary;
        DiaryFile::loadBytes(before.constData(), before.size(), diary);
        const MergePlan plan = planMerge(diary, {&result.batch});
        diary.insertRows(plan.rows, plan.texts);
        QCOMPARE(fileOf(diary), lines);
        if (lines.isEmpty())
            return;
        const QString text = importSummary(QStringLiteral("x.csv"), result, plan.counts[0]);
        QVERIFY2(text.contains(summary), qPrintable(text));
        QCOMPARE((QList<int>{int(result.rowsSkipped), int(result.valuesRounded),
                             int(result.unreadCount), int(result.dateOrder)}),
                 counts);
        if (result.unreadCount)
            QVERIFY(result.unread.front().line > 1);
        // Mellidor's export of the result reads back every entry; it and the
        // file again add nothing.
        const ImportResult back = readImportData(exportCsv(diary), QStringLiteral("e.csv"));
        QCOMPARE(qsizetype(back.batch.entries.size()), qsizetype(diary.rowCount()));
        QVERIFY(planMerge(diary, {&result.batch, &back.batch}).rows.empty());
        // A diary without one of them gets it again (two readings of the
        // repeated hour included); entries merged once keep their number
        // when applied again.
        Diary partial = diary;
        partial.removeRows({plan.rows.empty() ? 0 : plan.rows.back()});
        QCOMPARE(planMerge(partial, {&result.batch}).rows.size(), size_t(1));
        ImportBatch replay;
        replay.distinct = true;
        for (const EntryTexts &texts : plan.texts)
            replay.addTexts(texts);
        QCOMPARE(planMerge(Diary(), {&replay}).rows.size(), plan.rows.size());
    }

    void zipArchives_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("error"); // empty: read
        const QByteArray bg = "Name:A,Date Range:13.06.2026 - 13.06.2026\nTimestamp,Glucose Value "
                              "(mg/dL)\n13.06.2026 08:00,\"98,0\"\n";
        const QByteArray good = zipOf({{"bg_data_1.csv", bg}});
        // The one member's central entry and the end record.
        const int central = int(good.indexOf("PK\x01\x02")), end = int(good.size()) - 22;
        const auto patched = [&good](int at, quint32 value, int bytes) {
            QByteArray archive = good;
            for (int i = 0; i < bytes; ++i)
                archive[at + i] = char(value >> (8 * i) & 0xff);
            return archive;
        };
        const auto add = [](const char *name, const QByteArray &archive, const char *error) {
            QTest::newRow(name) << archive << QString::fromLatin1(error);
        };
        add("read", good, "");
        add("a comment after it", patched(end + 20, 3, 2) + "abc", "");
        add("cut off", good.chopped(30), "its list of files is missing");
        add("list outside", patched(end + 16, quint32(end), 4), "its list of files lies outside");
        add("ZIP64", patched(end + 16, 0xffffffff, 4), "ZIP64");
        add("split", patched(end + 4, 1, 2), "split into several");
        add("encrypted", patched(central + 8, 1, 2), "is encrypted");
        add("bzip2", patched(central + 10, 12, 2), "packed with method 12");
        add("name with NUL", patched(central + 46, 0, 1), "without a proper name");
        add("bomb", patched(central + 24, 0x7fffffff, 4), "sizes that cannot be true");
        add("more than its size", patched(central + 24, quint32(bg.size() - 1), 4), "is damaged");
        add("less than its size", patched(central + 24, quint32(bg.size() + 1), 4), "is damaged");
        add("checksum", patched(central + 16, 1, 4), "checksum does not match");
        add("local header elsewhere", patched(central + 42, 5, 4),
            "outside the archive or is damaged");
        add("local header beyond it", patched(central + 42, 0x7fffff00, 4),
            "outside the archive or is damaged");
        add("data cut off", patched(central + 20, 4000, 4), "cut off");
        add("no Glooko file", zipOf({{"notes.csv", "name,age\nAnna,31\n"}}), "holds no Glooko");
        // Two members said to unpack to 600 MB each, a ratio deflate can
        // reach: too much together.
        QByteArray noise(600000, '\0');
        QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(noise.data()), 150000);
        QByteArray big = zipOf({{"a.csv", noise}, {"b.csv", noise}});
        for (qsizetype at = big.indexOf("PK\x01\x02"); at >= 0;
             at = big.indexOf("PK\x01\x02", at + 1)) {
            const quint32 declared = 600000000;
            for (int i = 0; i < 4; ++i)
                big[at + 24 + i] = char(declared >> (8 * i) & 0xff);
        }
        add("unpacks to too much", big, "unpacks to more than");
    }

    // A damaged or hostile archive is refused with its reason, reading
    // nothing; the good one and one with a comment are read.
    void zipArchives()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, error);
        const ImportResult result = readImportData(archive, QStringLiteral("g.zip"));
        if (error.isEmpty()) {
            QVERIFY2(result.ok(), qPrintable(result.error));
            QCOMPARE(result.batch.entries.size(), size_t(1));
            QCOMPARE(result.format, QStringLiteral("Glooko export"));
        } else {
            QVERIFY2(result.error.startsWith(QStringLiteral("\"g.zip\" is a zip archive")) &&
                         result.error.contains(error),
                     qPrintable(result.error));
            QVERIFY(result.batch.entries.empty());
        }
    }

    void fileKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error"); // empty: read
        for (const auto &[kind, error] : {std::pair{"fifo", "named pipe"},
                                          {"/dev/zero", "device"},
                                          {"huge", "too large"},
                                          {"link", ""}})
            QTest::newRow(kind) << QString(kind) << QString(error);
    }

    // Only regular files are read, up to a size: anything else is refused at
    // once (the command holds the diary's lock meanwhile).
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
    }

    void boundedMemory_data()
    {
        QTest::addColumn<QByteArray>("head"); // the file: head, then count chunks, then tail
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("zipped");     // head and chunks as a Glooko zip
        QTest::addColumn<QString>("outcome"); // a part of the error, or the entries read
        const QByteArray glooko = "Name:A,Date Range:x\n";
        const QByteArray ones(1 << 20, ','), rows = "1,2019-10-14T17:05:00,EGV,,,,G6,100\n";
        QTest::newRow("comma bomb: a 1 MB zip of a 1 GB line")
            << glooko << ones << 1023 << QByteArray() << true << "more than 100 times its size";
        QTest::newRow("a 1 MB zip of 900 MB of rows")
            << glooko + "Timestamp,Glucose Value (mg/dL)\n"
            << QByteArray("13.06.2026 08:00,98\n").repeated(52428) << 900 << QByteArray() << true
            << "more than 100 times its size";
        QTest::newRow("a zip of a 2 MB line")
            << glooko << QByteArray(1 << 20, 'a') << 2 << QByteArray() << true
            << "has a line longer than 1 MB (line 2 in bg.csv)";
        QTest::newRow("a line of 16 MB of commas")
            << QByteArray("Index,Timestamp\n") << QByteArray(",") << (16 << 20) << QByteArray("\n")
            << false << "has a line longer than 1 MB (line 2)";
        QTest::newRow("a row of 20 MB in quoted lines")
            << dexcomHeader + '\n'
            << QByteArray("\"x\n\",") << (4 << 20) << QByteArray("\n") << false
            << "has a line longer than 1 MB (line 2)";
        QTest::newRow("JSON of 16 MB broken at its end")
            << QByteArray("[")
            << QByteArray("{\"type\":\"sgv\",\"sgv\":120,\"date\":1775421029000},") << 350000
            << QByteArray("{\"sgv\":1} {\"sgv\":2}]") << false
            << "is JSON that cannot be read: missing value separator at offset 16100012";
        QTest::newRow("JSON of two million numbers")
            << QByteArray("[") << QByteArray("1,") << (2 << 20) << QByteArray("1]") << false
            << "is not in a format Mellidor knows";
        QTest::newRow("16 MB of readings") << dexcomHeader + '\n'
                                           << rows << 450000 << QByteArray() << false << "450000";
    }

    // Whatever a file holds, reading it takes memory of at most twice its
    // size and a little more: large inputs are refused before they grow.
    void boundedMemory()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer's shadow memory does not fit under an address space limit");
#endif
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, chunk);
        QFETCH(int, count);
        QFETCH(QByteArray, tail);
        QFETCH(bool, zipped);
        QFETCH(QString, outcome);
        const QByteArray data = zipped ? zipArchive({repeatedMember(head, chunk, count)})
                                       : head + chunk.repeated(count) + tail;
        const QString result = readWithin(data, 2 * data.size() + (16 << 20));
        QVERIFY2(result.contains(outcome), qPrintable(result));
    }

    void germanTexts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text"); // a part of the summary or of the refusal
        QTest::newRow("kinds of skipped rows")
            << testData("exports/glooko-de.zip")
            << "2 Zeilen \u00fcbersprungen (1 Basalratenzeile, 1 Alarm)";
        QTest::newRow("formats")
            << QByteArray("name,age\nAnna,31\n")
            << "\u201ex.csv\u201c ist in keinem Format, das Mellidor kennt. "
               "Mellidor liest Dexcom Clarity CSV, Medtronic CareLink CSV, "
               "LibreView CSV, Tidepool JSON und CSV, Nightscout-Eintr\u00e4ge "
               "(JSON, CSV oder TSV), Nightscout-Behandlungen (JSON), "
               "Forschungstabellen (id, time, gl), mySugr CSV, Glooko-Export "
               "(ZIP oder CSV), Mellidors CSV-Export und "
               "Mellidor-Tagebuchdateien.";
        QTest::newRow("Windows-1252")
            << QByteArray("date,time,type,value\n2024-03-01,10:00,M\xfc,2\n")
            << ", Text als Windows-1252 gelesen.";
        QByteArray ids = "id,time,gl\n";
        QString shown;
        for (int id = 1; id <= 11; ++id) {
            ids += QByteArray::number(id) + ",2015-03-10 15:36,172\n";
            shown += id <= 10 ? QStringLiteral("\u201e%1\u201c, ").arg(id) : QString();
        }
        QTest::newRow("a reader's refusal, its ids")
            << ids
            << "\u201ex.csv\u201c enth\u00e4lt die Messwerte von mehr als einer Person (IDs " +
                   shown + "weitere)";
    }

    // The summaries and refusals in German: words around numbers, names of
    // formats and ids translated, product names and quoted names as they are.
    void germanTexts()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(":/i18n/mellidor_de.qm")));
        QCoreApplication::installTranslator(&german);
        const ImportResult result = readImportData(file, QStringLiteral("x.csv"));
        const QString shown = result.ok()
                                  ? importSummary(QStringLiteral("x.csv"), result,
                                                  planMerge(Diary(), {&result.batch}).counts[0])
                                  : result.error;
        QVERIFY2(shown.contains(text), qPrintable(shown));
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
        const QByteArray lines =
            " 5. 3.2024,07:30,Pasta,   2\n 4. 3.2024,7,Pizza \"large\",   2\n"
            "31. 2.2024,07:00,Carbs,   2\n 4. 3.2024,ab:cd,Carbs,   2\n"
            " 4. 3.2024,23:00,Glucose, 99999999999\n 4. 3.2024,23:59,Carbs,  40\n"
            " 5. 3.2024,07:30,Pizza,   2\n"; // Pasta: not a duplicate of Pizza
        Diary diary;
        DiaryFile::loadBytes(lines.constData(), lines.size(), diary);
        const QByteArray head = "date,time,type,value\n",
                         lastTwo = "2024-03-05,07:30,Pizza,2\n2024-03-05,07:30,Pasta,2\n";
        qsizetype skipped = 0;
        QCOMPARE(exportCsv(diary, {}, {}, &skipped),
                 head + "2024-03-04,07:07,\"Pizza \"\"large\"\"\",2\n2024-03-04,23:59,Carbs,40\n" +
                     lastTwo);
        QCOMPARE(skipped, 3);
        QCOMPARE(exportCsv(diary, QDate(2024, 3, 5), QDate(2024, 3, 5), &skipped), head + lastTwo);
        QCOMPARE(skipped, 1); // the date that cannot be read; the others are outside
        WorkDir dir(lines);
        QString out, errors;
        QTextStream outStream(&out), errStream(&errors);
        QCOMPARE(runCommandLine({"mellidor", "export"}, outStream, errStream), 0);
        QCOMPARE(errors, "3 entries without a readable date, time or value were not exported\n");
        const ImportResult back = readImportData(exportCsv(diary), "e.csv");
        QVERIFY(planMerge(diary, {&back.batch}).rows.empty());
        // Duplicates of the diary, of the same file and of an earlier file.
        const QByteArray added = "2024-03-05,07:30,Glucose,113\n2024-03-05,07:30,Bolus,112\n";
        const ImportResult result =
            readImportData(head + lastTwo + added + added.left(29), "a.csv");
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
