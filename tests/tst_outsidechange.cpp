// SPDX-License-Identifier: GPL-3.0-or-later
// Another program (a sync tool, an editor, a restore) changes the diary file
// while Mellidor has it open: nothing of either side may be lost.
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"
#include "ui/mellidor.h"

#include <QDialog>
#include <QSpinBox>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <future>
#include <unistd.h>

namespace {

const QByteArrayList three{" 1. 1.2020,08:00,Glucose, 101", " 2. 1.2020,08:00,Carbs,  20",
                           " 3. 1.2020,08:00,Bolus,   3"};
const QByteArray threeEntries = three.join('\n') + '\n';
const QByteArray outsideLine = " 9. 1.2020,09:00,Carbs,  55";

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

bool sameFile(const DiaryFile::Stamp &a, const QByteArray &name)
{
    return DiaryFile::stampOf(QFile::decodeName(name)) == a;
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
            ::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(), RENAME_EXCHANGE);
            done = sameFile(before, swap);
            if (!done) // changed meanwhile: put it back
                ::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(),
                            RENAME_EXCHANGE);
            ::unlink(swap.constData());
        }
    }
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
        const QList<std::pair<const char *, QByteArrayList>> steps{
            {"&New", three + QByteArrayList{outsideLine, " 5. 3.2020,07:05,Glucose, 222"}},
            // Edit and Delete act on the current entry: the top one before the change.
            {"&Edit", {three[0], three[1], " 3. 1.2020,08:00,Bolus, 222", outsideLine}},
            {"&Delete", {three[0], three[1], outsideLine}}};
        const QByteArray lf = threeEntries + outsideLine + '\n';
        for (const auto &[name, bytes, rename] :
             {std::tuple{"appended", lf, false},
              std::tuple{"appended without line feed", lf.chopped(1), false},
              std::tuple{"replaced by rename", lf, true},
              std::tuple{"moved away", QByteArray(), false}}) {
            for (auto [step, expected] : steps) {
                // Moved away: the whole list takes its place, and the user is told.
                if (bytes.isNull())
                    expected.removeAll(outsideLine);
                QTest::addRow("%s, then %s", name, step + 1)
                    << bytes << rename << QString(step) << expected << int(bytes.isNull());
            }
        }
        // The entry being edited or deleted goes away outside: the user is told,
        // and a corrected one is added as new.
        const QByteArray two = three[0] + '\n' + three[1] + '\n';
        QTest::newRow("edited entry removed")
            << two << true << "&Edit"
            << QByteArrayList{three[0], three[1], " 3. 1.2020,08:00,Bolus, 222"} << 1;
        QTest::newRow("deleted entry removed") << two << true << "&Delete" << three.mid(0, 2) << 1;
    }

    void outsideChangeThenStep()
    {
        QFETCH(QByteArray, outside);
        QFETCH(bool, byRename);
        QFETCH(QString, step);
        QFETCH(QByteArrayList, expected);
        QFETCH(int, told);
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        Clock::setForTesting([] { return QDateTime(QDate(2020, 3, 5), QTime(7, 5)); });
        Mellidor window;
        window.listBox->setCurrentItem(0);
        // While the dialog is open, or before a step without one.
        const auto change = [&] {
            if (outside.isNull())
                QVERIFY(QFile::rename(dir.diary(), dir.file("elsewhere.txt")));
            else
                byRename ? replaceBytes(dir.diary(), outside) : writeBytes(dir.diary(), outside);
        };
        if (step == "&Delete")
            change();
        else
            whenDialogOpens([&](QDialog *dialog) {
                change();
                spinBoxes(dialog).last()->setValue(222);
                pressOk(dialog);
            });
        triggerMenuItem(window, 0, step);
        verifyDialogsAnswered();
        Clock::setForTesting(nullptr);
        QCOMPARE(fileLines(dir.diary()), expected);
        QCOMPARE(m_messages.size(), told);
        QCOMPARE(window.listBox->rowCount(), expected.size());
    }

    // Rows read again mean other neighbours: an undone step puts the entry
    // back where its date and time place it, not at its old row number.
    void undoAfterOutsideChange_data()
    {
        QTest::addColumn<QString>("step");
        QTest::newRow("delete") << "&Delete";
        QTest::newRow("edit") << "&Edit";
    }

    void undoAfterOutsideChange()
    {
        QFETCH(QString, step);
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        Mellidor window;
        window.listBox->setCurrentItem(0);
        if (step == "&Edit")
            enterValue(window, step, 5, 222);
        else
            triggerMenuItem(window, 0, step);
        QCOMPARE(window.listBox->rowCount(), step == "&Edit" ? 3 : 2);
        replaceBytes(dir.diary(), readBytes(dir.diary()) + outsideLine + '\n');
        triggerMenuItem(window, 0, "&Undo");
        QCOMPARE(fileLines(dir.diary()), three + QByteArrayList{outsideLine});
        QCOMPARE(m_messages.size(), 0);
    }

    void vanishedFileWrittenAtClose()
    {
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        Mellidor window;
        QVERIFY(QFile::rename(dir.diary(), dir.file("elsewhere.txt")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("moved or deleted.*wrote the whole list"));
        window.close();
        QCOMPARE(readBytes(dir.diary()), threeEntries);
    }

    void idleWindowFollowsFile()
    {
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
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
        WorkDir dir;
        const QString path = dir.diary();
        writeBytes(path, threeEntries);
        Diary diary;
        DiaryFile::LoadResult loaded = DiaryFile::load(path, diary);
        // Changed after the read: the save does not go through.
        writeBytes(path, threeEntries + outsideLine + '\n');
        DiaryFile::Stamp written;
        QString error;
        QCOMPARE(DiaryFile::saveOver(path, diary, loaded.stamp, &written, &error),
                 DiaryFile::SaveOutcome::ChangedOutside);
        QCOMPARE(readBytes(path), threeEntries + outsideLine + '\n');
        diary.prependRow({" 4. 1.2020", "08:00", "Bolus", "   4"});
        QCOMPARE(DiaryFile::saveOver(path, diary, DiaryFile::stampOf(path), &written, &error),
                 DiaryFile::SaveOutcome::Saved);
        QCOMPARE(DiaryFile::stampOf(path), written);
        QCOMPARE(readBytes(path), threeEntries + " 4. 1.2020,08:00,Bolus,   4\n");
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"MellidorFile.txt"});
    }

    void stressWithAnotherWriter()
    {
        constexpr int rounds = 300;
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
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

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestOutsideChange)
#include "tst_outsidechange.moc"
