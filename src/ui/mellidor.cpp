// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mellidor.h"

#include "analysis/reportdata.h"
#include "core/clock.h"
#include "core/csvexport.h"
#include "core/diarychange.h"
#include "core/diarysession.h"
#include "core/entrytext.h"
#include "core/outputfile.h"
#include "import/diaryimport.h"
#include "ui/dayview.h"
#include "ui/importprogress.h"
#include "ui/nightscoutdialog.h"
#include "ui/nightscoutfetcher.h"
#include "ui/reportdialog.h"
#include "ui/reportrenderer.h"
#include "ui/statisticswindow.h"
#include "ui/usermessage.h"
#include "ui/windowhost.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUndoStack>

QString tableString;
int tableValue;

Mellidor::Mellidor(DiarySession *session)
    : QWidget(nullptr), m_ownSession(session ? nullptr : std::make_unique<DiarySession>()),
      m_session(session ? session : m_ownSession.get())
{
    listBox = new ListBox(this);
    m_host = new WindowHost(this, listBox);
    connect(m_host, &WindowHost::readAgain, this, &Mellidor::updateDiagrams);
    m_session->attach(listBox->diaryModel(), m_host);

    auto *inputMenu = new QMenu(this);
    inputMenu->addAction(tr("&New Value"), this, &Mellidor::insertNewValue);
    inputMenu->addAction(tr("&Edit Value"), this, &Mellidor::editValue);
    QAction *deleteAction = inputMenu->addAction(tr("&Delete Value"), this, &Mellidor::deleteValue);
    // The Delete key belongs to the list: elsewhere it edits text.
    deleteAction->setShortcut(QKeySequence::Delete);
    deleteAction->setShortcutContext(Qt::WidgetShortcut);
    listBox->addAction(deleteAction);
    inputMenu->addSeparator();
    QAction *undoAction = undoStack()->createUndoAction(this, tr("&Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    inputMenu->addAction(undoAction);
    QAction *redoAction = undoStack()->createRedoAction(this, tr("&Redo"));
    redoAction->setShortcut(QKeySequence::Redo);
    inputMenu->addAction(redoAction);
    inputMenu->addSeparator();
    inputMenu->addAction(tr("&Import..."), this, &Mellidor::importFiles);
    inputMenu->addAction(tr("E&xport..."), this, &Mellidor::exportFile);
    inputMenu->addAction(tr("&Fetch from Nightscout"), this, &Mellidor::fetchFromNightscout);
    auto *graphicMenu = new QMenu(this);
    // All three open the same line diagram.
    graphicMenu->addAction(tr("&Line Diagram"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Bar Chart"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Histogram"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Statistics"), this, &Mellidor::showStatistics);
    graphicMenu->addAction(tr("&Day View"), this, &Mellidor::showDayView);
    graphicMenu->addAction(tr("&Report..."), this, &Mellidor::saveReport);
    graphicMenu->addAction(tr("&Print..."), this, &Mellidor::printReport);
    auto *setupMenu = new QMenu(this);
    setupMenu->addAction(tr("&General Setup"), this, &Mellidor::setup);
    setupMenu->addMenu(choiceMenu(tr("Glucose &Unit"),
                                  {QStringLiteral("mg/dL"), QStringLiteral("mmol/L")},
                                  m_unitActions, &Mellidor::chooseUnit));
    setupMenu->addMenu(choiceMenu(tr("&Insulin Doses"), {tr("&Whole Units"), tr("&Fractions")},
                                  m_doseActions, &Mellidor::chooseDoses));
    // In the order of TargetSet.
    setupMenu->addMenu(
        choiceMenu(tr("&Targets"),
                   {tr("&Standard (type 1 and type 2)"), tr("&Older or high-risk"),
                    tr("Pregnancy, type &1"), tr("Pregnancy, type &2 or gestational")},
                   m_targetActions, &Mellidor::chooseTargets));
    setupMenu->addAction(tr("&Nightscout..."), this, &Mellidor::setupNightscout);

    auto *menuBar = new QMenuBar(this);
    inputMenu->setTitle(tr("&Input"));
    graphicMenu->setTitle(tr("&Graphic"));
    setupMenu->setTitle(tr("&Setup"));
    menuBar->addMenu(inputMenu);
    menuBar->addMenu(graphicMenu);
    menuBar->addMenu(setupMenu);
    menuBar->addMenu(makeViewMenu());

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(6);
    grid->setMenuBar(menuBar);

    grid->addWidget(listBox, 0, 0);
    grid->setRowMinimumHeight(0, 200);
    grid->setColumnMinimumWidth(0, 200);
    grid->setRowMinimumHeight(1, 40);
    grid->setRowStretch(0, 1);
    listBox->setFocusPolicy(Qt::StrongFocus);

    auto *column = new QVBoxLayout;
    grid->addLayout(column, 1, 0);
    auto *buttonLine = new QHBoxLayout;
    column->addLayout(buttonLine, 0);

    buttonGroup = new QButtonGroup;
    const struct
    {
        const char *label;
        void (Mellidor::*slot)();
    } buttons[] = {{QT_TR_NOOP("&New"), &Mellidor::insertNewValue},
                   {QT_TR_NOOP("&Edit"), &Mellidor::editValue},
                   {QT_TR_NOOP("&Graphic"), &Mellidor::paintLineDiagram},
                   {QT_TR_NOOP("&Setup"), &Mellidor::setup}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(tr(b.label), this);
        buttonGroup->addButton(button, int(buttonGroup->buttons().size()));
        buttonLine->addWidget(button, 0);
        connect(button, &QPushButton::clicked, this, b.slot);
    }

    loadDiary();
    loadSettings();
    applyPreferences(m_session->preferences());
    m_fetcher = new NightscoutFetcher(this, m_session, m_host);
    m_fetcher->followSettings();
}

Mellidor::~Mellidor()
{
    // A window closed normally has saved already; this covers the rest
    // (a destroyed but never closed window) without asking anyone.
    DiaryDocument &document = m_session->document();
    if (!document.isUnreadable() && !document.saveAll())
        qWarning("Mellidor: %s", qPrintable(document.saveFailureText(document.lastSaveError())));
    closeDiagrams();
    delete m_dayView;
    delete buttonGroup;
}

QUndoStack *Mellidor::undoStack() const
{
    return m_session->document().undoStack();
}

const Preferences &Mellidor::preferences() const
{
    return m_session->preferences();
}

void Mellidor::loadSettings()
{
    const Settings &settings = m_session->settings();
    lowerLimit = settings.lowerLimit;
    upperLimit = settings.upperLimit;
    maxGluco = settings.maxGluco;
    daysBack = settings.daysBack;
}

QMenu *Mellidor::choiceMenu(const QString &title, const QStringList &choices, QAction **actions,
                            void (Mellidor::*choose)(int))
{
    auto *menu = new QMenu(title, this);
    auto *group = new QActionGroup(menu);
    for (int i = 0; i < choices.size(); ++i) {
        actions[i] = menu->addAction(choices[i], this, [this, choose, i] { (this->*choose)(i); });
        actions[i]->setCheckable(true);
        group->addAction(actions[i]);
    }
    return menu;
}

void Mellidor::chooseUnit(int choice)
{
    Preferences chosen = preferences();
    chosen.glucoseUnit = choice == 1 ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
    setPreferences(chosen);
}

void Mellidor::chooseDoses(int choice)
{
    Preferences chosen = preferences();
    chosen.insulinDoses = choice == 1 ? InsulinDoses::Fractions : InsulinDoses::WholeUnits;
    setPreferences(chosen);
}

void Mellidor::chooseTargets(int choice)
{
    Preferences chosen = preferences();
    chosen.targets = targetSets[choice];
    setPreferences(chosen);
}

void Mellidor::setPreferences(const Preferences &preferences)
{
    QString error;
    if (!m_session->setPreferences(preferences, &error))
        UserMessage::error(
            this, tr("Preferences not saved"),
            tr("The preferences file \"%1\" cannot be written: %2\n\n"
               "The choice holds until Mellidor ends.")
                .arg(DiarySession::shownPath(DiaryFolder::File::Preferences), error));
    applyPreferences(preferences);
}

void Mellidor::applyPreferences(const Preferences &preferences)
{
    const bool mmol = preferences.glucoseUnit == GlucoseUnit::MmolPerL;
    m_unitActions[mmol ? 1 : 0]->setChecked(true);
    m_doseActions[preferences.insulinDoses == InsulinDoses::Fractions ? 1 : 0]->setChecked(true);
    m_targetActions[int(preferences.targets)]->setChecked(true);
    listBox->diaryModel()->setGlucoseUnit(preferences.glucoseUnit);
    updateDiagrams();
    updateDayView();
}

void Mellidor::loadDiary()
{
    const DiaryFile::LoadResult result = m_session->open();
    if (result.status == DiaryFile::LoadResult::Failed)
        UserMessage::error(
            this, tr("Diary not read"),
            tr("The diary file \"%1\" cannot be read: %2\n\n"
               "Mellidor starts with an empty list and will not "
               "write over that file.")
                .arg(QDir::toNativeSeparators(m_session->document().path()), result.error));
    m_session->document().watch();
}

void Mellidor::closeEvent(QCloseEvent *event)
{
    DiaryDocument &document = m_session->document();
    while (!document.saveAll()) {
        const QString text = document.saveFailureText(document.lastSaveError()) +
                             tr("\n\nRetry, discard the unsaved entries and quit, "
                                "or cancel and keep Mellidor open.");
        switch (UserMessage::saveFailed(this, text, true)) {
        case UserMessage::SaveChoice::Retry:
            continue;
        case UserMessage::SaveChoice::Discard:
            document.discardUnsaved();
            break;
        case UserMessage::SaveChoice::Cancel:
            event->ignore();
            return;
        }
        break;
    }
    event->accept();
}

QDate Mellidor::getDateFromListBox(int row) const
{
    if (const int entry = listBox->rowOfLine(row); entry >= 0)
        return listBox->diary().date(entry);
    return parseDate(listBox->text(row));
}

QTime Mellidor::getTimeFromListBox(int row) const
{
    if (const int entry = listBox->rowOfLine(row); entry >= 0)
        return listBox->diary().time(entry);
    return parseTime(listBox->text(listBox->lineCount() + row));
}

QString Mellidor::getTypeFromListBox(int row) const
{
    return listBox->text(2 * listBox->lineCount() + row);
}

int Mellidor::getValueFromListBox(int row) const
{
    if (const int entry = listBox->rowOfLine(row); entry >= 0)
        return listBox->diary().value(entry);
    return parseValue(listBox->text(3 * listBox->lineCount() + row));
}

void Mellidor::setMultiSelection(bool on)
{
    listBox->clearSelection();
    listBox->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
}

void Mellidor::sortAscending()
{
    undoStack()->push(new SortEntries(&m_session->document(), true));
}

void Mellidor::sortDescending()
{
    undoStack()->push(new SortEntries(&m_session->document(), false));
}

int Mellidor::chosenRow() const
{
    const int n = listBox->count() >> 2;
    if (n == 0)
        return -1;
    const int item = listBox->currentItem();
    return item < 0 ? 0 : item % n;
}

void Mellidor::deleteValue()
{
    const int row = listBox->rowOfLine(chosenRow());
    if (row >= 0)
        undoStack()->push(new DeleteEntry(&m_session->document(), row));
}

void Mellidor::importFiles()
{
    const QStringList files =
        QFileDialog::getOpenFileNames(this, tr("Import"), QString(),
                                      tr("Export files (*.csv *.tsv *.txt *.json);;All files (*)"));
    if (files.isEmpty())
        return;
    QStringList names;
    for (const QString &file : files)
        names << QFileInfo(file).fileName();
    const ImportOutcome outcome =
        importIntoSession(*m_session, readImportFiles(this, files), names);
    if (!outcome.refused.isEmpty()) {
        // The person's own cancel is no error.
        const auto tell = outcome.cancelled && outcome.refused.size() == 1
                              ? UserMessage::information
                              : UserMessage::error;
        tell(this, tr("Nothing imported"),
             outcome.refused.join(u'\n') + tr("\n\nNothing was imported."));
        return;
    }
    const QString text = outcome.summaries.join(QStringLiteral("\n\n"));
    // People whose files speak mmol/L are asked once whether Mellidor should too.
    if (!outcome.mmolRead || preferences().glucoseUnit == GlucoseUnit::MmolPerL ||
        preferences().mmolOffered) {
        UserMessage::information(this, tr("Import"), text);
        return;
    }
    Preferences chosen = preferences();
    chosen.mmolOffered = true;
    if (UserMessage::informationWithQuestion(
            this, tr("Import"), text,
            tr("The glucose readings were in mmol/L. Show glucose in mmol/L from now "
               "on? (Setup menu, Glucose Unit)")))
        chosen.glucoseUnit = GlucoseUnit::MmolPerL;
    setPreferences(chosen);
}

void Mellidor::exportFile()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export"), QStringLiteral("mellidor-export.csv"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    qsizetype skipped = 0;
    if (!OutputFile::write(path, exportCsv(m_session->diary(), {}, {}, &skipped), &error))
        UserMessage::error(
            this, tr("Not exported"),
            tr("The file \"%1\" cannot be written: %2").arg(QDir::toNativeSeparators(path), error));
    else if (skipped > 0)
        UserMessage::information(this, tr("Export"), notExportedText(skipped) + u'.');
}

void Mellidor::showStatistics()
{
    auto *window = new StatisticsWindow(m_session);
    window->setUnit(preferences().glucoseUnit);
    window->show();
}

void Mellidor::saveReport()
{
    makeReport(tr("Report"), false);
}

void Mellidor::printReport()
{
    makeReport(tr("Print"), true);
}

void Mellidor::makeReport(const QString &title, bool print)
{
    auto request = ReportDialog::ask(this, title, preferences().glucoseUnit,
                                     firstLookEnd(m_session->diary(), Clock::today()));
    if (!request)
        return;
    request->targets = preferences().targets;
    QString problem;
    if (const auto data = reportOf(*m_session, *request, &problem); !data)
        UserMessage::error(this, tr("Report"), problem);
    else if (print)
        Report::printReport(this, *data);
    else
        Report::savePdfAs(this, *data);
}

void Mellidor::fetchFromNightscout()
{
    m_fetcher->fetchNow();
}

void Mellidor::setupNightscout()
{
    const std::optional<NightscoutSettings> site =
        NightscoutDialog::ask(this, m_session->nightscout());
    if (!site)
        return;
    QString error;
    if (!m_session->setNightscout(*site, &error))
        UserMessage::error(this, tr("Settings not saved"),
                           tr("The Nightscout settings file \"%1\" cannot be written: %2\n\n"
                              "The new settings hold until Mellidor ends.")
                               .arg(DiarySession::shownPath(DiaryFolder::File::Nightscout), error));
    m_fetcher->followSettings();
}
