// SPDX-License-Identifier: GPL-3.0-or-later
// The diary as a document: its rows, its file, the lock, the file's stamp,
// the undo stack, and the protocol that makes every change durable while
// other programs (sync tools, editors, a second copy) may touch the file.
// The window shows a document; `mellidor import` changes one.
//
// The save protocol
// -----------------
// State kept between steps:
//   stamp          the file's identity (device, inode, size, mtime, ctime)
//                  as last read or written; any other stamp means another
//                  program changed the file. The ctime catches an edit in
//                  place whose mtime was put back.
//   fileMatchesRows the file holds exactly what saving the rows would write,
//                  so a new top row may be appended instead of a rewrite.
//   generation     goes up each time the rows are read again from the file;
//                  a step that saw another generation finds its entries by
//                  their texts instead of their row numbers.
//   keepFileBytes  the rows hold what the file does, in other line ends
//                  (CR only): nothing to save until a change.
//   unreadable     the file existed but could not be read at open: it is
//                  never written over in this run.
//   vanished       the file was moved or deleted outside since the last
//                  read or write: the next save writes the rows whole.
//
// A change, from the dialog to the disk (DiaryChange::redo/undo):
//   1. prepareChange(): the stamp is compared. Unchanged: go on. File gone:
//      the rows stay, vanished is set. Otherwise the file is read again
//      (generation + 1).
//   2. The step applies itself to the rows (by row numbers, or by texts
//      after a re-read).
//   3. storeFoundOutsideChange() stores it. Only new top rows (a new entry,
//      an import of entries newer than all rows) on a file that matches:
//      DiaryFile::appendTopRows, one write and fsync, which first checks
//      that the open file is the stamped one. Anything else (also undoing
//      such a step): DiaryFile::saveOver, an atomic exchange
//      that looks at the file it replaced afterwards and swaps it back when
//      another program had changed it meanwhile; lines that program
//      appended to ours in that moment are handed back to its file.
//      Either way a step is all or nothing, whatever stops the process: an
//      append longer than a page is announced in a journal that the lock's
//      next holder uses to cut it back (DiaryFile::tidyUp, before its first
//      write; every read leaves such lines out), and SIGINT, SIGTERM and
//      SIGHUP wait for the write to end. A read-only diary is never
//      written.
//   4. A write that found an outside change reads the file again and the
//      step is applied anew on it (back to 2), at most
//      DiaryChange::maxRounds times.
//      A write that failed asks the host whether to try again; the change
//      then stays in the rows, unsaved, and closing saves again.
//
// Closing (saveAll): a file gone since the last step is noted as vanished;
// unsaved rows are written whole over the stamped file. When that finds an
// outside change, the file is read again and every entry of ours is merged
// into it (nothing of either side is lost), at most maxCloseRounds times.
//
// The limits: another program that writes again while we save makes us try
// again on what it wrote, but never for ever.
//   DiaryChange::maxRounds 50: a step costs one re-read and one write per
//                  round, and pauses a little longer after each (1 ms, 2 ms,
//                  ... up to maxPauseMs 50), so a writer in the middle of a
//                  burst gets done; 50 rounds wait 1.3 s at most, and a file
//                  that changes throughout that is being written without end.
//   maxCloseRounds  4: each round merges the whole list again; a file that
//                  changes four times within one close is being written
//                  continuously, and the user is asked instead.
#ifndef DIARYDOCUMENT_H
#define DIARYDOCUMENT_H

#include "core/diary.h"
#include "core/diaryfile.h"

#include <QObject>
#include <QStringList>

class DiaryChange;
class DiaryLock;
class QFileSystemWatcher;
class QTimer;
class QUndoStack;

// Where the document keeps its rows: the window's list model, or a plain
// diary for the command line.
class DiaryRows
{
public:
    virtual ~DiaryRows() = default;
    virtual const Diary &diary() const = 0;
    // Rows as Diary::insertRows and removeRows take them.
    virtual void insertEntries(const std::vector<int> &rows,
                               const std::vector<EntryTexts> &texts) = 0;
    virtual void removeEntries(const std::vector<int> &rows) = 0;
    virtual Diary::Order sortByDateTime(bool ascending) = 0;
    virtual void restoreOrder(const Diary::Order &order) = 0;
    // Takes fresh's rows in place of all rows.
    virtual void replaceRows(Diary &fresh) = 0;
};

