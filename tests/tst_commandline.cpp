// SPDX-License-Identifier: GPL-3.0-or-later
// The import and export commands: exit statuses, the lock, the samples through the binary.
#include "app/commandline.h"
#include "core/diarylock.h"
#include "testsupport.h"

#include <QtTest>

namespace {

const QByteArray diaryLine = " 4. 3.2024,08:00,Bolus,   4\n";
const QByteArray entry = " 5. 3.2024,07:30,Glucose, 112\n"; // of good.csv

std::pair<int, QString> mellidor(const QStringList &arguments)
{
    QProcess process;
    process.start("env", QStringList{"-u", "DISPLAY", "-u", "QT_QPA_PLATFORM",
                                     qEnvironmentVariable("MELLIDOR_BINARY")} +
                             arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void exitStatuses_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("added");      // the entry to the diary
        QTest::addColumn<QString>("diaryIs"); // a file, "locked" or a "folder"
        QTest::newRow("import adds") << "import good.csv" << 0 << true << "";
        QTest::newRow("entries already there") << "import good.csv good.csv" << 0 << true << "";
        QTest::newRow("a file in no known format") << "import good.csv bad.csv" << 2 << false << "";
        QTest::newRow("a missing file") << "import missing.csv" << 2 << false << "";
        QTest::newRow("no file") << "import" << 2 << false << "";
        QTest::newRow("-C another folder") << "-C sub import ../good.csv" << 0 << false << "";
        QTest::newRow("-C a missing folder") << "-C nowhere import good.csv" << 1 << false << "";
        QTest::newRow("export") << "export --output out.csv" << 0 << false << "";
        QTest::newRow("export with a bad date") << "export --from 5.3.2024" << 2 << false << "";
        QTest::newRow("unknown command") << "frobnicate" << 2 << false << "";
        QTest::newRow("help") << "--help" << 0 << false << "";
        QTest::newRow("diary open elsewhere") << "import good.csv" << 1 << false << "locked";
        QTest::newRow("diary unreadable: import") << "import good.csv" << 1 << false << "folder";
        QTest::newRow("diary unreadable: export") << "export" << 1 << false << "folder";
    }

    void exitStatuses()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(bool, added);
        QFETCH(QString, diaryIs);
        WorkDir dir;
        writeBytes("MellidorFile.txt", diaryLine);
        if (diaryIs == "folder")
            QVERIFY(QFile::remove("MellidorFile.txt") && QDir().mkdir("MellidorFile.txt"));
        writeBytes("good.csv", "date,time,type,value\n2024-03-05,07:30,Glucose,112\n");
        writeBytes("bad.csv", "name,age\nAnna,31\n");
        QDir().mkdir("sub");
        DiaryLock other("MellidorFile.txt");
        QVERIFY(diaryIs != "locked" || other.tryLock() == DiaryLock::Locked);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(
            runCommandLine(QStringList{"mellidor"} + command.split(u' '), outStream, errStream),
            status);
        QCOMPARE(err.contains(u"open in another Mellidor"), diaryIs == "locked");
        QCOMPARE(readBytes("MellidorFile.txt"),
                 diaryIs == "folder" ? QByteArray() : diaryLine + (added ? entry : QByteArray()));
        if (command.contains(u"sub"))
            QCOMPARE(readBytes("sub/MellidorFile.txt"), entry);
        if (command.contains(u"out.csv"))
            QCOMPARE(readBytes("out.csv"), "date,time,type,value\n2024-03-04,08:00,Bolus,4\n");
    }

    // Each row's tag is the sample's name; the diary starts empty.
    void samplesThroughTheBinary_data()
    {
        QTest::addColumn<QString>("summary");
        QTest::newRow("dexcom-clarity-g6.csv")
            << "1980 entries added (1942 Glucose, 4 Carbs, 10 Basis, 24 Bolus)";
        QTest::newRow("libreview-de-mgdl.csv") << "1183 entries added (1183 Glucose), 2 duplicates";
        QTest::newRow("libreview-en-mmol.csv") << "1452 entries added (1452 Glucose), 5 duplicates";
        QTest::newRow("nightscout-entries.json") << "130 entries added (130 Glucose)";
        QTest::newRow("nightscout-treatments.json") << "3 entries added (1 Carbs, 2 Bolus)";
    }

    void samplesThroughTheBinary()
    {
        QFETCH(QString, summary);
        const QString file = QString::fromLatin1(QTest::currentDataTag());
        const QString sample = QStringLiteral(MELLIDOR_SAMPLES "/") + file;
        if (!QFileInfo::exists(sample))
            QSKIP("the sample exports are not here");
        WorkDir dir;
        const auto [status, output] = mellidor({"import", sample});
        QVERIFY2(status == 0 && output.startsWith(file) && output.contains(summary),
                 qPrintable(output));
        QCOMPARE(readBytes("MellidorFile.txt").count('\n'), summary.section(u' ', 0, 0).toInt());
        QVERIFY(mellidor({"import", sample}).second.contains(u": 0 entries added"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
