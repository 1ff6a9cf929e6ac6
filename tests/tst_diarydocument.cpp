// SPDX-License-Identifier: GPL-3.0-or-later
// The document's save protocol without a window: append or rewrite, another
// program writing in the middle of a step, a failed save kept for closing.
#include "core/diarydocument.h"
#include "core/diarylock.h"
#include "core/importmerge.h"
#include "testsupport.h"

#include <QUndoStack>
#include <QtTest>

#include <cstdio>

namespace {

const QByteArray threeEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                                " 2. 1.2020,08:00,Carbs,  20\n"
                                " 3. 1.2020,08:00,Bolus,   3\n";
const QByteArray twoEntries = threeEntries.left(threeEntries.lastIndexOf(" 3."));
const QByteArray outsideLine = " 9. 1.2020,09:00,Carbs,  55\n";
const EntryTexts newEntry{" 5. 1.2020", "07:00", "Glucose", " 222"};
const QByteArray newLine = " 5. 1.2020,07:00,Glucose, 222\n";

// Another program that writes once, in the middle of the document's next
// change to the rows: after the step is applied, before it is saved.
class RowsWithWriter : public PlainDiaryRows
{
public:
    QString path;
    QByteArray outside; // replaces the file once, by rename, when set
    void insertEntries(const std::vector<int> &rows, const std::vector<EntryTexts> &texts) override
    {
        PlainDiaryRows::insertEntries(rows, texts);
        writeOutside();
    }
    void removeEntries(const std::vector<int> &rows) override
    {
        PlainDiaryRows::removeEntries(rows);
        writeOutside();
    }

private:
    void writeOutside()
    {
        if (outside.isNull())
            return;
        writeBytes(path + ".new", outside);
        QCOMPARE(std::rename(qPrintable(path + ".new"), qPrintable(path)), 0);
        outside = QByteArray();
    }
};

class RecordingHost : public DocumentHost
{
public:
    QStringList errors;
    int retriesAsked = 0;
    void showError(const QString &, const QString &text) override { errors << text; }
    bool retrySave(const QString &) override
    {
        ++retriesAsked;
        return false;
    }
};

} // namespace

class TestDiaryDocument : public QObject
{
    Q_OBJECT
private slots:
    void stepSaved_data()
    {
        QTest::addColumn<bool>("isNew");         // else the top entry is deleted
        QTest::addColumn<QByteArray>("outside"); // written in the middle; null: nothing
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("appended"); // the same file, not a new one
        const QByteArray theirs = threeEntries + outsideLine;
        QTest::newRow("new entry appended")
            << true << QByteArray() << threeEntries + newLine << true;
        QTest::newRow("delete rewrites") << false << QByteArray() << twoEntries << false;
        // A new entry is the top row whatever its time, as in the window.
        QTest::newRow("new entry, file changed meanwhile")
            << true << theirs << theirs + newLine << false;
        QTest::newRow("delete, file changed meanwhile")
            << false << theirs << twoEntries + outsideLine << false;
    }

    void stepSaved()
    {
        QFETCH(bool, isNew);
        QFETCH(QByteArray, outside);
        QFETCH(QByteArray, expected);
        QFETCH(bool, appended);
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        const DiaryFile::Stamp before = DiaryFile::stampOf(dir.diary());
        RowsWithWriter rows;
        RecordingHost host;
        DiaryDocument document(&rows, &host);
        QCOMPARE(document.open(dir.diary()).status, DiaryFile::LoadResult::Loaded);
        rows.path = dir.diary();
        rows.outside = outside;
        if (isNew)
            document.undoStack()->push(new InsertEntries(&document, "New Entry", {0}, {newEntry}));
        else
            document.undoStack()->push(new DeleteEntry(&document, 0));
        QCOMPARE(readBytes(dir.diary()), expected);
        // (A rewrite may get the freed inode number back: only appends tell.)
        if (appended)
            QCOMPARE(DiaryFile::stampOf(dir.diary()).inode, before.inode);
        QVERIFY(document.lastSaveError().isEmpty());
        QVERIFY(!document.hasUnsavedRows());
        QCOMPARE(host.errors, QStringList());
    }

