#include "core/entrytext.h"

#include <QtTest>

class TestEntryText : public QObject
{
    Q_OBJECT
private slots:
    void formats_data();
    void formats();
    void parseDate_data();
    void parseDate();
    void parseTime_data();
    void parseTime();
    void parseValue_data();
    void parseValue();
    void typeLookup();
};

void TestEntryText::formats_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("value");
    QTest::newRow("blank-padded day") << 5 << 12 << 2020 << " 5.12.2020"
                                      << "05:12"
                                      << "   5";
    QTest::newRow("blank-padded month") << 17 << 3 << 2020 << "17. 3.2020"
                                        << "17:03"
                                        << "  17";
    QTest::newRow("both two digits") << 31 << 12 << 2026 << "31.12.2026"
                                     << "31:12"
                                     << "  31";
    QTest::newRow("year as written") << 5 << 5 << 5 << " 5. 5. 5"
                                     << "05:05"
                                     << "   5";
    QTest::newRow("long year") << 1 << 1 << 123456 << " 1. 1.123456"
                               << "01:01"
                               << "   1";
    QTest::newRow("hundred") << 0 << 0 << 100 << " 0. 0.100"
                             << "00:00"
                             << "   0";
    QTest::newRow("thousand") << 1000 << 59 << 2000 << "1000.59.2000"
                              << "1000:59"
                              << " 1000";
    QTest::newRow("negative") << -5 << 7 << -1000 << "-5. 7.-1000"
                              << "-5:07"
                              << "  -5";
    QTest::newRow("int limits") << INT_MIN << 0 << INT_MAX
                                << QString::asprintf("%2d. 0.%2d", INT_MIN, INT_MAX)
                                << QString::asprintf("%02d:00", INT_MIN)
                                << QString::asprintf("% 4d", INT_MIN);
}

void TestEntryText::formats()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, value);
    QCOMPARE(formatDate(a, b, c), date);
    QCOMPARE(formatTime(a, b), time);
    QCOMPARE(formatValue(a), value);
    // The byte writers used for saving must agree with the formats.
    char buffer[64];
    QCOMPARE(QString::fromLatin1(buffer, writeDate(buffer, a, b, c)), date);
    QCOMPARE(QString::fromLatin1(buffer, writeTime(buffer, a, b)), time);
    QCOMPARE(QString::fromLatin1(buffer, writeValue(buffer, a)), value);
}

void TestEntryText::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("blank before day") << " 5.12.2020" << QDate(2020, 12, 5);
    QTest::newRow("blank before month") << "17. 3.2020" << QDate(2020, 3, 17);
    QTest::newRow("31 February") << "31. 2.2020" << QDate();
    QTest::newRow("29 February leap year") << "29. 2.2024" << QDate(2024, 2, 29);
    QTest::newRow("no full stop") << "5" << QDate(5, 5, 5);
    QTest::newRow("one full stop") << "5.6" << QDate(6, 6, 5);
    QTest::newRow("year as written") << "5.5.5" << QDate(5, 5, 5);
    QTest::newRow("blanks after numbers") << "5 .6 .2020 " << QDate(2020, 6, 5);
    QTest::newRow("letters") << "ab.cd.efgh" << QDate();
    QTest::newRow("empty") << "" << QDate();
    QTest::newRow("colon in day") << "07:05.1.2020" << QDate();
}

void TestEntryText::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    QCOMPARE(::parseDate(text), expected);
    QCOMPARE(::parseDate(text).isValid(), expected.isValid());
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
    QCOMPARE(::parseTime(text).isValid(), expected.isValid());
}

void TestEntryText::parseValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("leading blank") << " 112" << 112;
    QTest::newRow("thousand") << " 1000" << 1000;
    QTest::newRow("negative") << "  -5" << -5;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("number then letter") << "12a" << 0;
    QTest::newRow("trailing blank") << "12 " << 12;
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
    QCOMPARE(typeIndex(u"Insuman Rapid"), 10);
    QCOMPARE(typeIndex(u"Semilente"), itemCount - 1);
    QCOMPARE(items[itemCount], nullptr);
    QCOMPARE(typeIndex(u"glucose"), -1);
    QCOMPARE(typeIndex(u"Glucose "), -1);
    QCOMPARE(typeIndex(u""), -1);
}

QTEST_APPLESS_MAIN(TestEntryText)
#include "tst_entrytext.moc"
