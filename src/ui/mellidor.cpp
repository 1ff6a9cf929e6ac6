// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mellidor.h"
#include "core/diarychange.h"

#include "core/diaryfile.h"
#include "core/diaryfolder.h"
#include "core/entrytext.h"
#include "core/settings.h"
#include "ui/mellidorpaint.h"
#include "ui/usermessage.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUndoStack>

QString tableString;
int tableValue;

Mellidor::Mellidor() : QWidget(nullptr)
{
    const QString diaryPath = DiaryFolder::path(DiaryFolder::File::Diary);
    const QString settingsPath = DiaryFolder::path(DiaryFolder::File::Settings);

    listBox = new ListBox(this);
    m_document = new DiaryDocument(listBox->diaryModel(), this, this);

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
    auto *graphicMenu = new QMenu(this);
    // All three open the same line diagram.
    graphicMenu->addAction(tr("&Line Diagram"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Bar Chart"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Histogram"), this, &Mellidor::paintLineDiagram);
    graphicMenu->addAction(tr("&Statistics"), this, &Mellidor::showStatistics);
    graphicMenu->addAction(tr("&Report..."), this, &Mellidor::saveReport);
    graphicMenu->addAction(tr("&Print..."), this, &Mellidor::printReport);
    auto *setupMenu = new QMenu(this);
    setupMenu->addAction(tr("&General Setup"), this, &Mellidor::setup);
    setupMenu->addMenu(choiceMenu(tr("Glucose &Unit"),
                                  {QStringLiteral("mg/dL"), QStringLiteral("mmol/L")},
                                  m_unitActions, &Mellidor::chooseUnit));
    setupMenu->addMenu(choiceMenu(tr("&Insulin Doses"), {tr("&Whole Units"), tr("&Fractions")},
                                  m_doseActions, &Mellidor::chooseDoses));

    auto *menuBar = new QMenuBar(this);
    inputMenu->setTitle(tr("&Input"));
    graphicMenu->setTitle(tr("&Graphic"));
    setupMenu->setTitle(tr("&Setup"));
    menuBar->addMenu(inputMenu);
    menuBar->addMenu(graphicMenu);
    menuBar->addMenu(setupMenu);

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

    loadSettings(settingsPath);
    loadDiary(diaryPath);
    applyPreferences(PreferencesFile::read(DiaryFolder::path(DiaryFolder::File::Preferences)));
}

Mellidor::~Mellidor()
{
    // A window closed normally has saved already; this covers the rest
    // (a destroyed but never closed window) without asking anyone.
    if (!m_document->isUnreadable() && !m_document->saveAll())
        qWarning("Mellidor: %s",
                 qPrintable(m_document->saveFailureText(m_document->lastSaveError())));
    // Diagram windows read this window's list: none may outlive it.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *diagram = qobject_cast<MellidorPaint *>(window);
        if (diagram && diagram->mainWindow == this)
            delete diagram;
    }
    delete buttonGroup;
}

void Mellidor::loadSettings(const QString &path)
{
    const Settings settings = SettingsFile::read(path);
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
    Preferences chosen = m_preferences;
    chosen.glucoseUnit = choice == 1 ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
    setPreferences(chosen);
}

void Mellidor::chooseDoses(int choice)
{
    Preferences chosen = m_preferences;
    chosen.insulinDoses = choice == 1 ? InsulinDoses::Fractions : InsulinDoses::WholeUnits;
    setPreferences(chosen);
}

void Mellidor::setPreferences(const Preferences &preferences)
{
    if (preferences != m_preferences) {
        const QString path = DiaryFolder::path(DiaryFolder::File::Preferences);
        QString error;
        if (!PreferencesFile::write(path, preferences, &error))
            UserMessage::error(
                this, tr("Preferences not saved"),
                tr("The preferences file \"%1\" cannot be written: %2\n\n"
                   "The choice holds until Mellidor ends.")
                    .arg(QDir::toNativeSeparators(QDir::current().absoluteFilePath(path)), error));
    }
    applyPreferences(preferences);
}