    // An import applied again on a file changed meanwhile keeps two readings
    // that only the clock change made look alike.
    void importReplannedKeepsRepeatedHour()
    {
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        RowsWithWriter rows;
        RecordingHost host;
        DiaryDocument document(&rows, &host);
        document.open(dir.diary());
        rows.path = dir.diary();
        rows.outside = threeEntries + outsideLine;
        const EntryTexts repeated{"26.10.2025", "02:30", "Glucose", " 120"};
        document.undoStack()->push(
            new InsertEntries(&document, "Import", {0, 1}, {repeated, repeated}, replanMerge));
        const QByteArray line = "26.10.2025,02:30,Glucose, 120\n";
        QCOMPARE(readBytes(dir.diary()), threeEntries + outsideLine + line + line);
    }

    // A step that cannot be saved stays in the rows; closing saves it, and
    // what another program wrote meanwhile is merged, not overwritten.
    void failedStepSavedAtClose_data()
    {
        QTest::addColumn<QByteArray>("outside"); // null: nothing
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("file unchanged") << QByteArray() << threeEntries + newLine;
        QTest::newRow("file changed")
            << threeEntries + outsideLine << threeEntries + newLine + outsideLine;
    }

    void failedStepSavedAtClose()
    {
        QFETCH(QByteArray, outside);
        QFETCH(QByteArray, expected);
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        PlainDiaryRows rows;
        RecordingHost host;
        DiaryDocument document(&rows, &host);
        document.open(dir.diary());
        withFileSizeLimit(threeEntries.size(), [&] {
            document.undoStack()->push(new InsertEntries(&document, "New Entry", {0}, {newEntry}));
        });
        QCOMPARE(host.retriesAsked, 1);
        QVERIFY(!document.lastSaveError().isEmpty());
        QVERIFY(document.hasUnsavedRows());
        QCOMPARE(readBytes(dir.diary()), threeEntries);
        if (!outside.isNull()) {
            writeBytes(dir.file("theirs"), outside);
            QVERIFY(QFile::remove(dir.diary()) && QFile::rename(dir.file("theirs"), dir.diary()));
        }
        QVERIFY(document.saveAll());
        QCOMPARE(readBytes(dir.diary()), expected);
        QVERIFY(!document.hasUnsavedRows());
    }

    // The file is never written while another copy holds the lock, nor
    // over a file that could not be read.
    void refusedWrites_data()
    {
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("locked by another copy") << false;
        QTest::newRow("unreadable diary") << true;
    }

    void refusedWrites()
    {
        QFETCH(bool, unreadable);
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        if (unreadable)
            QVERIFY(QFile::remove(dir.diary()) && QDir().mkdir(dir.diary()));
        DiaryLock other(dir.diary());
        if (!unreadable)
            QCOMPARE(other.tryLock(), DiaryLock::Locked);
        PlainDiaryRows rows;
        RecordingHost host;
        DiaryDocument document(&rows, &host);
        DiaryLock mine(dir.diary());
        document.setLock(&mine);
        QCOMPARE(document.open(dir.diary()).status == DiaryFile::LoadResult::Failed, unreadable);
        document.undoStack()->push(new InsertEntries(&document, "New Entry", {0}, {newEntry}));
        QCOMPARE(host.retriesAsked, 1);
        QVERIFY(!document.saveAll());
        QVERIFY(document.lastSaveError().contains(unreadable ? "could not be read"
                                                             : "open in another Mellidor"));
        QCOMPARE(unreadable ? QFileInfo(dir.diary()).isDir()
                            : readBytes(dir.diary()) == threeEntries,
                 true);
    }
};

QTEST_MAIN(TestDiaryDocument)
#include "tst_diarydocument.moc"
