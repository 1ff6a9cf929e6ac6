// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preferences.h"
#include "core/settings.h"
#include "testsupport.h"

#include <QtTest>

Q_DECLARE_METATYPE(Preferences)

class TestPreferences : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<Preferences>("preferences");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("defaults") << Preferences()
                                  << QByteArray("glucose_unit=mg/dL\ninsulin_doses=whole\n");
        QTest::newRow("both changed")
            << Preferences{GlucoseUnit::MmolPerL, InsulinDoses::Fractions}
            << QByteArray("glucose_unit=mmol/L\ninsulin_doses=fractions\n");
    }

    void roundTrip()
    {
        QFETCH(Preferences, preferences);
        QFETCH(QByteArray, bytes);
        WorkDir dir;
        QString error;
        // The first write makes the folder; the second replaces the file.
        QVERIFY2(PreferencesFile::write(PreferencesFile::fileName, Preferences(), &error),
                 qPrintable(error));
        writeBytes(SettingsFile::fileName, "100\n140\n250\n  7\n");
        QVERIFY2(PreferencesFile::write(PreferencesFile::fileName, preferences, &error),
                 qPrintable(error));
        QCOMPARE(readBytes(PreferencesFile::fileName), bytes);
        QVERIFY(PreferencesFile::read(PreferencesFile::fileName) == preferences);
        QCOMPARE(readBytes(SettingsFile::fileName), QByteArray("100\n140\n250\n  7\n"));
    }

    void readsWhatItCan_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<Preferences>("expected");
        QTest::newRow("missing file") << QByteArray() << Preferences();
        QTest::newRow("empty file") << QByteArray("") << Preferences();
        QTest::newRow("garbage") << QByteArray("\xff\x00=\n==\nglucose_unit\nmmol/L\n", 27)
                                 << Preferences();
        QTest::newRow("unknown values keep the defaults")
            << QByteArray("glucose_unit=mmol\ninsulin_doses=Fractions\n") << Preferences();
        QTest::newRow("blanks, CR LF, unknown keys, any order")
            << QByteArray("colour=red\r\n insulin_doses = fractions\r\nglucose_unit=mmol/L")
            << Preferences{GlucoseUnit::MmolPerL, InsulinDoses::Fractions};
    }

    void readsWhatItCan()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Preferences, expected);
        WorkDir dir;
        QVERIFY(QDir().mkpath("Settings"));
        if (!bytes.isNull())
            writeBytes(PreferencesFile::fileName, bytes);
        QVERIFY(PreferencesFile::read(PreferencesFile::fileName) == expected);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
