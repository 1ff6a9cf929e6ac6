// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statscommand.h"
#include "core/clock.h"
#include "core/diaryfolder.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "testsupport.h"

#include <QtTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(Preferences)

class TestPreferences : public QObject
{
    Q_OBJECT
private slots:
    void readAndWritten_data()
    {
        QTest::addColumn<bool>("written");     // else the file holds the bytes
        QTest::addColumn<QByteArray>("bytes"); // null: no file; "fifo": a FIFO
        QTest::addColumn<Preferences>("preferences");
        const auto written = [](const char *name, const Preferences &preferences,
                                const QByteArray &bytes) {
            QTest::newRow(name) << true << bytes << preferences;
        };
        written("defaults", Preferences(), "glucose_unit=mg/dL\ninsulin_doses=whole\n");
        written("both changed", {GlucoseUnit::MmolPerL, InsulinDoses::Fractions},
                "glucose_unit=mmol/L\ninsulin_doses=fractions\n");
        written("mmol/L offered", {GlucoseUnit::MgPerDl, InsulinDoses::WholeUnits, true},
                "glucose_unit=mg/dL\ninsulin_doses=whole\nmmol_offered=yes\n");
        written("targets in a pregnancy",
                {GlucoseUnit::MgPerDl, InsulinDoses::WholeUnits, false, TargetSet::PregnancyType2},
                "glucose_unit=mg/dL\ninsulin_doses=whole\ntargets=pregnancy-type-2\n");
        const auto read = [](const char *name, const QByteArray &bytes,
                             const Preferences &preferences = {}) {
            QTest::newRow(name) << false << bytes << preferences;
        };
        read("missing file", QByteArray());
        read("empty file", "");
        read("garbage", QByteArray("\xff\x00=\n==\nglucose_unit\nmmol/L\n", 27));
        read("unknown values keep the defaults",
             "glucose_unit=mmol\ninsulin_doses=Fractions\ntargets=Older\ntargets=young\n");
        read("targets", "targets=older\n",
             {GlucoseUnit::MgPerDl, InsulinDoses::WholeUnits, false, TargetSet::Older});
        read("blanks, CR LF, unknown keys, any order",
             "colour=red\r\n insulin_doses = fractions\r\nglucose_unit=mmol/L",
             {GlucoseUnit::MmolPerL, InsulinDoses::Fractions});
        // Read at start: a FIFO must not block it, for the settings either.
        read("FIFO", "fifo");
    }

    void readAndWritten()
    {
        QFETCH(bool, written);
        QFETCH(QByteArray, bytes);
        QFETCH(Preferences, preferences);
        WorkDir dir;
        const QByteArray settings = "100\n140\n250\n  7\n";
        if (written) {
            QString error;
            // The first write makes the folder; the second replaces the file.
            QVERIFY2(PreferencesFile::write(DiaryFolder::path(DiaryFolder::File::Preferences),
                                            Preferences(), &error),
                     qPrintable(error));
            writeBytes(DiaryFolder::path(DiaryFolder::File::Settings), settings);
            QVERIFY2(PreferencesFile::write(DiaryFolder::path(DiaryFolder::File::Preferences),
                                            preferences, &error),
                     qPrintable(error));
            QCOMPARE(readBytes(DiaryFolder::path(DiaryFolder::File::Preferences)), bytes);
            QCOMPARE(readBytes(DiaryFolder::path(DiaryFolder::File::Settings)), settings);
        } else {
            QVERIFY(QDir().mkpath("Settings"));
            if (bytes == "fifo") {
                for (const QString &name : {DiaryFolder::path(DiaryFolder::File::Preferences),
                                            DiaryFolder::path(DiaryFolder::File::Settings)})
                    QCOMPARE(mkfifo(qPrintable(name), 0600), 0);
                QCOMPARE(
                    SettingsFile::read(DiaryFolder::path(DiaryFolder::File::Settings)).daysBack,
                    Settings().daysBack);
            } else if (!bytes.isNull()) {
                writeBytes(DiaryFolder::path(DiaryFolder::File::Preferences), bytes);
            }
        }
        QVERIFY(PreferencesFile::read(DiaryFolder::path(DiaryFolder::File::Preferences)) ==
                preferences);
    }

    void commandsStartInTheChosenUnit_data()
    {
        QTest::addColumn<QByteArray>("preferences"); // null: no file
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown"); // a part of standard output
        const QByteArray mmol = "glucose_unit=mmol/L\n";
        QTest::newRow("mg/dL by default") << QByteArray() << "" << 0 << "Mean glucose: 120 mg/dL";
        QTest::newRow("chosen mmol/L") << mmol << "" << 0 << "Mean glucose: 6.7 mmol/L";
        QTest::newRow("--unit over the choice") << mmol << "--unit mgdl" << 0 << "120 mg/dL";
        QTest::newRow("--unit mmol") << QByteArray() << "--unit mmol" << 0 << "(mmol/L)\nhour";
        QTest::newRow("profile in mmol/L") << mmol << "" << 0 << "12:00  1       8.3";
        QTest::newRow("profile in mg/dL") << QByteArray() << "" << 0 << "12:00 1 150 150";
        QTest::newRow("JSON stays in mg/dL") << mmol << "--json" << 0 << "\"mean\":120,";
        QTest::newRow("bad unit") << mmol << "--unit mmol/L" << 2 << "";
        const QByteArray older = "targets=older\n";
        QTest::newRow("chosen targets") << older << "" << 0 << "Targets: Older or high-risk";
        QTest::newRow("--targets over it")
            << older << "--targets pregnancy-type-1" << 0 << "type 1";
    }

    void commandsStartInTheChosenUnit()
    {
        QFETCH(QByteArray, preferences);
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, shown);
        Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
        WorkDir dir(" 5.12.2026,12:00,Glucose, 150\n 6.12.2026,09:00,Glucose,  90\n");
        if (!preferences.isNull()) {
            QVERIFY(QDir().mkpath("Settings"));
            writeBytes(DiaryFolder::path(DiaryFolder::File::Preferences), preferences);
        }
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const QStringList words = arguments.split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(runStatsCommand(words, out, err), status);
        QVERIFY2(outText.simplified().contains(shown.simplified()), qPrintable(outText));
        Clock::setForTesting(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
