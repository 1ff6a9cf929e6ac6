// SPDX-License-Identifier: GPL-3.0-or-later
// The diary list without the readings of sensor series: the meals, doses,
// meter readings and notes that a sensor's thousands of readings bury. It
// shows rows of the list's model as lines and holds only the numbers of
// those rows, ascending. It follows every change of the model: a change of
// one row looks again at the days around it only, anything larger at all
// rows.
#ifndef SENSORFILTERMODEL_H
#define SENSORFILTERMODEL_H

#include "ui/listrowsmodel.h"

#include <QDate>

#include <vector>

class Diary;
class DiaryModel;

class SensorFilterModel : public ListRowsModel
{
    Q_OBJECT
public:
    explicit SensorFilterModel(DiaryModel *list, QObject *parent = nullptr);

    // The line that shows a row of the list, or -1 when it is hidden.
    int lineOfRow(int row) const;
    // The line of the row, or of the nearest shown row below it, or the
    // last line; -1 when nothing shows.
    int lineAtOrBelow(int row) const;

private:
    void rebuild();
    void rowsAboutToGo(const QModelIndex &parent, int first, int last);
    void rowsGone(const QModelIndex &parent, int first, int last);
    void rowsCame(const QModelIndex &parent, int first, int last);
    // Shows or hides the rows of these days and of the days next to them as
    // the rule says now; returns the rows it hides, ascending.
    std::vector<int> review(const std::vector<QDate> &days);
    void showRow(int row, bool shown);

    // The diary the list shows; the list model is a DiaryModel.
    const Diary &diary() const;

    std::vector<QDate> m_goneDays; // of rows about to be removed
};

#endif
