// SPDX-License-Identifier: GPL-3.0-or-later
// Steps on the diary (new, edit, delete, undo) and another program (a sync
// tool, an editor, a restore) changing the file while Mellidor has it open:
// nothing of either side may be lost.
#include "core/clock.h"
#include "core/diary.h"
#include "core/diarychange.h"
#include "core/diarydocument.h"
#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "core/importmerge.h"
#include "ui/mellidor.h"
#include "windowtestsupport.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QUndoStack>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArrayList three{" 1. 1.2020,08:00,Glucose, 101", " 2. 1.2020,08:00,Carbs,  20",
                           " 3. 1.2020,08:00,Bolus,   3"};
const QByteArray threeEntries = three.join('\n') + '\n';
const QByteArray twoEntries = threeEntries.left(threeEntries.lastIndexOf(" 3."));
const QByteArray outsideLine = " 9. 1.2020,09:00,Carbs,  55";
const QByteArray withOutside = threeEntries + outsideLine + '\n';
const EntryTexts newEntry{" 5. 1.2020", "07:00", "Glucose", " 222"};
const QByteArray newLine = " 5. 1.2020,07:00,Glucose, 222\n";

// As editors and sync tools do: a new file renamed over the old one.
void replaceBytes(const QString &path, const QByteArray &bytes)
{
    writeBytes(path + ".new", bytes);
    QCOMPARE(::rename(qPrintable(path + ".new"), qPrintable(path)), 0);
}

QByteArrayList fileLines(const QString &path)
{
    return readBytes(path).chopped(1).split('\n'); // a saved file ends with a line feed
}

// An entry in January of the year, minute minutes after it began.
QByteArray entry(int year, int minute, const char *type, int value)
{
    return QString::asprintf("%2d. 1.%d,%02d:%02d,%s, %3d", 1 + minute / 1440, year,
                             minute / 60 % 24, minute % 60, type, value)
        .toUtf8();
}

// The other program of the stress test, a careful sync tool: at random
// moments it appends a line, or rewrites the file with one more line by
// swapping a new file in; it tries again when the file changed under it.
void runWriter(const QString &path, int rounds)
{
    const QByteArray name = QFile::encodeName(path), swap = name + ".w";
    QRandomGenerator random(rounds);
    for (int i = 0; i < rounds; ++i) {
        QThread::usleep(random.bounded(4000));
        const QByteArray line = entry(2001, i, "Carbs", 1 + i % 999) + '\n';
        for (bool done = false; !done;) {
            if (random.bounded(2)) {
                QFile file(path);
                if (file.open(QIODevice::Append))
                    file.write(line);
                file.close();
                // It may have gone to a file that was replaced meanwhile.
                QThread::usleep(2000);
                done = readBytes(path).contains(line);
                continue;
            }
            const DiaryFile::Stamp before = DiaryFile::stampOf(path);
            const QByteArray bytes = readBytes(path);
            QFile next(path + ".w");
            if (!next.open(QIODevice::WriteOnly) ||
                !next.write(bytes + (bytes.endsWith('\n') ? "" : "\n") + line))
                return;
            next.close();
            // Replace only the file as read, and put back only over our own:
            // a window's step saved in between must never vanish, not even
            // for a moment, or the window would rightly say it was removed.
            const DiaryFile::Stamp ours = DiaryFile::stampOf(path + ".w");
            if (DiaryFile::stampOf(path) == before) {
                ::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(),
                            RENAME_EXCHANGE);
                // (The swap moves the change times.)
                done = DiaryFile::stampOf(path + ".w").sameContentAs(before);
                if (!done && DiaryFile::stampOf(path).sameContentAs(ours))
                    ::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(),
                                RENAME_EXCHANGE);
            }
            ::unlink(swap.constData());
        }
    }
}

