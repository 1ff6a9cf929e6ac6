#include "core/diary.h"
#include "core/entrytext.h"

#include <QtTest>

namespace {

EntryTexts texts(const QString &date, const QString &time, const QString &type,
                 const QString &value)
{
    return {date.toUtf8(), time.toUtf8(), type.toUtf8(), value.toUtf8()};
}

QStringList allItems(const Diary &diary)
{
    QStringList list;
    for (qsizetype i = 0; i < diary.itemCount(); ++i)
        list << diary.itemText(i);
    return list;
}

} // namespace

class TestDiary : public QObject
{
    Q_OBJECT
private slots:
    void textsKeptExactly_data();
    void textsKeptExactly();
    void batchInsertAndRemove();
    void insertAndRemoveRowsInTheMiddle();
    void glucoseScanMatchesFullScan();
    void sortByDateTime();
};

void TestDiary::textsKeptExactly_data()
{
    // One line; the value is everything after the third comma.
    QTest::addColumn<QString>("line");
    QTest::newRow("standard") << "17. 3.2020,07:05,Glucose, 112";
    QTest::newRow("zero padded day") << "05.12.2020,07:05,Glucose, 112";
    QTest::newRow("no leading blank on value") << "17. 3.2020,07:05,Glucose,112";
    QTest::newRow("extra blank on value") << "17. 3.2020,07:05,Glucose,  112";
    QTest::newRow("unknown type") << "17. 3.2020,07:05,Coffee, 112";
    QTest::newRow("31 February") << "31. 2.2020,07:05,Glucose, 112";
    QTest::newRow("time without padding") << "17. 3.2020,7:05,Glucose, 112";
    QTest::newRow("empty") << ",,,";
    QTest::newRow("value with commas") << "a,b,c,d,e,f";
    QTest::newRow("non-ASCII") << "1.1.2020,08:00,Größe,ü";
    QTest::newRow("negative value") << "17. 3.2020,07:05,Bolus,  -5";
    QTest::newRow("big value") << "17. 3.2020,07:05,Bolus, 123456789";
    QTest::newRow("huge year") << " 1. 1.2000000000,07:05,Glucose, 112";
    QTest::newRow("year 5") << " 5. 5. 5,07:05,Glucose, 112";
    QTest::newRow("bad time") << "17. 3.2020,25:00,Glucose,x";
    QTest::newRow("no separators") << "5,7,Carbs,9";
    QTest::newRow("minus zero") << "17. 3.2020,07:05,Bolus,  -0";
    QTest::newRow("leading zero value") << "17. 3.2020,07:05,Bolus, 012";
}

void TestDiary::textsKeptExactly()
{
    QFETCH(QString, line);
    const QStringList fields{line.section(u',', 0, 0), line.section(u',', 1, 1),
                             line.section(u',', 2, 2), line.section(u',', 3)};
    Diary diary;
    diary.prependRow(texts(fields[0], fields[1], fields[2], fields[3]));
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(diary.text(0, column), fields[column]);
        QCOMPARE(diary.bytes(0, column), fields[column].toUtf8());
    }
    QByteArray saved;
    diary.appendLine(0, saved);
    QCOMPARE(saved, line.toUtf8() + '\n');
    // The values kept for the row are what its texts parse to.
    QCOMPARE(diary.date(0), parseDate(fields[0]));
    QCOMPARE(diary.time(0), parseTime(fields[1]));
    QCOMPARE(diary.value(0), parseValue(fields[3]));
}

void TestDiary::batchInsertAndRemove()
{
    Diary diary;
    for (int i = 0; i < 4; ++i)
        diary.prependRow(texts(QString::number(i), "", "", ""));
    const QStringList before = allItems(diary);
    // Rows 0, 2 and 5 of the result are new; the old rows 3 2 1 0 keep their order.
    diary.insertRows({0, 2, 5},
                     {texts("a", "", "", ""), texts("b", "", "", ""), texts("c", "", "", "")});
    QStringList dates;
    for (int row = 0; row < diary.rowCount(); ++row)
        dates << diary.text(row, Diary::DateColumn);
    QCOMPARE(dates, QStringList({"a", "3", "b", "2", "1", "c", "0"}));
    diary.removeRows({0, 2, 5});
    QCOMPARE(allItems(diary), before);

    const Diary::Order order = diary.sortByDateTime(true);
    diary.restoreOrder(order);
    QCOMPARE(allItems(diary), before);
}

