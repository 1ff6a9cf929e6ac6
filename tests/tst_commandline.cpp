// The import and export commands: exit statuses, the lock, and the real
// binary importing the sample exports without a display.
#include "app/commandline.h"
#include "core/diarylock.h"
#include "testsupport.h"

#include <QProcess>
#include <QtTest>

namespace {

const QByteArray oneEntry = "date,time,type,value\n2024-03-05,07:30,Glucose,112\n";
const QByteArray diaryLine = " 4. 3.2024,08:00,Bolus,   4\n";

int run(const QStringList &arguments, QString *output = nullptr)
{
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status =
        runCommandLine(QStringList{QStringLiteral("mellidor")} + arguments, outStream, errStream);
    if (output)
        *output = out + err;
    return status;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void exitStatuses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("diary"); // afterwards
        const QByteArray both = diaryLine + " 5. 3.2024,07:30,Glucose, 112\n";
        QTest::newRow("import adds") << QStringList{"import", "good.csv"} << 0 << both;
        QTest::newRow("import of entries already there")
            << QStringList{"import", "good.csv", "good.csv"} << 0 << both;
        QTest::newRow("a file in no known format")
            << QStringList{"import", "good.csv", "bad.csv"} << 2 << diaryLine;
        QTest::newRow("a missing file") << QStringList{"import", "missing.csv"} << 2 << diaryLine;
        QTest::newRow("no file") << QStringList{"import"} << 2 << diaryLine;
        QTest::newRow("-C another folder")
            << QStringList{"-C", "sub", "import", "../good.csv"} << 0 << diaryLine;
        QTest::newRow("-C a missing folder")
            << QStringList{"-C", "nowhere", "import", "good.csv"} << 1 << diaryLine;
        QTest::newRow("export") << QStringList{"export", "--output", "out.csv"} << 0 << diaryLine;
        QTest::newRow("export with a bad date")
            << QStringList{"export", "--from", "5.3.2024"} << 2 << diaryLine;
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << diaryLine;
        QTest::newRow("help") << QStringList{"--help"} << 0 << diaryLine;
    }

    void exitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, diary);
        WorkDir dir;
        writeBytes(QStringLiteral("MellidorFile.txt"), diaryLine);
        writeBytes(QStringLiteral("good.csv"), oneEntry);
        writeBytes(QStringLiteral("bad.csv"), "name,age\nAnna,31\n");
        QDir().mkdir(QStringLiteral("sub"));
        QString output;
        QCOMPARE(run(arguments, &output), status);
        QCOMPARE(readBytes(QStringLiteral("MellidorFile.txt")), diary);
        if (arguments.contains(u"sub"))
            QCOMPARE(readBytes(QStringLiteral("sub/MellidorFile.txt")),
                     QByteArray(" 5. 3.2024,07:30,Glucose, 112\n"));
        if (arguments.contains(u"out.csv"))
            QCOMPARE(readBytes(QStringLiteral("out.csv")),
                     QByteArray("date,time,type,value\n2024-03-04,08:00,Bolus,4\n"));
        if (arguments.contains(u"--help"))
            QVERIFY(output.contains(u"import") && output.contains(u"export"));
        if (status == 2 && arguments.contains(u"bad.csv"))
            QVERIFY(output.contains(u"\"bad.csv\"") && output.contains(u"Nothing was imported"));
    }

    void diaryOpenElsewhereOrUnreadable()
    {
        WorkDir dir;
        writeBytes(QStringLiteral("MellidorFile.txt"), diaryLine);
        writeBytes(QStringLiteral("good.csv"), oneEntry);
        {
            DiaryLock other(QStringLiteral("MellidorFile.txt"));
            QCOMPARE(other.tryLock(), DiaryLock::Locked);
            QString output;
            QCOMPARE(run({"import", "good.csv"}, &output), 1);
            QVERIFY(output.contains(u"open in another Mellidor"));
            QCOMPARE(readBytes(QStringLiteral("MellidorFile.txt")), diaryLine);
        }
        QFile::remove(QStringLiteral("MellidorFile.txt"));
        QDir().mkdir(QStringLiteral("MellidorFile.txt"));
        QCOMPARE(run({"import", "good.csv"}), 1);
        QCOMPARE(run({"export"}), 1);
    }

    // The real binary, without a display, on every sample export.
    void samplesThroughTheBinary_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("lines");
        QTest::newRow("Dexcom") << "dexcom-clarity-g6.csv"
                                << "1980 entries added (1942 Glucose, 4 Carbs, 10 Basis, 24 Bolus)"
                                << 1980;
        QTest::newRow("LibreView German")
            << "libreview-de-mgdl.csv"
            << "1183 entries added (1183 Glucose), 2 duplicates" << 1183;
        QTest::newRow("LibreView mmol/L")
            << "libreview-en-mmol.csv"
            << "1452 entries added (1452 Glucose), 5 duplicates" << 1452;
        QTest::newRow("Nightscout entries") << "nightscout-entries.json"
                                            << "130 entries added (130 Glucose)" << 130;
        QTest::newRow("Nightscout treatments") << "nightscout-treatments.json"
                                               << "3 entries added (1 Carbs, 2 Bolus)" << 3;
    }

    void samplesThroughTheBinary()
    {
        QFETCH(QString, file);
        QFETCH(QString, summary);
        QFETCH(int, lines);
        const QString samples = QStringLiteral(MELLIDOR_SAMPLES);
        if (!QFileInfo::exists(samples + u'/' + file))
            QSKIP("the sample exports are not here");
        WorkDir dir;
        const auto mellidor = [&dir](const QStringList &arguments) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove(QStringLiteral("DISPLAY"));
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
            process.setProcessEnvironment(environment);
            process.start(qEnvironmentVariable("MELLIDOR_BINARY"),
                          QStringList{"-C", dir.path()} + arguments);
            process.waitForFinished(60000);
            return std::pair{process.exitCode(),
                             QString::fromUtf8(process.readAllStandardOutput())};
        };
        const auto [status, output] = mellidor({"import", samples + u'/' + file});
        QCOMPARE(status, 0);
        QVERIFY2(output.startsWith(file) && output.contains(summary), qPrintable(output));
        QCOMPARE(readBytes(QStringLiteral("MellidorFile.txt")).count('\n'), lines);
        // Again: nothing new; and the export comes back in unchanged.
        QVERIFY(mellidor({"import", samples + u'/' + file}).second.contains(u": 0 entries added"));
        QCOMPARE(mellidor({"export", "-o", "all.csv"}).first, 0);
        QDir().mkdir(QStringLiteral("again"));
        QCOMPARE(mellidor({"-C", "again", "import", "../all.csv"}).first, 0);
        QCOMPARE(mellidor({"-C", "again", "export"}).second,
                 QString::fromUtf8(readBytes(QStringLiteral("all.csv"))));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
