// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mellidor.h"

#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "core/entrytext.h"
#include "core/importmerge.h"
#include "core/regularfile.h"
#include "core/settings.h"
#include "ui/mellidorpaint.h"
#include "ui/usermessage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
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

    // Changes made outside show up on their own, once things settle.
    m_watcher = new QFileSystemWatcher(this);
    m_outsideCheck = new QTimer(this);
    m_outsideCheck->setSingleShot(true);
    m_outsideCheck->setInterval(150);
    connect(m_outsideCheck, &QTimer::timeout, this, &Mellidor::checkOutsideChange);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_outsideCheck,
            qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_outsideCheck,
            qOverload<>(&QTimer::start));

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
    m_stamp = result.stamp;
    m_fileMatchesList = result.status == DiaryFile::LoadResult::Loaded && result.matchesSave;
    if (result.status == DiaryFile::LoadResult::Failed) {
        m_diaryUnreadable = true;
        UserMessage::error(this, QStringLiteral("Diary not read"),
                           QStringLiteral("The diary file \"%1\" cannot be read: %2\n\n"
                                          "Mellidor starts with an empty list and will not "
                                          "write over that file.")
                               .arg(QDir::toNativeSeparators(m_diaryPath), result.error));
    }
    watchDiary();
}

void Mellidor::setDiaryLock(DiaryLock *lock)
{
    m_lock = lock;
}

void Mellidor::watchDiary()
{
    // Editors and sync tools replace the file by renaming, which ends a
    // watch on the file itself: the folder's watch sees the new one.
    const QString real = RegularFile::realPath(m_diaryPath);
    const QString folder = QFileInfo(real).absolutePath();
    if (!m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
    if (QFileInfo::exists(real) && !m_watcher->files().contains(real))
        m_watcher->addPath(real);
}

void Mellidor::checkOutsideChange()
{
    // A dialog in progress works on the list as it is; look again later.
    if (QApplication::activeModalWidget()) {
        m_outsideCheck->start();
        return;
    }
    watchDiary();
    if (m_diaryUnreadable || m_saving)
        return;
    const DiaryFile::Stamp now = DiaryFile::stampOf(m_diaryPath);
    if (now != m_stamp && now.exists)
        readAgain();
}

void Mellidor::prepareChange()
{
    if (m_diaryUnreadable)
        return;
    const DiaryFile::Stamp now = DiaryFile::stampOf(m_diaryPath);
    if (now == m_stamp)
        return;
    if (!now.exists) {
        // Moved or deleted outside: the list stays; saving writes it whole.
        m_fileMatchesList = false;
        m_fileVanished = m_stamp.exists;
        return;
    }
    readAgain();
}

bool Mellidor::readAgain()
{
    const Diary &diary = listBox->diary();
    const QModelIndex current = listBox->currentIndex();
    const EntryTexts currentTexts =
        current.isValid() ? diary.entryTexts(current.row()) : EntryTexts();
    Diary fresh;
    const DiaryFile::LoadResult result = DiaryFile::load(m_diaryPath, fresh);
    if (result.status == DiaryFile::LoadResult::Failed) {
        UserMessage::error(this, QStringLiteral("Diary not read"),
                           QStringLiteral("The diary file \"%1\" was changed by another "
                                          "program and cannot be read now: %2")
                               .arg(QDir::toNativeSeparators(m_diaryPath), result.error));
        return false;
    }
    m_stamp = result.stamp;
    listBox->diaryModel()->reset([&](Diary &d) { std::swap(d, fresh); });
    m_fileMatchesList = result.matchesSave;
    m_fileVanished = false;
    ++m_generation;
    if (current.isValid()) {
        const int row = listBox->diary().findRow(currentTexts, current.row());
        if (row >= 0)
            listBox->setCurrentIndex(listBox->model()->index(row, current.column()));
    }
    // Diagrams read the list when they paint.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *diagram = qobject_cast<MellidorPaint *>(window);
        if (diagram && diagram->mainWindow == this)
            diagram->update();
    }
    return true;
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

bool Mellidor::mayWrite(QString *error)
{
    if (m_diaryUnreadable) {
        *error = QStringLiteral("it could not be read when Mellidor started, so it is left as "
                                "it is.");
        return false;
    }
    // A lock that could not be made at start is tried again before writing.
    if (m_lock && m_lock->tryLock() == DiaryLock::HeldByOther) {
        *error =
            QStringLiteral("it is open in another Mellidor%1.")
                .arg(m_lock->holder().isEmpty() ? QString()
                                                : QStringLiteral(" (%1)").arg(m_lock->holder()));
        return false;
    }
    return true;
}

Mellidor::StoreResult Mellidor::writeDiary(bool topRowAdded, QString *error)
{
    if (!mayWrite(error))
        return StoreResult::Failed;
    const QScopedValueRollback<bool> saving(m_saving, true);
    if (topRowAdded && m_fileMatchesList) {
        // A new entry is the file's last line: append it, don't rewrite all.
        bool changedOutside = false;
        if (DiaryFile::appendTopRow(m_diaryPath, listBox->diary(), error, &m_stamp,
                                    &changedOutside))
            return StoreResult::Stored;
        if (!changedOutside)
            return StoreResult::Failed;
        return readAgain() ? StoreResult::ReadAgain : StoreResult::Failed;
    }
    switch (DiaryFile::saveOver(m_diaryPath, listBox->diary(), m_stamp, &m_stamp, error)) {
    case DiaryFile::SaveOutcome::Saved:
        return StoreResult::Stored;
    case DiaryFile::SaveOutcome::ChangedOutside:
        return readAgain() ? StoreResult::ReadAgain : StoreResult::Failed;
    case DiaryFile::SaveOutcome::Failed:
        break;
    }
    return StoreResult::Failed;
}

bool Mellidor::saveDiary(QString *error)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const Diary mine = listBox->diary();
        switch (writeDiary(false, error)) {
        case StoreResult::Stored:
            m_fileMatchesList = true;
            return true;
        case StoreResult::Failed:
            return false;
        case StoreResult::ReadAgain: {
            // No step to apply again here: keep every entry of both sides.
            ImportBatch batch;
            for (int row = mine.rowCount() - 1; row >= 0; --row)
                batch.addTexts(mine.entryTexts(row));
            const MergePlan plan = planMerge(listBox->diary(), {&batch});
            listBox->diaryModel()->insertEntries(plan.rows, plan.texts);
            break;
        }
        }
    }
    *error = QStringLiteral("another program keeps changing it.");
    return false;
}

