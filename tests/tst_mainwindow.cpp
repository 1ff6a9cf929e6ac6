// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diaryfolder.h"
#include "core/preferences.h"
#include "ui/mellidor.h"
#include "ui/mellidorpaint.h"
#include "ui/statisticswindow.h"
#include "ui/usermessage.h"
#include "windowtestsupport.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

namespace {

// Oldest first, as in the file; the hand-typed line must keep its text.
const QByteArray twoLines = "14.10.2019,17:05,Glucose, 112\n02.01.2020,9:15,Carbs,20\n";

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { recordMessages(&m_messages); }

    void cleanup()
    {
        UserMessage::setHandlerForTesting(nullptr);
        verifyDialogsAnswered(); // also for a test that forgot to
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void fieldsOutsideTheList()
    {
        WorkDir dir(testData("diary-three-hours.txt"));
        Mellidor w;
        // Rows outside the list read the items of other columns, or nothing.
        QCOMPARE(w.getDateFromListBox(2), QDate(2020, 1, 1));
        QVERIFY(!w.getDateFromListBox(-1).isValid() && !w.getDateFromListBox(12).isValid());
        QCOMPARE((QList<QTime>{w.getTimeFromListBox(1), w.getTimeFromListBox(-4),
                               w.getTimeFromListBox(9), w.getTimeFromListBox(6),
                               w.getTimeFromListBox(-1)}),
                 (QList<QTime>{QTime(2, 0), QTime(0, 0), QTime(0, 0), QTime(3, 3), QTime(0, 0)}));
        QCOMPARE(w.getTypeFromListBox(6) + w.getTypeFromListBox(-7) + w.getTypeFromListBox(3),
                 "   3");
        QCOMPARE((QList<int>{w.getValueFromListBox(0), w.getValueFromListBox(3),
                             w.getValueFromListBox(-10)}),
                 (QList<int>{3, 0, 0}));
    }

    void fileMadeKeptOrRewritten()
    {
        WorkDir dir;
        delete new Mellidor;
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(QFileInfo(dir.diary()).size(), 0);
        QVERIFY(QFileInfo(dir.diary()).isFile() && !QFileInfo::exists(dir.file("Settings")));
        writeBytes(dir.diary(), twoLines);
        {
            Mellidor window;
            window.show();
            QVERIFY(window.close());
        }
        QCOMPARE(readBytes(dir.diary()), twoLines);
        // A file that saving would write differently is rewritten at exit.
        writeBytes(dir.diary(), "a,b,c,d\r\ne,f,g,h");
        delete new Mellidor;
        QCOMPARE(readBytes(dir.diary()), QByteArray("a,b,c,d\ne,f,g,h\n"));
    }

    // The Setup menu's choices show at once, are stored beside the settings
    // and read at the next start; the diary never changes.
    void unitAndDoseChoices()
    {
        const QByteArray diary = testData("diary-units-and-doses.txt");
        WorkDir dir(diary);
        const auto shown = [](const Mellidor &window) {
            QStringList values;
            const QAbstractItemModel *model = window.listBox->model();
            for (int row = 0; row < model->rowCount(); ++row)
                values << model->index(row, 3).data().toString();
            return values;
        };
        const auto choice = [](const Mellidor &window, const QString &menu, const QString &item) {
            for (QAction *sub : window.findChild<QMenuBar *>()->actions()[2]->menu()->actions()) {
                for (QAction *action : sub->menu() ? sub->menu()->actions() : QList<QAction *>()) {
                    if (sub->text() == menu && action->text() == item)
                        return action;
                }
            }
            return static_cast<QAction *>(nullptr);
        };
        const QStringList inMgPerDl{"  70", "2.35", "1OO", " 100"};
        const QStringList inMmol{"3.9", "2.35", "1OO", "5.6"};
        {
            Mellidor window;
            QCOMPARE(shown(window), inMgPerDl);
            QVERIFY(choice(window, "Glucose &Unit", "mg/dL")->isChecked());
            choice(window, "Glucose &Unit", "mmol/L")->trigger();
            QCOMPARE(shown(window), inMmol);
            choice(window, "&Insulin Doses", "&Fractions")->trigger();
            choice(window, "&Targets", "Pregnancy, type &1")->trigger();
            // The statistics and the report open in the chosen unit.
            triggerMenuItem(window, 1, "&Statistics");
            StatisticsWindow *statistics = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                statistics = statistics ? statistics : qobject_cast<StatisticsWindow *>(w);
            QVERIFY(statistics && statistics->unit() == GlucoseUnit::MmolPerL &&
                    statistics->statistics().targetSet == TargetSet::PregnancyType1);
            delete statistics;
            QString reportUnit;
            whenDialogOpens([&](QDialog *dialog) {
                reportUnit = dialog->findChildren<QComboBox *>().value(1)->currentText();
                pressCancel(dialog);
            });
            triggerMenuItem(window, 1, "&Report...");
            verifyDialogsAnswered();
            QCOMPARE(reportUnit, "mmol/L");
        }
        QCOMPARE(
            readBytes(DiaryFolder::path(DiaryFolder::File::Preferences)),
            QByteArray("glucose_unit=mmol/L\ninsulin_doses=fractions\ntargets=pregnancy-type-1\n"));
        Mellidor again;
        QCOMPARE(shown(again), inMmol);
        QVERIFY(choice(again, "Glucose &Unit", "mmol/L")->isChecked());
        QVERIFY(choice(again, "&Insulin Doses", "&Fractions")->isChecked() &&
                choice(again, "&Targets", "Pregnancy, type &1")->isChecked());
        choice(again, "Glucose &Unit", "mg/dL")->trigger();
        QCOMPARE(shown(again), inMgPerDl);
        QVERIFY(!choice(again, "Glucose &Unit", "mmol/L")->isChecked());
        QCOMPARE(readBytes(dir.diary()), diary);
        QVERIFY(m_messages.isEmpty());
    }

    void unreadableDiaryIsReportedAndKept()
    {
        WorkDir dir;
        QVERIFY(QDir(dir.path()).mkdir("MellidorFile.txt"));
        {
            Mellidor window;
            QCOMPARE(window.listBox->count(), 0);
            QCOMPARE(m_messages.size(), 1);
            // Nothing entered, nothing to lose: closing just closes.
            window.show();
            QVERIFY(window.close());
            QCOMPARE(m_messages.size(), 1);
        }
        {
            // An entry of this run cannot be saved there: Cancel keeps the window.
            Mellidor window;
            window.show();
            window.listBox->insertRow(0, {" 1. 1.2021", "08:00", "Glucose", " 100"});
            QVERIFY(!window.close());
            QCOMPARE(m_messages.size(), 3);
            QVERIFY(window.isVisible());
        }
        QVERIFY(QFileInfo(dir.diary()).isDir());
    }

    // The three diagram entries and the button each open a diagram; the
    // event loop ends when the main window closes, diagrams or not.
    void closingEndsProgramWithDiagramsOpen()
    {
        WorkDir dir;
        auto *window = new Mellidor;
        window->show();
        for (const char *item : {"&Line", "&Bar", "&Histogram"})
            triggerMenuItem(*window, 1, item);
        window->findChildren<QPushButton *>().at(2)->click();
        QList<QPointer<MellidorPaint>> diagrams;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<MellidorPaint *>(w); d && d->isVisible())
                diagrams << d;
        QCOMPARE(diagrams.size(), 4);
        QTimer::singleShot(0, window, &QWidget::close);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(2); });
        QCOMPARE(QApplication::exec(), 0);
        delete window;
        QVERIFY(diagrams[0].isNull() && diagrams[3].isNull());
    }

    void sortMovesWholeEntriesModelStaysConsistent()
    {
        WorkDir dir(" 2. 1.2020,10:00,Glucose,   2\n 1. 1.2020,12:00,Bolus,   1\n");
        Mellidor window;
        ListBox *list = window.listBox;
        QAbstractItemModelTester tester(list->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        list->insertRow(0, {" 3. 1.2020", "08:00", "Carbs", "  30"});
        list->insertRow(3, {"odd", "", "", ""});
        list->removeRow(1);
        QVERIFY(QMetaObject::invokeMethod(&window, "sortAscending"));
        QCOMPARE(rowLines(window), (QStringList{"odd,,,", " 2. 1.2020,10:00,Glucose,   2",
                                                " 3. 1.2020,08:00,Carbs,  30"}));
        QCOMPARE(list->model()->index(2, 2).data().toString(), QStringLiteral("Carbs"));
        QVERIFY(QMetaObject::invokeMethod(&window, "sortDescending"));
        QCOMPARE(rowLines(window).first(), QStringLiteral(" 3. 1.2020,08:00,Carbs,  30"));
    }

    void import_data()
    {
        QTest::addColumn<QByteArray>("diary");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("after"); // the diary file
        QTest::addColumn<QString>("message");  // title: part of the text
        const QByteArray added = "14.10.2019,17:05,Glucose, 112\n14.10.2019,17:06,Bolus, 2.5\n"
                                 "14.10.2019,17:10,Carbs,  30\n02.01.2020,9:15,Carbs,20\n";
        QTest::newRow("two files, duplicates of the diary and of each other skipped")
            << twoLines << QStringList{"a.csv", "b.csv"} << added
            << "Import: a.csv (Dexcom Clarity CSV): 2 entries added (1 Carbs, 1 Bolus), 1 "
               "duplicate skipped, 1 value rounded.\n\nb.csv (Mellidor CSV): 0 entries added, 2 "
               "duplicates";
        QTest::newRow("a refused file, nothing added")
            << twoLines << QStringList{"a.csv", "c.csv"} << twoLines
            << "Nothing imported: \"c.csv\" is not in a format Mellidor knows. Mellidor reads";
    }

    void import()
    {
        QFETCH(QByteArray, diary);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, after);
        QFETCH(QString, message);
        WorkDir dir(diary);
        writeBytes(dir.file("a.csv"), testData("dexcom-mgdl-three-entries.csv"));
        writeBytes(dir.file("b.csv"),
                   "date,time,type,value\n2019-10-14,17:10,Carbs,30\n2019-10-14,17:06,Bolus,2.5\n");
        writeBytes(dir.file("c.csv"), "hello, world\n");
        Mellidor window;
        chooseFiles(files);
        triggerMenuItem(window, 0, "&Import...");
        verifyDialogsAnswered();
        QCOMPARE(readBytes(dir.diary()), after);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2((m_messages[0].title + ": " + m_messages[0].text).startsWith(message),
                 qPrintable(m_messages[0].text));
        // One step, and only when something was added: undo takes it all back.
        QCOMPARE(window.undoStack()->count(), after == diary ? 0 : 1);
        triggerMenuItem(window, 0, "&Undo");
        QCOMPARE(readBytes(dir.diary()), diary);
    }

    void mmolImportOffersTheUnitOnce_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void mmolImportOffersTheUnitOnce()
    {
        QFETCH(bool, yes);
        WorkDir dir;
        writeBytes(dir.file("a.csv"), testData("dexcom-mmol-one-reading.csv"));
        QStringList questions;
        UserMessage::setHandlerForTesting([&](const UserMessage::Shown &shown) {
            questions << shown.text.section(u'\n', -1);
            return yes ? UserMessage::SaveChoice::Retry : UserMessage::SaveChoice::Cancel;
        });
        Mellidor window;
        for (int i = 0; i < 2; ++i) {
            chooseFiles({"a.csv"});
            triggerMenuItem(window, 0, "&Import...");
            verifyDialogsAnswered();
        }
        QCOMPARE(questions.size(), 2);
        QVERIFY2(questions[0].contains("Show glucose in mmol/L from now on?"),
                 qPrintable(questions[0]));
        QVERIFY2(!questions[1].contains("mmol/L from now on"), qPrintable(questions[1]));
        const Preferences chosen{yes ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl,
                                 InsulinDoses::WholeUnits, true};
        QVERIFY(window.preferences() == chosen);
        QVERIFY(PreferencesFile::read(DiaryFolder::path(DiaryFolder::File::Preferences)) == chosen);
    }

    void exportCsv()
    {
        WorkDir dir(twoLines + " 3. 1.2020,00:00,Carbs,  10\n31. 2.2020,25:99,Glucose,1e308\n");
        Mellidor window;
        chooseFiles({"out.csv"});
        triggerMenuItem(window, 0, "E&xport...");
        verifyDialogsAnswered();
        QCOMPARE(readBytes(dir.file("out.csv")),
                 "date,time,type,value\n2019-10-14,17:05,Glucose,112\n"
                 "2020-01-02,09:15,Carbs,20\n2020-01-03,00:00,Carbs,10\n");
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text,
                 "1 entry without a readable date, time or value was not exported.");
    }

    // The file dialogs' choice is checked as the command line's is (tst_commandline).
    void refusedOutputs_data()
    {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, int menu, const char *file) {
            QTest::newRow(name) << menu << (menu ? "&Report..." : "E&xport...") << file
                                << (menu ? "Report: Could not write" : "Not exported: The file");
        };
        row("export onto the diary", 0, "MellidorFile.txt");
        row("report onto a symlink to the diary", 1, "link.pdf");
    }

    void refusedOutputs()
    {
        QFETCH(int, menu);
        QFETCH(QString, item);
        QFETCH(QString, file);
        QFETCH(QString, message);
        WorkDir dir(twoLines);
        QVERIFY(QFile::link("MellidorFile.txt", "link.pdf"));
        Mellidor window;
        if (menu == 0)
            chooseFiles({file});
        else
            whenDialogOpens([&](QDialog *period) {
                chooseFiles({file});
                pressOk(period);
            });
        triggerMenuItem(window, menu, item);
        verifyDialogsAnswered();
        QCOMPARE(m_messages.size(), 1);
        const QString shown = m_messages[0].title + ": " + m_messages[0].text;
        QVERIFY2(shown.startsWith(message) && shown.contains(file), qPrintable(shown));
        QCOMPARE(readBytes(dir.diary()), twoLines);
        QVERIFY(QFileInfo("link.pdf").isSymLink());
    }

private:
    QList<UserMessage::Shown> m_messages;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
