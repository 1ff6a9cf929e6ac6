#include "core/clock.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

const QByteArray fourEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                               " 2. 1.2020,08:00,Carbs,  20\n"
                               " 3. 1.2020,08:00,Bolus,   3\n"
                               " 4. 1.2020,08:00,Lantus,  12\n";

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newValue_data();
    void newValue();
    void newValueStampedWhenOpened();
    void newValueEnterAcceptsEscapeRejects();
    void editChoosesRow_data();
    void editChoosesRow();
    void editPlacesEntry_data();
    void editPlacesEntry();
    void editOnEmptyListShowsNothing();
    void editShowsEntry_data();
    void editShowsEntry();
    void editDayFollowsMonth();
    void setupWritesSettings();
    void setupCancelKeepsSettings();
    void setupReportsWriteFailure_data();
    void setupReportsWriteFailure();
    void saveFailedButtons_data();
    void saveFailedButtons();

private:
    QList<UserMessage::Shown> m_messages;
};

void TestDialogs::init()
{
    recordMessages(&m_messages);
    Clock::setForTesting([] { return QDateTime(QDate(2020, 3, 5), QTime(7, 5, 42)); });
}

void TestDialogs::cleanup()
{
    UserMessage::setHandlerForTesting(nullptr);
    Clock::setForTesting(nullptr);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestDialogs::newValue_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value"); // 0 keeps the one shown
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("line"); // empty: cancelled
    QTest::newRow("unchanged") << fourEntries << 0 << 0 << " mg/dL"
                               << " 5. 3.2020,07:05,Glucose, 100";
    QTest::newRow("Carbs") << fourEntries << 1 << 45 << " g"
                           << " 5. 3.2020,07:05,Carbs,  45";
    QTest::newRow("Insuman Rapid") << fourEntries << 10 << 8 << " U"
                                   << " 5. 3.2020,07:05,Insuman Rapid,   8";
    QTest::newRow("empty diary") << QByteArray() << 0 << 0 << " mg/dL"
                                 << " 5. 3.2020,07:05,Glucose, 100";
    QTest::newRow("cancelled") << fourEntries << 3 << 5 << " U" << QString();
}

void TestDialogs::newValue()
{
    QFETCH(QByteArray, file);
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(QString, suffix);
    QFETCH(QString, line);
    WorkDir dir;
    writeBytes(dir.diary(), file);
    Mellidor window;
    const int rows = int(file.count('\n'));
    QString shownSuffix;
    answerDialog(&window, "insertNewValue", [&](QDialog *dialog) {
        QSpinBox *box = spinBoxes(dialog).value(0);
        dialog->findChild<QComboBox *>()->setCurrentIndex(type);
        if (value > 0)
            box->setValue(value);
        shownSuffix = box->suffix();
        line.isEmpty() ? pressCancel(dialog) : pressOk(dialog);
    });
    QCOMPARE(shownSuffix, suffix);
    if (line.isEmpty()) {
        QCOMPARE(window.listBox->rowCount(), rows);
        QCOMPARE(readBytes(dir.diary()), file);
        return;
    }
    QCOMPARE(window.listBox->rowCount(), rows + 1);
    QCOMPARE(rowLines(window).first(), line);
    QCOMPARE(tableString, line.split(u',')[2]);
    // On disk before the slot returned, as the last line.
    QCOMPARE(readBytes(dir.diary()), file + line.toUtf8() + '\n');
    QVERIFY(m_messages.isEmpty());
}

void TestDialogs::newValueStampedWhenOpened()
{
    WorkDir dir;
    Clock::setForTesting([] { return QDateTime(QDate(2020, 12, 31), QTime(23, 59, 30)); });
    Mellidor window;
    answerDialog(&window, "insertNewValue", [](QDialog *dialog) {
        Clock::setForTesting([] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0, 30)); });
        pressOk(dialog);
    });
    QCOMPARE(rowLines(window), QStringList{"31.12.2020,23:59,Glucose, 100"});
}

void TestDialogs::newValueEnterAcceptsEscapeRejects()
{
    WorkDir dir;
    Mellidor window;
    window.show();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        answerDialog(&window, "insertNewValue",
                     [key](QDialog *dialog) { QTest::keyClick(dialog->focusWidget(), key); });
        QCOMPARE(window.listBox->rowCount(), 1);
    }
}

void TestDialogs::editChoosesRow_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("day"); // day of the entry the dialog shows
    QTest::newRow("no current item") << -1 << 4;
    QTest::newRow("date of row 2") << 2 << 2;
    QTest::newRow("time of row 2") << 4 + 2 << 2;
    QTest::newRow("type of row 1") << 8 + 1 << 3;
    QTest::newRow("value of row 2") << 12 + 2 << 2;
    QTest::newRow("value of row 3") << 12 + 3 << 1;
}

