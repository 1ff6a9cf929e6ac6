// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/glucoseunit.h"
#include "core/glucoseconversion.h"

#include <QtTest>

class TestGlucoseConversion : public QObject
{
    Q_OBJECT
private slots:
    void shown_data()
    {
        QTest::addColumn<double>("mgPerDl");
        QTest::addColumn<QString>("mmol");
        QTest::newRow("zero") << 0.0 << "0.0";
        QTest::newRow("just below a half") << 9.0 << "0.5";
        QTest::newRow("limits") << 70.0 << "3.9";
        QTest::newRow("99") << 99.0 << "5.5";
        QTest::newRow("100") << 100.0 << "5.6";
        QTest::newRow("18.016 is one") << 18.016 << "1.0";
        // 563 mg/dL is 31.25 mmol/L exactly: the half goes up.
        QTest::newRow("exact half") << 563.0 << "31.3";
        QTest::newRow("mean between whole values") << 99.1 << "5.5";
        QTest::newRow("top of the scale") << 3000.0 << "166.5";
        QTest::newRow("negative") << -5.0 << "-0.3";
    }

    void shown()
    {
        QFETCH(double, mgPerDl);
        QFETCH(QString, mmol);
        QCOMPARE(mmolText(mgPerDl), mmol);
        QCOMPARE(formatGlucose(mgPerDl, GlucoseUnit::MmolPerL), mmol);
    }

    void typedValueComesBack()
    {
        // Every one-decimal value a glucose box takes. No tenth lies half
        // way between two whole mg/dL, so the nearest one is unique.
        for (int tenths = 1; tenths <= 1665; ++tenths) {
            const int mg = mgPerDlFromMmolTenths(tenths);
            QVERIFY2(qAbs(mg - tenths * mgPerDlPerMmolPerL / 10.0) <= 0.5,
                     qPrintable(QString::number(tenths)));
            QCOMPARE(mmolText(mg), QString::number(tenths / 10.0, 'f', 1));
            QCOMPARE(mgPerDlFromMmol(tenths / 10.0), mg);
        }
    }
};

QTEST_GUILESS_MAIN(TestGlucoseConversion)
#include "tst_glucoseconversion.moc"
