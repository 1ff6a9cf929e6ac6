#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "testsupport.h"

#include <QDir>
#include <QtTest>

#include <cstdio>

#include <future>
#include <sys/stat.h>
#include <thread>

class TestDiaryFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void missingFile();
    void notRegularFile_data();
    void notRegularFile();
    void stampsFollowTheFile();
    void appendRefusesChangedFile_data();
    void appendRefusesChangedFile();
    void lockCanBeRetried();
    void writeFailureKeepsOldFile_data();
    void writeFailureKeepsOldFile();
    void appendTopRow_data();
    void appendTopRow();
};

void TestDiaryFile::roundTrip_data()
{
    // What saving writes back; a null "saved" means the input unchanged.
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("saved");
    const QByteArray same;
    QTest::newRow("three lines") << QByteArray("17. 3.2020,07:05,Glucose, 112\n18. 3.2020,08:00,"
                                               "Carbs,  40\n18. 3.2020,08:05,Humalog,   6\n")
                                 << same;
    QTest::newRow("empty file") << QByteArray("") << same;
    QTest::newRow("empty line") << QByteArray("\n") << QByteArray(",,,\n");
    QTest::newRow("no comma") << QByteArray("hello\n") << QByteArray("hello,hello,hello,hello\n");
    QTest::newRow("two pieces") << QByteArray("17. 3.2020,07:05\n")
                                << QByteArray("17. 3.2020,07:05,07:05,07:05\n");
    QTest::newRow("more than three commas") << QByteArray("a,b,c,d,e\n") << same;
    QTest::newRow("two commas in a row") << QByteArray("a,,c,d\n") << same;
    QTest::newRow("no final line feed")
        << QByteArray("a,b,c,d\ne,f,g,h") << QByteArray("a,b,c,d\ne,f,g,h\n");
    QTest::newRow("CR LF") << QByteArray("17. 3.2020,07:05,Glucose, 112\r\na,b,c,d\r\n")
                           << QByteArray("17. 3.2020,07:05,Glucose, 112\na,b,c,d\n");
    QTest::newRow("CR inside a line stays") << QByteArray("a\rb,c,d,e\n") << same;
    QTest::newRow("non-ASCII UTF-8") << QByteArray("1.1.2020,08:00,Größe,ü\n") << same;
    QTest::newRow("invalid UTF-8 and NUL")
        << QByteArray("\xff\xfe,\x00\x01,\xc3,\x80\n", 10) << same;
    QTest::newRow("odd but canonical-looking")
        << QByteArray("05.12.2020,7:05,Glucose,112\n 5.12.2020,07:05,Glucose,  112\n") << same;
    // Read in pieces of a megabyte: lines and CR LF pairs cross their ends.
    QByteArray manyIn, manyOut;
    for (int i = 0; i < 90000; ++i) {
        const QByteArray line = "17. 3.2020,07:05,Glucose," + QByteArray::number(i);
        manyIn += line + "\r\n";
        manyOut += line + '\n';
    }
    QTest::newRow("lines across read chunks") << manyIn << manyOut;
}

void TestDiaryFile::roundTrip()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, saved);
    if (saved.isNull())
        saved = input;
    WorkDir dir;
    writeBytes(dir.diary(), input);
    Diary diary;
    const DiaryFile::LoadResult result = DiaryFile::load(dir.diary(), diary);
    QCOMPARE(result.status, DiaryFile::LoadResult::Loaded);
    QCOMPARE(diary.rowCount(), saved.count('\n'));
    QCOMPARE(result.matchesSave, saved == input);
    if (diary.rowCount() > 0) // the last line is the top row
        QCOMPARE(diary.bytes(0, Diary::DateColumn),
                 saved.chopped(1).split('\n').last().split(',')[0]);
    QString error;
    QVERIFY2(DiaryFile::save(dir.diary(), diary, &error), qPrintable(error));
    QCOMPARE(readBytes(dir.diary()), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"MellidorFile.txt"});
}

void TestDiaryFile::missingFile()
{
    WorkDir dir;
    Diary diary;
    const auto result = DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    QCOMPARE(result.status, DiaryFile::LoadResult::Missing);
    QVERIFY(!result.matchesSave);
    QCOMPARE(diary.rowCount(), 0);
    QString error;
    QVERIFY(DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error));
    QVERIFY(QFile::exists(dir.diary()));
    QCOMPARE(QFileInfo(dir.diary()).size(), 0);
}