void TestDialogs::editChoosesRow()
{
    QFETCH(int, current);
    QFETCH(int, day);
    WorkDir dir;
    writeBytes(dir.diary(), fourEntries);
    Mellidor window;
    const QStringList before = rowLines(window);
    window.listBox->setCurrentItem(current);
    int shownDay = 0;
    answerDialog(&window, "editValue", [&](QDialog *dialog) {
        shownDay = spinBoxes(dialog).value(0)->value();
        for (QSpinBox *box : spinBoxes(dialog))
            box->setValue(box->minimum());
        pressCancel(dialog);
    });
    QCOMPARE(shownDay, day);
    // Cancel keeps everything.
    QCOMPARE(rowLines(window), before);
    QCOMPARE(readBytes(dir.diary()), fourEntries);
    QVERIFY(window.findChildren<QDialog *>().isEmpty());
}

void TestDialogs::editPlacesEntry_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("change"); // day month year hour minute value; "-" keeps
    QTest::addColumn<QString>("values"); // the rows' values afterwards, top first
    QByteArray same = fourEntries;
    same.replace(" 3. 1.2020", " 4. 1.2020");
    const QByteArray impossible = "31. 2.2020,10:00,Carbs,  10\n 1. 1.2019,08:00,Bolus,   2\n";
    QTest::newRow("older than all to the bottom") << fourEntries << 0 << "1 12 2019 - - -"
                                                  << "3 20 101 12";
    QTest::newRow("newer than all to the top") << fourEntries << 3 << "1 2 2020 - - -"
                                               << "101 12 3 20";
    QTest::newRow("into the middle") << fourEntries << 0 << "2 1 2020 12 0 -"
                                     << "3 12 20 101";
    QTest::newRow("only the value changes") << fourEntries << 1 << "- - - - - 77"
                                            << "12 77 20 101";
    QTest::newRow("same moment as the entry below: below it") << same << 0 << "- - - - - -"
                                                              << "3 12 20 101";
    QTest::newRow("time decides within a day") << fourEntries << 1 << "4 1 2020 7 59 -"
                                               << "12 3 20 101";
    QTest::newRow("impossible dates count as oldest") << impossible << 0 << "1 1 2018 - - -"
                                                      << "2 10";
}

void TestDialogs::editPlacesEntry()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(QString, change);
    QFETCH(QString, values);
    WorkDir dir;
    writeBytes(dir.diary(), file);
    Mellidor window;
    window.listBox->setCurrentItem(row);
    answerDialog(&window, "editValue", [&](QDialog *dialog) {
        const QStringList to = change.split(u' ');
        // Month and year first, so the day's limit is already right.
        for (int i : {1, 2, 0, 3, 4, 5}) {
            if (to[i] != "-")
                spinBoxes(dialog)[i]->setValue(to[i].toInt());
        }
        pressOk(dialog);
    });
    QStringList got;
    for (int r = 0; r < window.listBox->rowCount(); ++r)
        got << QString::number(window.getValueFromListBox(r));
    QCOMPARE(got.join(u' '), values);
    // The corrected diary is on disk already, in the order saving writes.
    QByteArray expected;
    const QStringList lines = rowLines(window);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        expected += it->toUtf8() + '\n';
    QCOMPARE(readBytes(dir.diary()), expected);
}

void TestDialogs::editOnEmptyListShowsNothing()
{
    WorkDir dir;
    Mellidor window;
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window.findChildren<QDialog *>().isEmpty());
}

void TestDialogs::editShowsEntry_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown"); // the six boxes, the value's unit, type of types
    QTest::addColumn<QString>("saved"); // the row after OK
    QTest::newRow("current year") << QByteArray(" 6.12.2026,09:30,Glucose, 140")
                                  << "6 12 2026 9 30 140 mg/dL, Glucose of 13"
                                  << " 6.12.2026,09:30,Glucose, 140";
    QTest::newRow("odd values brought into range")
        << QByteArray(" 3. 4.1999,7:5,Glucose,5000") << "3 4 2000 7 5 3000 mg/dL, Glucose of 13"
        << " 3. 4.2000,07:05,Glucose, 3000";
    QTest::newRow("impossible date shows its numbers")
        << QByteArray("31. 2.2020,10:00,Carbs,  10") << "29 2 2020 10 0 10 g, Carbs of 13"
        << "29. 2.2020,10:00,Carbs,  10";
    QTest::newRow("unknown type stays selectable")
        << QByteArray(" 1. 1.2021,09:30,Coffee,   1") << "1 1 2021 9 30 1, Coffee of 14"
        << " 1. 1.2021,09:30,Coffee,   1";
}

void TestDialogs::editShowsEntry()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    WorkDir dir;
    writeBytes(dir.diary(), file);
    Mellidor window;
    QStringList got;
    answerDialog(&window, "editValue", [&](QDialog *dialog) {
        for (QSpinBox *box : spinBoxes(dialog))
            got << QString::number(box->value());
        const auto *combo = dialog->findChild<QComboBox *>();
        got.last() += spinBoxes(dialog).last()->suffix() + ", " + combo->currentText() + " of " +
                      QString::number(combo->count());
        pressOk(dialog);
    });
    QCOMPARE(got.join(u' '), shown);
    QCOMPARE(rowLines(window), QStringList{saved});
}

