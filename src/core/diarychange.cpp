// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diarychange.h"

#include "core/coretext.h"

#include "core/diarydocument.h"
#include "core/entrytext.h"

#include <QThread>

#include <algorithm>

namespace {

QString missingEntry(const EntryTexts &texts)
{
    return DiaryText::tr("The entry \"%1\" is no longer in the diary: another program "
                         "changed or removed it.")
        .arg(DiaryChange::describe(texts));
}

} // namespace

DiaryChange::DiaryChange(DiaryDocument *document, const QString &name)
    : m_document(document), m_generation(document->generation())
{
    setText(name);
}

QString DiaryChange::describe(const EntryTexts &texts)
{
    QStringList fields;
    for (const QByteArray &field : texts)
        fields << QString::fromUtf8(field);
    return fields.join(u',');
}

qint64 DiaryChange::dateTimeKey(const EntryTexts &texts)
{
    return Diary::dateTimeKey(parseDate(QString::fromUtf8(texts[Diary::DateColumn])),
                              parseTime(QString::fromUtf8(texts[Diary::TimeColumn])));
}

void DiaryChange::run(bool forward)
{
    m_document->prepareChange();
    // Another program may write again while this one saves: try again on
    // what it wrote, but not for ever.
    for (int round = 0; round < maxRounds; ++round) {
        const bool rowsValid = m_generation == m_document->generation();
        int topRowsAdded = 0;
        m_currentRow =
            forward ? apply(*m_document, rowsValid, &topRowsAdded) : revert(*m_document, rowsValid);
        m_generation = m_document->generation();
        if (!m_document->storeFoundOutsideChange(*this, topRowsAdded)) {
            m_document->stepEnded();
            return;
        }
        // Give a writer in the middle of a burst the time to finish.
        QThread::msleep(unsigned(std::min(round + 1, maxPauseMs)));
    }
    m_document->tell(DiaryText::tr("Another program keeps changing the diary file, so \"%1\" "
                                   "could not be saved. The list shows the file as it is now.")
                         .arg(text()));
    m_document->stepEnded();
}

void DiaryChange::redo()
{
    run(true);
}

void DiaryChange::undo()
{
    run(false);
}

InsertEntries::InsertEntries(DiaryDocument *document, const QString &name, std::vector<int> rows,
                             std::vector<EntryTexts> texts, Plan plan)
    : DiaryChange(document, name), m_rows(std::move(rows)), m_texts(std::move(texts)),
      m_plan(std::move(plan))
{}

void InsertEntries::keepPlanned()
{
    // Copied only when needed: an import's texts are many.
    if (m_plan && !m_plannedKept) {
        m_planned = m_texts;
        m_plannedKept = true;
    }
}

int InsertEntries::apply(DiaryDocument &document, bool rowsValid, int *topRowsAdded)
{
    if (!rowsValid && m_plan) {
        keepPlanned();
        m_texts = m_planned;
        m_plan(document.diary(), m_rows, m_texts);
    } else if (!rowsValid && m_rows.size() == 1) {
        // Read again after it was written: a new entry may be there already.
        const int row = document.diary().findRow(m_texts.front(), m_rows.front());
        if (row >= 0) {
            m_rows = {row};
            return row;
        }
    }
    const int rows = document.diary().rowCount();
    // Without a plan the rows stay; one past the end is as far as they go.
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i] = std::min(m_rows[i], rows + int(i));
    document.insertRows(m_rows, m_texts);
    // Rows 0, 1, ... only: every new entry lies above all old ones (an
    // import of newer readings), so the file's old lines stay as they are.
    bool onTop = true;
    for (size_t i = 0; onTop && i < m_rows.size(); ++i)
        onTop = m_rows[i] == int(i);
    *topRowsAdded = onTop ? int(m_rows.size()) : 0;
    return m_rows.empty() ? -1 : m_rows.front();
}

