// Every change to the diary is one undoable step: new, corrected, deleted and
// imported entries, and a sort. A step changes whole rows through an editor
// (the list's model in the window) and asks the editor to make each apply,
// undo and redo durable at once.
#ifndef DIARYCHANGE_H
#define DIARYCHANGE_H

#include "core/diary.h"

#include <QUndoCommand>

#include <vector>

class DiaryChange;

class DiaryEditor
{
public:
    virtual ~DiaryEditor() = default;
    virtual const Diary &diary() const = 0;
    virtual void insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts) = 0;
    virtual void removeRows(const std::vector<int> &rows) = 0;
    virtual Diary::Order sortRows(bool ascending) = 0;
    virtual void restoreOrder(const Diary::Order &order) = 0;
    // Called after every apply, undo and redo. topRowAdded: the only change
    // is a new row 0, which the file can take as an appended line.
    virtual void changeMade(const DiaryChange &change, bool topRowAdded) = 0;
};

class DiaryChange : public QUndoCommand
{
public:
    DiaryChange(DiaryEditor *editor, const QString &name) : m_editor(editor) { setText(name); }

    void redo() final;
    void undo() final;

    // Where the change leaves the current entry, or -1.
    int currentRowAfter() const { return m_currentRow; }

protected:
    // Applies or takes back the change; returns the row to make current and
    // whether the only effect is a new row 0.
    virtual int apply(DiaryEditor &editor, bool *topRowAdded) = 0;
    virtual int revert(DiaryEditor &editor) = 0;

private:
    DiaryEditor *m_editor;
    int m_currentRow = -1;
};

// New entries at the given rows of the result (ascending): one new entry, or
// an imported batch.
class InsertEntries : public DiaryChange
{
public:
    InsertEntries(DiaryEditor *editor, const QString &name, std::vector<int> rows,
                  std::vector<EntryTexts> texts);

protected:
    int apply(DiaryEditor &editor, bool *topRowAdded) override;
    int revert(DiaryEditor &editor) override;

private:
    std::vector<int> m_rows;
    std::vector<EntryTexts> m_texts;
};

class DeleteEntry : public DiaryChange
{
public:
    DeleteEntry(DiaryEditor *editor, int row);

protected:
    int apply(DiaryEditor &editor, bool *topRowAdded) override;
    int revert(DiaryEditor &editor) override;

private:
    int m_row;
    EntryTexts m_texts;
};

// A corrected entry leaves its row and lands where its new date and time
// place it.
class CorrectEntry : public DiaryChange
{
public:
    CorrectEntry(DiaryEditor *editor, int row, const EntryTexts &corrected);

    // The row a corrected entry with this date and time goes to, counted
    // before its old row is removed: below the lowest row that is at or
    // after it, else at the top.
    static int placement(const Diary &diary, qint64 key);

protected:
    int apply(DiaryEditor &editor, bool *topRowAdded) override;
    int revert(DiaryEditor &editor) override;

private:
    int m_oldRow;
    int m_newRow = 0;
    EntryTexts m_old;
    EntryTexts m_new;
};

class SortEntries : public DiaryChange
{
public:
    SortEntries(DiaryEditor *editor, bool ascending);

protected:
    int apply(DiaryEditor &editor, bool *topRowAdded) override;
    int revert(DiaryEditor &editor) override;

private:
    bool m_ascending;
    Diary::Order m_order;
};

#endif
