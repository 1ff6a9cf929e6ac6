// SPDX-License-Identifier: GPL-3.0-or-later
// Tries to lose entries: kills during saves, termination signals, a second
// copy, and diaries that cannot be written. The scenarios run in child copies
// of this program (see runChild), so a kill hits a real process.
#include "app/application.h"
#include "app/unixsignals.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/diaryfolder.h"
#include "core/entrytext.h"
#include "ui/mellidor.h"
#include "windowtestsupport.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// The child, "--child MODE": "app [add] [ANSWERS]" runs Mellidor (adding an entry,
// answering messages Retry where ANSWERS lists "retry"); "saveloop" saves two
// diaries in turn and "loadloop" loads the diary, until killed.
int runChild(int argc, char **argv)
{
    const QByteArray mode = argv[2];
    const QString path = DiaryFolder::path(DiaryFolder::File::Diary);
    ignoreFileSizeSignal();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (mode == "saveloop") {
        Diary diary;
        DiaryFile::load(path, diary);
        std::puts("READY");
        for (QString error;;) {
            // Turns the file into the other of its two contents.
            if (diary.rowCount() && diary.text(0, Diary::DateColumn) == QLatin1String("31.12.2099"))
                diary.removeRow(0);
            else
                diary.prependRow({"31.12.2099", "23:59", "Glucose", " 999"});
            DiaryFile::save(path, diary, &error);
        }
    }
    while (mode == "loadloop") {
        Diary diary;
        DiaryFile::load(path, diary);
    }
    QApplication app(argc, argv);
    QStringList answers = QString::fromLatin1(argc > 4 ? argv[4] : "").split(u',');
    UserMessage::setHandlerForTesting([&answers](const UserMessage::Shown &shown) {
        std::puts(("MESSAGE " + shown.text.toUtf8().replace('\n', ' ')).constData());
        return !answers.isEmpty() && answers.takeFirst() == QLatin1String("retry")
                   ? UserMessage::SaveChoice::Retry
                   : UserMessage::SaveChoice::Discard;
    });
    const bool add = argc > 3 && qstrcmp(argv[3], "add") == 0;
    return runMellidor([add](Mellidor &window) {
        std::puts("READY");
        if (add) {
            answerDialog(&window, "insertNewValue", pressOk);
            std::puts(QTest::currentTestFailed() ? "NO DIALOG" : "ADDED");
        }
    });
}

struct Child
{
    Child(const QString &dir, QStringList command)
    {
        process.setWorkingDirectory(dir);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(command.takeFirst(), command);
    }
    ~Child()
    {
        process.kill();
        process.waitForFinished();
    }
    // Waits for a line the child says; false on timeout or exit.
    bool waitFor(const QByteArray &line)
    {
        QDeadlineTimer deadline(20000);
        while (!(output += process.readAllStandardOutput()).contains(line + '\n'))
            if (deadline.hasExpired() ||
                (!process.waitForReadyRead(50) && process.state() != QProcess::Running))
                return false;
        return true;
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    int finish()
    {
        process.waitForFinished(20000);
        output += process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    int stop() { return signal(SIGTERM), finish(); }

    QProcess process;
    QByteArray output;
};

QStringList self(const QStringList &arguments)
{
    return QStringList{QCoreApplication::applicationFilePath(), "--child"} + arguments;
}

QByteArray sampleDiary(int rows)
{
    QByteArray bytes;
    for (int i = 0; i < rows; ++i)
        bytes += "1.1.2020,08:00,Glucose," + QByteArray::number(i) + '\n';
    return bytes;
}

} // namespace

class TestReliability : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSavesLeavesOldOrNew()
    {
        const QByteArray old = sampleDiary(10000), added = old + "31.12.2099,23:59,Glucose, 999\n";
        WorkDir dir(old);
        // The child does nothing but save, so every kill lands inside a save.
        int rounds = 0, foundOld = 0;
        QElapsedTimer clock;
        for (clock.start(); rounds < 100 && clock.elapsed() < 30000; ++rounds) {
            Child child(dir.path(), self({"saveloop"}));
            QVERIFY(child.waitFor("READY"));
            QThread::usleep(QRandomGenerator::global()->bounded(20000));
            child.signal(SIGKILL);
            child.finish();
            const QByteArray now = readBytes(dir.diary());
            QVERIFY(now == old || now == added);
            foundOld += now == old;
        }
        QVERIFY(rounds >= 50 && foundOld > 0 && foundOld < rounds);
    }

