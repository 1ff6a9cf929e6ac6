// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of a day as a table of rows of the diary list.
#ifndef DAYENTRIESMODEL_H
#define DAYENTRIESMODEL_H

#include "ui/listrowsmodel.h"

#include <vector>

class DayEntriesModel : public ListRowsModel
{
    Q_OBJECT
public:
    explicit DayEntriesModel(QAbstractItemModel *list, QObject *parent = nullptr);

    // Other entries: the table starts afresh.
    void setRows(const std::vector<int> &rows);
    // The same entries at other rows of the list (rows above them came or
    // went): nothing shown changes.
    void renumberRows(const std::vector<int> &rows);
    // The table row of a list row, or -1.
    int rowOf(int listRow) const;
};

#endif
