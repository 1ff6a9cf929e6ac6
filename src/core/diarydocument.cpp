// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diarydocument.h"
#include "core/diarychange.h"

#include "core/coretext.h"

#include "core/diarylock.h"
#include "core/importmerge.h"
#include "core/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUndoStack>

#include <utility>

DiaryDocument::DiaryDocument(DiaryRows *rows, DocumentHost *host, QObject *parent)
    : QObject(parent), m_rows(rows), m_host(host), m_undoStack(new QUndoStack(this))
{
    m_undoStack->setUndoLimit(1000);
}

DiaryDocument::~DiaryDocument() = default;

DiaryFile::LoadResult DiaryDocument::open(const QString &path)
{
    m_path = QDir::current().absoluteFilePath(path);
    tidyUpOnce();
    Diary fresh;
    const DiaryFile::LoadResult result = DiaryFile::load(m_path, fresh);
    m_rows->replaceRows(fresh);
    emit rowsChanged();
    m_stamp = result.stamp;
    m_fileMatchesRows = result.status == DiaryFile::LoadResult::Loaded && result.matchesSave;
    m_keepFileBytes = result.crLineEnds;
    m_unreadable = result.status == DiaryFile::LoadResult::Failed;
    return result;
}

void DiaryDocument::watch()
{
    if (!m_watcher) {
        // Changes made outside show up on their own, once things settle.
        m_watcher = new QFileSystemWatcher(this);
        m_outsideCheck = new QTimer(this);
        m_outsideCheck->setSingleShot(true);
        m_outsideCheck->setInterval(150);
        connect(m_outsideCheck, &QTimer::timeout, this, &DiaryDocument::followOutsideChange);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, m_outsideCheck,
                qOverload<>(&QTimer::start));
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_outsideCheck,
                qOverload<>(&QTimer::start));
    }
    // Editors and sync tools replace the file by renaming, which ends a
    // watch on the file itself: the folder's watch sees the new one.
    const QString real = RegularFile::realPath(m_path);
    const QString folder = QFileInfo(real).absolutePath();
    if (!m_watcher->directories().contains(folder))
        m_watcher->addPath(folder);
    if (QFileInfo::exists(real) && !m_watcher->files().contains(real))
        m_watcher->addPath(real);
}

void DiaryDocument::insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts)
{
    m_rows->insertEntries(rows, texts);
    emit rowsChanged();
}

void DiaryDocument::removeRows(const std::vector<int> &rows)
{
    m_rows->removeEntries(rows);
    emit rowsChanged();
}

Diary::Order DiaryDocument::sortRows(bool ascending)
{
    Diary::Order order = m_rows->sortByDateTime(ascending);
    emit rowsChanged();
    return order;
}

void DiaryDocument::restoreOrder(const Diary::Order &order)
{
    m_rows->restoreOrder(order);
    emit rowsChanged();
}

void DiaryDocument::followOutsideChange()
{
    // A dialog in progress works on the rows as they are; look again later.
    if (m_host->busy()) {
        m_outsideCheck->start();
        return;
    }
    watch();
    if (m_unreadable || m_saving)
        return;
    const DiaryFile::Stamp now = DiaryFile::stampOf(m_path);
    if (now != m_stamp && now.exists)
        readAgain();
}

void DiaryDocument::prepareChange()
{
    if (m_unreadable)
        return;
    const DiaryFile::Stamp now = DiaryFile::stampOf(m_path);
    if (now == m_stamp)
        return;
    if (!now.exists) {
        // Moved or deleted outside: the rows stay; saving writes them whole.
        m_fileMatchesRows = m_keepFileBytes = false;
        m_vanished = m_stamp.exists;
        return;
    }
    readAgain();
}

bool DiaryDocument::readAgain()
{
    Diary fresh;
    const DiaryFile::LoadResult result = DiaryFile::load(m_path, fresh);
    if (result.status == DiaryFile::LoadResult::Failed) {
        m_host->showError(DiaryText::tr("Diary not read"),
                          DiaryText::tr("The diary file \"%1\" was changed by another "
                                        "program and cannot be read now: %2")
                              .arg(QDir::toNativeSeparators(m_path), result.error));
        return false;
    }
    m_stamp = result.stamp;
    m_host->rowsAboutToBeReadAgain();
    m_rows->replaceRows(fresh);
    emit rowsChanged();
    m_fileMatchesRows = result.matchesSave;
    m_keepFileBytes = result.crLineEnds;
    m_vanished = false;
    ++m_generation;
    m_host->rowsReadAgain();
    return true;
}

