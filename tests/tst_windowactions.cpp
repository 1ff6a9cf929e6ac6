// The window's import, export, statistics and report, driven through the real
// menu actions and dialogs.
#include "core/clock.h"
#include "testsupport.h"
#include "ui/importexport.h"
#include "ui/mellidor.h"
#include "ui/statisticswindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QUndoStack>
#include <QtTest>

namespace {

// Oldest line first, as the file holds them; the hand-typed line must come
// back exactly.
const QByteArray diaryLines = "14.10.2019,17:05,Glucose, 112\n"
                              "02.01.2020,9:15,Carbs,20\n";
const QByteArray dexcom =
    "Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event Subtype,Patient Info,Device Info,"
    "Source Device ID,Glucose Value (mg/dL),Insulin Value (u),Carb Value (grams)\n"
    "1,2019-10-14T17:05:00,EGV,,,,G6,112,,\n"
    "2,2019-10-14T17:10:00,EGV,,,,G6,120,,\n"
    "3,2019-10-14T17:06:00,Insulin,Fast-Acting,,,G6,,2.5,\n";
const QByteArray ownCsv = "date,time,type,value\n"
                          "2019-10-14,17:10,Glucose,120\n"
                          "2019-10-14,18:00,Carbs,30\n";

QAction *menuAction(const Mellidor &window, int menu, const QString &text)
{
    const QMenu *m = window.findChild<QMenuBar *>()->actions().at(menu)->menu();
    for (QAction *action : m->actions()) {
        if (action->text().startsWith(text))
            return action;
    }
    return nullptr;
}

// Answers the next file dialog with these names in the working directory.
void chooseFiles(const QStringList &names)
{
    whenDialogOpens([names](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files) {
            dialog->reject();
            QFAIL("no file dialog");
        }
        files->setDirectory(QDir::currentPath());
        files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(names.size() == 1 ? names[0]
                                        : u'"' + names.join(QStringLiteral("\" \"")) + u'"');
        dialog->accept(); // QFileDialog::accept checks the names
    });
}

// Answers the next print dialog with printing to this file.
void printToFile(const QString &name)
{
    whenDialogOpens([name](QDialog *dialog) {
        auto *print = qobject_cast<QPrintDialog *>(dialog);
        if (!print) {
            dialog->reject();
            QFAIL("no print dialog");
        }
        // Qt's own print dialog lists "Print to File (PDF)" last.
        auto *printers = print->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1);
        print->findChild<QLineEdit *>(QStringLiteral("filename"))
            ->setText(QDir::current().absoluteFilePath(name));
        dialog->accept();
    });
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestWindowActions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void import_data();
    void import();
    void importAfterOutsideChange();
    void exportCsv();
    void report_data();
    void report();

private:
    std::unique_ptr<WorkDir> m_dir;
    QList<UserMessage::Shown> m_messages;
};

void TestWindowActions::init()
{
    Clock::setForTesting([] { return QDateTime(QDate(2019, 10, 15), QTime(15, 0)); });
    m_dir = std::make_unique<WorkDir>();
    writeBytes(m_dir->file("MellidorFile.txt"), diaryLines);
    writeBytes(m_dir->file("dexcom.csv"), dexcom);
    writeBytes(m_dir->file("own.csv"), ownCsv);
    writeBytes(m_dir->file("junk.csv"), "hello, world\n");
    recordMessages(&m_messages);
}