void TestDialogs::editDayFollowsMonth()
{
    WorkDir dir;
    writeBytes(dir.diary(), "31. 1.2021,09:30,Glucose, 140\n");
    Mellidor window;
    QList<int> maxima;
    answerDialog(&window, "editValue", [&](QDialog *dialog) {
        const QList<QSpinBox *> boxes = spinBoxes(dialog);
        maxima << boxes[0]->maximum();
        boxes[1]->setValue(2);
        maxima << boxes[0]->maximum() << boxes[0]->value();
        boxes[2]->setValue(2024);
        maxima << boxes[0]->maximum();
        boxes[0]->setValue(31); // cannot pass the 29th
        pressOk(dialog);
    });
    QCOMPARE(maxima, (QList<int>{31, 28, 28, 29}));
    QCOMPARE(rowLines(window), QStringList{"29. 2.2024,09:30,Glucose, 140"});
}

void TestDialogs::setupWritesSettings()
{
    WorkDir dir;
    const QList<int> chosen{80, 160, 250, 7};
    {
        Mellidor window;
        answerDialog(&window, "setup", [&](QDialog *dialog) {
            for (int i = 0; i < 4; ++i)
                spinBoxes(dialog)[i]->setValue(chosen[i]);
            pressOk(dialog);
        });
        QCOMPARE(limits(window), chosen);
    }
    // The missing folder is created.
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray(" 80\n160\n250\n  7\n"));
    Mellidor again;
    QCOMPARE(limits(again), chosen);
}

void TestDialogs::setupCancelKeepsSettings()
{
    WorkDir dir;
    QDir(dir.path()).mkdir("Settings");
    writeBytes(dir.file("Settings/Mellidor.conf"), "1\n2\n5000\n0\n");
    Mellidor window;
    answerDialog(&window, "setup", [](QDialog *dialog) {
        const QList<QSpinBox *> boxes = spinBoxes(dialog);
        // Values outside the ranges show at the nearer bound.
        QCOMPARE(boxes[2]->value(), 999);
        QCOMPARE(boxes[3]->value(), 1);
        boxes[0]->setValue(50);
        pressCancel(dialog);
    });
    QCOMPARE(limits(window), (QList<int>{1, 2, 5000, 0}));
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray("1\n2\n5000\n0\n"));

    // Accepting unchanged stores the bounded values.
    answerDialog(&window, "setup", pressOk);
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray("  1\n  2\n999\n  1\n"));
}

void TestDialogs::setupReportsWriteFailure_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::newRow("a file where the folder belongs") << "Settings";
    QTest::newRow("a folder where the file belongs") << "Settings/Mellidor.conf";
}

void TestDialogs::setupReportsWriteFailure()
{
    QFETCH(QString, blocker);
    WorkDir dir;
    if (blocker == "Settings")
        writeBytes(dir.file(blocker), "not a directory");
    else
        QVERIFY(QDir(dir.path()).mkpath(blocker));
    Mellidor window;
    answerDialog(&window, "setup", [](QDialog *dialog) {
        spinBoxes(dialog)[0]->setValue(90);
        pressOk(dialog);
    });
    QCOMPARE(window.lowerLimit, 90);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(dir.file("Settings/Mellidor.conf")));
    QCOMPARE(QFileInfo(dir.file(blocker)).isDir(), blocker != "Settings");
}

void TestDialogs::saveFailedButtons_data()
{
    QTest::addColumn<bool>("offerDiscard");
    QTest::addColumn<int>("button"); // a standard button, or 0 for Discard
    QTest::addColumn<UserMessage::SaveChoice>("choice");
    using Choice = UserMessage::SaveChoice;
    QTest::newRow("Retry") << true << int(QMessageBox::Retry) << Choice::Retry;
    QTest::newRow("Discard") << true << 0 << Choice::Discard;
    QTest::newRow("Cancel") << true << int(QMessageBox::Cancel) << Choice::Cancel;
    QTest::newRow("OK where nothing can be discarded")
        << false << int(QMessageBox::Ok) << Choice::Cancel;
}

// The real message box, without the test hook.
void TestDialogs::saveFailedButtons()
{
    QFETCH(bool, offerDiscard);
    QFETCH(int, button);
    QFETCH(UserMessage::SaveChoice, choice);
    UserMessage::setHandlerForTesting(nullptr);
    int buttons = 0;
    whenDialogOpens([&](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        buttons = int(box->buttons().size());
        for (QAbstractButton *b : box->buttons()) {
            if (button ? b == box->button(QMessageBox::StandardButton(button))
                       : b->text().contains("Discard"))
                b->click();
        }
    });
    QCOMPARE(UserMessage::saveFailed(nullptr, "not saved", offerDiscard), choice);
    QCOMPARE(buttons, offerDiscard ? 3 : 2);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
