// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of a day as a table: chosen rows of the diary list, shown
// exactly as the list shows them (its model answers for each cell). It
// holds row numbers only, never entries.
#ifndef DAYENTRIESMODEL_H
#define DAYENTRIESMODEL_H

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

class DayEntriesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit DayEntriesModel(QAbstractItemModel *list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Other entries: the table starts afresh.
    void setRows(const std::vector<int> &rows);
    // The same entries at other rows of the list (rows above them came or
    // went): nothing shown changes.
    void renumberRows(const std::vector<int> &rows);
    // The list's row of a table row, or -1.
    int listRow(int row) const;
    // The table row of a list row, or -1.
    int rowOf(int listRow) const;

private:
    void listDataChanged();

    QPointer<QAbstractItemModel> m_list;
    std::vector<int> m_rows;
};

#endif
