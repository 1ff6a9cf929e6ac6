// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/clock.h"
#include "core/diaryfolder.h"
#include "core/entrytext.h"
#include "core/settings.h"
#include "ui/dayview.h"
#include "ui/entryvaluebox.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"
#include "windowtestsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QtTest>

namespace {

// A window on a diary file with these bytes, in a fresh working directory.
struct Opened
{
    explicit Opened(const QByteArray &file) : dir(file) {}
    WorkDir dir;
    Mellidor window;
};

// A sensor's readings hide in the list; oldest first, as in the file.
const QByteArray sensorDay = " 1.12.2026,08:00,Glucose, 100\n 1.12.2026,08:05,Glucose, 110\n"
                             " 1.12.2026,08:10,Carbs,  40\n 1.12.2026,08:15,Glucose, 120\n"
                             " 1.12.2026,09:00,Glucose, 150\n 1.12.2026,09:05,Bolus,   4\n"
                             " 1.12.2026,10:00,Glucose, 130\n 1.12.2026,10:05,Glucose, 135\n";

} // namespace

Q_DECLARE_METATYPE(Preferences)

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
        verifyDialogsAnswered(); // also for a test that forgot to
        QVERIFY(!QApplication::activeModalWidget());
    }

    void edit_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("current"); // the current item: -1 none, row + 4 * column
        // Day, month, year, hour, minute, value as the dialog opens (none: not
        // checked), and the number of types offered.
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<int>("types");
        // The same six; -1 keeps; none: all go to their minimum, then Cancel.
        QTest::addColumn<QList<int>>("set");
        QTest::addColumn<QStringList>("values"); // of the rows afterwards, top first
        QTest::addColumn<QString>("top");        // the top row afterwards; none: not checked
        using L = QList<int>;
        const QByteArray fourEntries = testData("diary-four-types.txt");
        QByteArray same = fourEntries;
        same.replace(" 3. 1.2020", " 4. 1.2020");
        const QByteArray impossible = "31. 2.2020,10:00,Carbs,  10\n 1. 1.2019,08:00,Bolus,   2\n";
        const auto moves = [](const char *name, const QByteArray &file, int current, const L &set,
                              const QStringList &values) {
            QTest::newRow(name) << file << current << L() << 0 << set << values << QString();
        };
        moves("oldest to the bottom", fourEntries, -1, {1, 12, 2019, -1, -1, -1},
              {"3", "20", "101", "12"});
        moves("newest to the top", fourEntries, 12 + 3, {1, 2, 2020, -1, -1, -1},
              {"101", "12", "3", "20"});
        moves("into the middle", fourEntries, 4, {2, 1, 2020, 12, 0, -1}, {"3", "12", "20", "101"});
        moves("only the value changes", fourEntries, 8 + 1, {-1, -1, -1, -1, -1, 77},
              {"12", "77", "20", "101"});
        moves("same moment: below the other", same, 0, L(6, -1), {"3", "12", "20", "101"});
        moves("time decides within a day", fourEntries, 1, {4, 1, 2020, 7, 59, -1},
              {"12", "3", "20", "101"});
        moves("impossible dates count as oldest", impossible, 0, {1, 1, 2018, -1, -1, -1},
              {"2", "10"});
        moves("Cancel keeps all", fourEntries, 12 + 2, L(), {"12", "3", "20", "101"});
        // One entry: what the dialog shows and what comes back.
        const auto shows = [](const char *name, const QByteArray &line, const L &shown, int types,
                              const L &set, const QString &top) {
            QTest::newRow(name) << line + '\n'
                                << 0 << shown << types << set
                                << QStringList{QString::number(shown[5])} << top;
        };
        shows("shows the entry", " 6.12.2026,09:30,Glucose, 140", {6, 12, 2026, 9, 30, 140}, 13,
              L(6, -1), " 6.12.2026,09:30,Glucose, 140");
        shows("odd values brought into range", " 3. 4.1999,7:5,Glucose,5000",
              {3, 4, 2000, 7, 5, 3000}, 13, L(6, -1), " 3. 4.2000,07:05,Glucose, 3000");
        shows("years up to 9999", " 1. 1.12000,09:30,Glucose, 140", {1, 1, 9999, 9, 30, 140}, 13,
              L(6, -1), " 1. 1.9999,09:30,Glucose, 140");
        shows("impossible date shows its numbers", "31. 2.2020,10:00,Carbs,  10",
              {29, 2, 2020, 10, 0, 10}, 13, L(6, -1), "29. 2.2020,10:00,Carbs,  10");
        shows("unknown type stays selectable", " 1. 1.2021,09:30,Coffee,   1",
              {1, 1, 2021, 9, 30, 1}, 14, L(6, -1), " 1. 1.2021,09:30,Coffee,   1");
        // The day never passes the end of the month chosen, in the year chosen.
        shows("day follows the month", "31. 1.2024,09:30,Glucose, 140", {31, 1, 2024, 9, 30, 140},
              13, {-1, 2, -1, -1, -1, -1}, "29. 2.2024,09:30,Glucose, 140");
        shows("day follows the year", "29. 2.2024,09:30,Glucose, 140", {29, 2, 2024, 9, 30, 140},
              13, {-1, -1, 2023, -1, -1, -1}, "28. 2.2023,09:30,Glucose, 140");
    }

    void edit()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, current);
        QFETCH(QList<int>, shown);
        QFETCH(int, types);
        QFETCH(QList<int>, set);
        QFETCH(QStringList, values);
        QFETCH(QString, top);
        Opened o(file);
        o.window.listBox->setCurrentItem(current);
        QList<int> opened;
        QString suffix;
        int typesOffered = 0;
        QStringList names;
        answerDialog(&o.window, "editValue", [&](QDialog *dialog) {
            const QList<QSpinBox *> boxes = spinBoxes(dialog);
            for (QSpinBox *box : boxes) {
                opened << box->value();
                names << box->accessibleName() + u'/' + box->toolTip();
            }
            suffix = boxes.last()->suffix();
            typesOffered = dialog->findChild<QComboBox *>()->count();
            // Month and year first, so the day's limit is already right.
            for (int i : {1, 2, 0, 3, 4, 5}) {
                if (set.isEmpty() || set[i] >= 0)
                    boxes[i]->setValue(set.isEmpty() ? boxes[i]->minimum() : set[i]);
            }
            set.isEmpty() ? pressCancel(dialog) : pressOk(dialog);
        });
        QCOMPARE(names.join(u' '), "Day/Day Month/Month Year/Year Hour/Hour Minute/Minute /");
        if (!shown.isEmpty()) {
            QCOMPARE(opened, shown);
            QCOMPARE(suffix, QString());
            QCOMPARE(typesOffered, types);
        }
        QStringList valuesAfter;
        QString saved;
        for (const QString &line : rowLines(o.window)) {
            valuesAfter << line.section(u',', 3).trimmed();
            saved.prepend(line + u'\n');
        }
        QCOMPARE(valuesAfter, values);
        if (!top.isEmpty())
            QCOMPARE(rowLines(o.window).value(0), top);
        // The corrected diary is on disk already, in the order saving writes.
        QCOMPARE(readBytes(o.dir.diary()), saved.toUtf8());
        QVERIFY(o.window.findChildren<QDialog *>().isEmpty());
    }

    void valueDialogs_data()
    {
        QTest::addColumn<Preferences>("preferences");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("edit");     // the entry of a one-line file, else a new one
        QTest::addColumn<int>("type");      // chosen in the dialog; -1 keeps
        QTest::addColumn<double>("typed");  // 0 keeps the value shown
        QTest::addColumn<QString>("shown"); // the value box as it opens
        QTest::addColumn<QString>("entry"); // type and value stored; none: Escape
        const Preferences mmol{GlucoseUnit::MmolPerL}, defaults;
        const Preferences fractions{GlucoseUnit::MgPerDl, InsulinDoses::Fractions};
        const QByteArray four = testData("diary-four-types.txt"), none;
        const QByteArray glucose = " 1. 1.2020,08:00,Glucose, 100\n";
        const QByteArray dose = " 1. 1.2020,08:00,Bolus,2.35\n";
        const auto added = [](const char *name, const Preferences &p, const QByteArray &file,
                              int type, double typed, const char *shown, const char *entry) {
            QTest::newRow(name) << p << file << false << type << typed << shown << entry;
        };
        const auto edited = [](const char *name, const Preferences &p, const QByteArray &file,
                               int type, double typed, const char *shown, const char *entry) {
            QTest::newRow(name) << p << file << true << type << typed << shown << entry;
        };
        added("new, unchanged", defaults, four, -1, 0, "100", "Glucose, 100");
        added("new, Carbs", defaults, four, 1, 45, "100", "Carbs,  45");
        added("new, insulin", defaults, four, 10, 8, "100", "Insuman Rapid,   8");
        added("new, empty diary", defaults, none, -1, 0, "100", "Glucose, 100");
        added("new, Escape", defaults, four, 3, 5, "100", "");
        // 100 mg/dL shows as 5.6, which alone would be stored as 101.
        added("new, untouched", mmol, none, -1, 0, "5.6 mmol/L", "Glucose, 100");
        added("new, typed in mmol/L", mmol, none, -1, 5.5, "5.6 mmol/L", "Glucose,  99");
        added("new, below the range", mmol, none, -1, 0.01, "5.6 mmol/L", "Glucose,   2");
        added("new, above the range", mmol, none, -1, 200, "5.6 mmol/L", "Glucose, 3000");
        added("new, carbs keep the number", mmol, none, 1, 0, "5.6 mmol/L", "Carbs, 100");
        added("new, a fraction", fractions, none, 3, 2.35, "100 mg/dL", "Bolus,2.35");
        added("new, whole doses", mmol, none, 3, 2.4, "5.6 mmol/L", "Bolus,   2");
        edited("edit, untouched", mmol, glucose, -1, 0, "5.6 mmol/L", "Glucose, 100");
        edited("edit, typed in mmol/L", mmol, glucose, -1, 7.8, "5.6 mmol/L", "Glucose, 141");
        edited("edit, to carbs", mmol, glucose, 1, 0, "5.6 mmol/L", "Carbs, 100");
        edited("edit, a fraction kept by default", defaults, dose, -1, 0, "2.35", "Bolus,2.35");
        edited("edit, a fraction changed", defaults, dose, -1, 1.5, "2.35", "Bolus, 1.5");
        edited("edit, a fraction made whole", defaults, dose, -1, 3, "2.35", "Bolus,   3");
        edited("edit, fractions of a whole dose", fractions, " 1. 1.2020,08:00,Bolus,  12\n", -1,
               0.5, "12.00 U", "Bolus, 0.5");
    }

    void valueDialogs()
    {
        QFETCH(Preferences, preferences);
        QFETCH(QByteArray, file);
        QFETCH(bool, edit);
        QFETCH(int, type);
        QFETCH(double, typed);
        QFETCH(QString, shown);
        QFETCH(QString, entry);
        Opened o(file);
        o.window.setPreferences(preferences);
        QString opened;
        answerDialog(&o.window, edit ? "editValue" : "insertNewValue", [&](QDialog *dialog) {
            QAbstractSpinBox *box = dialog->findChildren<QAbstractSpinBox *>().last();
            opened = box->text();
            if (edit)
                spinBoxes(dialog)[3]->setValue(9); // the hour only
            if (type >= 0)
                dialog->findChild<QComboBox *>()->setCurrentIndex(type);
            if (typed > 0)
                box->setProperty("value", typed);
            // A new entry carries the moment the dialog opened, not when it was accepted.
            Clock::setForTesting([] { return QDateTime(QDate(2021, 1, 1), QTime(0, 0, 30)); });
            QTest::keyClick(dialog->focusWidget(),
                            entry.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
        QCOMPARE(opened, shown);
        const QString line = (edit ? " 1. 1.2020,09:00," : " 5. 3.2020,07:05,") + entry;
        if (!entry.isEmpty())
            QCOMPARE(rowLines(o.window).value(0), line);
        QCOMPARE(o.window.listBox->rowCount(), int(file.count('\n')) + !(edit || entry.isEmpty()));
        // On disk before the slot returned; a new entry as the last line.
        QCOMPARE(readBytes(o.dir.diary()),
                 entry.isEmpty() ? file : (edit ? QByteArray() : file) + line.toUtf8() + '\n');
        QVERIFY(m_messages.isEmpty());
    }

    // With a sensor's readings hidden, each command acts on the entry shown
    // and the file changes in that line only.
    void filteredList_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<int>("line");       // current in the list shown; -1 none
        QTest::addColumn<QList<int>>("set"); // the dialog's spin boxes; -1 keeps
        QTest::addColumn<bool>("undo");
        QTest::addColumn<QByteArray>("from"); // this line of the file becomes to
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("shown"); // lines shown afterwards
        using L = QList<int>;
        const auto row = [](const char *name, const char *slot, int line, const L &set, bool undo,
                            const char *from, const char *to, int shown) {
            QTest::newRow(name) << QByteArray(slot) << line << set << undo << QByteArray(from)
                                << QByteArray(to) << shown;
        };
        row("Edit", "editValue", 2, {-1, -1, -1, -1, -1, 50}, false, "08:10,Carbs,  40",
            "08:10,Carbs,  50", 3);
        row("Edit into a series hides the entry", "editValue", 1, {-1, -1, -1, 8, 20, -1}, false,
            "09:00,Glucose, 150", "08:20,Glucose, 150", 2);
        row("Delete", "deleteValue", 2, L(), false, " 1.12.2026,08:10,Carbs,  40\n", "", 2);
        row("Delete without a selection: the top entry shown", "deleteValue", -1, L(), false,
            " 1.12.2026,09:05,Bolus,   4\n", "", 2);
        row("Undo of a Delete", "deleteValue", 1, L(), true, nullptr, "", 3);
        // A new entry is the file's last line.
        row("New", "insertNewValue", 1, {90}, false, nullptr, " 5. 3.2020,07:05,Glucose,  90\n", 4);
    }

    void filteredList()
    {
        QFETCH(QByteArray, slot);
        QFETCH(int, line);
        QFETCH(QList<int>, set);
        QFETCH(bool, undo);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, shown);
        Opened o(sensorDay);
        triggerMenuItem(o.window, 3, "Show &Sensor");
        o.window.listBox->setCurrentItem(line);
        if (set.isEmpty())
            QVERIFY(QMetaObject::invokeMethod(&o.window, slot));
        else
            answerDialog(&o.window, slot, [&](QDialog *dialog) {
                for (int i = 0; i < set.size(); ++i) {
                    if (set[i] >= 0)
                        spinBoxes(dialog)[i]->setValue(set[i]);
                }
                pressOk(dialog);
            });
        if (undo)
            triggerMenuItem(o.window, 0, QStringLiteral("&Undo"));
        const QByteArray expected =
            from.isNull() ? sensorDay + to : QByteArray(sensorDay).replace(from, to);
        QCOMPARE(readBytes(o.dir.diary()), expected);
        QCOMPARE(o.window.listBox->lineCount(), shown);
    }

    // The View menu and the day view find an entry in the list, with or
    // without a sensor's readings; the day view follows the current entry.
    void findEntry_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<QDate>("date"); // entered, or shown in the day view
        QTest::addColumn<int>("line");   // chosen in the day view, or current in the list
        QTest::addColumn<QString>("current");
        const auto row = [](const char *name, const char *slot, bool filtered, const QDate &date,
                            int line, const char *current) {
            QTest::newRow(name) << QByteArray(slot) << filtered << date << line << current;
        };
        const QDate second(2026, 12, 2);
        row("Go to Date: the day's newest entry", "goToDate", false, second.addDays(2), 0,
            " 4.12.2026,23:55,Glucose, 104");
        row("Go to Date: the newest entry shown", "goToDate", true, second, 0,
            " 2.12.2026,12:00,Carbs,   2");
        row("Go to Date: between days, the older one", "goToDate", false, second.addDays(1), 0,
            " 2.12.2026,23:55,Glucose, 102");
        row("Go to Date: before the first day, the first", "goToDate", true, second.addDays(-300),
            0, " 1.12.2026,12:00,Carbs,   1");
        row("chosen in the day view", "showDayView", false, second, 1,
            " 2.12.2026,06:00,Bolus,   2");
        row("chosen in the day view, filtered", "showDayView", true, second, 0,
            " 2.12.2026,12:00,Carbs,   2");
        row("Show Day, filtered", "showDay", true, QDate(), 3, " 2.12.2026,06:00,Bolus,   2");
    }

    void findEntry()
    {
        QFETCH(QByteArray, slot);
        QFETCH(bool, filtered);
        QFETCH(QDate, date);
        QFETCH(int, line);
        QFETCH(QString, current);
        // Three days with a dose, a meal and a sensor's evening; none on the 3rd.
        QByteArray file;
        for (const int day : {1, 2, 4}) {
            file += QString::asprintf("%2d.12.2026,06:00,Bolus,%4d\n%2d.12.2026,12:00,Carbs,%4d\n",
                                      day, day, day, day)
                        .toUtf8();
            for (int minutes = 20 * 60; minutes < 24 * 60; minutes += 5)
                file += QString::asprintf("%2d.12.2026,%02d:%02d,Glucose,%4d\n", day, minutes / 60,
                                          minutes % 60, 100 + day)
                            .toUtf8();
        }
        Opened o(file);
        o.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&o.window));
        if (filtered)
            triggerMenuItem(o.window, 3, "Show &Sensor");
        ListBox &list = *o.window.listBox;
        list.setCurrentItem(line);
        if (slot == "goToDate") {
            answerDialog(&o.window, slot, [&](QDialog *dialog) {
                dialog->findChild<QDateEdit *>()->setDate(date);
                pressOk(dialog);
            });
        } else {
            QVERIFY(QMetaObject::invokeMethod(&o.window, slot));
        }
        DayView *dayView = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            dayView = dayView ? dayView : qobject_cast<DayView *>(widget);
        if (date.isValid() && dayView) {
            dayView->showDay(date);
            dayView->entriesView()->setCurrentIndex(
                dayView->entriesView()->model()->index(line, 0));
        }
        QCOMPARE(rowLines(o.window).value(list.currentRow()), current);
        QVERIFY(list.viewport()->rect().contains(list.visualRect(list.currentIndex())));
        QCOMPARE(dayView ? dayView->day() : QDate(),
                 slot == "goToDate" ? QDate() : QDate(2026, 12, 2));
        QCOMPARE(readBytes(o.dir.diary()), file);
    }

    void editOnEmptyListShowsNothing()
    {
        Opened o("");
        QVERIFY(QMetaObject::invokeMethod(&o.window, "editValue"));
        QVERIFY(o.window.findChildren<QDialog *>().isEmpty());
    }

    void setup_data()
    {
        QTest::addColumn<QByteArray>("before"); // the settings file; null: none
        QTest::addColumn<bool>("mmol");         // the unit chosen
        QTest::addColumn<QString>("inTheWay");  // a "file" where the folder belongs, or a "folder"
        QTest::addColumn<QList<double>>("set"); // the four boxes; -1 keeps
        QTest::addColumn<bool>("ok");           // else Cancel
        QTest::addColumn<QList<int>>("settings"); // the window's afterwards
        QTest::addColumn<QByteArray>("after");    // the file; null: not written, and told
        const QList<double> keep(4, -1);
        const QByteArray odd = "1\n2\n5000\n0\n";
        // 100 mg/dL shows as 5.6 mmol/L, which alone would be stored as 101.
        const QByteArray kept = "100\n140\n250\n  7\n";
        const auto row = [](const char *name, const QByteArray &before, bool mmol,
                            const QList<double> &set, bool ok, const QList<int> &settings,
                            const QByteArray &after, const char *inTheWay = "") {
            QTest::newRow(name) << before << mmol << QString(inTheWay) << set << ok << settings
                                << after;
        };
        row("written, folder made", {}, false, {80, 160, 250, 7}, true, {80, 160, 250, 7},
            " 80\n160\n250\n  7\n");
        row("Cancel keeps all", odd, false, {50, -1, -1, -1}, false, {1, 2, 5000, 0}, odd);
        row("odd values at the bounds", odd, false, keep, true, {1, 2, 999, 1},
            "  1\n  2\n999\n  1\n");
        row("a file where the folder belongs", {}, false, {90, -1, -1, -1}, true, {90, 130, 200, 3},
            {}, "file");
        row("a folder where the file belongs", {}, false, {90, -1, -1, -1}, true, {90, 130, 200, 3},
            {}, "folder");
        row("mmol/L, untouched limits kept", kept, true, keep, true, {100, 140, 250, 7}, kept);
        row("mmol/L, typed", kept, true, {3.9, 10.0, -1, -1}, true, {70, 180, 250, 7},
            " 70\n180\n250\n  7\n");
        row("mmol/L, top of the range", kept, true, {-1, -1, 55.5, -1}, true, {100, 140, 999, 7},
            "100\n140\n999\n  7\n");
        // As read at start; Cancel leaves the file alone.
        const auto read = [&](const char *name, const QByteArray &file,
                              const QList<int> &settings) {
            row(name, file, false, keep, false, settings, file);
        };
        read("read five lines", "1\n2\n3\n4\n5\n", {1, 2, 3, 4});
        read("read letters", "abc\n160\n250\n7\n", {0, 160, 250, 7});
        read("read two lines", "90\n140\n", {90, 140, 200, 3});
        read("read without a final line feed", "1\n2\n3\n4", {1, 2, 3, 4});
    }

    void setup()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, mmol);
        QFETCH(QString, inTheWay);
        QFETCH(QList<double>, set);
        QFETCH(bool, ok);
        QFETCH(QList<int>, settings);
        QFETCH(QByteArray, after);
        WorkDir dir;
        const QString conf = dir.file("Settings/Mellidor.conf");
        if (inTheWay == "file")
            writeBytes(dir.file("Settings"), "file");
        else if (inTheWay == "folder" || !before.isNull())
            QVERIFY(QDir(dir.path()).mkpath(inTheWay == "folder" ? conf : dir.file("Settings")));
        if (!before.isNull())
            writeBytes(conf, before);
        if (mmol)
            writeBytes(DiaryFolder::path(DiaryFolder::File::Preferences), "glucose_unit=mmol/L\n");
        Mellidor window;
        QStringList shown;
        answerDialog(&window, "setup", [&](QDialog *dialog) {
            const auto boxes = dialog->findChildren<QAbstractSpinBox *>();
            for (int i = 0; i < 4; ++i) {
                shown << boxes[i]->text();
                if (set[i] >= 0)
                    boxes[i]->setProperty("value", set[i]);
            }
            ok ? pressOk(dialog) : pressCancel(dialog);
        });
        if (mmol)
            QCOMPARE(shown, (QStringList{"5.6 mmol/L", "7.8 mmol/L", "13.9 mmol/L", "7"}));
        QCOMPARE(limits(window), settings);
        QCOMPARE(readBytes(conf), after);
        // A file that cannot be written is reported with its name.
        QCOMPARE(m_messages.size(), int(after.isNull()));
        QVERIFY(m_messages.isEmpty() || m_messages[0].text.contains(conf));
    }

    void realMessageBoxes_data()
    {
        using Choice = UserMessage::SaveChoice;
        QTest::addColumn<int>("kind"); // 0 error, 1 information, 2 save failed, 3 without Discard
        QTest::addColumn<QString>("button");
        QTest::addColumn<Choice>("choice");
        QTest::newRow("error") << 0 << "OK" << Choice::Cancel;
        QTest::newRow("information") << 1 << "OK" << Choice::Cancel;
        QTest::newRow("Retry") << 2 << "Retry" << Choice::Retry;
        QTest::newRow("Discard") << 2 << "Discard" << Choice::Discard;
        QTest::newRow("Cancel") << 2 << "Cancel" << Choice::Cancel;
        QTest::newRow("OK where nothing can be discarded") << 3 << "OK" << Choice::Cancel;
    }

    // Without the test hook. A file named like markup is shown by its name, not rendered.
    void realMessageBoxes()
    {
        QFETCH(int, kind);
        QFETCH(QString, button);
        QFETCH(UserMessage::SaveChoice, choice);
        UserMessage::setHandlerForTesting(nullptr);
        const QString name = "<h1>BIG <font color=red>RED.json <img src=x>";
        qsizetype buttons = 0;
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        whenDialogOpens([&](QDialog *dialog) {
            if (auto *label = dialog->findChild<QLabel *>("qt_msgbox_label")) {
                text = label->text();
                format = label->textFormat();
            }
            buttons = qobject_cast<QMessageBox *>(dialog)->buttons().size();
            for (QAbstractButton *b : qobject_cast<QMessageBox *>(dialog)->buttons()) {
                if (b->text().remove(u'&').startsWith(button))
                    return b->click();
            }
            dialog->reject();
            QFAIL(qPrintable(button));
        });
        UserMessage::SaveChoice chosen = UserMessage::SaveChoice::Cancel;
        if (kind == 0)
            UserMessage::error(nullptr, "Import", name);
        else if (kind == 1)
            UserMessage::information(nullptr, "Import", name);
        else
            chosen = UserMessage::saveFailed(nullptr, name, kind == 2);
        verifyDialogsAnswered();
        QCOMPARE(chosen, choice);
        QCOMPARE(buttons, kind == 2 ? 3 : kind == 3 ? 2 : 1);
        QCOMPARE(text, name);
        QCOMPARE(format, Qt::PlainText);
    }

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
