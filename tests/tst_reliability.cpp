// Tries to lose entries: kills during saves, termination signals, a second
// copy, and diaries that cannot be written. The scenarios run in child copies
// of this program (see runChild), so a kill hits a real process.
#include "app/application.h"
#include "app/unixsignals.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The child: MELLIDOR_CHILD=app runs Mellidor with scripted message answers
// (MELLIDOR_ANSWERS) and an optional first action (MELLIDOR_ACTION=add);
// MELLIDOR_CHILD=saveloop saves two diaries in turn until it is killed;
// MELLIDOR_CHILD=loadloop loads the diary until its standard input closes.
int runChild(int argc, char **argv)
{
    const QByteArray mode = qgetenv("MELLIDOR_CHILD");
    if (const QByteArray limit = qgetenv("MELLIDOR_FSIZE"); !limit.isEmpty()) {
        ignoreFileSizeSignal();
        struct rlimit rl;
        rl.rlim_cur = rl.rlim_max = rlim_t(limit.toLongLong());
        setrlimit(RLIMIT_FSIZE, &rl);
    }
    if (mode == "saveloop") {
        Diary diary;
        DiaryFile::load(QString::fromLatin1(DiaryFile::fileName), diary);
        say("READY");
        for (;;) {
            // Turns the file into the other of its two contents.
            if (diary.rowCount() && diary.text(0, Diary::DateColumn) == QLatin1String("31.12.2099"))
                diary.removeRow(0);
            else
                diary.prependRow({"31.12.2099", "23:59", "Glucose", " 999"});
            QString error;
            if (!DiaryFile::save(QString::fromLatin1(DiaryFile::fileName), diary, &error))
                say("SAVE FAILED " + error.toUtf8());
        }
    }
    if (mode == "loadloop") {
        say("READY");
        for (int rounds = 1;; ++rounds) {
            Diary diary;
            DiaryFile::load(QString::fromLatin1(DiaryFile::fileName), diary);
            pollfd input{STDIN_FILENO, POLLIN, 0};
            if (::poll(&input, 1, 0) > 0) {
                say("LOADS " + QByteArray::number(rounds));
                return 0;
            }
        }
    }
    QApplication app(argc, argv);
    QStringList answers =
        QString::fromLatin1(qgetenv("MELLIDOR_ANSWERS")).split(u',', Qt::SkipEmptyParts);
    UserMessage::setHandlerForTesting([&answers](const UserMessage::Shown &shown) {
        say("MESSAGE " + shown.text.toUtf8().replace('\n', ' '));
        const QString answer = answers.isEmpty() ? QStringLiteral("discard") : answers.takeFirst();
        if (answer == QLatin1String("retry"))
            return UserMessage::SaveChoice::Retry;
        if (answer == QLatin1String("cancel"))
            return UserMessage::SaveChoice::Cancel;
        return UserMessage::SaveChoice::Discard;
    });
    const QByteArray action = qgetenv("MELLIDOR_ACTION");
    return runMellidor([action](Mellidor &window) {
        say("READY");
        if (action == "add") {
            answerDialog(&window, "insertNewValue", pressOk);
            say("ADDED");
        }
    });
}

class Child
{
public:
    Child(const QString &dir, const QByteArray &mode, const QStringList &extraEnv = {},
          const QStringList &wrapper = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MELLIDOR_CHILD", QString::fromLatin1(mode));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const QString &pair : extraEnv)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QString self = QCoreApplication::applicationFilePath();
        if (wrapper.isEmpty())
            process.start(self, {});
        else
            process.start(wrapper.first(), wrapper.mid(1) + QStringList{self});
    }
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    // Waits for a line the child says; false on timeout or exit.
    bool waitFor(const QByteArray &line, int ms = 20000)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            while (process.canReadLine()) {
                const QByteArray got = process.readLine().trimmed();
                output << got;
                if (got == line)
                    return true;
            }
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(50);
        }
        return false;
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
    int finish(int ms = 20000)
    {
        process.waitForFinished(ms);
        while (process.canReadLine())
            output << process.readLine().trimmed();
        output << process.readAllStandardOutput().split('\n');
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QList<QByteArray> messages() const
    {
        QList<QByteArray> found;
        for (const QByteArray &line : output)
            if (line.startsWith("MESSAGE "))
                found << line;
        return found;
    }

    QProcess process;
    QList<QByteArray> output;
};

