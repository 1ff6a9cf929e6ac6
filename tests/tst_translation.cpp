// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/translation.h"
#include "core/clock.h"
#include "ui/mellidor.h"
#include "ui/statisticswindow.h"
#include "windowtestsupport.h"

#include <QDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

// Every menu of the window, the menu bar first, each with its title and the
// texts of its items (with a tab and the shortcut), in the order they show.
using Menus = QList<std::pair<QString, QStringList>>;

void collectMenus(const QWidget *menu, Menus &menus)
{
    const auto *title = qobject_cast<const QMenu *>(menu);
    menus.append({title ? title->title() : QStringLiteral("menu bar"), {}});
    const qsizetype index = menus.size() - 1;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString shortcut = action->shortcut().toString();
        menus[index].second << action->text() + (shortcut.isEmpty() ? "" : u'\t' + shortcut);
        if (action->menu())
            collectMenus(action->menu(), menus);
    }
}

Menus menuTexts(const Mellidor &window)
{
    Menus menus;
    collectMenus(window.findChild<QMenuBar *>(), menus);
    return menus;
}

QString widgetTexts(const QWidget *widget)
{
    QStringList texts{widget->windowTitle()};
    for (const QLabel *label : widget->findChildren<QLabel *>())
        texts << label->text();
    for (const QPushButton *button : widget->findChildren<QPushButton *>())
        texts << button->text();
    return texts.join(u'\n');
}

// The pieces of text a person reads in the statistics window and on the
// report's first page: labels, and the report's words split at wide gaps.
QStringList windowPieces(Mellidor *window)
{
    return widgetTexts(std::make_unique<StatisticsWindow>(&window->session()).get()).split(u'\n');
}

QStringList reportPieces()
{
    QString messages;
    QTextStream out(&messages), err(&messages);
    runCommandLine(
        {"mellidor", "report", "--from", "2026-12-01", "--to", "2026-12-06", "--output", "r.pdf"},
        out, err);
    return outputOf("pdftotext", {"-l", "1", "-layout", "r.pdf", "-"})
        .split(QRegularExpression(QStringLiteral("\\s{2,}|\\n")));
}

