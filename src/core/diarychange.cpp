#include "core/diarychange.h"

#include "core/entrytext.h"

void DiaryChange::redo()
{
    bool topRowAdded = false;
    m_currentRow = apply(*m_editor, &topRowAdded);
    m_editor->changeMade(*this, topRowAdded);
}

void DiaryChange::undo()
{
    m_currentRow = revert(*m_editor);
    m_editor->changeMade(*this, false);
}

InsertEntries::InsertEntries(DiaryEditor *editor, const QString &name, std::vector<int> rows,
                             std::vector<EntryTexts> texts)
    : DiaryChange(editor, name), m_rows(std::move(rows)), m_texts(std::move(texts))
{}

int InsertEntries::apply(DiaryEditor &editor, bool *topRowAdded)
{
    editor.insertRows(m_rows, m_texts);
    *topRowAdded = m_rows.size() == 1 && m_rows.front() == 0;
    return m_rows.empty() ? -1 : m_rows.front();
}

int InsertEntries::revert(DiaryEditor &editor)
{
    editor.removeRows(m_rows);
    const int rows = editor.diary().rowCount();
    return rows == 0 ? -1 : std::min(m_rows.front(), rows - 1);
}

DeleteEntry::DeleteEntry(DiaryEditor *editor, int row)
    : DiaryChange(editor, QStringLiteral("Delete Entry")), m_row(row),
      m_texts(editor->diary().entryTexts(row))
{}

int DeleteEntry::apply(DiaryEditor &editor, bool *)
{
    editor.removeRows({m_row});
    // The entry below moves up into the row; at the bottom, the one above.
    const int rows = editor.diary().rowCount();
    return rows == 0 ? -1 : std::min(m_row, rows - 1);
}

int DeleteEntry::revert(DiaryEditor &editor)
{
    editor.insertRows({m_row}, {m_texts});
    return m_row;
}

CorrectEntry::CorrectEntry(DiaryEditor *editor, int row, const EntryTexts &corrected)
    : DiaryChange(editor, QStringLiteral("Edit Entry")), m_oldRow(row),
      m_old(editor->diary().entryTexts(row)), m_new(corrected)
{
    const qint64 key =
        Diary::dateTimeKey(parseDate(QString::fromUtf8(corrected[Diary::DateColumn])),
                           parseTime(QString::fromUtf8(corrected[Diary::TimeColumn])));
    const int insertAt = placement(editor->diary(), key);
    m_newRow = insertAt <= row ? insertAt : insertAt - 1;
}

int CorrectEntry::placement(const Diary &diary, qint64 key)
{
    for (int r = diary.rowCount() - 1; r >= 0; --r) {
        if (diary.dateTimeKey(r) >= key)
            return r + 1;
    }
    return 0;
}

int CorrectEntry::apply(DiaryEditor &editor, bool *)
{
    editor.removeRows({m_oldRow});
    editor.insertRows({m_newRow}, {m_new});
    return m_newRow;
}

int CorrectEntry::revert(DiaryEditor &editor)
{
    editor.removeRows({m_newRow});
    editor.insertRows({m_oldRow}, {m_old});
    return m_oldRow;
}

SortEntries::SortEntries(DiaryEditor *editor, bool ascending)
    : DiaryChange(editor, QStringLiteral("Sort Entries")), m_ascending(ascending)
{}

int SortEntries::apply(DiaryEditor &editor, bool *)
{
    m_order = editor.sortRows(m_ascending);
    return -1;
}

int SortEntries::revert(DiaryEditor &editor)
{
    editor.restoreOrder(m_order);
    m_order = Diary::Order();
    return -1;
}
