#include "ui/mellidor.h"

#include "core/diaryfile.h"
#include "core/entrytext.h"
#include "core/settings.h"
#include "ui/mellidorpaint.h"
#include "ui/usermessage.h"

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
    const QString diaryPath = QString::fromLatin1(DiaryFile::fileName);
    const QString settingsPath = QString::fromLatin1(SettingsFile::fileName);

    listBox = new ListBox(this);
    m_undoStack = new QUndoStack(this);
    m_undoStack->setUndoLimit(1000);

    auto *inputMenu = new QMenu(this);
    inputMenu->addAction(QStringLiteral("&New Value"), this, SLOT(insertNewValue()));
    inputMenu->addAction(QStringLiteral("&Edit Value"), this, SLOT(editValue()));
    QAction *deleteAction =
        inputMenu->addAction(QStringLiteral("&Delete Value"), this, SLOT(deleteValue()));
    // The Delete key belongs to the list: elsewhere it edits text.
    deleteAction->setShortcut(QKeySequence::Delete);
    deleteAction->setShortcutContext(Qt::WidgetShortcut);
    listBox->addAction(deleteAction);
    inputMenu->addSeparator();
    QAction *undoAction = m_undoStack->createUndoAction(this, QStringLiteral("&Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    inputMenu->addAction(undoAction);
    QAction *redoAction = m_undoStack->createRedoAction(this, QStringLiteral("&Redo"));
    redoAction->setShortcut(QKeySequence::Redo);
    inputMenu->addAction(redoAction);
    inputMenu->addSeparator();
    inputMenu->addAction(QStringLiteral("&Import..."), this, SLOT(importFiles()));
    inputMenu->addAction(QStringLiteral("E&xport..."), this, SLOT(exportFile()));
    auto *graphicMenu = new QMenu(this);
    // All three open the same line diagram.
    graphicMenu->addAction(QStringLiteral("&Line Diagram"), this, SLOT(paintLineDiagram()));
    graphicMenu->addAction(QStringLiteral("&Bar Chart"), this, SLOT(paintLineDiagram()));
    graphicMenu->addAction(QStringLiteral("&Histogram"), this, SLOT(paintLineDiagram()));
    graphicMenu->addAction(QStringLiteral("&Statistics"), this, SLOT(showStatistics()));
    graphicMenu->addAction(QStringLiteral("&Report..."), this, SLOT(saveReport()));
    graphicMenu->addAction(QStringLiteral("&Print..."), this, SLOT(printReport()));
    auto *setupMenu = new QMenu(this);
    setupMenu->addAction(QStringLiteral("&General Setup"), this, SLOT(setup()));

    auto *menuBar = new QMenuBar(this);
    inputMenu->setTitle(QStringLiteral("&Input"));
    graphicMenu->setTitle(QStringLiteral("&Graphic"));
    setupMenu->setTitle(QStringLiteral("&Setup"));
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
        const char *slot;
    } buttons[] = {{"&New", SLOT(insertNewValue())},
                   {"&Edit", SLOT(editValue())},
                   {"&Graphic", SLOT(paintLineDiagram())},
                   {"&Setup", SLOT(setup())}};
    for (const auto &b : buttons) {
        auto *button = new QPushButton(QString::fromLatin1(b.label), this);
        buttonGroup->addButton(button, int(buttonGroup->buttons().size()));
        buttonLine->addWidget(button, 0);
        connect(button, SIGNAL(clicked()), this, b.slot);
    }

    loadSettings(settingsPath);
    loadDiary(diaryPath);
}