QByteArray sampleDiary(int rows)
{
    QByteArray bytes;
    for (int i = 0; i < rows; ++i)
        bytes += QString::asprintf("%2d.%2d.2020,%02d:%02d,Glucose,% 4d\n", i % 28 + 1, i % 12 + 1,
                                   i % 24, i % 60, 80 + i % 150)
                     .toLatin1();
    return bytes;
}

} // namespace

class TestReliability : public QObject
{
    Q_OBJECT
private slots:
    void killDuringSavesLeavesOldOrNew();
    void terminationSignalsSave_data();
    void terminationSignalsSave();
    void killAfterAcceptedEntryLosesNothing();
    void secondCopyRefuses_data();
    void secondCopyRefuses();
    void unwritableDiary_data();
    void unwritableDiary();
    void garbageFiles_data();
    void garbageFiles();
    void truncatedWhileLoading();
    void fileSizeLimitInRealBinary();
};

void TestReliability::killDuringSavesLeavesOldOrNew()
{
    WorkDir dir;
    const QByteArray old = sampleDiary(10000);
    const QByteArray added = old + "31.12.2099,23:59,Glucose, 999\n";
    writeBytes(dir.diary(), old);
    // The child does nothing but save, so every kill lands inside a save.
    int rounds = 0, damaged = 0, foundOld = 0, foundNew = 0;
    QElapsedTimer clock;
    clock.start();
    while (rounds < 100 && clock.elapsed() < 30000) {
        Child child(dir.path(), "saveloop");
        QVERIFY(child.waitFor("READY"));
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        child.signal(SIGKILL);
        child.finish();
        ++rounds;
        const QByteArray now = readBytes(dir.diary());
        foundOld += now == old;
        foundNew += now == added;
        damaged += now != old && now != added;
    }
    qInfo("kill rounds: %d, files damaged: %d (old content %d, new content %d)", rounds, damaged,
          foundOld, foundNew);
    QVERIFY(rounds >= 50);
    QCOMPARE(damaged, 0);
    QVERIFY(foundOld > 0 && foundNew > 0);
}

void TestReliability::terminationSignalsSave_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestReliability::terminationSignalsSave()
{
    QFETCH(int, number);
    WorkDir dir;
    // CR LF lines: only the exit save writes them without CRs.
    writeBytes(dir.diary(), "1.1.2020,08:00,Carbs,  20\r\n");
    // Backups beside the diary are never touched.
    const QStringList backups{"MellidorFile.txt.202412", "MellidorFile.txt.Backup",
                              "MellidorFile.txt.bak001", "MellidorFile.txt.aB3xYz"};
    for (const QString &name : backups)
        writeBytes(dir.file(name), name.toUtf8());
    Child child(dir.path(), "app", {"MELLIDOR_ACTION=add"});
    QVERIFY(child.waitFor("ADDED"));
    child.signal(number);
    QCOMPARE(child.finish(), 0);
    const QList<QByteArray> lines = readBytes(dir.diary()).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QByteArray("1.1.2020,08:00,Carbs,  20"));
    QVERIFY(lines[1].endsWith(",Glucose, 100"));
    QVERIFY(child.messages().isEmpty());
    QVERIFY(!QFile::exists(dir.file("MellidorFile.txt.lock")));
    for (const QString &name : backups)
        QCOMPARE(readBytes(dir.file(name)), name.toUtf8());
}

