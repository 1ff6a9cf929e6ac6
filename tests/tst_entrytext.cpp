// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/entrytext.h"

#include <QtTest>

class TestEntryText : public QObject
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
};

QTEST_APPLESS_MAIN(TestEntryText)
#include "tst_entrytext.moc"