Mellidor::~Mellidor()
{
    // A window closed normally has saved already; this covers the rest
    // (a destroyed but never closed window) without asking anyone.
    if (hasUnsavedEntries() && !m_diaryUnreadable) {
        QString error;
        if (!saveDiary(&error))
            qWarning("Mellidor: %s", qPrintable(saveFailureText(error)));
    }
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

void Mellidor::loadDiary(const QString &path)
{
    m_diaryPath = QDir::current().absoluteFilePath(path);
    DiaryFile::LoadResult result;
    listBox->diaryModel()->reset([&](Diary &diary) { result = DiaryFile::load(path, diary); });
    m_fileMatchesList = result.status == DiaryFile::LoadResult::Loaded && result.matchesSave;
    if (result.status == DiaryFile::LoadResult::Failed) {
        m_diaryUnreadable = true;
        UserMessage::error(this, QStringLiteral("Diary not read"),
                           QStringLiteral("The diary file \"%1\" cannot be read: %2\n\n"
                                          "Mellidor starts with an empty list and will not "
                                          "write over that file.")
                               .arg(QDir::toNativeSeparators(m_diaryPath), result.error));
    }
}

QString Mellidor::saveFailureText(const QString &reason) const
{
    return QStringLiteral("The diary file \"%1\" cannot be saved: %2")
        .arg(QDir::toNativeSeparators(m_diaryPath), reason);
}

bool Mellidor::hasUnsavedEntries() const
{
    if (m_unsavedDiscarded || m_fileMatchesList)
        return false;
    // An unreadable diary was never loaded: only entries of this run count.
    return !m_diaryUnreadable || listBox->rowCount() > 0;
}

bool Mellidor::saveDiary(QString *error)
{
    if (m_diaryUnreadable) {
        *error = QStringLiteral("it could not be read when Mellidor started, so it is left as "
                                "it is.");
        return false;
    }
    if (!DiaryFile::save(m_diaryPath, listBox->diary(), error))
        return false;
    m_fileMatchesList = true;
    return true;
}

void Mellidor::storeChange(bool topRowAdded)
{
    for (;;) {
        QString error;
        // A new entry is the file's last line: append it, don't rewrite all.
        // (An unreadable diary never matches the list, so it is never appended to.)
        const bool saved = topRowAdded && m_fileMatchesList
                               ? DiaryFile::appendTopRow(m_diaryPath, listBox->diary(), &error)
                               : saveDiary(&error);
        if (saved)
            return;
        m_fileMatchesList = false;
        const QString text = saveFailureText(error) +
                             QStringLiteral("\n\nThe entry stays in the list. Mellidor saves "
                                            "again when you close it.");
        if (UserMessage::saveFailed(this, text, false) != UserMessage::SaveChoice::Retry)
            return;
    }
}

void Mellidor::closeEvent(QCloseEvent *event)
{
    while (hasUnsavedEntries()) {
        QString error;
        if (saveDiary(&error))
            break;
        const QString text = saveFailureText(error) +
                             QStringLiteral("\n\nRetry, discard the unsaved entries and quit, "
                                            "or cancel and keep Mellidor open.");
        switch (UserMessage::saveFailed(this, text, true)) {
        case UserMessage::SaveChoice::Retry:
            continue;
        case UserMessage::SaveChoice::Discard:
            m_unsavedDiscarded = true;
            break;
        case UserMessage::SaveChoice::Cancel:
            event->ignore();
            return;
        }
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
    m_undoStack->push(new SortEntries(this, true));
}

void Mellidor::sortDescending()
{
    m_undoStack->push(new SortEntries(this, false));
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
        m_undoStack->push(new DeleteEntry(this, row));
}

void Mellidor::insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts)
{
    listBox->diaryModel()->insertEntries(rows, texts);
}

void Mellidor::removeRows(const std::vector<int> &rows)
{
    listBox->diaryModel()->removeEntries(rows);
}

Diary::Order Mellidor::sortRows(bool ascending)
{
    return listBox->diaryModel()->sortByDateTime(ascending);
}

void Mellidor::restoreOrder(const Diary::Order &order)
{
    listBox->diaryModel()->restoreOrder(order);
}

void Mellidor::changeMade(const DiaryChange &change, bool topRowAdded)
{
    if (change.currentRowAfter() >= 0)
        listBox->setCurrentRow(change.currentRowAfter());
    storeChange(topRowAdded);
    if (!m_problems.isEmpty()) {
        const QString text = m_problems.join(u'\n');
        m_problems.clear();
        UserMessage::error(this, QStringLiteral("Diary changed outside"), text);
    }
}
