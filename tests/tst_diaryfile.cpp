// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "core/settings.h"
#include "testsupport.h"

#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

const QString path = QStringLiteral("MellidorFile.txt"); // in the WorkDir

class TestDiaryFile : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        // What saving writes back (by default the input unchanged); a null input: no file.
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("saved");
        const auto row = [](const char *name, const QByteArray &input,
                            const QByteArray &saved = {}) {
            QTest::newRow(name) << input << (saved.isNull() ? input : saved);
        };
        row("missing file", QByteArray(), "");
        row("empty file", "");
        row("empty line", "\n", ",,,\n");
        row("no comma", "hello\n", "hello,hello,hello,hello\n");
        row("two pieces", "17. 3.2020,07:05\n", "17. 3.2020,07:05,07:05,07:05\n");
        row("more than three commas", "a,b,c,d,e\n");
        row("two commas in a row", "a,,c,d\n");
        row("no final line feed", "a,b,c,d\ne,f,g,h", "a,b,c,d\ne,f,g,h\n");
        row("CR LF", "a,b,c,d\r\ne,f,g,h\r\n", "a,b,c,d\ne,f,g,h\n");
        row("CR inside a line stays", "a\rb,c,d,e\n");
        row("non-ASCII UTF-8", "1.1.2020,08:00,Größe,ü\n");
        row("invalid UTF-8 and NUL", QByteArray("\xff\xfe,\x00\x01,\xc3,\x80\n", 10));
        row("odd-looking lines stay",
            "05.12.2020,7:05,Glucose,112\n 5.12.2020,07:05,Glucose,  112\n");
        row("doses with fractions", readBytes(QFINDTESTDATA("data/fractional-doses.txt")));
        // Read in pieces of a megabyte: lines and CR LF pairs cross their ends.
        QByteArray many;
        for (int i = 0; i < 90000; ++i)
            many += "17. 3.2020,07:05,Glucose," + QByteArray::number(i) + "\r\n";
        row("lines across read chunks", many, QByteArray(many).replace("\r", ""));
    }
    void roundTrip()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, saved);
        WorkDir dir;
        if (!input.isNull())
            writeBytes(path, input);
        Diary diary;
        const DiaryFile::LoadResult result = DiaryFile::load(path, diary);
        QCOMPARE(result.status,
                 input.isNull() ? DiaryFile::LoadResult::Missing : DiaryFile::LoadResult::Loaded);
        QCOMPARE(result.stamp.exists, !input.isNull());
        QCOMPARE(diary.rowCount(), saved.count('\n'));
        QCOMPARE(result.matchesSave, !input.isNull() && saved == input);
        if (diary.rowCount() > 0) // the last line is the top row
            QCOMPARE(diary.bytes(0, Diary::DateColumn),
                     saved.chopped(1).split('\n').last().split(',')[0]);
        QString error;
        QVERIFY2(DiaryFile::save(path, diary, &error), qPrintable(error));
        QCOMPARE(readBytes(path), saved);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{path});
    }

    void writeFailureKeepsOldFile_data()
    {
        QTest::addColumn<bool>("append");
        QTest::newRow("save of a diary larger than a write chunk") << false;
        QTest::newRow("append with room for a part of the line") << true;
    }
    // A file size limit stands in for a full disk: writes past it fail.
    void writeFailureKeepsOldFile()
    {
        QFETCH(bool, append);
        WorkDir dir;
        const QByteArray old = QByteArray(1000, 'x') + '\n';
        writeBytes(path, old);
        Diary diary;
        for (int i = 0; i < (append ? 1 : 40000); ++i)
            diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
        QString error;
        withFileSizeLimit(1010, [&] {
            QVERIFY(append ? !DiaryFile::appendTopRow(path, diary, &error)
                           : !DiaryFile::save(path, diary, &error));
        });
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(path), old);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{path});
    }

    void appendTopRow_data()
    {
        QTest::addColumn<QByteArray>("old");   // null: no file
        QTest::addColumn<QString>("change");   // by another program after the read
        QTest::addColumn<QByteArray>("after"); // the file afterwards
        const QByteArray a = "17. 3.2020,07:05,Glucose, 112", b = "18. 3.2020,08:00,Carbs,  40\n",
                         c = "3.1.2020,09:00,Glucose, 140\n";
        QTest::newRow("ends with a line feed") << a + '\n' << "" << a + '\n' + b;
        // A last line without one is completed, never glued to the new entry.
        QTest::newRow("last line without line feed") << a << "" << a + '\n' + b;
        // A changed file is left as it is, and the caller is told.
        QTest::newRow("appended outside") << a + '\n' << "append" << a + '\n' + c;
        QTest::newRow("replaced by rename") << a + '\n' << "rename" << c;
        QTest::newRow("moved away") << a + '\n' << "remove" << QByteArray();
        QTest::newRow("created while Mellidor had none") << QByteArray() << "create" << c;
    }
    void appendTopRow()
    {
        QFETCH(QByteArray, old);
        QFETCH(QString, change);
        QFETCH(QByteArray, after);
        WorkDir dir;
        if (!old.isNull())
            writeBytes(path, old);
        Diary diary;
        const DiaryFile::Stamp read = DiaryFile::load(path, diary).stamp;
        if (change == "remove")
            QVERIFY(QFile::remove(path));
        else if (!change.isEmpty())
            writeBytes(change == "rename" ? "new" : path, after);
        if (change == "rename")
            QCOMPARE(::rename("new", "MellidorFile.txt"), 0);
        diary.prependRow({"18. 3.2020", "08:00", "Carbs", "  40"});
        DiaryFile::Stamp stamp = read;
        bool changed = false;
        QString error;
        QCOMPARE(DiaryFile::appendTopRow(path, diary, &error, &stamp, &changed), change.isEmpty());
        QCOMPARE(readBytes(path), after);
        QCOMPARE(changed, !change.isEmpty());
        QCOMPARE(stamp, change.isEmpty() ? DiaryFile::stampOf(path) : read);
        if (change.isEmpty()) { // the same bytes a full save writes, in a new file
            DiaryFile::Stamp saved;
            QVERIFY(DiaryFile::save(path, diary, &error, &saved));
            QVERIFY(saved == DiaryFile::stampOf(path) && saved.inode != stamp.inode);
        }
    }

    void notRegularFile_data()
    {
        QTest::addColumn<QString>("kind");   // of what is made
        QTest::addColumn<QString>("at");     // the diary's path, or where it links to
        QTest::addColumn<QString>("reason"); // told in each error
        const QString elsewhere = "elsewhere";
        QTest::newRow("FIFO") << "fifo" << path << "FIFO";
        QTest::newRow("FIFO through a symlink") << "fifo" << elsewhere << "FIFO";
        QTest::newRow("device through a symlink") << "device" << QString("null") << "device";
        QTest::newRow("directory through a symlink") << "dir" << elsewhere << "directory";
    }
    void notRegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, at);
        QFETCH(QString, reason);
        WorkDir dir;
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(at).constData(), 0600), 0);
        else if (kind == "dir")
            QVERIFY(QDir().mkdir(at));
        else if (kind == "device")
            at = makeDevice(at);
        if (at != path)
            QVERIFY(QFile::link(at, path));
        ::alarm(5); // a blocking open or an endless read ends the test run
        Diary diary;
        QString saveError, appendError, settingsError;
        const auto loaded = DiaryFile::load(path, diary);
        const bool saved = DiaryFile::save(path, diary, &saveError);
        diary.prependRow({"a", "b", "c", "d"});
        const bool appended = DiaryFile::appendTopRow(path, diary, &appendError);
        // Whole files written otherwise (settings, outputs) follow the same rule.
        const bool settingsSaved = SettingsFile::write(path, Settings(), &settingsError);
        ::alarm(0);
        QVERIFY(loaded.status == DiaryFile::LoadResult::Failed && !saved && !appended &&
                !settingsSaved);
        QCOMPARE((loaded.error + saveError + appendError + settingsError).count(reason), 4);
        QVERIFY(!QFileInfo(path).isFile()); // nothing took its place
    }

    void csvOfFractionalDoses()
    {
        const QByteArray bytes = readBytes(QFINDTESTDATA("data/fractional-doses.txt"));
        Diary diary;
        DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
        QCOMPARE(exportCsv(diary), readBytes(QFINDTESTDATA("data/fractional-doses.csv")));
    }

    void lockCanBeRetried()
    {
        WorkDir dir;
        // A file where the folder should be: no lock, and root cannot pass it.
        writeBytes("folder", "");
        DiaryLock lock(QStringLiteral("folder/MellidorFile.txt"));
        QCOMPARE(lock.tryLock(), DiaryLock::CannotLock);
        QVERIFY(QFile::remove("folder") && QDir().mkdir("folder"));
        QCOMPARE(lock.tryLock(), DiaryLock::Locked);
        QCOMPARE(lock.tryLock(), DiaryLock::Locked); // a held lock is no other's
        DiaryLock other(QStringLiteral("folder/MellidorFile.txt"));
        QCOMPARE(other.tryLock(), DiaryLock::HeldByOther);
    }
};

QTEST_GUILESS_MAIN(TestDiaryFile)
#include "tst_diaryfile.moc"
