// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/translation.h"
#include "core/clock.h"
#include "testsupport.h"
#include "ui/mellidor.h"
#include "ui/statisticswindow.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

// Every menu of the window, the menu bar first, each with its title and the
// texts of its items, in the order they show.
using Menus = QList<std::pair<QString, QStringList>>;

void collectMenu(const QMenu *menu, Menus &menus)
{
    menus.append({menu->title(), {}});
    const qsizetype index = menus.size() - 1;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        menus[index].second << action->text();
        if (action->menu())
            collectMenu(action->menu(), menus);
    }
}

Menus menuTexts(const Mellidor &window)
{
    Menus menus{{QStringLiteral("menu bar"), {}}};
    for (const QAction *action : window.findChild<QMenuBar *>()->actions()) {
        menus[0].second << action->text();
        collectMenu(action->menu(), menus);
    }
    return menus;
}

QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                return text[i + 1].toLower();
            ++i;
        }
    }
    return QChar();
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
    return widgetTexts(std::make_unique<StatisticsWindow>(window).get()).split(u'\n');
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

enum Place
{
    NewDialog,
    EditDialog,
    SetupDialog,
    StatisticsWindowTexts,
    StatsCommand,
    StatsCommandMmol,
    CommandHelp,
};

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
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << "de_DE"
                                << "de";
        QTest::newRow("Austrian German") << "de_AT"
                                         << "de";
        QTest::newRow("English") << "en_US"
                                 << "";
        QTest::newRow("C") << "C"
                           << "";
        QTest::newRow("French, not translated yet") << "fr_FR"
                                                    << "";
    }

    void chosenLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, language);
        QCOMPARE(installTranslations(QLocale(locale)), language);
    }

    // Each menu in German: every item translated (but the units) and no
    // mnemonic twice, so Alt and a letter reach one item.
    void menus_data()
    {
        QTest::addColumn<int>("menu");
        QCOMPARE(m_english.size(), 6);
        for (int i = 0; i < m_english.size(); ++i)
            QTest::newRow(qPrintable(m_english[i].first)) << i;
    }

    void menus()
    {
        QFETCH(int, menu);
        Mellidor window;
        const QStringList &english = m_english[menu].second;
        const Menus germanMenus = menuTexts(window);
        QCOMPARE(germanMenus.size(), m_english.size());
        const QStringList &german = germanMenus[menu].second;
        QCOMPARE(german.size(), english.size());
        QSet<QChar> used;
        for (qsizetype i = 0; i < german.size(); ++i) {
            if (!english[i].contains(u'/'))
                QVERIFY2(german[i] != english[i], qPrintable(german[i] + " is English"));
            const QChar key = mnemonic(german[i]);
            if (key.isNull())
                continue;
            QVERIFY2(!used.contains(key),
                     qPrintable(QStringLiteral("%1 repeats &%2").arg(german[i], key)));
            used.insert(key);
        }
    }

    // Nothing of the statistics window or the report is left in English.
    void leftInEnglish_data()
    {
        QTest::addColumn<bool>("report");
        QTest::newRow("statistics window") << false;
        QTest::newRow("report, first page") << true;
    }
    void leftInEnglish()
    {
        QFETCH(bool, report);
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
    }

    // A few texts of each window and command, as a German reader sees them.
    void germanTexts_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("expected");
        QTest::newRow("New dialog") << int(NewDialog) << "Werteingabe:";
        QTest::newRow("New dialog buttons, Qt's own") << int(NewDialog) << "Abbrechen";
        QTest::newRow("Edit dialog") << int(EditDialog) << "Bearbeiten";
        QTest::newRow("Setup dialog") << int(SetupDialog) << "Untere Glukosegrenze:";
        QTest::newRow("statistics window") << int(StatisticsWindowTexts) << "Konsensziel";
        QTest::newRow("statistics range")
            << int(StatisticsWindowTexts) << "Zeit im Zielbereich 70–180";
        QTest::newRow("stats lines") << int(StatsCommand) << "Mittlere Glukose:";
        QTest::newRow("stats target") << int(StatsCommand) << "(Ziel ≥ 14, verfehlt)";
        QTest::newRow("stats mmol/L, decimal comma") << int(StatsCommandMmol) << "13,9 mmol/L";
        QTest::newRow("command help") << int(CommandHelp) << "Befehle:";
    }

    void germanTexts()
    {
        QFETCH(int, place);
        QFETCH(QString, expected);
        QString text;
        const auto readDialog = [&text](QDialog *dialog) {
            text = widgetTexts(dialog);
            dialog->reject();
        };
        const auto run = [&text](const QStringList &arguments) {
            QTextStream out(&text), err(&text);
            runCommandLine(QStringList{QStringLiteral("mellidor")} + arguments, out, err);
        };
        const QStringList period{"--from", "2026-12-01", "--to", "2026-12-06"};
        Mellidor window;
        switch (Place(place)) {
        case NewDialog:
            answerDialog(&window, "insertNewValue", readDialog);
            break;
        case EditDialog:
            answerDialog(&window, "editValue", readDialog);
            break;
        case SetupDialog:
            answerDialog(&window, "setup", readDialog);
            break;
        case StatisticsWindowTexts:
            text = widgetTexts(std::make_unique<StatisticsWindow>(&window).get());
            break;
        case StatsCommand:
            run(QStringList{"stats"} + period);
            break;
        case StatsCommandMmol:
            run(QStringList{"stats", "--unit", "mmol"} + period);
            break;
        case CommandHelp:
            run({"--help"});
            break;
        }
        QVERIFY2(text.contains(expected), qPrintable(text));
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
