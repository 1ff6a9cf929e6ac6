// SPDX-License-Identifier: GPL-3.0-or-later
// Every change to the diary is one undoable step: new, corrected, deleted and
// imported entries, and a sort. A step changes whole rows of a document and
// asks it to make each apply, undo and redo durable at once.
//
// A step remembers the rows it touched. When the rows were read again from
// the file in between (another program changed it), those row numbers mean
// nothing any more: the step then finds its entries by their four texts, so
// it can be applied to a fresh copy of the file.
#ifndef DIARYCHANGE_H
#define DIARYCHANGE_H

#include "core/diary.h"

#include <QUndoCommand>

#include <functional>
#include <vector>

class DiaryDocument;

class DiaryChange : public QUndoCommand
{
public:
    // How often a step is applied again when the file keeps changing under
    // it (see diarydocument.h).
    static constexpr int maxRounds = 50;
    // The pause after round n is n + 1 ms, at most this.
    static constexpr int maxPauseMs = 50;

    DiaryChange(DiaryDocument *document, const QString &name);

    void redo() final;
    void undo() final;

    // Where the change leaves the current entry, or -1.
    int currentRowAfter() const { return m_currentRow; }

    static QString describe(const EntryTexts &texts);
    static qint64 dateTimeKey(const EntryTexts &texts);

protected:
    // Applies or takes back the change; rowsValid says whether the rows the
    // step remembers are still those of the diary. Each returns the row to
    // make current (or -1); apply also says how many new top rows are its
    // only effect (0 for any other change).
    virtual int apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded) = 0;
    virtual int revert(DiaryDocument &document, bool rowsValid) = 0;

private:
    void run(bool forward);

    DiaryDocument *m_document;
    quint64 m_generation;
    int m_currentRow = -1;
};

// New entries at the given rows of the result (ascending): one new entry, or
// an imported batch. After an outside change, plan places the texts again
// (keeping rows and texts in step); without it the rows stay.
class InsertEntries : public DiaryChange
{
public:
    using Plan = std::function<void(const Diary &diary, std::vector<int> &rows,
                                    std::vector<EntryTexts> &texts)>;
    InsertEntries(DiaryDocument *document, const QString &name, std::vector<int> rows,
                  std::vector<EntryTexts> texts, Plan plan = {});

protected:
    int apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded) override;
    int revert(DiaryDocument &document, bool rowsValid) override;

private:
    void keepPlanned();

    std::vector<int> m_rows;
    std::vector<EntryTexts> m_texts;
    // All texts asked for, before planning: kept once m_texts first changes.
    std::vector<EntryTexts> m_planned;
    bool m_plannedKept = false;
    Plan m_plan;
};

class DeleteEntry : public DiaryChange
{
public:
    DeleteEntry(DiaryDocument *document, int row);

protected:
    int apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded) override;
    int revert(DiaryDocument &document, bool rowsValid) override;

private:
    int m_row;
    EntryTexts m_texts;
    bool m_removed = false;
};

// A corrected entry leaves its row and lands where its new date and time
// place it.
class CorrectEntry : public DiaryChange
{
public:
    CorrectEntry(DiaryDocument *document, int row, const EntryTexts &corrected);

    // The row a corrected entry with this date and time goes to, counted
    // before its old row is removed: below the lowest row that is at or
    // after it, else at the top.
    static int placement(const Diary &diary, qint64 key);

protected:
    int apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded) override;
    int revert(DiaryDocument &document, bool rowsValid) override;

private:
    int m_oldRow;
    int m_newRow = 0;
    EntryTexts m_old;
    EntryTexts m_new;
    qint64 m_key;
    bool m_oldRemoved = true;
};

class SortEntries : public DiaryChange
{
public:
    SortEntries(DiaryDocument *document, bool ascending);

protected:
    int apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded) override;
    int revert(DiaryDocument &document, bool rowsValid) override;

private:
    bool m_ascending;
    Diary::Order m_order;
};

#endif
