#include "core/clock.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

QList<QSpinBox *> spinBoxes(QDialog *dialog)
{
    return dialog->findChildren<QSpinBox *>();
}

void pressOk(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

void pressCancel(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
}

const QByteArray fourEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                               " 2. 1.2020,08:00,Carbs,  20\n"
                               " 3. 1.2020,08:00,Bolus,   3\n"
                               " 4. 1.2020,08:00,Lantus,  12\n";

QStringList rowLines(const Mellidor &window)
{
    QStringList lines;
    const Diary &diary = window.listBox->diary();
    for (int r = 0; r < diary.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < 4; ++c)
            fields << diary.text(r, c);
        lines << fields.join(u',');
    }
    return lines;
}

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
    void newValueOnEmptyList();
    void newValueEnterAcceptsEscapeRejects();
    void editChoosesRow_data();
    void editChoosesRow();
    void editPlacesEntry_data();
    void editPlacesEntry();
    void editOnEmptyListShowsNothing();
    void editCancelKeepsEverything();
    void editKeepsCurrentYear();
    void editDayFollowsMonth();
    void editKeepsUnknownType();
    void editBringsOddValuesIntoRange();
    void setupWritesSettings();
    void setupCancelKeepsSettings();
    void setupCreatesSettingsDirectory();
    void setupReportsWriteFailure();

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
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("line");
    QTest::newRow("unchanged") << true << -1 << -1 << " 5. 3.2020,07:05,Glucose, 100";
    QTest::newRow("value 1") << true << -1 << 1 << " 5. 3.2020,07:05,Glucose,   1";
    QTest::newRow("value 3000") << true << -1 << 3000 << " 5. 3.2020,07:05,Glucose, 3000";
    QTest::newRow("Insuman Rapid") << true << 10 << 8 << " 5. 3.2020,07:05,Insuman Rapid,   8";
    QTest::newRow("cancelled") << false << 3 << 5 << QString();
}

void TestDialogs::newValue()
{
    QFETCH(bool, accept);
    QFETCH(int, typeIndex);
    QFETCH(int, value);
    QFETCH(QString, line);
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), fourEntries);
    Mellidor window;
    QDialog *seen = nullptr;
    whenDialogOpens([&](QDialog *dialog) {
        seen = dialog;
        QCOMPARE(dialog->objectName(), QStringLiteral("New"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("New"));
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->findChild<QLabel *>()->text(), QStringLiteral("Value Input:"));
        auto *combo = dialog->findChild<QComboBox *>();
        QCOMPARE(combo->count(), 13);
        QCOMPARE(combo->currentText(), QStringLiteral("Glucose"));
        QSpinBox *box = spinBoxes(dialog).value(0);
        QCOMPARE(box->minimum(), 1);
        QCOMPARE(box->maximum(), 3000);
        QCOMPARE(box->value(), 100);
        if (typeIndex >= 0)
            combo->setCurrentIndex(typeIndex);
        if (value >= 0)
            box->setValue(value);
        accept ? pressOk(dialog) : pressCancel(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "insertNewValue"));
    QVERIFY(seen);
    if (!accept) {
        QCOMPARE(window.listBox->count(), 16);
        QCOMPARE(readBytes(dir.file("MellidorFile.txt")), fourEntries);
        return;
    }
    QCOMPARE(window.listBox->count(), 20);
    QCOMPARE(rowLines(window).first(), line);
    QCOMPARE(tableString, line.split(u',')[2]);
    // On disk before the slot returned, as the last line.
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), fourEntries + line.toUtf8() + '\n');
    QVERIFY(m_messages.isEmpty());
}

void TestDialogs::newValueStampedWhenOpened()
{
    WorkDir dir;
    Clock::setForTesting([] { return QDateTime(QDate(2020, 12, 31), QTime(23, 59, 30)); });
    Mellidor window;
    whenDialogOpens([](QDialog *dialog) {
        Clock::setForTesting([] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0, 30)); });
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "insertNewValue"));
    QCOMPARE(rowLines(window), QStringList{"31.12.2020,23:59,Glucose, 100"});
}

void TestDialogs::newValueOnEmptyList()
{
    WorkDir dir;
    Mellidor window;
    whenDialogOpens(pressOk);
    QVERIFY(QMetaObject::invokeMethod(&window, "insertNewValue"));
    QCOMPARE(window.listBox->count(), 4);
    QStringList items;
    for (int i = 0; i < 4; ++i)
        items << window.listBox->text(i);
    QCOMPARE(items, QStringList({" 5. 3.2020", "07:05", "Glucose", " 100"}));
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")),
             QByteArray(" 5. 3.2020,07:05,Glucose, 100\n"));
}

