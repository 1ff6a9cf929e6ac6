#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/mellidorpaint.h"
#include "ui/usermessage.h"

#include <QAbstractItemModelTester>
#include <QButtonGroup>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startWithoutFiles();
    void menusAndButtons();
    void listShowsRowsOfFourColumns();
    void threeLinesRoundTrip();
    void fieldsOutsideTheList();
    void settingsRead_data();
    void settingsRead();
    void unreadableDiaryIsReportedAndKept();
    void closingEndsProgramWithDiagramsOpen();
    void sortMovesWholeEntries();
    void modelStaysConsistent();
    void import_data();
    void import();
    void exportCsv();

private:
    QList<UserMessage::Shown> m_messages;
};

void TestMainWindow::init()
{
    recordMessages(&m_messages);
}

void TestMainWindow::cleanup()
{
    UserMessage::setHandlerForTesting(nullptr);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestMainWindow::startWithoutFiles()
{
    WorkDir dir;
    delete new Mellidor;
    QVERIFY(m_messages.isEmpty());
    QVERIFY(QFileInfo(dir.diary()).isFile());
    QCOMPARE(QFileInfo(dir.diary()).size(), 0);
    QVERIFY(!QFileInfo::exists(dir.file("Settings")));
}

void TestMainWindow::menusAndButtons()
{
    WorkDir dir;
    Mellidor window;
    auto *menuBar = window.findChild<QMenuBar *>();
    QVERIFY(menuBar);
    QStringList titles;
    QList<QStringList> entries;
    for (QAction *action : menuBar->actions()) {
        titles << action->text();
        QStringList texts;
        for (QAction *item : action->menu()->actions())
            texts << item->text();
        entries << texts;
    }
    QCOMPARE(titles, QStringList({"&Input", "&Graphic", "&Setup"}));
    QCOMPARE(entries[0], QStringList({"&New Value", "&Edit Value", "&Delete Value", "", "&Undo",
                                      "&Redo", "", "&Import...", "E&xport..."}));
    QCOMPARE(entries[1], QStringList({"&Line Diagram", "&Bar Chart", "&Histogram", "&Statistics",
                                      "&Report...", "&Print..."}));
    QCOMPARE(entries[2], QStringList({"&General Setup"}));

    const QList<QPushButton *> buttons = window.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 4);
    QStringList labels;
    for (QPushButton *button : buttons) {
        QVERIFY(button->group());
        QCOMPARE(button->group()->id(button), labels.size());
        labels << button->text();
    }
    QCOMPARE(labels, QStringList({"&New", "&Edit", "&Graphic", "&Setup"}));

    // The three diagram entries and the button open a diagram window of their own.
    for (QAction *item : entries.isEmpty() ? QList<QAction *>()
                                           : menuBar->actions()[1]->menu()->actions().mid(0, 3))
        item->trigger();
    buttons[2]->click();
    int diagrams = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        diagrams += qobject_cast<MellidorPaint *>(w) != nullptr;
    QCOMPARE(diagrams, 4);
}

void TestMainWindow::listShowsRowsOfFourColumns()
{
    WorkDir dir;
    writeBytes(dir.diary(), "1.1.2020,01:00,Glucose, 101\n"
                            "2.1.2020,02:00,Carbs,  20\n"
                            "3.1.2020,03:00,Bolus,   3\n");
    Mellidor window;
    const QAbstractItemModel *model = window.listBox->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 4);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("3.1.2020"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("   3"));
    QCOMPARE(model->index(2, 2).data().toString(), QStringLiteral("Glucose"));
    window.listBox->setCurrentItem(3 * 3 + 2);
    QCOMPARE(window.listBox->currentIndex(), model->index(2, 3));
    QCOMPARE(window.listBox->currentItem(), 11);
}

void TestMainWindow::threeLinesRoundTrip()
{
    WorkDir dir;
    const QByteArray diary = "17. 3.2020,07:05,Glucose, 112\n"
                             "18. 3.2020,08:00,Carbs,  40\n"
                             "18. 3.2020,08:05,Humalog,   6\n";
    writeBytes(dir.diary(), diary);
    {
        Mellidor window;
        window.show();
        QCOMPARE(window.getTypeFromListBox(0), QStringLiteral("Humalog"));
        QCOMPARE(window.getTypeFromListBox(2), QStringLiteral("Glucose"));
        QVERIFY(window.close());
    }
    QCOMPARE(readBytes(dir.diary()), diary);

    // A file that saving would write differently is rewritten at exit.
    writeBytes(dir.diary(), "a,b,c,d\r\ne,f,g,h");
    {
        Mellidor window;
    }
    QCOMPARE(readBytes(dir.diary()), QByteArray("a,b,c,d\ne,f,g,h\n"));
}