bool Mellidor::storeChange(bool topRowAdded)
{
    for (;;) {
        QString error;
        switch (writeDiary(topRowAdded, &error)) {
        case StoreResult::Stored:
            m_fileMatchesList = true;
            if (m_fileVanished) {
                m_fileVanished = false;
                tell(QStringLiteral("The diary file \"%1\" had been moved or deleted by another "
                                    "program. Mellidor wrote the whole list to it again.")
                         .arg(QDir::toNativeSeparators(m_diaryPath)));
            }
            return false;
        case StoreResult::ReadAgain:
            return true;
        case StoreResult::Failed:
            break;
        }
        m_fileMatchesList = false;
        const QString text =
            saveFailureText(error) +
            (m_diaryUnreadable
                 ? QStringLiteral("\n\nThe change stays in the list until Mellidor ends, but "
                                  "that file is never written over.")
                 : QStringLiteral("\n\nThe change stays in the list. Mellidor saves again with "
                                  "the next change and when you close it."));
        if (UserMessage::saveFailed(this, text, false) != UserMessage::SaveChoice::Retry)
            return false;
    }
}

void Mellidor::closeEvent(QCloseEvent *event)
{
    // A file moved or deleted outside since the last step would take every
    // entry with it: the list is written whole to its path again.
    if (!m_diaryUnreadable && m_stamp.exists && !DiaryFile::stampOf(m_diaryPath).exists) {
        m_fileMatchesList = false;
        m_fileVanished = true;
    }
    while (hasUnsavedEntries()) {
        QString error;
        if (saveDiary(&error)) {
            if (m_fileVanished)
                qWarning("The diary file \"%s\" had been moved or deleted by another program. "
                         "Mellidor wrote the whole list to it again.",
                         qPrintable(QDir::toNativeSeparators(m_diaryPath)));
            m_fileVanished = false;
            break;
        }
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

bool Mellidor::changeMade(const DiaryChange &change, bool topRowAdded)
{
    if (change.currentRowAfter() >= 0)
        listBox->setCurrentRow(change.currentRowAfter());
    return storeChange(topRowAdded);
}

void Mellidor::stepEnded()
{
    if (m_problems.isEmpty())
        return;
    const QString text = m_problems.join(u'\n');
    m_problems.clear();
    UserMessage::error(this, QStringLiteral("Diary changed outside"), text);
}