void TestDialogs::newValueEnterAcceptsEscapeRejects()
{
    WorkDir dir;
    Mellidor window;
    window.show();
    whenDialogOpens(
        [](QDialog *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Return); });
    QVERIFY(QMetaObject::invokeMethod(&window, "insertNewValue"));
    QCOMPARE(window.listBox->rowCount(), 1);
    whenDialogOpens(
        [](QDialog *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape); });
    QVERIFY(QMetaObject::invokeMethod(&window, "insertNewValue"));
    QCOMPARE(window.listBox->rowCount(), 1);
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
    writeBytes(dir.file("MellidorFile.txt"), fourEntries);
    Mellidor window;
    window.listBox->setCurrentItem(current);
    int shownDay = 0;
    whenDialogOpens([&](QDialog *dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("Edit"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit"));
        shownDay = spinBoxes(dialog).value(0)->value();
        pressCancel(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(shownDay, day);
}

void TestDialogs::editPlacesEntry_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<int>>("change");  // day, month, year, hour, minute, value; -1 keeps
    QTest::addColumn<QStringList>("values"); // value texts of the rows afterwards, top first
    QTest::newRow("older than all goes to the bottom")
        << fourEntries << 0 << QList<int>{1, 12, 2019, -1, -1, -1}
        << QStringList{"   3", "  20", " 101", "  12"};
    QTest::newRow("newer than all goes to the top")
        << fourEntries << 3 << QList<int>{1, 2, 2020, -1, -1, -1}
        << QStringList{" 101", "  12", "   3", "  20"};
    QTest::newRow("into the middle") << fourEntries << 0 << QList<int>{2, 1, 2020, 12, 0, -1}
                                     << QStringList{"   3", "  12", "  20", " 101"};
    QTest::newRow("only the value changes")
        << fourEntries << 1 << QList<int>{-1, -1, -1, -1, -1, 77}
        << QStringList{"  12", "  77", "  20", " 101"};
    QByteArray same = fourEntries;
    same.replace(" 3. 1.2020", " 4. 1.2020");
    QTest::newRow("same moment as the entry below moves below it")
        << same << 0 << QList<int>{-1, -1, -1, -1, -1, -1}
        << QStringList{"   3", "  12", "  20", " 101"};
    QTest::newRow("time decides within a day")
        << fourEntries << 1 << QList<int>{4, 1, 2020, 7, 59, -1}
        << QStringList{"  12", "   3", "  20", " 101"};
    QTest::newRow("impossible dates count as oldest")
        << QByteArray("31. 2.2020,10:00,Carbs,  10\n 1. 1.2019,08:00,Bolus,   2\n") << 0
        << QList<int>{1, 1, 2018, -1, -1, -1} << QStringList{"   2", "  10"};
}

void TestDialogs::editPlacesEntry()
{
    QFETCH(QByteArray, file);
    QFETCH(int, row);
    QFETCH(QList<int>, change);
    QFETCH(QStringList, values);
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), file);
    Mellidor window;
    const int n = window.listBox->rowCount();
    window.listBox->setCurrentItem(row);
    whenDialogOpens([&](QDialog *dialog) {
        const QList<QSpinBox *> boxes = spinBoxes(dialog);
        QCOMPARE(boxes.size(), 6);
        // Month and year first, so the day's limit is already right.
        for (int i : {1, 2, 0, 3, 4, 5}) {
            if (change[i] >= 0)
                boxes[i]->setValue(change[i]);
        }
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(window.listBox->count(), 4 * n);
    QStringList got;
    for (int r = 0; r < n; ++r)
        got << window.listBox->text(3 * n + r);
    QCOMPARE(got, values);
    // The corrected diary is on disk already, in the order saving writes.
    QByteArray expected;
    const QStringList lines = rowLines(window);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        expected += it->toUtf8() + '\n';
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), expected);
}

void TestDialogs::editOnEmptyListShowsNothing()
{
    WorkDir dir;
    Mellidor window;
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(window.findChildren<QDialog *>().isEmpty());
    QCOMPARE(window.listBox->count(), 0);
}

void TestDialogs::editCancelKeepsEverything()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), fourEntries);
    Mellidor window;
    const QStringList before = rowLines(window);
    window.listBox->setCurrentItem(1);
    whenDialogOpens([](QDialog *dialog) {
        for (QSpinBox *box : spinBoxes(dialog))
            box->setValue(box->minimum());
        pressCancel(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(rowLines(window), before);
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), fourEntries);
    QVERIFY(window.findChildren<QDialog *>().isEmpty());
}