void TestMainWindow::fieldsOutsideTheList()
{
    WorkDir dir;
    writeBytes(dir.diary(), " 1. 1.2020,01:00,Glucose, 101\n"
                            " 2. 1.2020,02:00,Carbs,  20\n"
                            " 3. 1.2020,03:00,Bolus,   3\n");
    Mellidor window;
    const int n = 3;
    QCOMPARE(window.getDateFromListBox(2), QDate(2020, 1, 1));
    QCOMPARE(window.getTimeFromListBox(1), QTime(2, 0));
    QCOMPARE(window.getValueFromListBox(0), 3);
    // No item: empty text.
    QVERIFY(!window.getDateFromListBox(-1).isValid());
    QVERIFY(!window.getDateFromListBox(4 * n).isValid());
    QCOMPARE(window.getTimeFromListBox(-n - 1), QTime(0, 0));
    QCOMPARE(window.getTimeFromListBox(3 * n), QTime(0, 0));
    QCOMPARE(window.getTypeFromListBox(2 * n), QString());
    QCOMPARE(window.getTypeFromListBox(-2 * n - 1), QString());
    QCOMPARE(window.getValueFromListBox(n), 0);
    QCOMPARE(window.getValueFromListBox(-3 * n - 1), 0);
    // A row of another block reads that block's text.
    QCOMPARE(window.getTypeFromListBox(n), QStringLiteral("   3"));
    QCOMPARE(window.getTimeFromListBox(2 * n), QTime(3, 3));
    QCOMPARE(window.getTimeFromListBox(-1), QTime(0, 0));
}

void TestMainWindow::settingsRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("expected"); // lower, upper, max, days
    QTest::newRow("written format")
        << QByteArray(" 80\n160\n250\n  7\n") << QList<int>{80, 160, 250, 7};
    QTest::newRow("no blanks") << QByteArray("80\n160\n250\n7\n") << QList<int>{80, 160, 250, 7};
    QTest::newRow("five lines") << QByteArray("1\n2\n3\n4\n5\n") << QList<int>{1, 2, 3, 4};
    QTest::newRow("letters") << QByteArray("abc\n160\n250\n7\n") << QList<int>{0, 160, 250, 7};
    QTest::newRow("above range kept") << QByteArray("1\n2\n5000\n0\n") << QList<int>{1, 2, 5000, 0};
    QTest::newRow("two lines") << QByteArray("90\n140\n") << QList<int>{90, 140, 200, 3};
    QTest::newRow("empty file") << QByteArray() << QList<int>{100, 130, 200, 3};
    QTest::newRow("no final line feed") << QByteArray("1\n2\n3\n4") << QList<int>{1, 2, 3, 4};
}

void TestMainWindow::settingsRead()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, expected);
    WorkDir dir;
    QDir(dir.path()).mkdir("Settings");
    writeBytes(dir.file("Settings/Mellidor.conf"), file);
    QCOMPARE(limits(Mellidor()), expected);
}

void TestMainWindow::unreadableDiaryIsReportedAndKept()
{
    WorkDir dir;
    QVERIFY(QDir(dir.path()).mkdir("MellidorFile.txt"));
    {
        Mellidor window;
        QCOMPARE(window.listBox->count(), 0);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].text.contains(dir.diary()));
        QVERIFY(m_messages[0].text.contains("directory"));
        window.show();
        // Nothing entered, nothing to lose: closing just closes.
        QVERIFY(window.close());
        QCOMPARE(m_messages.size(), 1);
    }
    {
        Mellidor window;
        window.show();
        window.listBox->insertRow(0, {" 1. 1.2021", "08:00", "Glucose", " 100"});
        // An entry of this run cannot be saved there: closing asks, and
        // Cancel keeps the window open.
        QVERIFY(!window.close());
        QCOMPARE(m_messages.size(), 3);
        QVERIFY(m_messages[2].text.contains(dir.diary()));
        QVERIFY(window.isVisible());
    }
    QVERIFY(QFileInfo(dir.diary()).isDir());
}

void TestMainWindow::closingEndsProgramWithDiagramsOpen()
{
    WorkDir dir;
    auto *window = new Mellidor;
    window->show();
    QVERIFY(QMetaObject::invokeMethod(window, "paintLineDiagram"));
    QPointer<MellidorPaint> diagram;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<MellidorPaint *>(w))
            diagram = d;
    QVERIFY(diagram && diagram->isVisible());
    // The event loop ends when the main window closes, diagrams or not.
    QTimer::singleShot(0, window, &QWidget::close);
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(2); });
    QCOMPARE(QApplication::exec(), 0);
    delete window;
    QVERIFY(diagram.isNull());
}

