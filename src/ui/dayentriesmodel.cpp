// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dayentriesmodel.h"

#include <algorithm>

DayEntriesModel::DayEntriesModel(QAbstractItemModel *list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list)
{
    connect(list, &QAbstractItemModel::dataChanged, this, &DayEntriesModel::listDataChanged);
}

int DayEntriesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DayEntriesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_list ? 0 : m_list->columnCount();
}

QVariant DayEntriesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_list || index.row() >= rowCount())
        return QVariant();
    return m_list->data(m_list->index(m_rows[size_t(index.row())], index.column()), role);
}

void DayEntriesModel::setRows(const std::vector<int> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void DayEntriesModel::renumberRows(const std::vector<int> &rows)
{
    m_rows = rows;
}

int DayEntriesModel::listRow(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)] : -1;
}

int DayEntriesModel::rowOf(int listRow) const
{
    const auto at = std::find(m_rows.begin(), m_rows.end(), listRow);
    return at == m_rows.end() ? -1 : int(at - m_rows.begin());
}

void DayEntriesModel::listDataChanged()
{
    // The unit of the values changed: every shown cell may read anew.
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}