void TestDiaryFile::writeFailureKeepsOldFile_data()
{
    QTest::addColumn<bool>("append");
    QTest::newRow("save of a diary larger than a write chunk") << false;
    QTest::newRow("append with room for a part of the line") << true;
}

// A file size limit stands in for a full disk: writes past it fail.
void TestDiaryFile::writeFailureKeepsOldFile()
{
    QFETCH(bool, append);
    WorkDir dir;
    const QByteArray old = QByteArray(1000, 'x') + '\n';
    writeBytes(dir.diary(), old);
    Diary diary;
    DiaryFile::load(dir.diary(), diary);
    for (int i = 0; i < (append ? 1 : 40000); ++i)
        diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
    bool ok = true;
    QString error;
    withFileSizeLimit(1010, [&] {
        ok = append ? DiaryFile::appendTopRow(dir.diary(), diary, &error)
                    : DiaryFile::save(dir.diary(), diary, &error);
    });
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(dir.diary()), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"MellidorFile.txt"});
}

void TestDiaryFile::appendTopRow_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("kept");
    QTest::newRow("ends with a line feed") << QByteArray("17. 3.2020,07:05,Glucose, 112\n")
                                           << QByteArray("17. 3.2020,07:05,Glucose, 112\n");
    // Another program wrote the last line without one: it is completed,
    // never glued to the new entry.
    QTest::newRow("last line without line feed") << QByteArray("17. 3.2020,07:05,Glucose, 112")
                                                 << QByteArray("17. 3.2020,07:05,Glucose, 112\n");
}

void TestDiaryFile::appendTopRow()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, kept);
    WorkDir dir;
    writeBytes(dir.diary(), old);
    Diary diary;
    DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
    QString error;
    QVERIFY(DiaryFile::appendTopRow(QStringLiteral("MellidorFile.txt"), diary, &error));
    const QByteArray appended = readBytes(dir.diary());
    QCOMPARE(appended, kept + "18. 3.2020,08:00,Carbs,  40\n");
    // The same bytes a full save writes.
    QVERIFY(DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error));
    QCOMPARE(readBytes(dir.diary()), appended);
}

void TestDiaryFile::notRegularFile_data()
{
    QTest::addColumn<QString>("target"); // made at the path, or linked to
    QTest::addColumn<bool>("throughSymlink");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo" << false << "FIFO";
    QTest::newRow("FIFO through a symlink") << "fifo" << true << "FIFO";
    QTest::newRow("/dev/zero through a symlink") << "/dev/zero" << true << "device";
    QTest::newRow("directory") << "dir" << false << "directory";
    QTest::newRow("directory through a symlink") << "dir" << true << "directory";
}

void TestDiaryFile::notRegularFile()
{
    QFETCH(QString, target);
    QFETCH(bool, throughSymlink);
    QFETCH(QString, reason);
    WorkDir dir;
    QString made = target.startsWith('/')
                       ? target
                       : dir.file(throughSymlink ? "elsewhere" : "MellidorFile.txt");
    if (target == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(made).constData(), 0600), 0);
    else if (target == "dir")
        QVERIFY(QDir().mkdir(made));
    if (throughSymlink)
        QVERIFY(QFile::link(made, dir.diary()));

    // A blocking open or an endless read would never return: give up after
    // a second instead of hanging the suite.
    auto done = std::make_shared<std::promise<QString>>();
    std::future<QString> outcome = done->get_future();
    std::thread([done] {
        Diary diary;
        QString error;
        const auto result = DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
        const bool saved = DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error);
        diary.prependRow({"a", "b", "c", "d"});
        const bool appended =
            DiaryFile::appendTopRow(QStringLiteral("MellidorFile.txt"), diary, &error);
        done->set_value(result.status == DiaryFile::LoadResult::Failed && !saved && !appended
                            ? result.error + " | " + error
                            : QStringLiteral("accepted"));
    }).detach();
    if (outcome.wait_for(std::chrono::seconds(1)) != std::future_status::ready)
        qFatal("reading or writing a %s blocked", qPrintable(target));
    const QString errors = outcome.get();
    QVERIFY2(errors.count(reason) == 2, qPrintable(errors));
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(made).constData(), &st), 0);
    QVERIFY(!S_ISREG(st.st_mode));
}