void TestReliability::killAfterAcceptedEntryLosesNothing()
{
    WorkDir dir;
    const QByteArray old = sampleDiary(3);
    writeBytes(dir.diary(), old);
    {
        Child child(dir.path(), "app", {"MELLIDOR_ACTION=add"});
        QVERIFY(child.waitFor("ADDED"));
        child.signal(SIGKILL);
        child.finish();
    }
    const QByteArray after = readBytes(dir.diary());
    QVERIFY(after.startsWith(old));
    QVERIFY(after.mid(old.size()).endsWith(",Glucose, 100\n"));
    QCOMPARE(after.count('\n'), 4);
    // The killed copy's lock is stale: the next start takes it over.
    QVERIFY(QFile::exists(dir.file("MellidorFile.txt.lock")));
    Child next(dir.path(), "app");
    QVERIFY(next.waitFor("READY"));
    next.signal(SIGTERM);
    QCOMPARE(next.finish(), 0);
    QVERIFY(next.messages().isEmpty());
    QCOMPARE(readBytes(dir.diary()), after);
}

void TestReliability::secondCopyRefuses_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("same folder") << "sync"
                                 << "sync";
    // Both lock the real file, so they see each other.
    QTest::newRow("two symlinks to one diary") << "a"
                                               << "b";
}

void TestReliability::secondCopyRefuses()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    WorkDir dir;
    const QByteArray old = sampleDiary(5);
    QVERIFY(QDir(dir.path()).mkpath("sync"));
    writeBytes(dir.file("sync/MellidorFile.txt"), old);
    for (const QString &folder : {first, second}) {
        if (QDir(dir.path()).mkdir(folder))
            QVERIFY(QFile::link(dir.file("sync/MellidorFile.txt"),
                                dir.file(folder + "/MellidorFile.txt")));
    }
    Child one(dir.file(first), "app");
    QVERIFY(one.waitFor("READY"));
    QVERIFY(QFile::exists(dir.file("sync/MellidorFile.txt.lock")));
    Child two(dir.file(second), "app", {"MELLIDOR_ACTION=add"});
    QCOMPARE(two.finish(), 1);
    QCOMPARE(two.messages().size(), 1);
    QVERIFY(two.messages()[0].contains("already open"));
    QVERIFY(two.messages()[0].contains(dir.file(second + "/MellidorFile.txt").toUtf8()));
    QVERIFY(!two.output.contains("READY"));
    one.signal(SIGTERM);
    QCOMPARE(one.finish(), 0);
    QCOMPARE(readBytes(dir.file("sync/MellidorFile.txt")), old);
}

void TestReliability::unwritableDiary_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("read-only directory") << "readonly" << QByteArray("ermission denied");
    QTest::newRow("diary path is a directory") << "directory" << QByteArray("is a directory");
    QTest::newRow("disk full") << "full" << QByteArray("too large");
}

void TestReliability::unwritableDiary()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, reason);
    WorkDir dir;
    const QByteArray old = sampleDiary(100);
    QStringList env{"MELLIDOR_ACTION=add", "MELLIDOR_ANSWERS=retry,ok,retry,discard"};
    QStringList wrapper;
    if (kind == "directory") {
        QVERIFY(QDir(dir.path()).mkdir("MellidorFile.txt"));
    } else {
        writeBytes(dir.diary(), old);
        if (kind == "full") {
            env << QStringLiteral("MELLIDOR_FSIZE=%1").arg(old.size());
        } else {
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther);
            if (::geteuid() == 0) {
                // Root writes anywhere: run the child as nobody instead.
                const QString setpriv = QStandardPaths::findExecutable("setpriv");
                if (setpriv.isEmpty())
                    QSKIP("setpriv is needed to drop root");
                wrapper = QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
            }
        }
    }
    Child child(dir.path(), "app", env, wrapper);
    QVERIFY(child.waitFor("ADDED"));
    child.signal(SIGTERM);
    QCOMPARE(child.finish(), 0);
    // Told after the dialog and again at closing, naming the file; the
    // reason is given at least once.
    const QList<QByteArray> messages = child.messages();
    const QByteArray path = dir.diary().toUtf8();
    int naming = 0, withReason = 0;
    for (const QByteArray &message : messages) {
        naming += message.contains(path) && message.contains("cannot be saved");
        withReason += message.contains(reason);
    }
    QVERIFY2(naming >= 2 && withReason >= 1, messages.join(" | ").constData());
    if (kind == "directory")
        QVERIFY(QFileInfo(dir.diary()).isDir());
    else
        QCOMPARE(readBytes(dir.diary()), old);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestReliability::garbageFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator random(20261206);
    QByteArray binary(200000, Qt::Uninitialized);
    for (char &c : binary)
        c = char(random.bounded(256));
    QTest::newRow("random bytes, NUL and invalid UTF-8 among them") << binary;
    QByteArray longLine = "1.1.2020,08:00,Glucose,";
    longLine += QByteArray(50 * 1024 * 1024, '7');
    longLine += '\n';
    QTest::newRow("50 MB line") << longLine;
}

