// SPDX-License-Identifier: GPL-3.0-or-later
// Field texts, the rows that keep them and the diary file.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "core/entrytext.h"
#include "core/settings.h"
#include "testsupport.h"

#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const QString path = QStringLiteral("MellidorFile.txt"); // in the WorkDir

static QStringList allItems(const Diary &diary)
{
    QStringList list;
    for (qsizetype i = 0; i < diary.itemCount(); ++i)
        list << diary.itemText(i);
    return list;
}

class TestDiary : public QObject
{
    Q_OBJECT
private slots:
    void writersMatchFormats_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::newRow("one digit each") << 5 << 3 << 5;
        QTest::newRow("two digits each") << 17 << 12 << 2026;
        QTest::newRow("zeros") << 0 << 0 << 100;
        QTest::newRow("99 and 100") << 99 << 100 << 123456;
        QTest::newRow("negative") << -5 << -7 << -1000;
        QTest::newRow("int limits") << INT_MIN << INT_MAX << INT_MAX;
    }
    // The byte writers used for saving must give what the formats give.
    void writersMatchFormats()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        char buffer[64];
        QCOMPARE(QString::fromLatin1(buffer, writeDate(buffer, a, b, c)), formatDate(a, b, c));
        QCOMPARE(QString::fromLatin1(buffer, writeTime(buffer, a, b)), formatTime(a, b));
        QCOMPARE(QString::fromLatin1(buffer, writeTime(buffer, b, a)), formatTime(b, a));
        QCOMPARE(QString::fromLatin1(buffer, writeValue(buffer, a)), formatValue(a));
        QCOMPARE(QString::fromLatin1(buffer, writeValue(buffer, c)), formatValue(c));
    }

    void parse_data()
    {
        // What parseDate, parseTime or parseValue (by the type expected) makes of the text.
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("blank before day and month") << " 5. 3.2020" << QVariant(QDate(2020, 3, 5));
        QTest::newRow("31 February") << "31. 2.2020" << QVariant(QDate());
        QTest::newRow("no full stop") << "5" << QVariant(QDate(5, 5, 5));
        QTest::newRow("one full stop") << "5.6" << QVariant(QDate(6, 6, 5));
        QTest::newRow("blanks after numbers") << "5 .6 .2020 " << QVariant(QDate(2020, 6, 5));
        QTest::newRow("letters in a date") << "ab.cd.efgh" << QVariant(QDate());
        QTest::newRow("colon in day") << "07:05.1.2020" << QVariant(QDate());
        QTest::newRow("zero padded time") << "07:05" << QVariant(QTime(7, 5));
        QTest::newRow("no colon reads both") << "7" << QVariant(QTime(7, 7));
        QTest::newRow("empty time is midnight") << "" << QVariant(QTime(0, 0));
        QTest::newRow("hour 24") << "24:00" << QVariant(QTime());
        QTest::newRow("seconds not read") << "10:11:12" << QVariant(QTime(10, 0));
        QTest::newRow("blanks around a value") << " 112 " << QVariant(112);
        QTest::newRow("negative value") << "  -5" << QVariant(-5);
        QTest::newRow("plus sign") << "+7" << QVariant(7);
        QTest::newRow("number then letter") << "12a" << QVariant(0);
        QTest::newRow("too large") << "99999999999" << QVariant(0);
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, expected);
        const int type = expected.typeId();
        const QVariant got = type == QMetaType::QDate   ? QVariant(::parseDate(text))
                             : type == QMetaType::QTime ? QVariant(::parseTime(text))
                                                        : QVariant(::parseValue(text));
        QCOMPARE(got, expected);
    }

    // Exact, whole and case-sensitive; units only for known types.
    void typeLookup()
    {
        QCOMPARE(typeIndex(u"Semilente"), itemCount - 1);
        QCOMPARE(typeIndex(u"glucose"), -1);
        QCOMPARE(typeIndex(u"Glucose "), -1);
        QCOMPARE(unitSuffix(itemCount), QString());
        QCOMPARE(unitSuffix(-1), QString());
    }

    void fractionalDoses_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("hundredths");
        QTest::addColumn<int>("value"); // to whole units, halves up
        QTest::addColumn<bool>("canonical");
        const auto row = [](const char *type, const char *text, qint64 hundredths, int value,
                            bool canonical) {
            QTest::addRow("%s '%s'", type, text)
                << type << text << hundredths << value << canonical;
        };
        row("Bolus", "2.35", 235, 2, true);
        row("Bolus", " 2.5", 250, 3, true);
        row("Lantus", "12.5", 1250, 13, true);
        row("Humalog", "123.05", 12305, 123, true);
        row("Basis", " 0.5", 50, 1, true);
        row("Bolus", "0.05", 5, 0, true);
        row("Bolus", "   2", 200, 2, true);
        // Other ways of writing a dose read as the number they show and
        // keep their text.
        row("Bolus", "2.345", 235, 2, false);
        row("Bolus", "2.344", 234, 2, false);
        row("Bolus", "2.", 200, 2, false);
        row("Bolus", "2.0", 200, 2, false);
        row("Bolus", ".5", 50, 1, false);
        row("Bolus", "2.50", 250, 3, false);
        row("Bolus", "0.5", 50, 1, false);
        row("Bolus", "  2.5", 250, 3, false);
        row("Bolus", "02.5", 250, 3, false);
        row("Bolus", "-0.5", -50, -1, false);
        // Not a decimal: read as before.
        row("Bolus", "1e2", 0, 0, false);
        row("Bolus", "12345678.5", 0, 0, false);
        row("Bolus", "99999999999.5", 0, 0, false); // would overflow 32 bits
        row("Bolus", "2,5", 0, 0, false);
        // Glucose and carbs stay whole numbers.
        row("Glucose", " 5.5", 0, 0, false);
        row("Carbs", "12.5", 0, 0, false);
    }
    void fractionalDoses()
    {
        QFETCH(QString, type);
        QFETCH(QString, text);
        QFETCH(qint64, hundredths);
        QFETCH(int, value);
        QFETCH(bool, canonical);
        const QByteArray line = (" 1. 3.2020,07:05," + type + u',' + text).toUtf8();
        Diary diary;
        QVERIFY(diary.prependLine(line.constData(), line.size()));
        QByteArray saved;
        diary.appendLine(0, saved);
        QCOMPARE(saved, line + '\n');
        QCOMPARE(diary.hundredths(0), hundredths);
        QCOMPARE(diary.value(0), value);
        QCOMPARE(diary.hasFraction(0), hundredths % 100 != 0);
        int passed = -1;
        diary.forEachEntry([&](int, qint64, int, int, int v) { passed = v; });
        QCOMPARE(passed, value);
        // Canonical: what the writer makes of the value is the text itself.
        // A negative dose is kept only as its text.
        char buffer[32];
        const int length = diary.hasFraction(0) ? writeFraction(buffer, qint32(hundredths))
                                                : writeValue(buffer, value);
        const bool negativeFraction = diary.hasFraction(0) && hundredths < 0;
        QCOMPARE(!negativeFraction && QByteArray(buffer, length) == text.toUtf8(), canonical);
    }

    void findRowTellsFractionFromWhole()
    {
        Diary diary;
        for (const EntryTexts &texts : {EntryTexts{" 1. 3.2020", "07:05", "Bolus", "2.35"},
                                        EntryTexts{" 1. 3.2020", "07:05", "Bolus", " 235"}})
            diary.prependRow(texts);
        QCOMPARE(diary.findRow({" 1. 3.2020", "07:05", "Bolus", "2.35"}, 0), 1);
        QCOMPARE(diary.findRow({" 1. 3.2020", "07:05", "Bolus", " 235"}, 1), 0);
    }

    void glucoseScanMatchesFullScan()
    {
        // Several blocks of rows, mostly in time order as a diary grows.
        Diary diary;
        const QDate base(2020, 1, 1);
        for (int i = 0; i < 3000; ++i) {
            const QDate date = base.addDays(i / 8 + (i * 7919) % 5);
            diary.prependRow({formatDate(date.day(), date.month(), date.year()).toUtf8(), "07:05",
                              i % 3 ? "Glucose" : "Carbs", formatValue(i).toUtf8()});
        }
        const qint64 start = base.addDays(350).toJulianDay();
        const auto scansAgree = [&] {
            QList<QList<qint64>> expected, seen;
            diary.forEachEntry([&](int row, qint64 day, int minutes, int type, int value) {
                if (type == glucoseType && day >= start)
                    expected << QList<qint64>{row, day, minutes, value};
            });
            diary.forEachGlucoseFrom(start, [&](int row, qint64 day, int minutes, int value) {
                seen << QList<qint64>{row, day, minutes, value};
            });
            return expected.size() > 100 && seen == expected;
        };
        QVERIFY(scansAgree());
        // A recent reading in a block that was skipped.
        diary.insertRow(diary.rowCount(), {"26.12.2020", "10:00", "Glucose", " 120"});
        QVERIFY(scansAgree());
    }

    void rowOrder()
    {
        Diary diary;
        for (const char *line : {" 2. 1.2020,10:00,Glucose,   2", "bad,09:00,Carbs,   0",
                                 " 1. 1.2020,12:00,Bolus,   1", " 2. 1.2020,08:00,Glucose,   3"})
            QVERIFY(diary.prependLine(line, qstrlen(line)));
        const QStringList before = allItems(diary);
        // Items run down each column in turn: dates, times, types, values.
        const auto values = [&] { return allItems(diary).mid(3 * diary.rowCount()); };
        // Rows 0, 2 and 5 of the result are new; the old rows keep their order.
        const auto entry = [](const char *v) {
            return EntryTexts{" 1. 1.2020", "00:00", "Bolus", v};
        };
        diary.insertRows({0, 2, 5}, {entry("   7"), entry("   8"), entry("   9")});
        QCOMPARE(values(), QStringList({"   7", "   3", "   8", "   1", "   0", "   9", "   2"}));
        diary.removeRows({0, 2, 5});
        QCOMPARE(allItems(diary), before);
        const Diary::Order order = diary.sortByDateTime(false);
        QCOMPARE(values(), QStringList({"   2", "   3", "   1", "   0"}));
        QCOMPARE(diary.itemText(-1) + diary.itemText(16), QString());
        diary.restoreOrder(order);
        QCOMPARE(allItems(diary), before);
        // Whole entries move together.
        diary.sortByDateTime(true);
        QCOMPARE(allItems(diary).mid(8), QStringList({"Carbs", "Bolus", "Glucose", "Glucose",
                                                      "   0", "   1", "   3", "   2"}));
        // Freed slots of kept texts are reused without mixing texts up.
        diary.insertRow(0, {"", "", "", "odd"});
        diary.removeRow(1);
        diary.insertRow(3, {"", "", "", "new"});
        QCOMPARE(values(), QStringList({"odd", "   1", "   3", "new", "   2"}));
    }
    void roundTrip_data()
    {
        // What saving writes back (by default the input unchanged); a null input: no file.
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("saved");
        const auto row = [](const char *name, const QByteArray &input,
                            const QByteArray &saved = {}) {
            QTest::newRow(name) << input << (saved.isNull() ? input : saved);
        };
        row("missing file", QByteArray(), "");
        row("empty file", "");
        row("empty line", "\n", ",,,\n");
        row("no comma", "hello\n", "hello,hello,hello,hello\n");
        row("two pieces", "17. 3.2020,07:05\n", "17. 3.2020,07:05,07:05,07:05\n");
        row("more than three commas", "a,b,c,d,e\n");
        row("two commas in a row", "a,,c,d\n");
        row("no final line feed", "a,b,c,d\ne,f,g,h", "a,b,c,d\ne,f,g,h\n");
        row("CR LF", "a,b,c,d\r\ne,f,g,h\r\n", "a,b,c,d\ne,f,g,h\n");
        row("CR inside a line stays", "a\rb,c,d,e\n");
        // Old Mac line ends, as the import reads them.
        row("CR only", "a,b,c,d\re,f,g,h\r", "a,b,c,d\ne,f,g,h\n");
        row("CR only, none after the last line", "a,b,c,d\re,f,g,h", "a,b,c,d\ne,f,g,h\n");
        row("non-ASCII UTF-8", "1.1.2020,08:00,Größe,ü\n");
        row("invalid UTF-8 and NUL", QByteArray("\xff\xfe,\x00\x01,\xc3,\x80\n", 10));
        row("odd-looking lines stay",
            "05.12.2020,7:05,Glucose,112\n 5.12.2020,07:05,Glucose,  112\n");
        row("doses with fractions", testData("fractional-doses.txt"));
        // The value is everything after the third comma.
        row("texts kept exactly",
            "17. 3.2020,07:05,Glucose, 112\n 1. 3.2020,07:05,Bolus,  -5\n"
            " 1. 3.2020,07:05,Bolus,112\n 1. 3.2020,07:05,Bolus,  112\n 5. 5. 5,07:05,Bolus, 1234\n"
            " 1. 3.2020,07:05,Bolus,  -0\n 1. 3.2020,07:05,Bolus, 012\n 1. 3.2020,25:00,Glucose,x\n"
            "05.12.2020,07:05,Bolus, 112\n17. 3.2020,7:05,Bolus, 112\n31. 2.2020,07:05,Bolus, 112\n"
            "17. 3.2020,07.05,Bolus, 112\n"
            "17. 3.2020,07:05,Coffee, 112\n1.1.2020,08:00,Größe,ü\n5,7,Carbs,9\n,,,\na,b,c,d,e,f\n"
            " 1. 1.2000000000,07:05,Bolus, 12\n 1. 3.2020,07:05,Bolus, 123456789\n");
        // Read in pieces of a megabyte: lines and CR LF pairs cross their ends.
        QByteArray many;
        for (int i = 0; i < 90000; ++i)
            many += "17. 3.2020,07:05,Glucose," + QByteArray::number(i) + "\r\n";
        row("lines across read chunks", many, QByteArray(many).replace("\r", ""));
    }
    void roundTrip()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, saved);
        WorkDir dir;
        if (!input.isNull())
            writeBytes(path, input);
        // Read whole and in up to seven pieces side by side, so that lines,
        // CR LF pairs and the last line fall on the pieces' ends.
        for (int pieces = 1; pieces <= 7; ++pieces) {
            const auto failedWith = qScopeGuard([pieces] {
                if (QTest::currentTestFailed())
                    qWarning("read in %d pieces", pieces);
            });
            Diary diary;
            const DiaryFile::LoadResult result = DiaryFile::load(path, diary, pieces);
            QCOMPARE(result.status, input.isNull() ? DiaryFile::LoadResult::Missing
                                                   : DiaryFile::LoadResult::Loaded);
            QCOMPARE(result.stamp.exists, !input.isNull());
            QCOMPARE(result.matchesSave, !input.isNull() && saved == input);
            // Each row shows its saved line (the last line is the top row),
            // and keeps the values its texts parse to.
            const QByteArrayList lines = saved.split('\n');
            QCOMPARE(diary.rowCount(), qMax(0, int(lines.size()) - 1));
            for (int row = 0; row < diary.rowCount(); ++row) {
                QStringList texts;
                for (int column = Diary::DateColumn; column <= Diary::ValueColumn; ++column)
                    texts << diary.text(row, column);
                QCOMPARE(texts.join(u','), QString::fromUtf8(lines[diary.rowCount() - 1 - row]));
                QCOMPARE(diary.date(row), parseDate(texts[0]));
                QCOMPARE(diary.time(row), parseTime(texts[1]));
                if (!diary.hasFraction(row)) // else see fractionalDoses
                    QCOMPARE(diary.value(row), parseValue(texts[3]));
            }
            QString error;
            QVERIFY2(DiaryFile::save(path, diary, &error), qPrintable(error));
            QCOMPARE(readBytes(path), saved);
            QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{path});
            if (!input.isNull())
                writeBytes(path, input);
            else
                QFile::remove(path);
        }
    }

    // A file size limit stands in for a full disk: writes past it fail. The
    // diary is larger than a write chunk. (A failed append: unsavedStep in
    // tst_outsidechange.)
    void writeFailureKeepsOldFile()
    {
        const QByteArray old = QByteArray(1000, 'x') + '\n';
        WorkDir dir(old);
        Diary diary;
        for (int i = 0; i < 40000; ++i)
            diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
        QString error;
        withFileSizeLimit(1010, [&] { QVERIFY(!DiaryFile::save(path, diary, &error)); });
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(path), old);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{path});
    }

    // A save copies the bytes of the rows unchanged since the file was read
    // or written. The first line, changed in place and passed off as the
    // file read, shows whether it was copied or formatted again. Hand-made lines give
    // the lines different lengths.
    void saveCopiesUnchangedRows_data()
    {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("bottomCopied");
        for (const int pieces : {1, 3}) {
            for (const auto &[change, copied] : {std::pair{"none", true},
                                                 {"insert in the middle", true},
                                                 {"remove in the middle", true},
                                                 {"append, then edit below it", true},
                                                 {"append to another file", true},
                                                 {"remove the first mark's top row", false},
                                                 {"insert at the bottom", false},
                                                 {"sort, then back", false},
                                                 {"CR LF at the bottom", false}})
                QTest::addRow("%s, %d pieces", change, pieces) << pieces << change << copied;
        }
    }
    void saveCopiesUnchangedRows()
    {
        QFETCH(int, pieces);
        QFETCH(QString, change);
        QFETCH(bool, bottomCopied);
        QByteArray file;
        for (int i = 0; i < 6000; ++i)
            file += i % 7 ? QStringLiteral("%1. 3.2020,07:05,Glucose,%2\n")
                                .arg(1 + i % 28, 2)
                                .arg(40 + i % 300, 4)
                                .toUtf8()
                          : "hand,made,Note," + QByteArray(i % 13, 'x') + '\n';
        if (change.startsWith("CR"))
            file.insert(15, '\r');
        WorkDir dir(file);
        Diary diary;
        DiaryFile::Stamp stamp = DiaryFile::load(path, diary, pieces).stamp;
        const QByteArray first = "hand,made,Note,\n", other = "HAND,made,Note,\n";
        QFile changed(path);
        QVERIFY(changed.open(QIODevice::ReadWrite) && changed.write(other) == other.size());
        changed.close();
        // The edit moved the change time: the marks are told this is their file.
        stamp = DiaryFile::stampOf(path);
        diary.setFileLayout({stamp, diary.fileLayout().marks});

        const EntryTexts entry{" 1. 4.2020", "08:00", "Carbs", "  40"};
        QString error;
        if (change.startsWith("append")) {
            diary.prependRow(entry);
            const bool here = change.endsWith("below it");
            QVERIFY(DiaryFile::appendTopRow(here ? path : "other.txt", diary, &error,
                                            here ? &stamp : nullptr));
            diary.removeRow(here ? 1 : 0);
        } else if (change.startsWith("insert")) {
            diary.insertRows({2000, change.endsWith("bottom") ? diary.rowCount() : 4100},
                             {entry, entry});
        } else if (change.startsWith("remove")) {
            diary.removeRows({1500, change.endsWith("row")
                                        ? diary.rowCount() - int(Diary::fileMarkEvery)
                                        : 3000});
        }
        const Diary::Order order =
            change.startsWith("sort") ? diary.sortByDateTime(true) : Diary::Order();
        // Twice: from the marks of the read, then from those of the save.
        for (int save = 0; save < 2; ++save) {
            QByteArray expected;
            for (int row = diary.rowCount() - 1; row >= 0; --row)
                diary.appendLine(row, expected);
            if (bottomCopied)
                expected.replace(0, first.size(), other);
            QCOMPARE(DiaryFile::saveOver(path, diary, stamp, &stamp, &error),
                     DiaryFile::SaveOutcome::Saved);
            QCOMPARE(readBytes(path), expected);
            order.empty() ? diary.removeRow(0) : diary.restoreOrder(order);
        }
    }

    void appendTopRow_data()
    {
        QTest::addColumn<QByteArray>("old");   // null: no file
        QTest::addColumn<QString>("change");   // by another program after the read
        QTest::addColumn<QByteArray>("after"); // the file afterwards
        const QByteArray a = "17. 3.2020,07:05,Glucose, 112", b = "18. 3.2020,08:00,Carbs,  40\n",
                         c = "3.1.2020,09:00,Glucose, 140\n";
        QTest::newRow("ends with a line feed") << a + '\n' << "" << a + '\n' + b;
        // A last line without one is completed, never glued to the new entry.
        QTest::newRow("last line without line feed") << a << "" << a + '\n' + b;
        // A changed file is left as it is, and the caller is told.
        QTest::newRow("appended outside") << a + '\n' << "append" << a + '\n' + c;
        QTest::newRow("replaced by rename") << a + '\n' << "rename" << c;
        QTest::newRow("moved away") << a + '\n' << "remove" << QByteArray();
        QTest::newRow("created while Mellidor had none") << QByteArray() << "create" << c;
    }
    void appendTopRow()
    {
        QFETCH(QByteArray, old);
        QFETCH(QString, change);
        QFETCH(QByteArray, after);
        WorkDir dir;
        if (!old.isNull())
            writeBytes(path, old);
        Diary diary;
        const DiaryFile::Stamp read = DiaryFile::load(path, diary).stamp;
        if (change == "remove")
            QVERIFY(QFile::remove(path));
        else if (!change.isEmpty())
            writeBytes(change == "rename" ? "new" : path, after);
        if (change == "rename")
            QCOMPARE(::rename("new", "MellidorFile.txt"), 0);
        diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
        DiaryFile::Stamp stamp = read;
        bool changed = false;
        QString error;
        QCOMPARE(DiaryFile::appendTopRow(path, diary, &error, &stamp, &changed), change.isEmpty());
        QCOMPARE(readBytes(path), after);
        QCOMPARE(changed, !change.isEmpty());
        QCOMPARE(stamp, change.isEmpty() ? DiaryFile::stampOf(path) : read);
    }

    void notRegularFile_data()
    {
        QTest::addColumn<QString>("kind");   // of what is made
        QTest::addColumn<QString>("at");     // the diary's path, or where it links to
        QTest::addColumn<QString>("reason"); // told in each error
        const QString elsewhere = "elsewhere";
        QTest::newRow("FIFO") << "fifo" << path << "FIFO";
        QTest::newRow("FIFO through a symlink") << "fifo" << elsewhere << "FIFO";
        QTest::newRow("device through a symlink") << "device" << QString("null") << "device";
        QTest::newRow("directory through a symlink") << "dir" << elsewhere << "directory";
    }
    void notRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, at);
        QFETCH(QString, reason);
        WorkDir dir;
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(at).constData(), 0600), 0);
        else if (kind == "dir")
            QVERIFY(QDir().mkdir(at));
        else if (kind == "device")
            at = makeDevice(at);
        if (at != path)
            QVERIFY(QFile::link(at, path));
        ::alarm(5); // a blocking open or an endless read ends the test run
        Diary diary;
        QString saveError, appendError, settingsError;
        const auto loaded = DiaryFile::load(path, diary);
        const bool saved = DiaryFile::save(path, diary, &saveError);
        diary.prependRow({"a", "b", "c", "d"});
        const bool appended = DiaryFile::appendTopRow(path, diary, &appendError);
        // Whole files written otherwise (settings, outputs) follow the same rule.
        const bool settingsSaved = SettingsFile::write(path, Settings(), &settingsError);
        ::alarm(0);
        QVERIFY(loaded.status == DiaryFile::LoadResult::Failed && !saved && !appended &&
                !settingsSaved);
        QCOMPARE((loaded.error + saveError + appendError + settingsError).count(reason), 4);
        QVERIFY(!QFileInfo(path).isFile()); // nothing took its place
    }

    void csvOfFractionalDoses()
    {
        QCOMPARE(exportCsv(diaryOf(testData("fractional-doses.txt"))),
                 testData("fractional-doses.csv"));
    }

    void lockCanBeRetried()
    {
        WorkDir dir;
        // A file where the folder should be: no lock, and root cannot pass it.
        writeBytes("folder", "");
        DiaryLock lock(QStringLiteral("folder/MellidorFile.txt"));
        QCOMPARE(lock.tryLock(), DiaryLock::CannotLock);
        QVERIFY(QFile::remove("folder") && QDir().mkdir("folder"));
        QCOMPARE(lock.tryLock(), DiaryLock::Locked);
        QCOMPARE(lock.tryLock(), DiaryLock::Locked); // a held lock is no other's
    }
};

QTEST_GUILESS_MAIN(TestDiary)
#include "tst_diary.moc"