void Mellidor::applyPreferences(const Preferences &preferences)
{
    m_preferences = preferences;
    const bool mmol = preferences.glucoseUnit == GlucoseUnit::MmolPerL;
    m_unitActions[mmol ? 1 : 0]->setChecked(true);
    m_doseActions[preferences.insulinDoses == InsulinDoses::Fractions ? 1 : 0]->setChecked(true);
    listBox->diaryModel()->setGlucoseUnit(preferences.glucoseUnit);
    updateDiagrams();
}

void Mellidor::loadDiary(const QString &path)
{
    const DiaryFile::LoadResult result = m_document->open(path);
    if (result.status == DiaryFile::LoadResult::Failed)
        UserMessage::error(this, tr("Diary not read"),
                           tr("The diary file \"%1\" cannot be read: %2\n\n"
                              "Mellidor starts with an empty list and will not "
                              "write over that file.")
                               .arg(QDir::toNativeSeparators(m_document->path()), result.error));
    m_document->watch();
}

void Mellidor::showError(const QString &title, const QString &text)
{
    UserMessage::error(this, title, text);
}

bool Mellidor::retrySave(const QString &text)
{
    return UserMessage::saveFailed(this, text, false) == UserMessage::SaveChoice::Retry;
}

bool Mellidor::busy() const
{
    return QApplication::activeModalWidget() != nullptr;
}

void Mellidor::rowsAboutToBeReadAgain()
{
    const QModelIndex current = listBox->currentIndex();
    m_currentRow = current.isValid() ? current.row() : -1;
    m_currentColumn = current.column();
    m_currentTexts = current.isValid() ? listBox->diary().entryTexts(m_currentRow) : EntryTexts();
}

void Mellidor::rowsReadAgain()
{
    // The current entry stays current where it still is.
    if (m_currentRow >= 0) {
        const int row = listBox->diary().findRow(m_currentTexts, m_currentRow);
        if (row >= 0)
            listBox->setCurrentIndex(listBox->model()->index(row, m_currentColumn));
    }
    updateDiagrams();
}

void Mellidor::updateDiagrams()
{
    // Diagrams read the list and the preferences when they paint.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *diagram = qobject_cast<MellidorPaint *>(window);
        if (diagram && diagram->mainWindow == this)
            diagram->update();
    }
}

void Mellidor::closeEvent(QCloseEvent *event)
{
    while (!m_document->saveAll()) {
        const QString text = m_document->saveFailureText(m_document->lastSaveError()) +
                             tr("\n\nRetry, discard the unsaved entries and quit, "
                                "or cancel and keep Mellidor open.");
        switch (UserMessage::saveFailed(this, text, true)) {
        case UserMessage::SaveChoice::Retry:
            continue;
        case UserMessage::SaveChoice::Discard:
            m_document->discardUnsaved();
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
    const Diary &diary = listBox->diary();
    if (row >= 0 && row < diary.rowCount())
        return diary.date(row);
    return parseDate(diary.itemText(row));
}

QTime Mellidor::getTimeFromListBox(int row) const
{
    const Diary &diary = listBox->diary();
    const int n = diary.rowCount();
    if (row >= 0 && row < n)
        return diary.time(row);
    return parseTime(diary.itemText(qsizetype(n) + row));
}

QString Mellidor::getTypeFromListBox(int row) const
{
    const Diary &diary = listBox->diary();
    return diary.itemText(2 * qsizetype(diary.rowCount()) + row);
}

int Mellidor::getValueFromListBox(int row) const
{
    const Diary &diary = listBox->diary();
    const int n = diary.rowCount();
    if (row >= 0 && row < n)
        return diary.value(row);
    return parseValue(diary.itemText(3 * qsizetype(n) + row));
}

void Mellidor::setMultiSelection(bool on)
{
    listBox->clearSelection();
    listBox->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                 : QAbstractItemView::SingleSelection);
}

void Mellidor::sortAscending()
{
    undoStack()->push(new SortEntries(m_document, true));
}

void Mellidor::sortDescending()
{
    undoStack()->push(new SortEntries(m_document, false));
}

void Mellidor::paintLineDiagram()
{
    auto *diagram = new MellidorPaint(this);
    diagram->show();
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
    const int row = chosenRow();
    if (row >= 0)
        undoStack()->push(new DeleteEntry(m_document, row));
}
