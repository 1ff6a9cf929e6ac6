// SPDX-License-Identifier: GPL-3.0-or-later
// The diary list: N rows of date, time, type and value in a table view,
// row 0 at the top. Besides whole rows it offers the flat item reads of a
// four-column list box, where the current cell (row r, column c) is item
// c * N + r.
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

class ListBox : public QTableView
{
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    const Diary &diary() const { return m_model->diary(); }
    DiaryModel *diaryModel() const { return m_model; }

    int count() const { return int(diary().itemCount()); }
    QString text(int index) const { return diary().itemText(index); }
    int currentItem() const;
    void setCurrentItem(int index);

    int rowCount() const { return diary().rowCount(); }
    void insertRow(int row, const EntryTexts &texts) { m_model->insertEntries({row}, {texts}); }
    void removeRow(int row) { m_model->removeEntries({row}); }
    // Makes the row current, in the current cell's column, and shows it.
    void setCurrentRow(int row);

private:
    DiaryModel *m_model;
};

#endif