void TestWindowActions::cleanup()
{
    UserMessage::setHandlerForTesting(nullptr);
    Clock::setForTesting(nullptr);
    m_dir.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void TestWindowActions::import_data()
{
    QTest::addColumn<QByteArray>("diary");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("message"); // title, then parts of the text
    const QStringList unchanged = {"02.01.2020,9:15,Carbs,20", "14.10.2019,17:05,Glucose, 112"};
    const QStringList imported = {"02.01.2020,9:15,Carbs,20", "14.10.2019,18:00,Carbs,  30",
                                  "14.10.2019,17:10,Glucose, 120", "14.10.2019,17:06,Bolus,   3",
                                  "14.10.2019,17:05,Glucose, 112"};
    QTest::newRow("two files: duplicates of the diary and of each other skipped")
        << diaryLines << QStringList{"dexcom.csv", "own.csv"} << imported
        << QStringList{"Import",
                       "dexcom.csv (Dexcom Clarity CSV): 2 entries added (1 Glucose, 1 Bolus), "
                       "1 duplicate skipped, 1 value rounded.",
                       "own.csv (Mellidor CSV): 1 entry added (1 Carbs), 1 duplicate skipped."};
    QTest::newRow("a refused file: nothing added")
        << diaryLines << QStringList{"dexcom.csv", "junk.csv"} << unchanged
        << QStringList{"Nothing imported", "junk.csv", "Mellidor reads", "Nothing was imported"};
    QTest::newRow("imported before: nothing added")
        << QByteArray("14.10.2019,17:05,Glucose, 112\n14.10.2019,17:06,Bolus,   3\n"
                      "14.10.2019,17:10,Glucose, 120\n02.01.2020,9:15,Carbs,20\n")
        << QStringList{"dexcom.csv"}
        << QStringList{"02.01.2020,9:15,Carbs,20", "14.10.2019,17:10,Glucose, 120",
                       "14.10.2019,17:06,Bolus,   3", "14.10.2019,17:05,Glucose, 112"}
        << QStringList{"Import", "0 entries added, 3 duplicates skipped"};
}

void TestWindowActions::import()
{
    QFETCH(QByteArray, diary);
    QFETCH(QStringList, files);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, message);
    const QString diaryPath = m_dir->file("MellidorFile.txt");
    writeBytes(diaryPath, diary);
    const QByteArray original = readBytes(diaryPath);
    Mellidor window;

    chooseFiles(files);
    menuAction(window, 0, "&Import...")->trigger();
    QCOMPARE(rowLines(window), rows);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, message[0]);
    for (const QString &part : message.mid(1))
        QVERIFY2(m_messages[0].text.contains(part), qPrintable(m_messages[0].text));
    QByteArray saved;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        saved += it->toUtf8() + '\n';
    QCOMPARE(readBytes(diaryPath).size(), saved.size()); // the hand-typed line kept its text
    QCOMPARE(readBytes(diaryPath), saved);

    // One step: a single undo takes the whole import back, byte for byte.
    const bool added = rows.size() > diary.count('\n');
    QCOMPARE(window.undoStack()->count(), added ? 1 : 0);
    if (added) {
        menuAction(window, 0, "&Undo")->trigger();
        QCOMPARE(readBytes(diaryPath), original);
        menuAction(window, 0, "&Redo")->trigger();
        QCOMPARE(readBytes(diaryPath), saved);
    }
}

void TestWindowActions::importAfterOutsideChange()
{
    // Planned on one diary, applied to another that already holds one of the
    // entries and has a newer one on top.
    Diary diary;
    diary.insertRows({0, 1}, {{"15.10.2019", "08:00", "Glucose", " 140"},
                              {"14.10.2019", "17:10", "Glucose", " 120"}});
    std::vector<int> rows{0, 1};
    std::vector<EntryTexts> texts{{"14.10.2019", "18:00", "Carbs", "  30"},
                                  {"14.10.2019", "17:10", "Glucose", " 120"}};
    replanImport(diary, rows, texts);
    QCOMPARE(rows, std::vector<int>{1});
    QCOMPARE(texts.size(), size_t(1));
    QCOMPARE(texts[0][2], QByteArray("Carbs"));
}

void TestWindowActions::exportCsv()
{
    Mellidor window;
    chooseFiles({"out.csv"});
    menuAction(window, 0, "E&xport...")->trigger();
    QCOMPARE(readBytes(m_dir->file("out.csv")),
             QByteArray("date,time,type,value\n2019-10-14,17:05,Glucose,112\n"
                        "2020-01-02,09:15,Carbs,20\n"));
    QVERIFY(m_messages.isEmpty());
}

