// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dayentriesmodel.h"

#include <algorithm>

DayEntriesModel::DayEntriesModel(QAbstractItemModel *list, QObject *parent)
    : ListRowsModel(list, parent)
{}

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

int DayEntriesModel::rowOf(int listRow) const
{
    const auto at = std::find(m_rows.begin(), m_rows.end(), listRow);
    return at == m_rows.end() ? -1 : int(at - m_rows.begin());
}