class PlainDiaryRows : public DiaryRows
{
public:
    const Diary &diary() const override { return m_diary; }
    void insertEntries(const std::vector<int> &rows, const std::vector<EntryTexts> &texts) override
    {
        m_diary.insertRows(rows, texts);
    }
    void removeEntries(const std::vector<int> &rows) override { m_diary.removeRows(rows); }
    Diary::Order sortByDateTime(bool ascending) override
    {
        return m_diary.sortByDateTime(ascending);
    }
    void restoreOrder(const Diary::Order &order) override { m_diary.restoreOrder(order); }
    void replaceRows(Diary &fresh) override { std::swap(m_diary, fresh); }

private:
    Diary m_diary;
};

// What only the one who shows the document can do.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;
    virtual void showError(const QString &title, const QString &text) = 0;
    // A step could not be saved (text says why and what follows): true to
    // try again.
    virtual bool retrySave(const QString &text) = 0;
    // A step made row current (never -1).
    virtual void showRow(int row) { Q_UNUSED(row); }
    // Around a re-read of the file: the rows are replaced in between.
    virtual void rowsAboutToBeReadAgain() {}
    virtual void rowsReadAgain() {}
    // While true, outside changes wait (a dialog works on the rows).
    virtual bool busy() const { return false; }
};

class DiaryDocument : public QObject
{
    Q_OBJECT
public:
    static constexpr int maxCloseRounds = 4;

    DiaryDocument(DiaryRows *rows, DocumentHost *host, QObject *parent = nullptr);
    ~DiaryDocument() override;

    // Reads the file at path (relative to the working directory now), after
    // tidying up what a stopped run left when the lock is held already. A
    // file that cannot be read leaves the rows empty and is never written
    // over.
    DiaryFile::LoadResult open(const QString &path);
    // Follows outside changes of the file on its own from now on.
    void watch();
    // The lock of this run, tried again before writing when it could not be
    // taken at the start.
    void setLock(DiaryLock *lock) { m_lock = lock; }

    const Diary &diary() const { return m_rows->diary(); }
    QString path() const { return m_path; }
    QUndoStack *undoStack() const { return m_undoStack; }
    bool isUnreadable() const { return m_unreadable; }
    // Rows the file does not hold (and that were not given up).
    bool hasUnsavedRows() const;
    // The reason the last step or saveAll could not be saved; empty when it
    // was.
    QString lastSaveError() const { return m_lastSaveError; }

    // Writes unsaved rows; another program's changes found meanwhile are
    // merged in. False with lastSaveError() when it failed.
    bool saveAll();
    // Gives up the unsaved rows: closing writes nothing more.
    void discardUnsaved() { m_unsavedDiscarded = true; }
    // "The diary file "path" cannot be saved: reason"
    QString saveFailureText(const QString &reason) const;

    // The work of the steps (DiaryChange): whole rows, as Diary::insertRows
    // and removeRows take them.
    void insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts);
    void removeRows(const std::vector<int> &rows);
    Diary::Order sortRows(bool ascending);
    void restoreOrder(const Diary::Order &order);
    // Before every apply, undo and redo: picks up what other programs did
    // to the file.
    void prepareChange();
    // Goes up each time the rows are read again from the file.
    quint64 generation() const { return m_generation; }
    // Something the user should know about a step that could not be done
    // as it was asked.
    void tell(const QString &problem);
    // Called after every apply, undo and redo. topRowsAdded: the only change
    // is that many new rows at the top, which the file can take as appended
    // lines (0: anything else). Returns true when the file turned out to be
    // changed outside while it was written: the rows are then read again and
    // the step is applied anew.
    bool storeFoundOutsideChange(const DiaryChange &change, int topRowsAdded);
    // After the last apply, undo or redo of a step: the time to tell.
    void stepEnded();

signals:
    // The rows changed: a step, or the file read again.
    void rowsChanged();

private:
    enum class StoreResult
    {
        Stored,
        ReadAgain, // the file had changed: the rows now hold it instead
        Failed
    };
    StoreResult write(int topRowsAdded, QString *error);
    bool mayWrite(QString *error);
    void tidyUpOnce();
    // Replaces the rows with the file.
    bool readAgain();
    void followOutsideChange();

    DiaryRows *m_rows;
    DocumentHost *m_host;
    QUndoStack *m_undoStack;
    QString m_path;
    DiaryFile::Stamp m_stamp;
    quint64 m_generation = 0;
    bool m_unreadable = false;
    bool m_fileMatchesRows = false;
    bool m_keepFileBytes = false;
    bool m_tidied = false;
    bool m_toldReadOnly = false;
    bool m_unsavedDiscarded = false;
    bool m_vanished = false;
    bool m_saving = false;
    QStringList m_problems; // of the step being made, told once it is saved
    QString m_lastSaveError;
    DiaryLock *m_lock = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_outsideCheck = nullptr;
};

#endif