void TestWindowActions::report_data()
{
    QTest::addColumn<QString>("action"); // the menu item, or the window's button
    QTest::addColumn<int>("period");     // the choice in the menu's dialog or the window
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("expected"); // in the PDF's text, or the message
    QTest::newRow("menu, 7 days, mg/dL")
        << "&Report..." << 0 << QDate() << QDate() << 0 << "2019-10-09 to 2019-10-15 (7 days)";
    QTest::newRow("menu, from-to, mmol/L")
        << "&Report..." << 4 << QDate(2019, 10, 14) << QDate(2019, 10, 14) << 1
        << "2019-10-14 to 2019-10-14 (1 day)";
    QTest::newRow("menu, dates backwards") << "&Report..." << 4 << QDate(2019, 10, 15)
                                           << QDate(2019, 10, 1) << 0 << "ends before it starts";
    QTest::newRow("statistics window, 90 days, mmol/L")
        << "Save PDF..." << int(StatisticsWindow::Last90Days) << QDate() << QDate() << 1
        << "2019-07-18 to 2019-10-15 (90 days)";
    QTest::newRow("menu, print to a file, 30 days")
        << "&Print..." << 2 << QDate() << QDate() << 0 << "2019-09-16 to 2019-10-15 (30 days)";
}

void TestWindowActions::report()
{
    QFETCH(QString, action);
    QFETCH(int, period);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, unit);
    QFETCH(QString, expected);
    const bool written = from <= to;
    Mellidor window;
    if (action == QLatin1String("Save PDF...")) {
        chooseFiles({"r.pdf"});
        menuAction(window, 1, "&Statistics")->trigger();
        StatisticsWindow *statistics = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            statistics = statistics ? statistics : qobject_cast<StatisticsWindow *>(w);
        QVERIFY(statistics && statistics->isVisible());
        std::unique_ptr<StatisticsWindow> closer(statistics);
        statistics->setPeriod(StatisticsWindow::Period(period));
        statistics->setUnit(GlucoseUnit(unit));
        for (QPushButton *button : statistics->findChildren<QPushButton *>()) {
            if (button->text() == action)
                button->click();
        }
    } else {
        whenDialogOpens([=](QDialog *dialog) {
            const QList<QComboBox *> boxes = dialog->findChildren<QComboBox *>();
            const QList<QDateEdit *> dates = dialog->findChildren<QDateEdit *>();
            QCOMPARE(boxes.size(), 2);
            boxes[0]->setCurrentIndex(period);
            boxes[1]->setCurrentIndex(unit);
            if (from.isValid()) {
                dates[0]->setDate(from);
                dates[1]->setDate(to);
            }
            if (written && action == QLatin1String("&Print..."))
                printToFile("r.pdf");
            else if (written)
                chooseFiles({"r.pdf"});
            pressOk(dialog);
        });
        menuAction(window, 1, action)->trigger();
    }

    const QString pdf = m_dir->file("r.pdf");
    QCOMPARE(QFileInfo::exists(pdf), written);
    if (!written) {
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].text.contains(expected));
        return;
    }
    QVERIFY(readBytes(pdf).startsWith("%PDF"));
    const QString info = run("pdfinfo", {pdf});
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)\\n")).match(info);
    QVERIFY2(pages.hasMatch(), qPrintable(info));
    const QString text = run("pdftotext", {"-layout", pdf, "-"});
    QVERIFY2(text.contains(expected), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("%1 of %1").arg(pages.captured(1))));
    QVERIFY(text.contains(unit ? QStringLiteral("mmol/L") : QStringLiteral("mg/dL")));
}

QTEST_MAIN(TestWindowActions)
#include "tst_windowactions.moc"
