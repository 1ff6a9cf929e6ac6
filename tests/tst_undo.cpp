#include "testsupport.h"
#include "ui/mellidor.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QUndoStack>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// The middle line is hand-typed: its texts must come back exactly.
const QByteArray threeEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                                "02.01.2020,9:15,Carbs,20\n"
                                " 3. 1.2020,08:00,Bolus,   3\n";

QAction *inputAction(const Mellidor &window, const QString &text)
{
    QMenu *input = window.findChild<QMenuBar *>()->actions().at(0)->menu();
    for (QAction *action : input->actions()) {
        if (action->text().startsWith(text))
            return action;
    }
    return nullptr;
}

// Shortcuts reach only the active window.
void activate(Mellidor &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void pressDelete(Mellidor &window)
{
    window.listBox->setFocus();
    QTest::keyClick(window.listBox, Qt::Key_Delete);
}

void undo(Mellidor &window)
{
    activate(window);
    QTest::keySequence(&window, QKeySequence::Undo);
}

void redo(Mellidor &window)
{
    activate(window);
    QTest::keySequence(&window, QKeySequence::Redo);
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT
private slots:
    void init() { recordMessages(&m_messages); }
    void cleanup() { UserMessage::setHandlerForTesting({}); }
    void deleteAndUndo_data();
    void deleteAndUndo();
    void deleteOnEmptyListDoesNothing();
    void undoOfMovedEdit();
    void undoAfterFailedSave();
    void newThenEditCorrectsNewEntry();

private:
    QList<UserMessage::Shown> m_messages;
};

void TestUndo::deleteAndUndo_data()
{
    QTest::addColumn<int>("current"); // item index, -1 for none
    QTest::addColumn<QByteArray>("diary");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("currentAfter");
    const QStringList all{" 3. 1.2020,08:00,Bolus,   3", "02.01.2020,9:15,Carbs,20",
                          " 1. 1.2020,08:00,Glucose, 101"};
    QTest::newRow("top") << 0 << threeEntries << QStringList{all[1], all[2]} << 0;
    QTest::newRow("no current item") << -1 << threeEntries << QStringList{all[1], all[2]} << 0;
    QTest::newRow("middle, through the value column")
        << 3 * 3 + 1 << threeEntries << QStringList{all[0], all[2]} << 1;
    QTest::newRow("bottom") << 2 << threeEntries << QStringList{all[0], all[1]} << 1;
    QTest::newRow("only entry") << 0 << QByteArray(" 1. 1.2020,08:00,Glucose, 101\n")
                                << QStringList() << -1;
}

void TestUndo::deleteAndUndo()
{
    QFETCH(int, current);
    QFETCH(QByteArray, diary);
    QFETCH(QStringList, after);
    QFETCH(int, currentAfter);
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, diary);
    Mellidor window;
    activate(window);
    const QStringList before = rowLines(window);
    window.listBox->setCurrentItem(current);
    QAction *undoAction = inputAction(window, "&Undo");
    QAction *redoAction = inputAction(window, "&Redo");
    QVERIFY(!undoAction->isEnabled());
    QVERIFY(!redoAction->isEnabled());

    pressDelete(window);
    QCOMPARE(rowLines(window), after);
    QCOMPARE(window.listBox->currentIndex().row(), currentAfter);
    const QByteArray deleted = readBytes(path);
    QCOMPARE(QString::fromUtf8(deleted).split(u'\n', Qt::SkipEmptyParts).size(), after.size());
    QVERIFY(undoAction->isEnabled());
    QCOMPARE(undoAction->text(), QStringLiteral("&Undo Delete Entry"));

    undo(window);
    QCOMPARE(rowLines(window), before);
    QCOMPARE(readBytes(path), diary);
    QVERIFY(!undoAction->isEnabled());
    QCOMPARE(redoAction->text(), QStringLiteral("&Redo Delete Entry"));

    redo(window);
    QCOMPARE(rowLines(window), after);
    QCOMPARE(readBytes(path), deleted);
    QVERIFY(m_messages.isEmpty());
}

void TestUndo::deleteOnEmptyListDoesNothing()
{
    WorkDir dir;
    Mellidor window;
    activate(window);
    inputAction(window, "&Delete Value")->trigger();
    pressDelete(window);
    QCOMPARE(window.undoStack()->count(), 0);
    QVERIFY(!QFileInfo::exists(dir.file("MellidorFile.txt")));
}

void TestUndo::undoOfMovedEdit()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Mellidor window;
    activate(window);
    window.listBox->setCurrentItem(2); // the oldest entry becomes the newest
    whenDialogOpens([](QDialog *dialog) {
        spinBoxes(dialog)[2]->setValue(2021);
        pressOk(dialog);
    });
    inputAction(window, "&Edit Value")->trigger();
    QCOMPARE(rowLines(window).first(), QStringLiteral(" 1. 1.2021,08:00,Glucose, 101"));
    QCOMPARE(window.listBox->currentIndex().row(), 0);
    QCOMPARE(inputAction(window, "&Undo")->text(), QStringLiteral("&Undo Edit Entry"));
    undo(window);
    QCOMPARE(readBytes(path), threeEntries);
    QCOMPARE(window.listBox->currentIndex().row(), 2);
}

void TestUndo::undoAfterFailedSave()
{
    WorkDir dir;
    const QString path = dir.file("MellidorFile.txt");
    writeBytes(path, threeEntries);
    Mellidor window;
    activate(window);
    // A file-size limit below the diary makes the rewrite after Delete fail.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 10;
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    pressDelete(window);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(readBytes(path), threeEntries);

    // The next step saves the whole list again: undo puts the file back.
    undo(window);
    QCOMPARE(readBytes(path), threeEntries);
    redo(window);
    QCOMPARE(rowLines(window).size(), 2);
    QCOMPARE(QString::fromUtf8(readBytes(path)).count(u'\n'), 2);
    QCOMPARE(m_messages.size(), 1);
}

void TestUndo::newThenEditCorrectsNewEntry()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), threeEntries);
    Mellidor window;
    window.listBox->setCurrentItem(0);
    whenDialogOpens([](QDialog *dialog) {
        spinBoxes(dialog)[0]->setValue(77);
        pressOk(dialog);
    });
    inputAction(window, "&New Value")->trigger();
    QCOMPARE(window.listBox->currentIndex().row(), 0);
    QCOMPARE(inputAction(window, "&Undo")->text(), QStringLiteral("&Undo New Entry"));
    whenDialogOpens([](QDialog *dialog) {
        spinBoxes(dialog).last()->setValue(88);
        pressOk(dialog);
    });
    inputAction(window, "&Edit Value")->trigger();
    QCOMPARE(rowLines(window).size(), 4);
    QVERIFY(rowLines(window).first().endsWith(QStringLiteral("  88")));
    QCOMPARE(rowLines(window).at(1), QStringLiteral(" 3. 1.2020,08:00,Bolus,   3"));
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
