// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"
#include "ui/mellidor.h"

#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>
#include <QtTest>

namespace {

// The middle line is hand-typed: its texts must come back exactly.
const QByteArray threeEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                                "02.01.2020,9:15,Carbs,20\n"
                                " 3. 1.2020,08:00,Bolus,   3\n";

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

class TestUndo : public QObject
{
    Q_OBJECT
private slots:
    void init() { recordMessages(&m_messages); }
    void cleanup() { verifyDialogsAnswered(); } // also for a test that forgot to

    void deleteAndUndo_data()
    {
        QTest::addColumn<int>("current"); // item, -1 none
        QTest::addColumn<int>("entries"); // the first of threeEntries
        QTest::addColumn<int>("deleted"); // row
        QTest::addColumn<int>("after");   // the current row
        QTest::newRow("top") << 0 << 3 << 0 << 0;
        QTest::newRow("no current item") << -1 << 3 << 0 << 0;
        QTest::newRow("middle, through the value column") << 3 * 3 + 1 << 3 << 1 << 1;
        QTest::newRow("bottom") << 2 << 3 << 2 << 1;
        QTest::newRow("only entry") << 0 << 1 << 0 << -1;
    }

    void deleteAndUndo()
    {
        QFETCH(int, current);
        QFETCH(int, entries);
        QFETCH(int, deleted);
        QFETCH(int, after);
        WorkDir dir;
        QList<QByteArray> lines = threeEntries.split('\n').mid(0, entries);
        const QByteArray diary = lines.join('\n') + '\n';
        writeBytes(dir.diary(), diary);
        lines.removeAt(entries - 1 - deleted); // the file is oldest first
        const QByteArray afterBytes = lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n';
        Mellidor window;
        window.listBox->setCurrentItem(current);
        const auto items = window.findChild<QMenuBar *>()->actions().at(0)->menu()->actions();
        QAction *undoAction = items.at(4), *redoAction = items.at(5);
        QVERIFY(!undoAction->isEnabled() && !redoAction->isEnabled());

        press(window, QKeySequence::Delete);
        QCOMPARE(window.listBox->currentIndex().row(), after);
        QCOMPARE(readBytes(dir.diary()), afterBytes);
        QVERIFY(undoAction->isEnabled());
        QCOMPARE(undoAction->text(), QStringLiteral("&Undo Delete Entry"));

        press(window, QKeySequence::Undo);
        QCOMPARE(readBytes(dir.diary()), diary);
        QVERIFY(!undoAction->isEnabled());
        QCOMPARE(redoAction->text(), QStringLiteral("&Redo Delete Entry"));

        press(window, QKeySequence::Redo);
        QCOMPARE(readBytes(dir.diary()), afterBytes);
        QVERIFY(m_messages.isEmpty());
    }

    void deleteOnEmptyListDoesNothing()
    {
        WorkDir dir;
        Mellidor window;
        press(window, QKeySequence::Delete);
        QCOMPARE(window.undoStack()->count(), 0);
        QVERIFY(!QFileInfo::exists(dir.diary()));
    }

    void undoAfterFailedSave()
    {
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        Mellidor window;
        // A file-size limit below the diary makes the rewrite after Delete fail.
        withFileSizeLimit(10, [&window] { press(window, QKeySequence::Delete); });
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(readBytes(dir.diary()), threeEntries);
        // The next step saves the whole list again: undo puts the file back.
        press(window, QKeySequence::Undo);
        QCOMPARE(readBytes(dir.diary()), threeEntries);
        press(window, QKeySequence::Redo);
        QCOMPARE(QString::fromUtf8(readBytes(dir.diary())).count(u'\n'), 2);
        QCOMPARE(m_messages.size(), 1);
    }

    void editUndoAndNewThenEdit()
    {
        WorkDir dir;
        writeBytes(dir.diary(), threeEntries);
        Mellidor window;
        window.listBox->setCurrentItem(2); // the oldest entry becomes the newest
        enterValue(window, "&Edit Value", 2, 2021);
        QCOMPARE(rowLines(window).first(), QStringLiteral(" 1. 1.2021,08:00,Glucose, 101"));
        QCOMPARE(window.listBox->currentIndex().row(), 0);
        QCOMPARE(window.undoStack()->undoText(), QStringLiteral("Edit Entry"));
        press(window, QKeySequence::Undo);
        QCOMPARE(readBytes(dir.diary()), threeEntries);
        QCOMPARE(window.listBox->currentIndex().row(), 2);

        // Edit after New corrects the new entry, not the one current before.
        window.listBox->setCurrentItem(0);
        enterValue(window, "&New Value", 0, 77);
        QCOMPARE(window.listBox->currentIndex().row(), 0);
        QCOMPARE(window.undoStack()->undoText(), QStringLiteral("New Entry"));
        enterValue(window, "&Edit Value", 5, 88);
        QVERIFY(rowLines(window).first().endsWith(QStringLiteral("  88")));
        QCOMPARE(rowLines(window).at(1), QStringLiteral(" 3. 1.2020,08:00,Bolus,   3"));
    }

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