int InsertEntries::revert(DiaryDocument &document, bool rowsValid)
{
    if (!rowsValid) {
        // Find every entry by its texts; entries gone meanwhile stay gone,
        // for Redo too: each text stays with its row.
        keepPlanned();
        std::vector<std::pair<int, EntryTexts>> found;
        std::vector<bool> taken(size_t(document.diary().rowCount()), false);
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const int row = document.diary().findRow(m_texts[i], m_rows[i]);
            if (row < 0 || taken[size_t(row)]) {
                document.tell(missingEntry(m_texts[i]));
            } else {
                taken[size_t(row)] = true;
                found.emplace_back(row, m_texts[i]);
            }
        }
        std::sort(found.begin(), found.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        m_rows.clear();
        m_texts.clear();
        for (auto &[row, texts] : found) {
            m_rows.push_back(row);
            m_texts.push_back(std::move(texts));
        }
    }
    document.removeRows(m_rows);
    const int rows = document.diary().rowCount();
    return rows == 0 || m_rows.empty() ? -1 : std::min(m_rows.front(), rows - 1);
}

DeleteEntry::DeleteEntry(DiaryDocument *document, int row)
    : DiaryChange(document, DiaryText::tr("Delete Entry")), m_row(row),
      m_texts(document->diary().entryTexts(row))
{}

int DeleteEntry::apply(DiaryDocument &document, bool rowsValid, int *)
{
    if (!rowsValid)
        m_row = document.diary().findRow(m_texts, m_row);
    m_removed = m_row >= 0;
    if (!m_removed) {
        document.tell(missingEntry(m_texts));
        m_row = 0;
        return -1;
    }
    document.removeRows({m_row});
    // The entry below moves up into the row; at the bottom, the one above.
    const int rows = document.diary().rowCount();
    return rows == 0 ? -1 : std::min(m_row, rows - 1);
}

int DeleteEntry::revert(DiaryDocument &document, bool rowsValid)
{
    if (!m_removed)
        return -1;
    // Rows read again mean other neighbours: the entry goes where its date
    // and time place it, as a corrected one does.
    m_row = rowsValid ? std::min(m_row, document.diary().rowCount())
                      : CorrectEntry::placement(document.diary(), dateTimeKey(m_texts));
    document.insertRows({m_row}, {m_texts});
    return m_row;
}

CorrectEntry::CorrectEntry(DiaryDocument *document, int row, const EntryTexts &corrected)
    : DiaryChange(document, DiaryText::tr("Edit Entry")), m_oldRow(row),
      m_old(document->diary().entryTexts(row)), m_new(corrected), m_key(dateTimeKey(corrected))
{
    const int insertAt = placement(document->diary(), m_key);
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

int CorrectEntry::apply(DiaryDocument &document, bool rowsValid, int *)
{
    if (rowsValid) {
        document.removeRows({m_oldRow});
        document.insertRows({m_newRow}, {m_new});
        return m_newRow;
    }
    m_oldRow = document.diary().findRow(m_old, m_oldRow);
    m_oldRemoved = m_oldRow >= 0;
    if (m_oldRemoved) {
        document.removeRows({m_oldRow});
    } else {
        document.tell(missingEntry(m_old) +
                      DiaryText::tr(" The corrected entry is added as a new one."));
        m_oldRow = 0;
    }
    m_newRow = placement(document.diary(), m_key);
    document.insertRows({m_newRow}, {m_new});
    return m_newRow;
}

int CorrectEntry::revert(DiaryDocument &document, bool rowsValid)
{
    if (!rowsValid)
        m_newRow = document.diary().findRow(m_new, m_newRow);
    if (m_newRow >= 0)
        document.removeRows({m_newRow});
    else
        document.tell(missingEntry(m_new));
    if (!m_oldRemoved)
        return -1;
    m_oldRow = rowsValid ? std::min(m_oldRow, document.diary().rowCount())
                         : placement(document.diary(), dateTimeKey(m_old));
    document.insertRows({m_oldRow}, {m_old});
    return m_oldRow;
}

SortEntries::SortEntries(DiaryDocument *document, bool ascending)
    : DiaryChange(document, DiaryText::tr("Sort Entries")), m_ascending(ascending)
{}

int SortEntries::apply(DiaryDocument &document, bool, int *)
{
    m_order = document.sortRows(m_ascending);
    return -1;
}

int SortEntries::revert(DiaryDocument &document, bool rowsValid)
{
    // An order taken on other rows says nothing about these.
    if (rowsValid)
        document.restoreOrder(m_order);
    m_order = Diary::Order();
    return -1;
}
