// SPDX-License-Identifier: GPL-3.0-or-later
// The commands: exit statuses, the lock, refused outputs, help and options,
// the samples through the binary.
#include "app/commandline.h"
#include "core/diaryfolder.h"
#include "core/diarylock.h"
#include "core/nightscoutsettings.h"
#include "core/preferences.h"
#include "core/settings.h"
#include "testsupport.h"

#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray diaryLine = " 4. 3.2024,08:00,Bolus,   4\n";
const QByteArray entry = " 5. 3.2024,07:30,Glucose, 112\n"; // of good.csv

struct Run
{
    int status;
    QString out, err;
};

// The real binary, without a display; environment holds NAME=value pairs,
// output a file for its standard output.
Run mellidor(const QStringList &arguments, const QStringList &environment = {},
             const QString &output = {})
{
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(
        "env", QStringList{"-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", "-u", "XDG_RUNTIME_DIR"} +
                   environment + QStringList{qEnvironmentVariable("MELLIDOR_BINARY")} + arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The kind of file at path itself (a symlink is one), 0 when there is none.
mode_t kindOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

void makeSocket(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(fd >= 0);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
}

// Every file and folder below the working directory with its bytes.
QMap<QString, QByteArray> tree()
{
    QMap<QString, QByteArray> files;
    QDirIterator it(".", QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = kindOf(path) == S_IFREG ? readBytes(path) : QByteArray();
    }
    return files;
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
        QTest::addColumn<QString>("diaryIs"); // a file, "locked", "read-only" or a "folder"
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
        QTest::newRow("diary open elsewhere") << "import good.csv" << 1 << false << "locked";
        QTest::newRow("diary unreadable: import") << "import good.csv" << 1 << false << "folder";
        QTest::newRow("diary unreadable: export") << "export" << 1 << false << "folder";
        // Appended or rewritten, it is refused alike, root or not.
        QTest::newRow("read-only diary: a newer entry")
            << "import good.csv" << 1 << false << "read-only";
        QTest::newRow("read-only diary: an older entry")
            << "import old.csv" << 1 << false << "read-only";
    }
    void exitStatuses()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(bool, added);
        QFETCH(QString, diaryIs);
        WorkDir dir(diaryLine);
        if (diaryIs == "folder")
            QVERIFY(QFile::remove("MellidorFile.txt") && QDir().mkdir("MellidorFile.txt"));
        if (diaryIs == "read-only")
            QVERIFY(QFile::setPermissions("MellidorFile.txt", QFile::ReadOwner | QFile::ReadOther));
        writeBytes("good.csv", "date,time,type,value\n2024-03-05,07:30,Glucose,112\n");
        writeBytes("old.csv", "date,time,type,value\n2024-03-01,07:30,Glucose,112\n");
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
        QCOMPARE(err.contains(u"the diary is read-only."), diaryIs == "read-only");
        QCOMPARE(readBytes("MellidorFile.txt"),
                 diaryIs == "folder" ? QByteArray() : diaryLine + (added ? entry : QByteArray()));
        if (command.contains(u"sub"))
            QCOMPARE(readBytes("sub/MellidorFile.txt"), entry);
        if (command.contains(u"out.csv"))
            QCOMPARE(readBytes("out.csv"), "date,time,type,value\n2024-03-04,08:00,Bolus,4\n");
    }

    // Outputs that would replace a file of the diary's folder, or what is no
    // regular file, are refused whatever path leads there.
    void refusedOutputs_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("directory"); // for -C
        QTest::addColumn<QString>("output");    // a path; "*" and a number: a file of the table
        QTest::addColumn<QString>("made");      // what the test puts there first
        QTest::addColumn<QString>("linkTo");    // by a link made there
        QTest::addColumn<int>("status");
        const struct
        {
            const char *name, *directory, *output, *made;
        } kinds[] = {
            {"its name", "", "", ""},
            {"a symlink to it", "", "link", "symlink"},
            {"a hard link to it", "", "hard", "link"},
            {"that of -C's folder", "sub", "", ""},
            {"that of -C's folder by a path from here", "sub", "../sub/", ""},
            {"its name, not there yet", "empty", "", ""},
        };
        for (const DiaryFolder::File file : DiaryFolder::files()) {
            const QString table = QStringLiteral("*%1").arg(int(file));
            for (const auto &kind : kinds) {
                for (const char *command : {"export", "report"}) {
                    // The report's refusal is the export's: the plain name is enough.
                    if (qstrcmp(command, "report") == 0 && (kind.made[0] || kind.directory[0]))
                        continue;
                    QTest::addRow("%s onto %s: %s", command,
                                  qPrintable(DiaryFolder::description(file)), kind.name)
                        << command << kind.directory
                        << (kind.made[0] ? QString(kind.output) : kind.output + table) << kind.made
                        << (kind.made[0] ? table : QString()) << 1;
                }
            }
        }
        const struct
        {
            const char *name, *output, *made, *linkTo;
            int status;
        } rows[] = {
            {"a FIFO", "fifo", "fifo", "", 1},
            {"a character device", "null", "device", "", 1},
            {"a socket", "socket", "socket", "", 1},
            {"a folder", "folder", "folder", "", 1},
            {"a symlink in a loop", "loop", "symlink", "loop2", 1},
            {"a symlink to a file, written through", "link", "symlink", "old.txt", 0},
            {"a new file", "new.txt", "", "", 0},
        };
        for (const char *command : {"export", "report"}) {
            for (const auto &row : rows)
                QTest::addRow("%s onto %s", command, row.name)
                    << command << QString() << row.output << row.made << row.linkTo << row.status;
        }
    }
    void refusedOutputs()
    {
        QFETCH(QString, command);
        QFETCH(QString, directory);
        QFETCH(QString, output);
        QFETCH(QString, made);
        QFETCH(QString, linkTo);
        QFETCH(int, status);
        WorkDir dir;
        // A file of the table by its path in the folder.
        for (QString *path : {&output, &linkTo}) {
            if (const qsizetype at = path->indexOf(u'*'); at >= 0)
                *path = path->left(at) +
                        QDir().relativeFilePath(DiaryFolder::pathBeside(
                            DiaryFolder::File(path->mid(at + 1).toInt()), "MellidorFile.txt"));
        }
        for (const QString folder : {".", "sub"}) {
            QVERIFY(QDir().mkpath(folder + "/Settings"));
            writeBytes(folder + "/MellidorFile.txt", diaryLine);
            writeBytes(folder + "/Settings/Mellidor.conf", " 80\n160\n200\n  3\n");
            writeBytes(folder + "/Settings/Preferences.conf", "glucose_unit=mmol/L\n");
            writeBytes(folder + "/Settings/Nightscout.conf", "url=https://ns.example\n");
            writeBytes(folder + "/MellidorFile.txt.journal", "0 0 0 0\n");
        }
        QVERIFY(QDir().mkpath("empty"));
        writeBytes("old.txt", "old");
        DiaryLock window("MellidorFile.txt"); // as if a window had the diary open
        QCOMPARE(window.tryLock(), DiaryLock::Locked);
        if (made == "symlink")
            QVERIFY(QFile::link(linkTo, output) &&
                    (linkTo != "loop2" || QFile::link(output, linkTo)));
        else if (made == "link")
            QCOMPARE(::link(qPrintable(linkTo), qPrintable(output)), 0);
        else if (made == "fifo")
            QCOMPARE(::mkfifo(qPrintable(output), 0600), 0);
        else if (made == "device")
            output = makeDevice(output);
        else if (made == "socket")
            makeSocket(output);
        else if (made == "folder")
            QVERIFY(QDir().mkdir(output));
        const QString target = directory.isEmpty() ? output : directory + "/" + output;
        const mode_t kindBefore = kindOf(target);
        QMap<QString, QByteArray> before = tree();

        QStringList arguments{command, "--output", output};
        if (!directory.isEmpty())
            arguments = QStringList{"-C", directory} + arguments;
        const Run run = mellidor(arguments);
        QVERIFY2(run.status == status, qPrintable(run.err));
        QCOMPARE(kindOf(target), status == 0 && !kindBefore ? S_IFREG : kindBefore);
        QMap<QString, QByteArray> after = tree();
        if (status == 0) {
            // Only the file written (a symlink's target) changed.
            const QString written = "./" + (made == "symlink" ? linkTo : target);
            QVERIFY(after.take(written).startsWith(command == "export" ? "date,time" : "%PDF-"));
            before.remove(written);
        } else {
            QVERIFY2(run.err.contains(output), qPrintable(run.err));
        }
        QCOMPARE(after, before);
    }

    // Files made for the person hold health data: theirs alone under the usual
    // umask; a file there already keeps its mode through a rewrite.
    void newFilesArePrivate_data()
    {
        QTest::addColumn<QString>("command"); // a command line, or what else makes the file
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("mode");
        QTest::newRow("a new diary") << "import good.csv"
                                     << "new/MellidorFile.txt" << 0600;
        QTest::newRow("a diary rewritten") << "import old.csv"
                                           << "MellidorFile.txt" << 0644;
        QTest::newRow("an export") << "export --output out.csv"
                                   << "out.csv" << 0600;
        QTest::newRow("a report") << "report --days 3 --output r.pdf"
                                  << "r.pdf" << 0600;
        QTest::newRow("the settings") << "settings"
                                      << "Settings/Mellidor.conf" << 0600;
        QTest::newRow("their folder") << "settings"
                                      << "Settings" << 0700;
        QTest::newRow("the Nightscout site's folder") << "nightscout"
                                                      << "Settings" << 0700;
        QTest::newRow("the preferences") << "preferences"
                                         << "Settings/Preferences.conf" << 0600;
        QTest::newRow("the lock") << "lock"
                                  << "MellidorFile.txt.lock" << 0600;
    }
    void newFilesArePrivate()
    {
        QFETCH(QString, command);
        QFETCH(QString, file);
        QFETCH(int, mode);
        WorkDir dir(diaryLine);
        QVERIFY(QFile::setPermissions("MellidorFile.txt", QFile::ReadOwner | QFile::WriteOwner |
                                                              QFile::ReadGroup | QFile::ReadOther));
        writeBytes("good.csv", "date,time,type,value\n2024-03-05,07:30,Glucose,112\n");
        writeBytes("old.csv", "date,time,type,value\n2024-03-01,07:30,Glucose,112\n");
        QDir().mkdir("new");
        const mode_t umaskBefore = ::umask(022);
        const auto restore = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });
        QString error;
        DiaryLock lock("MellidorFile.txt");
        if (command == "settings")
            QVERIFY(SettingsFile::write("Settings/Mellidor.conf", Settings(), &error));
        else if (command == "nightscout")
            QVERIFY(NightscoutFile::write(DiaryFolder::path(DiaryFolder::File::Nightscout),
                                          NightscoutSettings(), &error));
        else if (command == "preferences")
            QVERIFY(PreferencesFile::write(file, Preferences(), &error));
        else if (command == "lock")
            QCOMPARE(lock.tryLock(), DiaryLock::Locked);
        else if (file.startsWith("new/"))
            QCOMPARE(mellidor({"-C", "new", "import", "../good.csv"}).status, 0);
        else
            QCOMPARE(mellidor(command.split(u' ')).status, 0);
        struct stat st;
        QCOMPARE(::stat(qPrintable(file), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), mode);
    }

    // Help, dates out of range and a display asked for but not there, in the
    // binary as a user starts it (no XDG_RUNTIME_DIR, as from cron). Each
    // row's tag is the command line, after NAME=value settings.
    void optionsThroughTheBinary_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("expected"); // in the output, or in the errors
        const struct
        {
            const char *command;
            int status;
            const char *expected;
        } rows[] = {
            {"--help", 0, "Usage: mellidor [options] [command"},
            {"import --help", 0, "Usage: mellidor import FILE"},
            {"export -h", 0, "Usage: mellidor export [--from"},
            {"stats -h", 0, "Usage: mellidor stats [--days"},
            {"report --help", 0, "--output <file>"},
            {"stats --from -4713-01-01 --to 2024-01-01", 2, "Usage: mellidor stats"},
            {"stats --days 50000", 2, "Usage: mellidor stats"},
            {"stats --from 1900-01-01 --to 1900-01-01", 0, "1900-01-01 to 1900-01-01"},
            {"export --from 1899-12-31", 2, "Usage: mellidor export"},
            {"report --from 1899-12-01 --to 1899-12-31 --output r.pdf", 2,
             "Usage: mellidor report"},
            {"QT_QPA_PLATFORM=xcb report --days 3 --output r.pdf", 0, "Wrote r.pdf"},
            // A mistyped command never opens the window.
            {"QT_QPA_PLATFORM=xcb stat", 2, "unknown command \"stat\""},
            // The summary is lost, not the import; not so an export's output.
            {"import good.csv >/dev/full", 0, "the summary cannot be written"},
            {"export >/dev/full", 1, "the output cannot be written"},
        };
        for (const auto &row : rows)
            QTest::newRow(row.command) << row.status << row.expected;
    }
    void optionsThroughTheBinary()
    {
        QFETCH(int, status);
        QFETCH(QString, expected);
        WorkDir dir(diaryLine);
        writeBytes("good.csv", "date,time,type,value\n2024-03-05,07:30,Glucose,112\n");
        QStringList arguments = QString(QTest::currentDataTag()).split(u' '), environment;
        while (arguments.first().contains(u'='))
            environment << arguments.takeFirst();
        const QString output = arguments.last().startsWith(u'>') ? arguments.takeLast().mid(1) : "";
        const Run run = mellidor(arguments, environment, output);
        QVERIFY2(run.status == status, qPrintable(run.err));
        QVERIFY2((status == 0 && output.isEmpty() ? run.out : run.err).contains(expected),
                 qPrintable(run.out + run.err));
        QCOMPARE(readBytes("MellidorFile.txt").contains(entry), arguments.contains("good.csv"));
        QVERIFY2(!run.err.contains("XDG_RUNTIME_DIR"), qPrintable(run.err));
        QCOMPARE(QFileInfo::exists("r.pdf"), arguments.endsWith("r.pdf") && status == 0);
    }

    // Exports as users' devices and services write them, into an empty diary;
    // the real ones beside the repository, when they are there, give the
    // counts their README gives.
    void exportsThroughTheBinary_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("summary"); // the whole output for ours, a part for the real
        const auto ours = [](const char *file, const char *summary) {
            QTest::newRow(file) << MELLIDOR_TEST_DATA "/exports/" + QString(file)
                                << file + QString(' ') + summary + '\n';
        };
        ours("libreview-de-mgdl.csv", "(LibreView CSV): 7 entries added (4 Glucose, 1 Carbs, 1 "
                                      "Basis, 1 Bolus), 1 duplicate skipped, 1 row skipped, dates "
                                      "read day first.");
        ours("nightscout-entries.json", "(Nightscout entries JSON): 4 entries added (4 Glucose), "
                                        "1 duplicate skipped, 1 row skipped.");
        ours("nightscout-treatments.json", "(Nightscout treatments JSON): 7 entries added (3 "
                                           "Carbs, 4 Bolus), 6 rows skipped.");
        const char *const real[][2] = {
            {"carelink-670g.csv", "2564 entries added (2457 Glucose, 46 Carbs, 61 Bolus), 100 "
                                  "duplicates skipped, 499 rows skipped"},
            {"carelink-780g-au-mmol.csv",
             "2656 entries added (2577 Glucose, 39 Carbs, 40 Bolus), 221 rows skipped"},
            {"carelink-780g-be.csv", "2320 entries added (2212 Glucose, 54 Carbs, 54 Bolus), 16 "
                                     "duplicates skipped, 405 rows skipped"},
            {"dexcom-clarity-g6.csv",
             "1980 entries added (1942 Glucose, 4 Carbs, 10 Basis, 24 Bolus), 19 rows skipped."},
            {"glooko-de.zip", "11 entries added (1 Glucose, 5 Carbs, 5 Bolus), 4 rows skipped"},
            {"libreview-de-mgdl.csv",
             "1183 entries added (1183 Glucose), 2 duplicates skipped, 14 rows skipped"},
            {"libreview-en-mmol.csv",
             "1452 entries added (1452 Glucose), 5 duplicates skipped, 68 rows skipped"},
            {"mysugr-da-mmol.csv",
             "1662 entries added (980 Glucose, 202 Carbs, 103 Basis, 377 Bolus), dates"},
            {"mysugr-en-us.csv", "3142 entries added (1956 Glucose, 438 Carbs, 748 Bolus), 1 "
                                 "duplicate skipped, 119 rows skipped."},
            {"nightscout-entries.json", "130 entries added (130 Glucose)."},
            {"nightscout-treatments.json",
             "15 entries added (1 Carbs, 14 Bolus), 57 rows skipped."},
            {"research-iglu-pandas.csv", "1533 entries added (1533 Glucose)."},
            {"research-iglu.csv", "2915 entries added (2915 Glucose)."},
            {"tidepool-flat.csv",
             "793 entries added (750 Glucose, 9 Carbs, 34 Bolus), 85 rows skipped"},
            {"tidepool-omnipod-mmol.json",
             "447 entries added (428 Glucose, 6 Carbs, 13 Bolus), 48 rows skipped"}};
        for (const auto &[file, counts] : real)
            QTest::addRow("real %s", file)
                << QDir::cleanPath(MELLIDOR_TEST_DATA "/../../../shared/samples/") + u'/' + file
                << QString(counts);
    }
    void exportsThroughTheBinary()
    {
        QFETCH(QString, path);
        QFETCH(QString, summary);
        if (!QFileInfo::exists(path))
            QSKIP("the real exports are not beside the repository");
        WorkDir dir;
        const Run run = mellidor({"import", path});
        const bool ours = path.contains(u"/exports/");
        QVERIFY2(run.status == 0 &&
                     (ours ? run.out == summary && run.err.isEmpty() : run.out.contains(summary)),
                 qPrintable(run.out + run.err));
        QVERIFY(!ours || mellidor({"import", path}).out.contains(u": 0 entries added"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