void TestDiaryFile::stampsFollowTheFile()
{
    WorkDir dir;
    const QString path = QStringLiteral("MellidorFile.txt");
    QVERIFY(!DiaryFile::stampOf(path).exists);
    writeBytes(dir.file(path), "1.1.2020,08:00,Carbs,  20\n");
    Diary diary;
    const DiaryFile::LoadResult loaded = DiaryFile::load(path, diary);
    QVERIFY(loaded.stamp.exists);
    QCOMPARE(loaded.stamp, DiaryFile::stampOf(path));

    diary.prependRow({"2.1.2020", "08:00", "Carbs", "  30"});
    DiaryFile::Stamp stamp = loaded.stamp;
    QString error;
    QVERIFY(DiaryFile::appendTopRow(path, diary, &error, &stamp));
    QVERIFY(stamp != loaded.stamp);
    QCOMPARE(stamp, DiaryFile::stampOf(path));

    DiaryFile::Stamp saved;
    QVERIFY(DiaryFile::save(path, diary, &error, &saved));
    QCOMPARE(saved, DiaryFile::stampOf(path));
    QVERIFY(saved.inode != stamp.inode); // a new file took the old one's place
}

void TestDiaryFile::appendRefusesChangedFile_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("appended outside") << "append";
    QTest::newRow("replaced by rename") << "rename";
    QTest::newRow("moved away") << "remove";
    QTest::newRow("created while Mellidor had none") << "create";
}

void TestDiaryFile::appendRefusesChangedFile()
{
    QFETCH(QString, change);
    WorkDir dir;
    const QString path = dir.diary();
    const QByteArray old = "1.1.2020,08:00,Carbs,  20\n";
    if (change != "create")
        writeBytes(path, old);
    Diary diary;
    const DiaryFile::Stamp read = DiaryFile::load(path, diary).stamp;
    QByteArray outside;
    if (change == "append") {
        outside = old + "3.1.2020,09:00,Glucose, 140\n";
        writeBytes(path, outside);
    } else if (change == "rename") {
        outside = "4.1.2020,10:00,Glucose, 150\n";
        writeBytes(dir.file("new"), outside);
        QCOMPARE(::rename(QFile::encodeName(dir.file("new")).constData(),
                          QFile::encodeName(path).constData()),
                 0);
    } else if (change == "remove") {
        QVERIFY(QFile::remove(path));
    } else {
        outside = "5.1.2020,11:00,Glucose, 160\n";
        writeBytes(path, outside);
    }
    diary.prependRow({"2.1.2020", "08:00", "Carbs", "  30"});
    DiaryFile::Stamp stamp = read;
    bool changed = false;
    QString error;
    QVERIFY(!DiaryFile::appendTopRow(path, diary, &error, &stamp, &changed));
    QVERIFY(changed);
    QVERIFY(error.contains("another program"));
    QCOMPARE(stamp, read);
    QCOMPARE(QFile::exists(path), change != "remove");
    QCOMPARE(readBytes(path), outside);
}

void TestDiaryFile::lockCanBeRetried()
{
    WorkDir dir;
    // A file where the folder should be: no lock, and root cannot pass it.
    writeBytes(dir.file("folder"), "");
    DiaryLock lock(QStringLiteral("folder/MellidorFile.txt"));
    QCOMPARE(lock.tryLock(), DiaryLock::CannotLock);
    QCOMPARE(lock.errorText(), QStringLiteral("the lock file cannot be created"));
    QVERIFY(QFile::remove(dir.file("folder")));
    QVERIFY(QDir().mkdir(dir.file("folder")));
    QCOMPARE(lock.tryLock(), DiaryLock::Locked);
    QCOMPARE(lock.tryLock(), DiaryLock::Locked); // a held lock is no other's
    QVERIFY(QFile::exists(dir.file("folder/MellidorFile.txt.lock")));
    DiaryLock other(QStringLiteral("folder/MellidorFile.txt"));
    QCOMPARE(other.tryLock(), DiaryLock::HeldByOther);
}

QTEST_GUILESS_MAIN(TestDiaryFile)
#include "tst_diaryfile.moc"