QString DiaryDocument::saveFailureText(const QString &reason) const
{
    return DiaryText::tr("The diary file \"%1\" cannot be saved: %2")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

bool DiaryDocument::hasUnsavedRows() const
{
    if (m_unsavedDiscarded || m_fileMatchesRows || m_keepFileBytes)
        return false;
    // An unreadable diary was never loaded: only entries of this run count.
    return !m_unreadable || diary().rowCount() > 0;
}

void DiaryDocument::tidyUpOnce()
{
    // What a stopped run left is cleared by the lock's holder, before it
    // reads or writes.
    if (!m_tidied && m_lock && m_lock->isLocked()) {
        m_tidied = true;
        DiaryFile::tidyUp(m_path);
    }
}

bool DiaryDocument::mayWrite(QString *error)
{
    if (m_unreadable) {
        *error = DiaryText::tr("it could not be read when Mellidor started, so it is left as "
                               "it is.");
        return false;
    }
    // A lock that could not be made at start is tried again before writing.
    if (m_lock && m_lock->tryLock() == DiaryLock::HeldByOther) {
        *error =
            DiaryText::tr("it is open in another Mellidor%1.")
                .arg(m_lock->holder().isEmpty() ? QString()
                                                : QStringLiteral(" (%1)").arg(m_lock->holder()));
        return false;
    }
    return true;
}

DiaryDocument::StoreResult DiaryDocument::write(int topRowsAdded, QString *error)
{
    if (!mayWrite(error))
        return StoreResult::Failed;
    tidyUpOnce();
    m_keepFileBytes = false; // a change is on its way to the file
    const QScopedValueRollback<bool> saving(m_saving, true);
    if (topRowsAdded > 0 && m_fileMatchesRows) {
        // New top rows are the file's last lines: append them, don't
        // rewrite all.
        bool changedOutside = false;
        if (DiaryFile::appendTopRows(m_path, diary(), topRowsAdded, error, &m_stamp,
                                     &changedOutside))
            return StoreResult::Stored;
        if (!changedOutside)
            return StoreResult::Failed;
        return readAgain() ? StoreResult::ReadAgain : StoreResult::Failed;
    }
    switch (DiaryFile::saveOver(m_path, diary(), m_stamp, &m_stamp, error)) {
    case DiaryFile::SaveOutcome::Saved:
        return StoreResult::Stored;
    case DiaryFile::SaveOutcome::ChangedOutside:
        return readAgain() ? StoreResult::ReadAgain : StoreResult::Failed;
    case DiaryFile::SaveOutcome::Failed:
        break;
    }
    return StoreResult::Failed;
}

bool DiaryDocument::saveAll()
{
    // A file moved or deleted outside since the last step would take every
    // entry with it: the rows are written whole to its path again.
    if (!m_unreadable && m_stamp.exists && !DiaryFile::stampOf(m_path).exists) {
        m_fileMatchesRows = m_keepFileBytes = false;
        m_vanished = true;
    }
    if (!hasUnsavedRows())
        return true;
    for (int round = 0; round < maxCloseRounds; ++round) {
        const Diary mine = diary();
        switch (write(0, &m_lastSaveError)) {
        case StoreResult::Stored:
            m_fileMatchesRows = true;
            m_lastSaveError.clear();
            if (m_vanished)
                qWarning("The diary file \"%s\" had been moved or deleted by another program. "
                         "Mellidor wrote the whole list to it again.",
                         qPrintable(QDir::toNativeSeparators(m_path)));
            m_vanished = false;
            return true;
        case StoreResult::Failed:
            return false;
        case StoreResult::ReadAgain: {
            // No step to apply again here: keep every entry of both sides.
            ImportBatch batch;
            for (int row = mine.rowCount() - 1; row >= 0; --row)
                batch.addTexts(mine.entryTexts(row));
            const MergePlan plan = planMerge(diary(), {&batch});
            insertRows(plan.rows, plan.texts);
            break;
        }
        }
    }
    m_lastSaveError = DiaryText::tr("another program keeps changing it.");
    return false;
}

bool DiaryDocument::storeFoundOutsideChange(const DiaryChange &change, int topRowsAdded)
{
    if (change.currentRowAfter() >= 0)
        m_host->showRow(change.currentRowAfter());
    for (;;) {
        switch (write(topRowsAdded, &m_lastSaveError)) {
        case StoreResult::Stored:
            m_fileMatchesRows = true;
            m_lastSaveError.clear();
            if (m_vanished) {
                m_vanished = false;
                tell(DiaryText::tr("The diary file \"%1\" had been moved or deleted by another "
                                   "program. Mellidor wrote the whole list to it again.")
                         .arg(QDir::toNativeSeparators(m_path)));
            }
            return false;
        case StoreResult::ReadAgain:
            // Should the step give up after DiaryChange::maxRounds, it is
            // not saved either.
            m_lastSaveError = DiaryText::tr("another program keeps changing it.");
            return true;
        case StoreResult::Failed:
            break;
        }
        m_fileMatchesRows = false;
        // A read-only diary stays so until the person changes that: told
        // once; closing asks what to do with the entries kept meanwhile.
        if (!m_unreadable && RegularFile::isReadOnly(m_path) && std::exchange(m_toldReadOnly, true))
            return false;
        const QString text =
            saveFailureText(m_lastSaveError) +
            (m_unreadable
                 ? DiaryText::tr("\n\nThe change stays in the list until Mellidor ends, but "
                                 "that file is never written over.")
                 : DiaryText::tr("\n\nThe change stays in the list. Mellidor saves again with "
                                 "the next change and when you close it."));
        if (!m_host->retrySave(text))
            return false;
    }
}

void DiaryDocument::tell(const QString &problem)
{
    if (!m_problems.contains(problem))
        m_problems << problem;
}

void DiaryDocument::stepEnded()
{
    if (m_problems.isEmpty())
        return;
    const QString text = m_problems.join(u'\n');
    m_problems.clear();
    m_host->showError(DiaryText::tr("Diary changed outside"), text);
}
