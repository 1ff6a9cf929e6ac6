// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/clock.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QtTest>

namespace {

const QByteArray fourEntries = " 1. 1.2020,08:00,Glucose, 101\n"
                               " 2. 1.2020,08:00,Carbs,  20\n"
                               " 3. 1.2020,08:00,Bolus,   3\n"
                               " 4. 1.2020,08:00,Lantus,  12\n";

// A window on a diary file with these bytes, in a fresh working directory.
struct Opened
{
    explicit Opened(const QByteArray &file) : written((writeBytes(dir.diary(), file), true)) {}
    WorkDir dir;
    bool written;
    Mellidor window;
};

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        recordMessages(&m_messages);
        Clock::setForTesting([] { return QDateTime(QDate(2020, 3, 5), QTime(7, 5, 42)); });
    }

    void cleanup()
    {
        UserMessage::setHandlerForTesting(nullptr);
        Clock::setForTesting(nullptr);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void newValue_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");        // 0 keeps the one shown
        QTest::addColumn<QString>("expected"); // the value's unit|the new top row (none: Escape)
        QTest::newRow("unchanged")
            << fourEntries << 0 << 0 << " mg/dL| 5. 3.2020,07:05,Glucose, 100";
        QTest::newRow("Carbs") << fourEntries << 1 << 45 << " g| 5. 3.2020,07:05,Carbs,  45";
        QTest::newRow("insulin") << fourEntries << 10 << 8
                                 << " U| 5. 3.2020,07:05,Insuman Rapid,   8";
        QTest::newRow("empty") << QByteArray() << 0 << 0 << " mg/dL| 5. 3.2020,07:05,Glucose, 100";
        QTest::newRow("Escape") << fourEntries << 3 << 5 << " U|";
    }

    void newValue()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(QString, expected);
        const QString line = expected.section(u'|', 1);
        Opened o(file);
        QString suffix;
        answerDialog(&o.window, "insertNewValue", [&](QDialog *dialog) {
            QSpinBox *box = spinBoxes(dialog).value(0);
            dialog->findChild<QComboBox *>()->setCurrentIndex(type);
            if (value > 0)
                box->setValue(value);
            suffix = box->suffix();
            // The entry carries the moment the dialog opened, not when it was accepted.
            Clock::setForTesting([] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0, 30)); });
            QTest::keyClick(dialog->focusWidget(),
                            line.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
        QCOMPARE(suffix + u'|' + rowLines(o.window).value(0),
                 line.isEmpty() ? expected + rowLines(o.window).value(0) : expected);
        QCOMPARE(o.window.listBox->rowCount(), int(file.count('\n')) + !line.isEmpty());
        // On disk before the slot returned, as the last line.
        QCOMPARE(readBytes(o.dir.diary()), line.isEmpty() ? file : file + line.toUtf8() + '\n');
        QVERIFY(m_messages.isEmpty());
    }

    void edit_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("current"); // the current item: -1 none, row + 4 * column
        // The change: day month year hour minute value ("-" keeps; "cancel" sets
        // all to their minimum and cancels) | the six boxes shown, the value's unit
        // and the number of types | the rows' values afterwards, top first, or the row.
        QTest::addColumn<QString>("edit");
        QByteArray same = fourEntries;
        same.replace(" 3. 1.2020", " 4. 1.2020");
        const QByteArray impossible = "31. 2.2020,10:00,Carbs,  10\n 1. 1.2019,08:00,Bolus,   2\n";
        QTest::newRow("oldest to the bottom")
            << fourEntries << -1 << "1 12 2019 - - -||3 20 101 12";
        QTest::newRow("newest to the top")
            << fourEntries << 12 + 3 << "1 2 2020 - - -||101 12 3 20";
        QTest::newRow("into the middle") << fourEntries << 4 << "2 1 2020 12 0 -||3 12 20 101";
        QTest::newRow("only the value changes")
            << fourEntries << 8 + 1 << "- - - - - 77||12 77 20 101";
        QTest::newRow("same moment: below the other") << same << 0 << "- - - - - -||3 12 20 101";
        QTest::newRow("time decides within a day")
            << fourEntries << 1 << "4 1 2020 7 59 -||12 3 20 101";
        QTest::newRow("impossible dates count as oldest")
            << impossible << 0 << "1 1 2018 - - -||2 10";
        QTest::newRow("Cancel keeps all") << fourEntries << 12 + 2 << "cancel||12 3 20 101";
        QTest::newRow("shows the entry")
            << QByteArray(" 6.12.2026,09:30,Glucose, 140\n") << 0
            << "- - - - - -|6 12 2026 9 30 140 mg/dL 13| 6.12.2026,09:30,Glucose, 140";
        QTest::newRow("odd values brought into range")
            << QByteArray(" 3. 4.1999,7:5,Glucose,5000\n") << 0
            << "- - - - - -|3 4 2000 7 5 3000 mg/dL 13| 3. 4.2000,07:05,Glucose, 3000";
        QTest::newRow("years up to 9999")
            << QByteArray(" 1. 1.12000,09:30,Glucose, 140\n") << 0
            << "- - - - - -|1 1 9999 9 30 140 mg/dL 13| 1. 1.9999,09:30,Glucose, 140";
        QTest::newRow("impossible date shows its numbers")
            << QByteArray("31. 2.2020,10:00,Carbs,  10\n") << 0
            << "- - - - - -|29 2 2020 10 0 10 g 13|29. 2.2020,10:00,Carbs,  10";
        QTest::newRow("unknown type stays selectable")
            << QByteArray(" 1. 1.2021,09:30,Coffee,   1\n") << 0
            << "- - - - - -|1 1 2021 9 30 1 14| 1. 1.2021,09:30,Coffee,   1";
        // The day never passes the end of the month chosen, in the year chosen.
        QTest::newRow("day follows the month") << QByteArray("31. 1.2024,09:30,Glucose, 140\n") << 0
                                               << "- 2 - - - -||29. 2.2024,09:30,Glucose, 140";
        QTest::newRow("day follows the year") << QByteArray("29. 2.2024,09:30,Glucose, 140\n") << 0
                                              << "- - 2023 - - -||28. 2.2023,09:30,Glucose, 140";
    }

    void edit()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, current);
        QFETCH(QString, edit);
        const QStringList part = edit.split(u'|');
        Opened o(file);
        o.window.listBox->setCurrentItem(current);
        QStringList shown, names;
        answerDialog(&o.window, "editValue", [&](QDialog *dialog) {
            const QList<QSpinBox *> boxes = spinBoxes(dialog);
            for (QSpinBox *box : boxes) {
                shown << QString::number(box->value());
                names << box->accessibleName() + u'/' + box->toolTip();
            }
            shown.last() += boxes.last()->suffix();
            shown << QString::number(dialog->findChild<QComboBox *>()->count());
            const QStringList to = part[0].split(u' ');
            // Month and year first, so the day's limit is already right.
            for (int i : {1, 2, 0, 3, 4, 5}) {
                if (to.size() == 1 || to[i] != "-")
                    boxes[i]->setValue(to.size() == 1 ? boxes[i]->minimum() : to[i].toInt());
            }
            to.size() > 1 ? pressOk(dialog) : pressCancel(dialog);
        });
        QCOMPARE(names.join(u' '), "Day/Day Month/Month Year/Year Hour/Hour Minute/Minute /");
        QCOMPARE(part[1].isEmpty() ? QString() : shown.join(u' '), part[1]);
        QString values, saved;
        for (const QString &line : rowLines(o.window)) {
            values += line.section(u',', 3).trimmed() + u' ';
            saved.prepend(line + u'\n');
        }
        QCOMPARE(part[2].contains(u',') ? saved.chopped(1) : values.trimmed(), part[2]);
        // The corrected diary is on disk already, in the order saving writes.
        QCOMPARE(readBytes(o.dir.diary()), saved.toUtf8());
        QVERIFY(o.window.findChildren<QDialog *>().isEmpty());
    }

    void editOnEmptyListShowsNothing()
    {
        Opened o("");
        QVERIFY(QMetaObject::invokeMethod(&o.window, "editValue"));
        QVERIFY(o.window.findChildren<QDialog *>().isEmpty());
    }

    void setup_data()
    {
        // The settings file ("file" or "dir": in its way) | the four boxes ("-"
        // keeps) and OK or Cancel | the window's settings then | the file then.
        QTest::addColumn<QString>("setup");
        const QString odd = "1\n2\n5000\n0\n";
        QTest::newRow("written, folder made")
            << "|80 160 250 7 OK|80 160 250 7| 80\n160\n250\n  7\n";
        QTest::newRow("Cancel keeps all") << odd + "|50 - - - Cancel|1 2 5000 0|" + odd;
        QTest::newRow("odd values at the bounds")
            << odd + "|- - - - OK|1 2 999 1|  1\n  2\n999\n  1\n";
        QTest::newRow("a file where the folder belongs") << "file|90 - - - OK|90 130 200 3|";
        QTest::newRow("a folder where the file belongs") << "dir|90 - - - OK|90 130 200 3|";
    }

    void setup()
    {
        QFETCH(QString, setup);
        const QStringList part = setup.split(u'|');
        WorkDir dir;
        const QString conf = dir.file("Settings/Mellidor.conf");
        if (part[0] == "file")
            writeBytes(dir.file("Settings"), "file");
        else if (!part[0].isEmpty())
            QVERIFY(QDir(dir.path()).mkpath(part[0] == "dir" ? conf : dir.file("Settings")));
        if (part[0].contains(u'\n'))
            writeBytes(conf, part[0].toUtf8());
        Mellidor window;
        answerDialog(&window, "setup", [&](QDialog *dialog) {
            const QStringList to = part[1].split(u' ');
            for (int i = 0; i < 4; ++i) {
                if (to[i] != "-")
                    spinBoxes(dialog)[i]->setValue(to[i].toInt());
            }
            to[4] == "OK" ? pressOk(dialog) : pressCancel(dialog);
        });
        QStringList got;
        for (int setting : limits(window))
            got << QString::number(setting);
        QCOMPARE(got.join(u' '), part[2]);
        QCOMPARE(readBytes(conf), part[3].toUtf8());
        // A file that cannot be written is reported with its name.
        QCOMPARE(m_messages.size(), int(part[3].isEmpty()));
        QVERIFY(m_messages.isEmpty() || m_messages[0].text.contains(conf));
    }

    void saveFailedButtons_data()
    {
        using Choice = UserMessage::SaveChoice;
        QTest::addColumn<bool>("offerDiscard");
        QTest::addColumn<QString>("button");
        QTest::addColumn<Choice>("choice");
        QTest::newRow("Retry") << true << "Retry" << Choice::Retry;
        QTest::newRow("Discard") << true << "Discard" << Choice::Discard;
        QTest::newRow("Cancel") << true << "Cancel" << Choice::Cancel;
        QTest::newRow("OK where nothing can be discarded") << false << "OK" << Choice::Cancel;
    }

    // The real message box, without the test hook.
    void saveFailedButtons()
    {
        QFETCH(bool, offerDiscard);
        QFETCH(QString, button);
        QFETCH(UserMessage::SaveChoice, choice);
        UserMessage::setHandlerForTesting(nullptr);
        qsizetype buttons = 0;
        whenDialogOpens([&](QDialog *dialog) {
            buttons = qobject_cast<QMessageBox *>(dialog)->buttons().size();
            for (QAbstractButton *b : qobject_cast<QMessageBox *>(dialog)->buttons()) {
                if (b->text().remove(u'&').startsWith(button))
                    return b->click();
            }
        });
        QCOMPARE(UserMessage::saveFailed(nullptr, "not saved", offerDiscard), choice);
        QCOMPARE(buttons, offerDiscard ? 3 : 2);
    }

    void messagesShowMarkupAsText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("error") << 0;
        QTest::newRow("information") << 1;
        QTest::newRow("save failed") << 2;
    }

    // A file named like markup is shown by its name, not rendered.
    void messagesShowMarkupAsText()
    {
        QFETCH(int, kind);
        UserMessage::setHandlerForTesting(nullptr);
        const QString name = "<h1>BIG <font color=red>RED.json <img src=x>";
        QLabel *label = nullptr;
        Qt::TextFormat format = Qt::AutoText;
        whenDialogOpens([&](QDialog *dialog) {
            label = dialog->findChild<QLabel *>("qt_msgbox_label");
            format = label ? label->textFormat() : Qt::AutoText;
            QVERIFY(label && label->text() == name);
            dialog->reject();
        });
        if (kind == 0)
            UserMessage::error(nullptr, "Import", name);
        else if (kind == 1)
            UserMessage::information(nullptr, "Import", name);
        else
            UserMessage::saveFailed(nullptr, name, true);
        QVERIFY(label);
        QCOMPARE(format, Qt::PlainText);
    }

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