// A piece a German reader may well see as it is: numbers, units, names and
// the words both languages share.
bool sameInBothLanguages(const QString &piece)
{
    static const QRegularExpression units(QStringLiteral("mg/dL|mmol/L|\\bmin\\b"));
    static const QRegularExpression letters(QStringLiteral("[A-Za-z]{2}"));
    static const QStringList shared{"Minimum", "Median", "Maximum"};
    return !QString(piece).remove(units).contains(letters) || shared.contains(piece.trimmed());
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkDir> m_dir;
    Menus m_english; // the menus before any translation
    QStringList m_englishWindow, m_englishReport;

private slots:
    void initTestCase()
    {
        Clock::setForTesting([] { return QDateTime(QDate(2026, 12, 6), QTime(15, 0)); });
        m_dir = std::make_unique<WorkDir>(QByteArray(" 2.12.2026,08:00,Glucose, 112\n"
                                                     " 3.12.2026,08:00,Glucose, 250\n"
                                                     " 4.12.2026,08:00,Carbs,  40\n"));
        {
            Mellidor english;
            m_english = menuTexts(english);
            // The new menu and items come after those that were there.
            QCOMPARE(m_english.value(0).second,
                     (QStringList{"&Input", "&Graphic", "&Setup", "&View"}));
            QCOMPARE(m_english.value(2).second.mid(3, 3),
                     (QStringList{"&Statistics", "&Day View", "&Report..."}));
            QCOMPARE(m_english.constLast().second,
                     (QStringList{"&Go to Date...\tCtrl+G", "Show &Sensor Readings",
                                  "Show &Day\tCtrl+D"}));
            m_englishWindow = windowPieces(&english);
            if (!QStandardPaths::findExecutable("pdftotext").isEmpty())
                m_englishReport = reportPieces();
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(installTranslations(QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("de"));
    }

    void cleanupTestCase() { Clock::setForTesting({}); }

    // The language chosen for a session; English ones keep the texts as written.
    void chosenLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << QLocale("de_DE") << "de";
        QTest::newRow("Austrian German") << QLocale("de_AT") << "de";
        QTest::newRow("English") << QLocale("en_US") << "";
        QTest::newRow("C") << QLocale::c() << "";
        QTest::newRow("French, not translated yet") << QLocale("fr_FR") << "";
    }
    void chosenLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, language);
        QCOMPARE(installTranslations(locale), language);
    }

    // Each menu in German: every item translated (but the units) and no
    // mnemonic twice, so Alt and a letter reach one item.
    void menus_data()
    {
        QTest::addColumn<int>("menu");
        QCOMPARE(m_english.size(), 8);
        for (int i = 0; i < m_english.size(); ++i)
            QTest::newRow(qPrintable(m_english[i].first)) << i;
    }
    void menus()
    {
        QFETCH(int, menu);
        Mellidor window;
        const QStringList &english = m_english[menu].second;
        const QStringList german = menuTexts(window).value(menu).second;
        QCOMPARE(german.size(), english.size());
        QSet<QKeySequence> used;
        for (qsizetype i = 0; i < german.size(); ++i) {
            if (!english[i].contains(u'/'))
                QVERIFY2(german[i] != english[i], qPrintable(german[i] + " is English"));
            const QKeySequence key = QKeySequence::mnemonic(german[i]);
            QVERIFY2(key.isEmpty() || !used.contains(key),
                     qPrintable(german[i] + " repeats " + key.toString()));
            used.insert(key);
        }
    }

    // Nothing of the statistics window or the report is left in English, and
    // some of it reads as a German reader expects.
    void leftInEnglish_data()
    {
        QTest::addColumn<bool>("report");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("statistics window")
            << false << QStringList{"Konsensziel", "Zeit im Zielbereich 70–180"};
        QTest::newRow("report, first page") << true << QStringList();
    }
    void leftInEnglish()
    {
        QFETCH(bool, report);
        QFETCH(QStringList, expected);
        if (report)
            SKIP_WITHOUT_TOOL("pdftotext");
        Mellidor window;
        const QStringList german = report ? reportPieces() : windowPieces(&window);
        const QStringList &english = report ? m_englishReport : m_englishWindow;
        QVERIFY(english.size() > 20);
        QStringList left;
        for (const QString &piece : english) {
            if (!sameInBothLanguages(piece) && german.contains(piece))
                left << piece;
        }
        QVERIFY2(left.isEmpty(), qPrintable(left.join(u'|')));
        for (const QString &text : expected)
            QVERIFY2(german.join(u'\n').contains(text), qPrintable(text + " missing"));
    }

    // A few texts of each dialog and command, as a German reader sees them.
    void germanTexts_data()
    {
        QTest::addColumn<QByteArray>("dialog"); // the slot opening it, or none
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("expected");
        const auto dialog = [](const char *name, const char *slot, const char *expected) {
            QTest::newRow(name) << QByteArray(slot) << QStringList() << QString(expected);
        };
        const auto command = [](const char *name, const QStringList &arguments,
                                const char *expected) {
            QTest::newRow(name) << QByteArray() << arguments << QString(expected);
        };
        dialog("New dialog", "insertNewValue", "Werteingabe:");
        dialog("New dialog buttons, Qt's own", "insertNewValue", "Abbrechen");
        dialog("Edit dialog", "editValue", "Bearbeiten");
        dialog("Setup dialog", "setup", "Untere Glukosegrenze:");
        const QStringList stats{"stats", "--from", "2026-12-01", "--to", "2026-12-06"};
        command("stats lines", stats, "Mittlere Glukose:");
        command("stats target", stats, "(Ziel ≥ 14, verfehlt)");
        command("stats mmol/L, decimal comma", stats + QStringList{"--unit", "mmol"},
                "13,9 mmol/L");
        command("command help", {"--help"}, "Befehle:");
    }
    void germanTexts()
    {
        QFETCH(QByteArray, dialog);
        QFETCH(QStringList, command);
        QFETCH(QString, expected);
        QString text;
        if (command.isEmpty()) {
            Mellidor window;
            answerDialog(&window, dialog.constData(), [&text](QDialog *opened) {
                text = widgetTexts(opened);
                opened->reject();
            });
        } else {
            QTextStream out(&text), err(&text);
            runCommandLine(QStringList{"mellidor"} + command, out, err);
        }
        QVERIFY2(text.contains(expected), qPrintable(text));
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
