#include "core/entrytext.h"

#include <QtTest>

class TestEntryText : public QObject
{
    Q_OBJECT
private slots:
    void writersMatchFormats_data();
    void writersMatchFormats();
    void parseDate_data();
    void parseDate();
    void parseTime_data();
    void parseTime();
    void parseValue_data();
    void parseValue();
    void typeLookup();
};

void TestEntryText::writersMatchFormats_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::newRow("one digit each") << 5 << 3 << 5;
    QTest::newRow("two digits each") << 17 << 12 << 2026;
    QTest::newRow("zeros") << 0 << 0 << 100;
    QTest::newRow("99 and 100") << 99 << 100 << 123456;
    QTest::newRow("thousand") << 1000 << 59 << 2000;
    QTest::newRow("negative") << -5 << -7 << -1000;
    QTest::newRow("int limits") << INT_MIN << INT_MAX << INT_MAX;
}

// The byte writers used for saving must give what the formats give.
void TestEntryText::writersMatchFormats()
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

void TestEntryText::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("blank before day and month") << " 5. 3.2020" << QDate(2020, 3, 5);
    QTest::newRow("31 February") << "31. 2.2020" << QDate();
    QTest::newRow("29 February leap year") << "29. 2.2024" << QDate(2024, 2, 29);
    QTest::newRow("no full stop") << "5" << QDate(5, 5, 5);
    QTest::newRow("one full stop") << "5.6" << QDate(6, 6, 5);
    QTest::newRow("blanks after numbers") << "5 .6 .2020 " << QDate(2020, 6, 5);
    QTest::newRow("letters") << "ab.cd.efgh" << QDate();
    QTest::newRow("colon in day") << "07:05.1.2020" << QDate();
}

void TestEntryText::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(::parseDate(text), expected);
}

void TestEntryText::parseTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected");
    QTest::newRow("zero padded") << "07:05" << QTime(7, 5);
    QTest::newRow("no colon reads both") << "7" << QTime(7, 7);
    QTest::newRow("empty is midnight") << "" << QTime(0, 0);
    QTest::newRow("hour 24") << "24:00" << QTime();
    QTest::newRow("minute 60") << "23:60" << QTime();
    QTest::newRow("blanks") << " 9: 3 " << QTime(9, 3);
    QTest::newRow("seconds not read") << "10:11:12" << QTime(10, 0);
}

void TestEntryText::parseTime()
{
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    QCOMPARE(::parseTime(text), expected);
}

void TestEntryText::parseValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("blanks around") << " 112 " << 112;
    QTest::newRow("negative") << "  -5" << -5;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("number then letter") << "12a" << 0;
    QTest::newRow("too large") << "99999999999" << 0;
}

void TestEntryText::parseValue()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(::parseValue(text), expected);
}

void TestEntryText::typeLookup()
{
    // Exact, whole and case-sensitive, ended by the null entry.
    QCOMPARE(typeIndex(u"Glucose"), glucoseType);
    QCOMPARE(typeIndex(u"Semilente"), itemCount - 1);
    QCOMPARE(items[itemCount], nullptr);
    QCOMPARE(typeIndex(u"glucose"), -1);
    QCOMPARE(typeIndex(u"Glucose "), -1);
    QCOMPARE(unitSuffix(itemCount), QString());
    QCOMPARE(unitSuffix(-1), QString());
}

QTEST_APPLESS_MAIN(TestEntryText)
#include "tst_entrytext.moc"
