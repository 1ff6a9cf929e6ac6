// SPDX-License-Identifier: GPL-3.0-or-later
// Chosen rows of the diary list as a table, shown exactly as the list shows
// them (its model answers for each cell). It holds row numbers only, never
// entries; what rows it holds is for the subclass to say.
#ifndef LISTROWSMODEL_H
#define LISTROWSMODEL_H

#include <QAbstractTableModel>
#include <QPointer>

#include <vector>

class ListRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListRowsModel(QAbstractItemModel *list, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // The list's row that a table row shows, or -1.
    int listRow(int row) const;

protected:
    QPointer<QAbstractItemModel> m_list;
    std::vector<int> m_rows; // of the list, one a table row
};

#endif
