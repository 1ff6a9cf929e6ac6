#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"

#include <QDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestDiaryFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void lineOrder();
    void missingFile();
    void unreadableFile();
    void saveFailureKeepsOldFile();
    void appendTopRow();
    void appendFailureLeavesNoHalfLine();
    void staleTemporariesRemoved();
};

void TestDiaryFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("matchesSave");
    const QByteArray three = "17. 3.2020,07:05,Glucose, 112\n18. 3.2020,08:00,Carbs,  40\n"
                             "18. 3.2020,08:05,Humalog,   6\n";
    QTest::newRow("three lines") << three << three << 3 << true;
    QTest::newRow("empty file") << QByteArray() << QByteArray() << 0 << true;
    QTest::newRow("empty line") << QByteArray("\n") << QByteArray(",,,\n") << 1 << false;
    QTest::newRow("no comma") << QByteArray("hello\n") << QByteArray("hello,hello,hello,hello\n")
                              << 1 << false;
    QTest::newRow("two pieces") << QByteArray("17. 3.2020,07:05\n")
                                << QByteArray("17. 3.2020,07:05,07:05,07:05\n") << 1 << false;
    QTest::newRow("more than three commas")
        << QByteArray("a,b,c,d,e\n") << QByteArray("a,b,c,d,e\n") << 1 << true;
    QTest::newRow("two commas in a row")
        << QByteArray("a,,c,d\n") << QByteArray("a,,c,d\n") << 1 << true;
    QTest::newRow("no final line feed")
        << QByteArray("a,b,c,d\ne,f,g,h") << QByteArray("a,b,c,d\ne,f,g,h\n") << 2 << false;
    QTest::newRow("CR LF") << QByteArray("17. 3.2020,07:05,Glucose, 112\r\na,b,c,d\r\n")
                           << QByteArray("17. 3.2020,07:05,Glucose, 112\na,b,c,d\n") << 2 << false;
    QTest::newRow("CR inside a line stays")
        << QByteArray("a\rb,c,d,e\n") << QByteArray("a\rb,c,d,e\n") << 1 << true;
    QTest::newRow("non-ASCII UTF-8") << QByteArray("1.1.2020,08:00,Größe,ü\n")
                                     << QByteArray("1.1.2020,08:00,Größe,ü\n") << 1 << true;
    QTest::newRow("invalid UTF-8 and NUL")
        << QByteArray("\xff\xfe,\x00\x01,\xc3,\x80\n", 10)
        << QByteArray("\xff\xfe,\x00\x01,\xc3,\x80\n", 10) << 1 << true;
    QTest::newRow("odd but canonical-looking")
        << QByteArray("05.12.2020,7:05,Glucose,112\n 5.12.2020,07:05,Glucose,  112\n")
        << QByteArray("05.12.2020,7:05,Glucose,112\n 5.12.2020,07:05,Glucose,  112\n") << 2 << true;
}

void TestDiaryFile::roundTrip()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, saved);
    QFETCH(int, rows);
    QFETCH(bool, matchesSave);
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), input);
    Diary diary;
    const DiaryFile::LoadResult result = DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    QCOMPARE(result.status, DiaryFile::LoadResult::Loaded);
    QCOMPARE(diary.rowCount(), rows);
    QCOMPARE(result.matchesSave, matchesSave);
    QString error;
    QVERIFY2(DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error), qPrintable(error));
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"MellidorFile.txt"});
}

void TestDiaryFile::lineOrder()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), "first,1,A,1\nsecond,2,B,2\nthird,3,C,3\n");
    Diary diary;
    DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    // The last line is the top row.
    QCOMPARE(diary.text(0, Diary::DateColumn), QStringLiteral("third"));
    QCOMPARE(diary.text(2, Diary::DateColumn), QStringLiteral("first"));
    QCOMPARE(diary.itemText(4), QStringLiteral("2"));
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
    QVERIFY(QFile::exists(dir.file("MellidorFile.txt")));
    QCOMPARE(QFileInfo(dir.file("MellidorFile.txt")).size(), 0);
}

void TestDiaryFile::unreadableFile()
{
    WorkDir dir;
    QVERIFY(QDir(dir.path()).mkdir("MellidorFile.txt"));
    Diary diary;
    const auto result = DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    QCOMPARE(result.status, DiaryFile::LoadResult::Failed);
    QVERIFY(result.error.contains("directory"));
    QString error;
    QVERIFY(!DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.file("MellidorFile.txt")).isDir());
}

void TestDiaryFile::saveFailureKeepsOldFile()
{
    WorkDir dir;
    const QByteArray old = "17. 3.2020,07:05,Glucose, 112\n";
    writeBytes(dir.file("MellidorFile.txt"), old);
    Diary diary;
    for (int i = 0; i < 20000; ++i)
        diary.prependRow({"17. 3.2020", "07:05", "Glucose", " 112"});

    // A file size limit stands in for a full disk: writes past it fail.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = 64 * 1024;
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QString error;
    const bool ok = DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"MellidorFile.txt"});
}

void TestDiaryFile::appendTopRow()
{
    WorkDir dir;
    const QByteArray old = "17. 3.2020,07:05,Glucose, 112\n";
    writeBytes(dir.file("MellidorFile.txt"), old);
    Diary diary;
    DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
    QString error;
    QVERIFY(DiaryFile::appendTopRow(QStringLiteral("MellidorFile.txt"), diary, &error));
    const QByteArray appended = readBytes(dir.file("MellidorFile.txt"));
    QCOMPARE(appended, old + "18. 3.2020,08:00,Carbs,  40\n");
    // The same bytes a full save writes.
    QVERIFY(DiaryFile::save(QStringLiteral("MellidorFile.txt"), diary, &error));
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), appended);
}

void TestDiaryFile::appendFailureLeavesNoHalfLine()
{
    WorkDir dir;
    const QByteArray old(1000, 'x');
    writeBytes(dir.file("MellidorFile.txt"), old + '\n');
    Diary diary;
    DiaryFile::load(QStringLiteral("MellidorFile.txt"), diary);
    diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = 1010; // room for a part of the line only
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QString error;
    const bool ok = DiaryFile::appendTopRow(QStringLiteral("MellidorFile.txt"), diary, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), old + '\n');
}

void TestDiaryFile::staleTemporariesRemoved()
{
    WorkDir dir;
    for (const char *name :
         {"MellidorFile.txt.aB3xYz", "MellidorFile.txt.Q9w2E1", "MellidorFile.txt.backup",
          "MellidorFile.txt.lock", "MellidorFile.txt.toolong1", "Other.txt.aB3xYz"})
        writeBytes(dir.file(QString::fromLatin1(name)), "x");
    DiaryFile::removeStaleTemporaries(QStringLiteral("MellidorFile.txt"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList({"MellidorFile.txt.backup", "MellidorFile.txt.lock",
                          "MellidorFile.txt.toolong1", "Other.txt.aB3xYz"}));
}

QTEST_GUILESS_MAIN(TestDiaryFile)
#include "tst_diaryfile.moc"