    // An import is one step: stopped while the diary grows, it holds all of
    // it or none after the next command, and no torn line.
    void interruptedImport_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("delay"); // microseconds after the file began to grow
        QTest::newRow("SIGKILL as it grows") << SIGKILL << 0;
        QTest::newRow("SIGKILL a moment later") << SIGKILL << 2000;
        QTest::newRow("SIGINT as it grows") << SIGINT << 0;
        QTest::newRow("SIGTERM as it grows") << SIGTERM << 0;
    }
    void interruptedImport()
    {
        QFETCH(int, number);
        QFETCH(int, delay);
        const QString binary = qEnvironmentVariable("MELLIDOR_BINARY");
        if (binary.isEmpty())
            QSKIP("MELLIDOR_BINARY is not set");
        const QByteArray old = sampleDiary(1000);
        WorkDir dir(old);
        QByteArray csv = "date,time,type,value\n";
        for (int i = 0; i < 60000; ++i)
            csv += (QDate(2024, 1, 1).addDays(i / 1440).toString(Qt::ISODate) +
                    QString::asprintf(",%02d:%02d,Glucose,%d\n", i / 60 % 24, i % 60, 40 + i % 300))
                       .toLatin1();
        writeBytes("import.csv", csv);
        writeBytes("next.csv", "date,time,type,value\n2030-01-01,08:00,Carbs,40\n");
        Child child(dir.path(), {binary, "import", "import.csv"});
        for (QDeadlineTimer deadline(60000); !deadline.hasExpired() &&
                                             !child.process.waitForFinished(0) &&
                                             QFileInfo(dir.diary()).size() == old.size();)
            QThread::usleep(50);
        QThread::usleep(delay);
        child.signal(number);
        child.finish();
        Child next(dir.path(), {binary, "import", "next.csv"});
        QCOMPARE(next.finish(), 0);
        const QByteArray after = readBytes(dir.diary());
        const qsizetype added = after.count('\n') - old.count('\n') - 1;
        QVERIFY2(added == 0 || added == 60000, qPrintable(QString::number(added)));
        QVERIFY(number == SIGKILL || added > 0);
        QVERIFY(after.startsWith(old) && after.endsWith(" 1. 1.2030,08:00,Carbs,  40\n"));
        for (const QByteArray &line : after.chopped(1).split('\n'))
            QVERIFY2(line.count(',') == 3 &&
                         parseDate(QString::fromUtf8(line.left(line.indexOf(',')))).isValid(),
                     line.constData());
    }

    void signalsLoseNothing_data()
    {
        QTest::addColumn<int>("number");
        for (int number : {SIGTERM, SIGINT, SIGHUP, SIGKILL})
            QTest::newRow(strsignal(number)) << number;
    }
    void signalsLoseNothing()
    {
        QFETCH(int, number);
        WorkDir dir("1.1.2020,08:00,Carbs,  20\r\n"); // only a save at exit drops the CR
        Child child(dir.path(), self({"app", "add"}));
        QVERIFY(child.waitFor("ADDED"));
        child.signal(number);
        QCOMPARE(child.finish(), number == SIGKILL ? -1 : 0);
        const QByteArray after = readBytes(dir.diary());
        QVERIFY(after.startsWith("1.1.2020,08:00,Carbs,  20") &&
                after.endsWith(",Glucose, 100\n") && after.count('\n') == 2);
        QCOMPARE(after.contains('\r') || QFile::exists("MellidorFile.txt.lock"), number == SIGKILL);
        // A killed copy's lock is stale: the next start takes it over.
        Child next(dir.path(), self({"app"}));
        QVERIFY(next.waitFor("READY") && next.stop() == 0);
        QVERIFY(!child.output.contains("MESSAGE") && !next.output.contains("MESSAGE"));
        QCOMPARE(readBytes(dir.diary()), QByteArray(after).replace("\r", ""));
    }

    void secondCopyRefuses_data()
    {
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("same folder") << QStringList{"sync", "sync"};
        // Both lock the real file, so they see each other.
        QTest::newRow("two symlinks to one diary") << QStringList{"a", "b"};
    }
    void secondCopyRefuses()
    {
        QFETCH(QStringList, folders);
        WorkDir dir;
        const QByteArray old = sampleDiary(5);
        QVERIFY(QDir().mkpath("sync") && QDir().mkpath("a") && QDir().mkpath("b"));
        writeBytes("sync/MellidorFile.txt", old);
        for (const char *link : {"a/MellidorFile.txt", "b/MellidorFile.txt"})
            QVERIFY(QFile::link(dir.file("sync/MellidorFile.txt"), link));
        Child one(dir.file(folders[0]), self({"app"}));
        QVERIFY(one.waitFor("READY") && QFile::exists("sync/MellidorFile.txt.lock"));
        Child two(dir.file(folders[1]), self({"app", "add"}));
        QCOMPARE(two.finish(), 1);
        // One message, naming the diary as this copy knows it.
        QVERIFY(two.output.count("MESSAGE ") == 1 && !two.output.contains("READY"));
        QVERIFY(two.output.contains(dir.file(folders[1] + "/MellidorFile.txt").toUtf8()));
        QCOMPARE(one.stop(), 0);
        QCOMPARE(readBytes("sync/MellidorFile.txt"), old);
    }

    void unwritableDiary_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("read-only directory") << "readonly" << QByteArray("ermission denied");
        QTest::newRow("diary path is a directory") << "directory" << QByteArray("is a directory");
        QTest::newRow("disk full") << "full" << QByteArray("too large");
    }
    void unwritableDiary()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reason);
        WorkDir dir;
        const QByteArray old = sampleDiary(100);
        QStringList wrapper;
        if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("MellidorFile.txt"));
        } else if (writeBytes(dir.diary(), old); kind == "full") {
            SKIP_WITHOUT_TOOL("prlimit");
            wrapper = {"prlimit", QStringLiteral("--fsize=%1").arg(old.size())};
        } else {
            // Root writes anywhere: run the child as nobody instead.
            if (::geteuid() == 0) {
                SKIP_WITHOUT_TOOL("setpriv");
                wrapper = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
            }
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther);
        }
        Child child(dir.path(), wrapper + self({"app", "add", "retry,ok,retry,discard"}));
        QVERIFY(child.waitFor("ADDED"));
        QCOMPARE(child.stop(), 0);
        // Told after the dialog and at closing, naming the file, and the reason at least once.
        QVERIFY(child.output.count(dir.diary().toUtf8()) >= 2 && child.output.contains(reason));
        QCOMPARE(readBytes(dir.diary()), kind == "directory" ? QByteArray() : old);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void garbageFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QList<quint32> random(50000);
        QRandomGenerator(20261206).fillRange(random.data(), random.size());
        QTest::newRow("random bytes, NUL and invalid UTF-8 among them")
            << QByteArray(reinterpret_cast<const char *>(random.constData()), 200000);
        QTest::newRow("50 MB line") << "1.1.2020,08:00,Glucose," + QByteArray(50 << 20, '7') + '\n';
    }
    void garbageFiles()
    {
        QFETCH(QByteArray, bytes);
        WorkDir dir(bytes);
        const qsizetype lines = bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
        {
            Mellidor window;
            QCOMPARE(window.listBox->rowCount(), int(lines));
            QVERIFY(QMetaObject::invokeMethod(&window, "paintLineDiagram"));
            window.show();
            QTest::qWait(20);
        }
        // Every line with all its commas comes back byte for byte.
        const auto before = bytes.split('\n'), after = readBytes(dir.diary()).split('\n');
        QCOMPARE(after.size(), lines + 1);
        for (qsizetype i = 0; i < lines; ++i) {
            const QByteArray line = before[i].endsWith('\r') ? before[i].chopped(1) : before[i];
            QVERIFY(line.count(',') >= 3 ? after[i] == line : after[i].startsWith(line));
        }
    }

    // A mapped file cut short under the reader used to kill it with SIGBUS.
    void truncatedWhileLoading()
    {
        const QByteArray full = sampleDiary(200000);
        WorkDir dir(full);
        Child child(dir.path(), self({"loadloop"}));
        QVERIFY(child.process.waitForStarted());
        QFile file(dir.diary());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QRandomGenerator random(11);
        for (int round = 0; round < 150 && child.process.state() == QProcess::Running; ++round) {
            file.resize(random.bounded(full.size()));
            QThread::usleep(random.bounded(3000));
            file.seek(0);
            file.write(full);
            file.flush();
        }
        QCOMPARE(child.process.state(), QProcess::Running);
    }

    // main() itself ignores SIGXFSZ: the real binary, over the file size limit,
    // fails its write with an error instead of dying in it.
    void fileSizeLimitInRealBinary()
    {
        const QString binary = qEnvironmentVariable("MELLIDOR_BINARY");
        if (binary.isEmpty())
            QSKIP("MELLIDOR_BINARY is not set");
        SKIP_WITHOUT_TOOL("prlimit");
        WorkDir dir(sampleDiary(2000));
        Child real(dir.path(), {"prlimit", "--fsize=4096", binary, "export", "-o", "out.csv"});
        QCOMPARE(real.finish(), 1);
        QVERIFY(!QFile::exists(dir.file("out.csv")));
    }
};

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestReliability test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reliability.moc"
