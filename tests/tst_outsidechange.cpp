// Another program (a sync tool, an editor, a restore) changes the diary file
// while Mellidor has it open: nothing of either side may be lost.
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "testsupport.h"
#include "ui/mellidor.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray threeEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                                " 2. 1.2020,08:00,Carbs,  20\n"
                                " 3. 1.2020,08:00,Bolus,   3\n";
const QByteArray outsideLine = " 9. 1.2020,09:00,Carbs,  55";

void trigger(Mellidor &window, const QString &text)
{
    QMenu *input = window.findChild<QMenuBar *>()->actions().at(0)->menu();
    for (QAction *action : input->actions()) {
        if (action->text() == text)
            return action->trigger();
    }
    QFAIL("no such menu item");
}

// New with the given value, or Edit that sets it.
void enter(Mellidor &window, const QString &item, int value)
{
    whenDialogOpens([value](QDialog *dialog) {
        spinBoxes(dialog).last()->setValue(value);
        pressOk(dialog);
    });
    trigger(window, item);
}

void appendBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}

// As editors and sync tools do: a new file renamed over the old one.
void replaceBytes(const QString &path, const QByteArray &bytes)
{
    writeBytes(path + ".new", bytes);
    QCOMPARE(
        ::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()),
        0);
}

QByteArrayList fileLines(const QString &path)
{
    QByteArrayList lines = readBytes(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray writerLine(int i)
{
    return QString::asprintf("%2d. 1.2001,%02d:%02d,Carbs, %3d", 1 + i / 1440, (i / 60) % 24,
                             i % 60, 1 + i % 999)
        .toUtf8();
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_ino == b.st_ino && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The other program of the stress test, a careful sync tool: it appends, or
// rewrites by swapping in a new file, one line at a time at random moments,
// and tries again when the file changed under it.
int runWriter(const QString &path, int rounds)
{
    const QByteArray name = QFile::encodeName(path), swap = name + ".w";
    QRandomGenerator random(rounds);
    for (int i = 0; i < rounds; ++i) {
        QThread::usleep(random.bounded(4000));
        const QByteArray line = writerLine(i) + '\n';
        for (bool done = false; !done;) {
            struct stat before, after;
            if (random.bounded(2)) {
                QFile file(path);
                if (!file.open(QIODevice::Append) || file.write(line) != line.size())
                    return 1;
                file.close();
                // It may have gone to a file that was replaced meanwhile.
                QThread::usleep(2000);
                done = readBytes(path).contains(line);
                continue;
            }
            if (::stat(name.constData(), &before) != 0)
                return 1;
            QByteArray bytes = readBytes(path);
            if (!bytes.isEmpty() && !bytes.endsWith('\n'))
                bytes += '\n';
            writeBytes(path + ".w", bytes + line);
            if (::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(),
                            RENAME_EXCHANGE) != 0)
                return 1;
            ::stat(swap.constData(), &after);
            done = sameFile(before, after);
            if (!done) // changed meanwhile: put it back
                ::renameat2(AT_FDCWD, swap.constData(), AT_FDCWD, name.constData(),
                            RENAME_EXCHANGE);
            ::unlink(swap.constData());
        }
    }
    return 0;
}

} // namespace

class TestOutsideChange : public QObject
{
    Q_OBJECT
private slots:
    void init() { recordMessages(&m_messages); }
    void cleanup() { UserMessage::setHandlerForTesting({}); }
    void outsideChangeThenStep_data();
    void outsideChangeThenStep();
    void editedEntryDeletedOutside();
    void fileMovedAway();
    void idleWindowFollowsFile();
    void saveHandsBackWhatChangedMeanwhile();
    void stressWithAnotherWriter();

private:
    QList<UserMessage::Shown> m_messages;
};

void TestOutsideChange::outsideChangeThenStep_data()
{
    QTest::addColumn<QByteArray>("outside"); // what the other program leaves
    QTest::addColumn<bool>("byRename");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QByteArrayList>("expected"); // the file afterwards, in order
    const QByteArray lf = threeEntries + outsideLine + '\n';
    const QByteArray noLf = threeEntries + outsideLine;
    const QByteArray newLine = " 5. 3.2020,07:05,Glucose, 222";
    const QByteArrayList appended{" 1. 1.2020,08:00,Glucose, 101", " 2. 1.2020,08:00,Carbs,  20",
                                  " 3. 1.2020,08:00,Bolus,   3", outsideLine};
    for (const auto &[name, bytes, rename] :
         {std::tuple{"appended", lf, false}, std::tuple{"appended without line feed", noLf, false},
          std::tuple{"replaced by rename", lf, true}}) {
        QTest::addRow("%s, then New", name)
            << bytes << rename << "&New Value" << (QByteArrayList(appended) << newLine);
        // Edit and Delete act on the current entry: the one outside is newest.
        QTest::addRow("%s, then Edit", name)
            << bytes << rename << "&Edit Value"
            << QByteArrayList{appended[0], appended[1], " 9. 1.2020,09:00,Carbs, 222", appended[2]};
        QTest::addRow("%s, then Delete", name)
            << bytes << rename << "&Delete Value"
            << QByteArrayList{appended[0], appended[1], outsideLine};
    }
}

void TestOutsideChange::outsideChangeThenStep()
{
    QFETCH(QByteArray, outside);
    QFETCH(bool, byRename);
    QFETCH(QString, step);
    QFETCH(QByteArrayList, expected);
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Clock::setForTesting([] { return QDateTime(QDate(2020, 3, 5), QTime(7, 5)); });
    Mellidor window;
    // The top entry is current: after the reload it is the third line.
    window.listBox->setCurrentItem(0);
    byRename ? replaceBytes(path, outside) : writeBytes(path, outside);
    if (step == QLatin1String("&Delete Value")) {
        trigger(window, step);
    } else {
        enter(window, step, 222);
    }
    Clock::setForTesting(nullptr);
    // Edit moves the corrected Bolus entry (3 January) below the outside one.
    if (step == QLatin1String("&Edit Value"))
        expected =
            QByteArrayList{expected[0], expected[1], " 3. 1.2020,08:00,Bolus, 222", outsideLine};
    QCOMPARE(fileLines(path), expected);
    QCOMPARE(m_messages.size(), 0);
    QCOMPARE(window.listBox->rowCount(), expected.size());
}

void TestOutsideChange::editedEntryDeletedOutside()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Mellidor window;
    window.listBox->setCurrentItem(0);
    whenDialogOpens([&](QDialog *dialog) {
        // While the dialog is open, the entry goes away outside.
        replaceBytes(path, threeEntries.left(threeEntries.lastIndexOf(" 3.")));
        spinBoxes(dialog).last()->setValue(7);
        pressOk(dialog);
    });
    trigger(window, "&Edit Value");
    QCOMPARE(fileLines(path),
             (QByteArrayList{" 1. 1.2020,08:00,Glucose, 101", " 2. 1.2020,08:00,Carbs,  20",
                             " 3. 1.2020,08:00,Bolus,   7"}));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(" 3. 1.2020,08:00,Bolus,   3"));
    QVERIFY(m_messages[0].text.contains("added as a new one"));
}

