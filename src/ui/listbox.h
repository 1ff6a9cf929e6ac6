// SPDX-License-Identifier: GPL-3.0-or-later
// The diary list: N rows of date, time, type and value in a table view,
// row 0 at the top. Besides whole rows it offers the flat item reads of a
// four-column list box, where the current cell (row r, column c) is item
// c * N + r.
//
// The list can hide the readings of sensor series. It then shows fewer
// lines than the diary has rows, and the item reads count the lines shown:
// N is the number of lines, r a line. Rows are always the diary's.
#ifndef LISTBOX_H
#define LISTBOX_H

#include "core/diarydocument.h"
#include "core/glucoseconversion.h"

#include <QAbstractTableModel>
#include <QTableView>

class DiaryModel : public QAbstractTableModel, public DiaryRows
{
    Q_OBJECT
public:
    explicit DiaryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const Diary &diary() const override { return m_diary; }
    // Changes the diary as one reset; for loading and batch changes.
    template <typename F> void reset(F change)
    {
        beginResetModel();
        change(m_diary);
        endResetModel();
    }
    // Rows as Diary::insertRows and removeRows take them.
    void insertEntries(const std::vector<int> &rows, const std::vector<EntryTexts> &texts) override;
    void removeEntries(const std::vector<int> &rows) override;
    Diary::Order sortByDateTime(bool ascending) override;
    void restoreOrder(const Diary::Order &order) override;
    void replaceRows(Diary &fresh) override
    {
        reset([&](Diary &d) { std::swap(d, fresh); });
    }
    // The unit Glucose values show in; the diary keeps mg/dL.
    void setGlucoseUnit(GlucoseUnit unit);

private:
    Diary m_diary;
    GlucoseUnit m_unit = GlucoseUnit::MgPerDl;
};

class SensorFilterModel;

class ListBox : public QTableView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    const Diary &diary() const { return m_model->diary(); }
    DiaryModel *diaryModel() const { return m_model; }

    // Over the lines shown.
    int count() const;
    QString text(int index) const;
    int currentItem() const;
    void setCurrentItem(int index);

    int rowCount() const { return diary().rowCount(); }
    void insertRow(int row, const EntryTexts &texts) { m_model->insertEntries({row}, {texts}); }
    void removeRow(int row) { m_model->removeEntries({row}); }

    int lineCount() const;
    // The row a line shows, or -1; the line that shows a row, or -1.
    int rowOfLine(int line) const;
    int lineOfRow(int row) const;
    // The row of the current line, or -1.
    int currentRow() const;
    // Makes the row current, in the current cell's column, and shows it; a
    // hidden row makes the nearest shown row below it current.
    void setCurrentRow(int row);
    // The same in this column, without scrolling to it.
    void setCurrentCell(int row, int column);
    // The newest entry shown on the day, or else on the nearest older day
    // (the nearest newer one when there is none); -1 when nothing shows.
    int newestRowFrom(const QDate &day) const;

    bool showsSensorReadings() const { return !m_filter; }
    // Hides or shows the readings of sensor series; the current entry stays
    // current where it shows, the columns keep their widths.
    void setSensorReadingsShown(bool shown);

private:
    DiaryModel *m_model;
    SensorFilterModel *m_filter = nullptr;
};

#endif