void TestMainWindow::sortMovesWholeEntries()
{
    WorkDir dir;
    writeBytes(dir.diary(), " 2. 1.2020,10:00,Glucose,   2\n"
                            " 1. 1.2020,12:00,Bolus,   1\n"
                            " 3. 1.2020,08:00,Carbs,   3\n");
    Mellidor window;
    QVERIFY(QMetaObject::invokeMethod(&window, "sortAscending"));
    QCOMPARE(window.getTypeFromListBox(0), QStringLiteral("Bolus"));
    QCOMPARE(window.getValueFromListBox(2), 3);
    QVERIFY(QMetaObject::invokeMethod(&window, "sortDescending"));
    QCOMPARE(window.getTypeFromListBox(0), QStringLiteral("Carbs"));
    QCOMPARE(window.getValueFromListBox(2), 1);
}

void TestMainWindow::modelStaysConsistent()
{
    WorkDir dir;
    writeBytes(dir.diary(), " 2. 1.2020,10:00,Glucose,   2\n"
                            " 1. 1.2020,12:00,Bolus,   1\n");
    Mellidor window;
    ListBox *list = window.listBox;
    QAbstractItemModelTester tester(list->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    list->insertRow(0, {" 3. 1.2020", "08:00", "Carbs", "  30"});
    list->insertRow(3, {"odd", "", "", ""});
    list->removeRow(1);
    list->diaryModel()->sortByDateTime(true);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("odd"));
    QCOMPARE(list->model()->index(2, 2).data().toString(), QStringLiteral("Carbs"));
}

// Oldest first, as in the file; the hand-typed line must keep its text.
static const QByteArray twoLines = "14.10.2019,17:05,Glucose, 112\n02.01.2020,9:15,Carbs,20\n";

void TestMainWindow::import_data()
{
    QTest::addColumn<QByteArray>("diary");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("after"); // the diary file
    QTest::addColumn<QString>("message");  // title: part of the text
    const QByteArray added = "14.10.2019,17:05,Glucose, 112\n14.10.2019,17:06,Bolus,   3\n"
                             "14.10.2019,17:10,Carbs,  30\n02.01.2020,9:15,Carbs,20\n";
    QTest::newRow("two files, duplicates of the diary and of each other skipped")
        << twoLines << QStringList{"a.csv", "b.csv"} << added
        << "Import: a.csv (Dexcom Clarity CSV): 2 entries added (1 Carbs, 1 Bolus), 1 duplicate "
           "skipped, 1 value rounded.\n\nb.csv (Mellidor CSV): 0 entries added, 2 duplicates";
    QTest::newRow("a refused file, nothing added")
        << twoLines << QStringList{"a.csv", "c.csv"} << twoLines
        << "Nothing imported: \"c.csv\" is not in a format Mellidor knows. Mellidor reads";
}

void TestMainWindow::import()
{
    QFETCH(QByteArray, diary);
    QFETCH(QStringList, files);
    QFETCH(QByteArray, after);
    QFETCH(QString, message);
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), diary);
    writeBytes(dir.file("a.csv"), "Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event Subtype,"
                                  ",,,Glucose Value (mg/dL),Insulin Value (u),Carb Value\n"
                                  "1,2019-10-14T17:05:00,EGV,,,,,112,,\n"
                                  "2,2019-10-14T17:06:00,Insulin,Fast-Acting,,,,,2.5,\n"
                                  "3,2019-10-14T17:10:00,Carbs,,,,,,,30\n");
    writeBytes(dir.file("b.csv"), "date,time,type,value\n2019-10-14,17:10,Carbs,30\n"
                                  "2019-10-14,17:06,Bolus,3\n");
    writeBytes(dir.file("c.csv"), "hello, world\n");
    Mellidor window;
    chooseFiles(files);
    triggerMenuItem(window, 0, "&Import...");
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), after);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2((m_messages[0].title + ": " + m_messages[0].text).startsWith(message),
             qPrintable(m_messages[0].text));

    // One step, and only when something was added: undo takes it all back.
    QCOMPARE(window.undoStack()->count(), after == diary ? 0 : 1);
    triggerMenuItem(window, 0, "&Undo");
    QCOMPARE(readBytes(dir.file("MellidorFile.txt")), diary);
}

void TestMainWindow::exportCsv()
{
    WorkDir dir;
    writeBytes(dir.file("MellidorFile.txt"), twoLines);
    Mellidor window;
    chooseFiles({"out.csv"});
    triggerMenuItem(window, 0, "E&xport...");
    QCOMPARE(readBytes(dir.file("out.csv")),
             "date,time,type,value\n2019-10-14,17:05,Glucose,112\n2020-01-02,09:15,Carbs,20\n");
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