void TestDialogs::editKeepsCurrentYear()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), " 6.12.2026,09:30,Glucose, 140\n");
    Mellidor window;
    int year = 0;
    whenDialogOpens([&](QDialog *dialog) {
        year = spinBoxes(dialog)[2]->value();
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(year, 2026);
    QCOMPARE(rowLines(window), QStringList{" 6.12.2026,09:30,Glucose, 140"});
}

void TestDialogs::editDayFollowsMonth()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), "31. 1.2021,09:30,Glucose, 140\n");
    Mellidor window;
    QList<int> maxima;
    whenDialogOpens([&](QDialog *dialog) {
        const QList<QSpinBox *> boxes = spinBoxes(dialog);
        maxima << boxes[0]->maximum();
        boxes[1]->setValue(2);
        maxima << boxes[0]->maximum() << boxes[0]->value();
        boxes[2]->setValue(2024);
        maxima << boxes[0]->maximum();
        boxes[0]->setValue(31); // cannot pass the 29th
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(maxima, (QList<int>{31, 28, 28, 29}));
    QCOMPARE(rowLines(window), QStringList{"29. 2.2024,09:30,Glucose, 140"});
}

void TestDialogs::editKeepsUnknownType()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), " 1. 1.2021,09:30,Coffee,   1\n");
    Mellidor window;
    QString shown;
    whenDialogOpens([&](QDialog *dialog) {
        auto *combo = dialog->findChild<QComboBox *>();
        shown = combo->currentText();
        QCOMPARE(combo->count(), 14);
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(shown, QStringLiteral("Coffee"));
    QCOMPARE(window.getTypeFromListBox(0), QStringLiteral("Coffee"));
}

void TestDialogs::editBringsOddValuesIntoRange()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), " 3. 4.1999,7:5,Glucose,5000\n");
    Mellidor window;
    QList<int> shown;
    whenDialogOpens([&](QDialog *dialog) {
        for (QSpinBox *box : spinBoxes(dialog))
            shown << box->value();
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "editValue"));
    QCOMPARE(shown, (QList<int>{3, 4, 2000, 7, 5, 3000}));
    // Accepting writes the standard texts.
    QCOMPARE(rowLines(window), QStringList{" 3. 4.2000,07:05,Glucose, 3000"});
}

void TestDialogs::setupWritesSettings()
{
    WorkDir dir;
    QDir(dir.path()).mkdir("Settings");
    {
        Mellidor window;
        whenDialogOpens([](QDialog *dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("Setup"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Setup"));
            QStringList labels;
            for (QLabel *label : dialog->findChildren<QLabel *>())
                labels << label->text();
            QCOMPARE(labels, QStringList({"Lower Gluco Limit:", "Upper Gluco Limit:", "Max Gluco:",
                                          "Show days back from today:"}));
            const QList<QSpinBox *> boxes = spinBoxes(dialog);
            QCOMPARE(boxes[3]->minimum(), 1);
            QCOMPARE(boxes[3]->maximum(), 30);
            QCOMPARE(boxes[2]->maximum(), 999);
            const int values[] = {80, 160, 250, 7};
            for (int i = 0; i < 4; ++i)
                boxes[i]->setValue(values[i]);
            pressOk(dialog);
        });
        QVERIFY(QMetaObject::invokeMethod(&window, "setup"));
        QCOMPARE(
            (QList<int>{window.lowerLimit, window.upperLimit, window.maxGluco, window.daysBack}),
            (QList<int>{80, 160, 250, 7}));
    }
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray(" 80\n160\n250\n  7\n"));
    Mellidor again;
    QCOMPARE((QList<int>{again.lowerLimit, again.upperLimit, again.maxGluco, again.daysBack}),
             (QList<int>{80, 160, 250, 7}));
}

void TestDialogs::setupCancelKeepsSettings()
{
    WorkDir dir;
    QDir(dir.path()).mkdir("Settings");
    writeBytes(dir.file("Settings/Mellidor.conf"), "1\n2\n5000\n0\n");
    Mellidor window;
    whenDialogOpens([](QDialog *dialog) {
        const QList<QSpinBox *> boxes = spinBoxes(dialog);
        // Values outside the ranges show at the nearer bound.
        QCOMPARE(boxes[2]->value(), 999);
        QCOMPARE(boxes[3]->value(), 1);
        boxes[0]->setValue(50);
        pressCancel(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "setup"));
    QCOMPARE((QList<int>{window.lowerLimit, window.upperLimit, window.maxGluco, window.daysBack}),
             (QList<int>{1, 2, 5000, 0}));
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray("1\n2\n5000\n0\n"));

    // Accepting unchanged stores the bounded values.
    whenDialogOpens(pressOk);
    QVERIFY(QMetaObject::invokeMethod(&window, "setup"));
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray("  1\n  2\n999\n  1\n"));
}

void TestDialogs::setupCreatesSettingsDirectory()
{
    WorkDir dir;
    {
        Mellidor window;
        whenDialogOpens([](QDialog *dialog) {
            spinBoxes(dialog)[3]->setValue(14);
            pressOk(dialog);
        });
        QVERIFY(QMetaObject::invokeMethod(&window, "setup"));
    }
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(readBytes(dir.file("Settings/Mellidor.conf")), QByteArray("100\n130\n200\n 14\n"));
    Mellidor again;
    QCOMPARE(again.daysBack, 14);
}

void TestDialogs::setupReportsWriteFailure()
{
    WorkDir dir;
    writeBytes(dir.file("Settings"), "not a directory");
    Mellidor window;
    whenDialogOpens([](QDialog *dialog) {
        spinBoxes(dialog)[0]->setValue(90);
        pressOk(dialog);
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "setup"));
    QCOMPARE(window.lowerLimit, 90);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(dir.file("Settings/Mellidor.conf")));
    QCOMPARE(readBytes(dir.file("Settings")), QByteArray("not a directory"));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