// Another program that writes once, in the middle of the document's next
// change to the rows: after the step is applied, before it is saved.
class RowsWithWriter : public PlainDiaryRows
{
public:
    QString path;
    // Replaces the file once, by rename, when set; bytes of the file's size
    // are written in place and its mtime put back, as touch -d does.
    QByteArray outside;
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
        const DiaryFile::Stamp before = DiaryFile::stampOf(path);
        if (before.size != outside.size())
            return replaceBytes(path, std::exchange(outside, QByteArray()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write(std::exchange(outside, {})) > 0);
        file.close();
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {before.mtimeNs / 1000000000, before.mtimeNs % 1000000000}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
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

struct Document
{
    WorkDir dir{threeEntries};
    RowsWithWriter rows;
    RecordingHost host;
    DiaryDocument document{&rows, &host};
    Document() { rows.path = dir.diary(); }
    void push(QUndoCommand *step) { document.undoStack()->push(step); }
    void addNew() { push(new InsertEntries(&document, "New Entry", {0}, {newEntry})); }
    // Imports the lines as one step, planned as the import plans it.
    void import(const QByteArrayList &lines)
    {
        std::vector<int> rows;
        std::vector<EntryTexts> texts;
        for (const QByteArray &line : lines) {
            const QByteArrayList fields = line.split(',');
            texts.push_back({fields[0], fields[1], fields[2], fields[3]});
        }
        replanMerge(document.diary(), rows, texts);
        push(
            new InsertEntries(&document, "Import", std::move(rows), std::move(texts), replanMerge));
    }
};

// Shortcuts reach only the active window.
void press(Mellidor &window, QKeySequence::StandardKey key)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.listBox->setFocus(); // Delete belongs to the list
    QTest::keySequence(window.listBox, key);
}

} // namespace

class TestOutsideChange : public QObject
{
    Q_OBJECT
private slots:
    void init() { recordMessages(&m_messages); }
    void cleanup()
    {
        UserMessage::setHandlerForTesting({});
        verifyDialogsAnswered(); // also for a test that forgot to
    }

