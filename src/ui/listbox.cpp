// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/listbox.h"

#include "analysis/glucoseunit.h"

#include <QHeaderView>

DiaryModel::DiaryModel(QObject *parent) : QAbstractTableModel(parent) {}

int DiaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_diary.rowCount();
}

int DiaryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant DiaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == Diary::ValueColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    // A hand-edited line can be megabytes long: show its start only, the
    // entry itself keeps every byte.
    constexpr qsizetype shown = 200;
    if (m_unit == GlucoseUnit::MmolPerL && index.column() == Diary::ValueColumn) {
        if (const int mgPerDl = m_diary.plainGlucose(index.row()); mgPerDl >= 0)
            return shownDecimal(mmolText(mgPerDl));
    }
    QString text = m_diary.text(index.row(), index.column());
    if (text.size() > shown) {
        text.truncate(shown);
        text += QChar(0x2026);
    }
    return text;
}

void DiaryModel::setGlucoseUnit(GlucoseUnit unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    if (const int rows = rowCount(); rows > 0)
        emit dataChanged(index(0, Diary::ValueColumn), index(rows - 1, Diary::ValueColumn),
                         {Qt::DisplayRole});
}

void DiaryModel::insertEntries(const std::vector<int> &rows, const std::vector<EntryTexts> &texts)
{
    if (rows.empty())
        return;
    if (rows.size() != 1) {
        reset([&](Diary &d) { d.insertRows(rows, texts); });
        return;
    }
    beginInsertRows(QModelIndex(), rows.front(), rows.front());
    m_diary.insertRows(rows, texts);
    endInsertRows();
}

void DiaryModel::removeEntries(const std::vector<int> &rows)
{
    if (rows.empty())
        return;
    if (rows.size() != 1) {
        reset([&](Diary &d) { d.removeRows(rows); });
        return;
    }
    beginRemoveRows(QModelIndex(), rows.front(), rows.front());
    m_diary.removeRows(rows);
    endRemoveRows();
}

Diary::Order DiaryModel::sortByDateTime(bool ascending)
{
    emit layoutAboutToBeChanged();
    Diary::Order order = m_diary.sortByDateTime(ascending);
    // Cells keep no identity across a sort: the current cell stays where it is.
    emit layoutChanged();
    return order;
}

void DiaryModel::restoreOrder(const Diary::Order &order)
{
    emit layoutAboutToBeChanged();
    m_diary.restoreOrder(order);
    emit layoutChanged();
}

ListBox::ListBox(QWidget *parent) : QTableView(parent), m_model(new DiaryModel(this))
{
    setModel(m_model);
    setAccessibleName(tr("Diary entries"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The current cell is one item, but the whole entry shows as selected.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Fixed row heights and column widths: nothing is measured per row, so a
    // million rows scroll as smoothly as ten.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int pad = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 2;
    setColumnWidth(Diary::DateColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + pad);
    setColumnWidth(Diary::TimeColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + pad);
    setColumnWidth(Diary::TypeColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("Insuman Rapid")) + pad);
    horizontalHeader()->setStretchLastSection(true);
}

int ListBox::currentItem() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return -1;
    return current.column() * rowCount() + current.row();
}

void ListBox::setCurrentItem(int index)
{
    const int n = rowCount();
    if (index < 0 || n == 0 || index >= 4 * n) {
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(m_model->index(index % n, index / n));
}

void ListBox::setCurrentRow(int row)
{
    if (row < 0 || row >= rowCount()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const QModelIndex current = currentIndex();
    setCurrentIndex(m_model->index(row, current.isValid() ? current.column() : 0));
    scrollTo(currentIndex());
}