void TestReliability::garbageFiles()
{
    QFETCH(QByteArray, bytes);
    WorkDir dir;
    writeBytes(dir.diary(), bytes);
    qsizetype lines = bytes.count('\n') + (bytes.endsWith('\n') || bytes.isEmpty() ? 0 : 1);
    {
        Mellidor window;
        QCOMPARE(window.listBox->rowCount(), int(lines));
        QVERIFY(QMetaObject::invokeMethod(&window, "paintLineDiagram"));
        window.show();
        QTest::qWait(20);
    }
    // Every line with all its commas comes back byte for byte.
    const QList<QByteArray> before = bytes.split('\n');
    const QList<QByteArray> after = readBytes(dir.diary()).split('\n');
    QCOMPARE(after.size(), lines + 1);
    int kept = 0;
    for (qsizetype i = 0; i < lines; ++i) {
        QByteArray line = before[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.count(',') >= 3) {
            QCOMPARE(after[i], line);
            ++kept;
        } else {
            QVERIFY(after[i].startsWith(line));
        }
    }
    QVERIFY(kept > 0);
}

// A mapped file cut short under the reader used to kill it with SIGBUS.
void TestReliability::truncatedWhileLoading()
{
    WorkDir dir;
    const QByteArray full = sampleDiary(200000);
    writeBytes(dir.diary(), full);
    Child child(dir.path(), "loadloop");
    QVERIFY(child.waitFor("READY"));
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
    child.process.closeWriteChannel();
    QCOMPARE(child.finish(), 0);
    QVERIFY2(std::any_of(child.output.cbegin(), child.output.cend(),
                         [](const QByteArray &line) { return line.startsWith("LOADS "); }),
             child.output.join(' ').constData());
}

// main() itself ignores SIGXFSZ: the real binary, over the file size limit,
// fails its save (and asks what to do) instead of dying in the write.
void TestReliability::fileSizeLimitInRealBinary()
{
    const QString binary = qEnvironmentVariable("MELLIDOR_BINARY");
    if (binary.isEmpty())
        QSKIP("MELLIDOR_BINARY is not set");
    WorkDir dir;
    // CR LF lines: closing rewrites the whole file, which the limit forbids.
    const QByteArray old = sampleDiary(2000).replace("\n", "\r\n");
    writeBytes(dir.diary(), old);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setChildProcessModifier([] {
        struct rlimit rl;
        rl.rlim_cur = rl.rlim_max = 4096;
        setrlimit(RLIMIT_FSIZE, &rl);
    });
    process.start(binary, {});
    QVERIFY(process.waitForStarted());
    // Ready for SIGTERM once its handler is in place.
    const QString status = QStringLiteral("/proc/%1/status").arg(process.processId());
    const auto catchesTerm = [&status] {
        for (const QByteArray &line : readBytes(status).split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return 0ull;
    };
    QTRY_VERIFY_WITH_TIMEOUT(catchesTerm(), 20000);
    ::kill(pid_t(process.processId()), SIGTERM);
    // Killed by SIGXFSZ it would end at once; alive, it shows the failure.
    QVERIFY2(!process.waitForFinished(3000),
             qPrintable(QStringLiteral("ended, exit status %1").arg(process.exitStatus())));
    process.kill();
    process.waitForFinished();
    QCOMPARE(readBytes(dir.diary()), old);
}

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsEmpty("MELLIDOR_CHILD"))
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestReliability test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reliability.moc"