    void outsideChangeThenStep_data()
    {
        QTest::addColumn<QByteArray>("outside"); // what the other program leaves; null: no file
        QTest::addColumn<bool>("byRename");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QByteArrayList>("expected"); // the file afterwards, in order
        QTest::addColumn<int>("told");
        QTest::addColumn<bool>("undo"); // the step, after it the outside change, then Undo
        const QList<std::pair<const char *, QByteArrayList>> steps{
            {"&New", three + QByteArrayList{outsideLine, " 5. 3.2020,07:05,Glucose, 222"}},
            // Edit and Delete act on the current entry: the top one before the change.
            {"&Edit", {three[0], three[1], " 3. 1.2020,08:00,Bolus, 222", outsideLine}},
            {"&Delete", {three[0], three[1], outsideLine}}};
        for (const auto &[name, bytes, rename] :
             {std::tuple{"appended", withOutside, false},
              std::tuple{"appended without line feed", withOutside.chopped(1), false},
              std::tuple{"replaced by rename", withOutside, true},
              std::tuple{"moved away", QByteArray(), false}}) {
            for (auto [step, expected] : steps) {
                // Moved away: the whole list takes its place, and the user is told.
                if (bytes.isNull())
                    expected.removeAll(outsideLine);
                QTest::addRow("%s, then %s", name, step + 1)
                    << bytes << rename << QString(step) << expected << int(bytes.isNull()) << false;
            }
        }
        // The entry being edited or deleted goes away outside: the user is told,
        // and a corrected one is added as new.
        QTest::newRow("edited entry removed")
            << twoEntries << true << "&Edit"
            << QByteArrayList{three[0], three[1], " 3. 1.2020,08:00,Bolus, 222"} << 1 << false;
        QTest::newRow("deleted entry removed")
            << twoEntries << true << "&Delete" << three.mid(0, 2) << 1 << false;
        QTest::newRow("moved away, then closed")
            << QByteArray() << false << "close" << three << 0 << false;
        // Rows read again mean other neighbours: an undone step puts the entry
        // back where its date and time place it, not at its old row number.
        QTest::newRow("delete, line added outside, undo")
            << twoEntries + outsideLine + '\n'
            << true << "&Delete" << three + QByteArrayList{outsideLine} << 0 << true;
        QTest::newRow("edit, line added outside, undo")
            << twoEntries + " 3. 1.2020,08:00,Bolus, 222\n" + outsideLine + '\n'
            << true << "&Edit" << three + QByteArrayList{outsideLine} << 0 << true;
    }
    void outsideChangeThenStep()
    {
        QFETCH(QByteArray, outside);
        QFETCH(bool, byRename);
        QFETCH(QString, step);
        QFETCH(QByteArrayList, expected);
        QFETCH(int, told);
        QFETCH(bool, undo);
        WorkDir dir(threeEntries);
        Clock::setForTesting([] { return QDateTime(QDate(2020, 3, 5), QTime(7, 5)); });
        Mellidor window;
        window.listBox->setCurrentItem(0);
        // While the dialog is open, or before a step without one.
        const auto change = [&] {
            if (undo)
                return;
            if (outside.isNull())
                QVERIFY(QFile::rename(dir.diary(), dir.file("elsewhere.txt")));
            else
                byRename ? replaceBytes(dir.diary(), outside) : writeBytes(dir.diary(), outside);
        };
        if (step == "&New" || step == "&Edit")
            whenDialogOpens([&](QDialog *dialog) {
                change();
                spinBoxes(dialog).last()->setValue(222);
                pressOk(dialog);
            });
        else
            change();
        if (step == "close") {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("moved or deleted.*wrote the whole list"));
            window.close();
        } else {
            triggerMenuItem(window, 0, step);
        }
        verifyDialogsAnswered();
        Clock::setForTesting(nullptr);
        if (undo) {
            replaceBytes(dir.diary(), outside);
            triggerMenuItem(window, 0, "&Undo");
        }
        QCOMPARE(fileLines(dir.diary()), expected);
        QCOMPARE(m_messages.size(), told);
        QCOMPARE(window.listBox->rowCount(), expected.size());
    }

    void idleWindowFollowsFile()
    {
        WorkDir dir(threeEntries);
        Mellidor window;
        window.show();
        window.listBox->setCurrentItem(3 * 3 + 1); // the Carbs entry, value column
        replaceBytes(dir.diary(), outsideLine + '\n' + threeEntries);
        QTRY_COMPARE(window.listBox->rowCount(), 4);
        QCOMPARE(window.listBox->currentIndex(), window.listBox->model()->index(1, 3));
        QFile file(dir.diary());
        QVERIFY(file.open(QIODevice::Append) && file.write(outsideLine + "0\n") > 0 &&
                file.flush());
        QTRY_COMPARE(window.listBox->rowCount(), 5);
        QCOMPARE(readBytes(dir.diary()), outsideLine + '\n' + threeEntries + outsideLine + "0\n");
    }

    void saveHandsBackWhatChangedMeanwhile()
    {
        WorkDir dir(threeEntries);
        const QString path = dir.diary();
        Diary diary;
        DiaryFile::LoadResult loaded = DiaryFile::load(path, diary);
        // Changed after the read: the save does not go through.
        writeBytes(path, withOutside);
        DiaryFile::Stamp written;
        QString error;
        QCOMPARE(DiaryFile::saveOver(path, diary, loaded.stamp, &written, &error),
                 DiaryFile::SaveOutcome::ChangedOutside);
        QCOMPARE(readBytes(path), withOutside);
        diary.prependRow({" 4. 1.2020", "08:00", "Bolus", "   4"});
        QCOMPARE(DiaryFile::saveOver(path, diary, DiaryFile::stampOf(path), &written, &error),
                 DiaryFile::SaveOutcome::Saved);
        QCOMPARE(DiaryFile::stampOf(path), written);
        const QByteArray saved = threeEntries + " 4. 1.2020,08:00,Bolus,   4\n";
        QCOMPARE(readBytes(path), saved);
        // Their line lands just before the swap, and another program that
        // opened the path while ours stood there writes a moment after it
        // went back: both lines end in their file, none is lost with ours.
        std::future<void> late;
        DiaryFile::setSwapHookForTesting([&](const QString &theirs) {
            QFile before(theirs), opened(path);
            QVERIFY(before.open(QIODevice::Append) && before.write(outsideLine + '\n') > 0);
            QVERIFY(opened.open(QIODevice::Append));
            late = std::async(std::launch::async, [fd = ::dup(opened.handle())] {
                QThread::msleep(2);
                QVERIFY(::write(fd, newLine.constData(), size_t(newLine.size())) > 0);
                ::close(fd);
            });
        });
        diary.prependRow({" 5. 1.2020", "08:00", "Bolus", "   5"});
        QCOMPARE(DiaryFile::saveOver(path, diary, written, &written, &error),
                 DiaryFile::SaveOutcome::ChangedOutside);
        DiaryFile::setSwapHookForTesting(nullptr);
        late.wait();
        QCOMPARE(readBytes(path), saved + outsideLine + '\n' + newLine);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"MellidorFile.txt"});
    }

    void stressWithAnotherWriter()
    {
        constexpr int rounds = 300;
        WorkDir dir(threeEntries);
        int minute = 0;
        Clock::setForTesting(
            [&minute] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0)).addSecs(60 * minute); });
        Mellidor window;
        std::future<void> writer = std::async(std::launch::async, runWriter, dir.diary(), rounds);
        QByteArrayList expected;
        for (int i = 0;
             i < 20 || writer.wait_for(std::chrono::seconds(0)) != std::future_status::ready; ++i) {
            ++minute;
            enterValue(window, "&New", 0, 1000 + i % 1000);
            // Correct the new entry at once: it is the current one.
            enterValue(window, "&Edit", 5, 2000 + i % 1000);
            expected << entry(2021, minute, "Glucose", 2000 + i % 1000);
        }
        Clock::setForTesting(nullptr);
        QVERIFY2(m_messages.isEmpty(), m_messages.isEmpty() ? "" : qPrintable(m_messages[0].text));
        for (int i = 0; i < rounds; ++i)
            expected << entry(2001, i, "Carbs", 1 + i % 999);
        const QByteArrayList lines = fileLines(dir.diary());
        for (const QByteArray &line : expected) // none lost
            QVERIFY2(lines.contains(line), line.constData());
    }

    // Another program may write once, after the step is applied and before it
    // is saved. New top rows go to the end of the same file in one append;
    // anything else, or a file changed meanwhile, is saved whole. Undo leaves
    // the file as it was before the step.
    void stepSaved_data()
    {
        QTest::addColumn<QString>("step");            // New, Delete (the top entry) or Import
        QTest::addColumn<QByteArrayList>("imported"); // the lines of an import
        QTest::addColumn<QByteArray>("outside");      // written in the middle; null: nothing
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("sameFile"); // appended to the file opened
        const QByteArray newer = "10. 1.2020,06:00,Glucose, 160",
                         newest = "10. 1.2020,06:05,Glucose, 170",
                         older = " 1. 1.2020,07:00,Glucose, 150",
                         sameTime = " 3. 1.2020,08:00,Glucose, 150",
                         repeated = "26.10.2025,02:30,Glucose, 120";
        const auto row = [](const char *name, const char *step, const QByteArrayList &imported,
                            const QByteArray &outside, const QByteArray &expected, bool sameFile) {
            QTest::newRow(name) << step << imported << outside << expected << sameFile;
        };
        const QByteArray none;
        row("new entry appended", "New", {}, none, threeEntries + newLine, true);
        row("delete rewrites", "Delete", {}, none, twoEntries, false);
        // A new entry is the top row whatever its time, as in the window.
        row("new entry, file changed meanwhile", "New", {}, withOutside, withOutside + newLine,
            false);
        row("delete, file changed meanwhile", "Delete", {}, withOutside,
            twoEntries + outsideLine + '\n', false);
        row("import of newer entries appended", "Import", {newest, newer}, none,
            threeEntries + newer + '\n' + newest + '\n', true);
        row("import of one older entry saved whole", "Import", {newer, older}, none,
            older + '\n' + threeEntries + newer + '\n', false);
        row("import at the time of the newest saved whole", "Import", {sameTime}, none,
            twoEntries + sameTime + '\n' + three[2] + '\n', false);
        row("import, file changed meanwhile", "Import", {newer}, withOutside,
            withOutside + newer + '\n', false);
        // Changed in place with the time put back: only the change time tells.
        const QByteArray edited = QByteArray(threeEntries).replace("101", "109");
        row("new entry, file edited in place", "New", {}, edited, edited + newLine, false);
        row("delete, file edited in place", "Delete", {}, edited, edited.left(twoEntries.size()),
            false);
        row("import of one older entry, file edited in place", "Import", {older}, edited,
            older + '\n' + edited, false);
        // Planned again on the changed file: two readings that only the clock
        // change made look alike stay two.
        row("import of a repeated hour, file changed meanwhile", "Import", {repeated, repeated},
            withOutside, withOutside + repeated + '\n' + repeated + '\n', false);
    }
    void stepSaved()
    {
        QFETCH(QString, step);
        QFETCH(QByteArrayList, imported);
        QFETCH(QByteArray, outside);
        QFETCH(QByteArray, expected);
        QFETCH(bool, sameFile);
        Document d;
        const quint64 inode = DiaryFile::stampOf(d.dir.diary()).inode;
        QCOMPARE(d.document.open(d.dir.diary()).status, DiaryFile::LoadResult::Loaded);
        d.rows.outside = outside;
        if (step == "New") {
            d.addNew();
        } else if (step == "Delete") {
            d.push(new DeleteEntry(&d.document, 0));
        } else {
            d.import(imported);
        }
        QCOMPARE(readBytes(d.dir.diary()), expected);
        // A rewrite after a rename outside may get the freed inode number back.
        if (outside.isNull())
            QCOMPARE(DiaryFile::stampOf(d.dir.diary()).inode == inode, sameFile);
        QCOMPARE(d.document.diary().rowCount(), int(expected.count('\n')));
        QVERIFY(d.document.lastSaveError().isEmpty());
        QVERIFY(!d.document.hasUnsavedRows());

        d.document.undoStack()->undo();
        const QByteArray before = outside.isNull() ? threeEntries : outside;
        QCOMPARE(readBytes(d.dir.diary()), before);
        QCOMPARE(d.document.diary().rowCount(), int(before.count('\n')));
        QCOMPARE(d.host.errors, QStringList());
    }

    // What a stopped run left, tidied by the next holder of the lock before it
    // reads: an unfinished import's lines (its journal says where the file
    // ended), our own temporaries (nothing else beside the diary). Old Mac
    // line ends are read as lines and kept until a change.
    void leftOfAStoppedRun_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("journalAfter"); // the size the append was to reach; 0: none
        QTest::addColumn<bool>("sameFile");    // the journal names the diary's inode
        QTest::addColumn<QByteArray>("read");  // the rows, as a saved file
        const QByteArray torn = threeEntries + "10. 1.2020,06:00,Glucose, 160\n10. 1.20";
        QTest::newRow("import cut short") << torn << 200 << true << threeEntries;
        QTest::newRow("import done, its journal left")
            << withOutside << int(withOutside.size()) << true << withOutside;
        QTest::newRow("journal of an older file") << withOutside << 200 << false << withOutside;
        QTest::newRow("CR line ends")
            << QByteArray(threeEntries).replace('\n', '\r') << 0 << true << threeEntries;
    }
    void leftOfAStoppedRun()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, journalAfter);
        QFETCH(bool, sameFile);
        QFETCH(QByteArray, read);
        Document d;
        writeBytes(d.dir.diary(), file);
        if (journalAfter > 0) {
            const DiaryFile::Stamp stamp = DiaryFile::stampOf(d.dir.diary());
            writeBytes("MellidorFile.txt.journal", QByteArray::number(stamp.device) + ' ' +
                                                       QByteArray::number(stamp.inode + !sameFile) +
                                                       ' ' +
                                                       QByteArray::number(threeEntries.size()) +
                                                       ' ' + QByteArray::number(journalAfter));
        }
        const QStringList kept{".MellidorFile.txt.0123ABCD", ".MellidorFile.txt.backup",
                               "MellidorFile.txt.20241201"};
        for (const QString &name : kept + QStringList{".MellidorFile.txt.0123abcd"})
            writeBytes(name, "1.1.2020,08:00,Glucose, 100\n");
        DiaryLock lock(d.dir.diary());
        QCOMPARE(lock.tryLock(), DiaryLock::Locked);
        d.document.setLock(&lock);
        QCOMPARE(d.document.open(d.dir.diary()).status, DiaryFile::LoadResult::Loaded);
        QCOMPARE(d.document.diary().rowCount(), int(read.count('\n')));
        // Nothing more to save: the file stays as the holder left it.
        QVERIFY(d.document.saveAll());
        const QByteArray left = readBytes(d.dir.diary());
        QCOMPARE(left, file.contains('\r') ? file : read);
        QStringList files = kept + QStringList{"MellidorFile.txt", "MellidorFile.txt.lock"};
        files.sort();
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        // The next change writes what the list shows.
        d.addNew();
        QCOMPARE(readBytes(d.dir.diary()), read + newLine);
    }

    // Undo finds the imported entries by their texts: one removed outside
    // stays gone, and Redo brings back exactly the others.
    void importRedoneAfterOneWasRemovedOutside()
    {
        Document d;
        QCOMPARE(d.document.open(d.dir.diary()).status, DiaryFile::LoadResult::Loaded);
        const QByteArrayList lines{"10. 1.2020,06:00,Glucose, 160", "10. 1.2020,06:05,Glucose, 170",
                                   "10. 1.2020,06:10,Glucose, 180"};
        d.import(lines);
        const QByteArray kept = lines[0] + '\n' + lines[2] + '\n';
        replaceBytes(d.dir.diary(), threeEntries + kept);
        d.document.undoStack()->undo();
        QCOMPARE(readBytes(d.dir.diary()), threeEntries);
        QCOMPARE(d.host.errors.size(), 1);
        d.document.undoStack()->redo();
        QCOMPARE(readBytes(d.dir.diary()), threeEntries + kept);
        QCOMPARE(d.document.diary().rowCount(), 5);
    }

    // A step that cannot be saved stays in the rows; closing saves it, and
    // what another program wrote meanwhile is merged, not overwritten. The
    // file is never written while another copy holds the lock, nor over a
    // file that could not be read.
    void unsavedStep_data()
    {
        QTest::addColumn<QString>("cause"); // full (room for part of the line), locked, unreadable,
                                            // readonly
        QTest::addColumn<QByteArray>("outside");  // written before closing; null: nothing
        QTest::addColumn<QByteArray>("expected"); // the file after closing
        QTest::addColumn<QString>("error");       // in the save error at closing; none: saved
        QTest::newRow("disk full, file unchanged")
            << "full" << QByteArray() << threeEntries + newLine << "";
        // Gone when the step was made, back before the list is saved: read
        // again, so nothing says it had been moved.
        QTest::newRow("disk full, file moved away and back")
            << "full, moved" << QByteArray() << threeEntries + newLine << "";
        QTest::newRow("disk full, file changed")
            << "full" << withOutside << threeEntries + newLine + outsideLine + '\n'
            << "";
        QTest::newRow("locked by another copy")
            << "locked" << QByteArray() << threeEntries << "open in another Mellidor";
        QTest::newRow("unreadable diary")
            << "unreadable" << QByteArray() << QByteArray() << "could not be read";
        // An append and a rewrite alike, told once; root would write it too.
        QTest::newRow("read-only diary")
            << "readonly" << QByteArray() << threeEntries << "the diary is read-only";
    }
    void unsavedStep()
    {
        QFETCH(QString, cause);
        QFETCH(QByteArray, outside);
        QFETCH(QByteArray, expected);
        QFETCH(QString, error);
        Document d;
        if (cause == "unreadable")
            QVERIFY(QFile::remove(d.dir.diary()) && QDir().mkdir(d.dir.diary()));
        DiaryLock other(d.dir.diary()), mine(d.dir.diary());
        if (cause == "locked")
            QCOMPARE(other.tryLock(), DiaryLock::Locked);
        d.document.setLock(&mine);
        QCOMPARE(d.document.open(d.dir.diary()).status == DiaryFile::LoadResult::Failed,
                 cause == "unreadable");
        if (cause == "readonly")
            QVERIFY(QFile::setPermissions(d.dir.diary(), QFile::ReadOwner | QFile::ReadOther));
        const bool moved = cause.endsWith("moved");
        if (moved)
            QVERIFY(QFile::rename(d.dir.diary(), "elsewhere"));
        withFileSizeLimit(cause.startsWith("full") ? threeEntries.size() + 5 : 1 << 20, [&] {
            d.addNew();
            if (cause == "readonly")
                d.import({" 1. 1.2020,07:00,Glucose, 150"});
        });
        QCOMPARE(d.host.retriesAsked, 1);
        QVERIFY(!d.document.lastSaveError().isEmpty());
        if (!outside.isNull())
            replaceBytes(d.dir.diary(), outside);
        if (moved)
            QVERIFY(QFile::rename("elsewhere", d.dir.diary()));
        QTest::failOnWarning(QRegularExpression("moved or deleted"));
        QCOMPARE(d.document.saveAll(), error.isEmpty());
        QCOMPARE(d.document.hasUnsavedRows(), !error.isEmpty());
        QVERIFY2(error.isEmpty() ? d.document.lastSaveError().isEmpty()
                                 : d.document.lastSaveError().contains(error),
                 qPrintable(d.document.lastSaveError()));
        QCOMPARE(readBytes(d.dir.diary()), expected);
        QCOMPARE(QFileInfo(d.dir.diary()).isDir(), cause == "unreadable");
    }

    void deleteAndUndo_data()
    {
        QTest::addColumn<int>("current"); // item, -1 none
        QTest::addColumn<int>("entries"); // the first of the hand-typed diary
        QTest::addColumn<int>("deleted"); // row
        QTest::addColumn<int>("after");   // the current row
        QTest::addColumn<bool>("full");   // the rewrite after Delete fails
        QTest::newRow("top") << 0 << 3 << 0 << 0 << false;
        QTest::newRow("no current item") << -1 << 3 << 0 << 0 << false;
        QTest::newRow("middle, through the value column") << 3 * 3 + 1 << 3 << 1 << 1 << false;
        QTest::newRow("bottom") << 2 << 3 << 2 << 1 << false;
        QTest::newRow("only entry") << 0 << 1 << 0 << -1 << false;
        // The next step saves the whole list again: undo puts the file back.
        QTest::newRow("save failed") << 0 << 3 << 0 << 0 << true;
    }
    void deleteAndUndo()
    {
        QFETCH(int, current);
        QFETCH(int, entries);
        QFETCH(int, deleted);
        QFETCH(int, after);
        QFETCH(bool, full);
        // The middle line is hand-typed: its texts must come back exactly.
        QList<QByteArray> lines = testData("diary-hand-typed.txt").split('\n').mid(0, entries);
        const QByteArray diary = lines.join('\n') + '\n';
        WorkDir dir(diary);
        lines.removeAt(entries - 1 - deleted); // the file is oldest first
        const QByteArray afterBytes = lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n';
        Mellidor window;
        window.listBox->setCurrentItem(current);
        const auto items = window.findChild<QMenuBar *>()->actions().at(0)->menu()->actions();
        QAction *undoAction = items.at(4), *redoAction = items.at(5);

        // A file-size limit below the diary makes the rewrite fail.
        withFileSizeLimit(full ? 10 : 1 << 20, [&window] { press(window, QKeySequence::Delete); });
        QCOMPARE(window.listBox->currentIndex().row(), after);
        QCOMPARE(readBytes(dir.diary()), full ? diary : afterBytes);
        QCOMPARE(m_messages.size(), int(full));
        QCOMPARE(undoAction->text(), QStringLiteral("&Undo Delete Entry"));

        press(window, QKeySequence::Undo);
        QCOMPARE(readBytes(dir.diary()), diary);
        QVERIFY(!undoAction->isEnabled());
        QCOMPARE(redoAction->text(), QStringLiteral("&Redo Delete Entry"));

        press(window, QKeySequence::Redo);
        QCOMPARE(readBytes(dir.diary()), afterBytes);
        QCOMPARE(window.listBox->currentIndex().row(), after);
        QCOMPARE(m_messages.size(), int(full));
    }

    void deleteOnEmptyListDoesNothing()
    {
        WorkDir dir;
        Mellidor window;
        press(window, QKeySequence::Delete);
        QCOMPARE(window.undoStack()->count(), 0);
        QVERIFY(!QFileInfo::exists(dir.diary()));
    }

    void editUndoAndNewThenEdit()
    {
        const QByteArray typedEntries = testData("diary-hand-typed.txt");
        WorkDir dir(typedEntries);
        Mellidor window;
        window.listBox->setCurrentItem(2); // the oldest entry becomes the newest
        enterValue(window, "&Edit Value", 2, 2021);
        QCOMPARE(rowLines(window).first(), QStringLiteral(" 1. 1.2021,08:00,Glucose, 101"));
        QCOMPARE(window.listBox->currentIndex().row(), 0);
        QCOMPARE(window.undoStack()->undoText(), QStringLiteral("Edit Entry"));
        press(window, QKeySequence::Undo);
        QCOMPARE(readBytes(dir.diary()), typedEntries);
        QCOMPARE(window.listBox->currentIndex().row(), 2);

        // Edit after New corrects the new entry, not the one current before.
        window.listBox->setCurrentItem(0);
        enterValue(window, "&New Value", 0, 77);
        enterValue(window, "&Edit Value", 5, 88);
        QVERIFY(rowLines(window).first().endsWith(QStringLiteral("  88")));
        QCOMPARE(rowLines(window).at(1), QStringLiteral(" 3. 1.2020,08:00,Bolus,   3"));
    }

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestOutsideChange)
#include "tst_outsidechange.moc"