void TestOutsideChange::fileMovedAway()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Mellidor window;
    QVERIFY(QFile::rename(path, dir.file("elsewhere.txt")));
    enter(window, "&New Value", 150);
    enter(window, "&New Value", 160);
    // The whole list, not a one-line file; told once.
    QCOMPARE(fileLines(path).size(), 5);
    QVERIFY(fileLines(path).first().endsWith(" 101"));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains("moved or deleted"));
}

void TestOutsideChange::idleWindowFollowsFile()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Mellidor window;
    window.show();
    window.listBox->setCurrentItem(3 * 3 + 1); // the Carbs entry, value column
    replaceBytes(path, outsideLine + '\n' + threeEntries);
    QTRY_COMPARE(window.listBox->rowCount(), 4);
    QCOMPARE(window.listBox->currentIndex().row(), 1);
    QCOMPARE(window.listBox->currentIndex().column(), 3);
    appendBytes(path, outsideLine + "0\n");
    QTRY_COMPARE(window.listBox->rowCount(), 5);
    QCOMPARE(readBytes(path), outsideLine + '\n' + threeEntries + outsideLine + "0\n");
}

void TestOutsideChange::saveHandsBackWhatChangedMeanwhile()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Diary diary;
    DiaryFile::LoadResult loaded = DiaryFile::load(path, diary);
    // Changed after the read: the save does not go through.
    appendBytes(path, outsideLine + '\n');
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
    // Nothing is left beside the file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"MellidorFile.txt"});
}

void TestOutsideChange::stressWithAnotherWriter()
{
    constexpr int rounds = 300;
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    int minute = 0;
    Clock::setForTesting(
        [&minute] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0)).addSecs(60 * minute); });
    Mellidor window;
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--writer"), path, QString::number(rounds)});
    QVERIFY(writer.waitForStarted());
    QByteArrayList ours;
    for (int i = 0; writer.state() == QProcess::Running || i < 20; ++i) {
        ++minute;
        enter(window, "&New Value", 1000 + i % 1000);
        // Correct the new entry at once: it is the current one.
        enter(window, "&Edit Value", 2000 + i % 1000);
        const QDateTime when = Clock::now();
        ours << QString::asprintf("%2d.%2d.%d,%02d:%02d,Glucose, %d", when.date().day(),
                                  when.date().month(), when.date().year(), when.time().hour(),
                                  when.time().minute(), 2000 + i % 1000)
                    .toUtf8();
    }
    QVERIFY(writer.state() == QProcess::NotRunning || writer.waitForFinished(60000));
    QCOMPARE(writer.exitCode(), 0);
    Clock::setForTesting(nullptr);
    QCOMPARE(m_messages.size(), 0);
    const QByteArrayList lines = fileLines(path);
    int lost = 0;
    for (int i = 0; i < rounds; ++i)
        lost += !lines.contains(writerLine(i));
    for (const QByteArray &line : ours)
        lost += !lines.contains(line);
    QCOMPARE(lost, 0);
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    QApplication app(argc, argv);
    TestOutsideChange test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outsidechange.moc"