void TestDiary::insertAndRemoveRowsInTheMiddle()
{
    Diary diary;
    for (int i = 0; i < 5; ++i)
        diary.prependRow(texts(formatDate(i + 1, 1, 2020), "00:00", "Glucose", formatValue(i)));
    diary.insertRow(2, texts("odd", "00:00", "Glucose", "99"));
    QCOMPARE(diary.rowCount(), 6);
    QCOMPARE(diary.text(2, Diary::DateColumn), QStringLiteral("odd"));
    QCOMPARE(diary.value(1), 3);
    QCOMPARE(diary.value(3), 2);
    diary.removeRow(2);
    diary.removeRow(0);
    QCOMPARE(diary.rowCount(), 4);
    QCOMPARE(diary.value(0), 3);
    QCOMPARE(diary.value(3), 0);
    // A freed verbatim slot is reused without mixing texts up.
    diary.insertRow(4, texts("other", "00:00", "Carbs", "1"));
    QCOMPARE(diary.text(4, Diary::DateColumn), QStringLiteral("other"));
    QCOMPARE(diary.text(3, Diary::DateColumn), QStringLiteral(" 1. 1.2020"));
}

void TestDiary::glucoseScanMatchesFullScan()
{
    // Enough rows for several skip blocks, in an order that is not sorted.
    Diary diary;
    const QDate base(2020, 1, 1);
    for (int i = 0; i < 3000; ++i) {
        const QDate date = base.addDays((i * 7919) % 400);
        const char *type = (i % 3 == 0) ? "Carbs" : "Glucose";
        diary.prependRow(texts(formatDate(date.day(), date.month(), date.year()),
                               formatTime(i % 24, i % 60), QString::fromLatin1(type),
                               formatValue(i)));
    }
    diary.insertRow(1500, texts("31. 2.2020", "10:00", "Glucose", "7"));
    diary.removeRow(10);
    const qint64 start = base.addDays(350).toJulianDay();

    QList<int> expected;
    for (int r = diary.rowCount() - 1; r >= 0; --r) {
        if (diary.type(r) == QLatin1String("Glucose") && diary.date(r).isValid() &&
            diary.date(r).toJulianDay() >= start)
            expected << r;
    }
    QList<int> seen;
    diary.forEachGlucoseFrom(start, [&](int row, qint64 day, int minutes, int value) {
        seen << row;
        QCOMPARE(day, diary.date(row).toJulianDay());
        QCOMPARE(minutes, diary.time(row).hour() * 60 + diary.time(row).minute());
        QCOMPARE(value, diary.value(row));
    });
    QVERIFY(!expected.isEmpty());
    QCOMPARE(seen, expected);
}

void TestDiary::sortByDateTime()
{
    Diary diary;
    diary.prependRow(texts(" 2. 1.2020", "10:00", "Glucose", "   2"));
    diary.prependRow(texts("bad", "09:00", "Carbs", "   0"));
    diary.prependRow(texts(" 1. 1.2020", "12:00", "Bolus", "   1"));
    diary.prependRow(texts(" 2. 1.2020", "08:00", "Glucose", "   3"));
    diary.sortByDateTime(false);
    // Items run down each column in turn: dates, times, types, values.
    QCOMPARE(allItems(diary).mid(3, 6),
             QStringList({"bad", "10:00", "08:00", "12:00", "09:00", "Glucose"}));
    QCOMPARE(allItems(diary).mid(12, 4), QStringList({"   2", "   3", "   1", "   0"}));
    QCOMPARE(diary.itemText(-1), QString());
    QCOMPARE(diary.itemText(16), QString());
    diary.sortByDateTime(true);
    QCOMPARE(allItems(diary).mid(12, 4), QStringList({"   0", "   1", "   3", "   2"}));
    // Whole entries move together.
    QCOMPARE(diary.text(0, Diary::DateColumn), QStringLiteral("bad"));
    QCOMPARE(diary.text(0, Diary::TypeColumn), QStringLiteral("Carbs"));
}

QTEST_APPLESS_MAIN(TestDiary)
#include "tst_diary.moc"
