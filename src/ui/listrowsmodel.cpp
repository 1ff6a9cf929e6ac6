// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/listrowsmodel.h"

ListRowsModel::ListRowsModel(QAbstractItemModel *list, QObject *parent)
    : QAbstractTableModel(parent), m_list(list)
{
    // A change of the cells (the unit of the values): every shown row may
    // read anew in the columns that changed.
    connect(list, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                   const QList<int> &roles) {
                if (!m_rows.empty())
                    emit dataChanged(index(0, topLeft.column()),
                                     index(rowCount() - 1, bottomRight.column()), roles);
            });
}

int ListRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ListRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_list ? 0 : m_list->columnCount();
}

QVariant ListRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_list || index.row() >= rowCount())
        return QVariant();
    return m_list->data(m_list->index(m_rows[size_t(index.row())], index.column()), role);
}

int ListRowsModel::listRow(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)] : -1;
}
