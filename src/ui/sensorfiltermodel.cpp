// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/sensorfiltermodel.h"

#include "analysis/sensorseries.h"
#include "ui/listbox.h"

#include <algorithm>

SensorFilterModel::SensorFilterModel(DiaryModel *list, QObject *parent)
    : ListRowsModel(list, parent)
{
    connect(list, &QAbstractItemModel::modelAboutToBeReset, this,
            &SensorFilterModel::beginResetModel);
    connect(list, &QAbstractItemModel::modelReset, this, [this] {
        rebuild();
        endResetModel();
    });
    // A sort moves rows but shows and hides none: lines keep no identity
    // across it, as the list's rows do not.
    connect(list, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { emit layoutAboutToBeChanged(); });
    connect(list, &QAbstractItemModel::layoutChanged, this, [this] {
        rebuild();
        emit layoutChanged();
    });
    connect(list, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &SensorFilterModel::rowsAboutToGo);
    connect(list, &QAbstractItemModel::rowsRemoved, this, &SensorFilterModel::rowsGone);
    connect(list, &QAbstractItemModel::rowsInserted, this, &SensorFilterModel::rowsCame);
    rebuild();
}

const Diary &SensorFilterModel::diary() const
{
    return static_cast<const DiaryModel *>(m_list.data())->diary();
}

int SensorFilterModel::lineOfRow(int row) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row);
    return at != m_rows.end() && *at == row ? int(at - m_rows.begin()) : -1;
}

int SensorFilterModel::lineAtOrBelow(int row) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row);
    return at != m_rows.end() ? int(at - m_rows.begin()) : rowCount() - 1;
}

void SensorFilterModel::rebuild()
{
    m_rows.clear();
    if (!m_list)
        return;
    const std::vector<bool> series = sensorSeriesRows(diary());
    for (size_t row = 0; row < series.size(); ++row) {
        if (!series[row])
            m_rows.push_back(int(row));
    }
}

void SensorFilterModel::rowsAboutToGo(const QModelIndex &, int first, int last)
{
    m_goneDays.clear();
    for (int row = first; row <= last; ++row)
        m_goneDays.push_back(diary().date(row));
    const int from = int(std::lower_bound(m_rows.begin(), m_rows.end(), first) - m_rows.begin());
    const int to = int(std::lower_bound(m_rows.begin(), m_rows.end(), last + 1) - m_rows.begin());
    if (from < to)
        beginRemoveRows(QModelIndex(), from, to - 1);
}

void SensorFilterModel::rowsGone(const QModelIndex &, int first, int last)
{
    const auto from = std::lower_bound(m_rows.begin(), m_rows.end(), first);
    const auto to = std::lower_bound(m_rows.begin(), m_rows.end(), last + 1);
    const bool shown = from != to;
    const auto rest = m_rows.erase(from, to);
    for (auto at = rest; at != m_rows.end(); ++at)
        *at -= last - first + 1;
    if (shown)
        endRemoveRows();
    review(std::exchange(m_goneDays, {}));
}

void SensorFilterModel::rowsCame(const QModelIndex &, int first, int last)
{
    const int added = last - first + 1;
    for (auto at = std::lower_bound(m_rows.begin(), m_rows.end(), first); at != m_rows.end(); ++at)
        *at += added;
    std::vector<QDate> days;
    for (int row = first; row <= last; ++row)
        days.push_back(diary().date(row));
    const std::vector<int> hidden = review(days);
    // A row without a day of its own is no reading: it shows.
    for (int row = first; row <= last; ++row) {
        if (!std::binary_search(hidden.begin(), hidden.end(), row))
            showRow(row, true);
    }
}

std::vector<int> SensorFilterModel::review(const std::vector<QDate> &days)
{
    const Diary &diary = this->diary();
    std::vector<QDate> around;
    for (const QDate &day : days) {
        if (!day.isValid())
            continue;
        for (const int shift : {-1, 0, 1})
            around.push_back(day.addDays(shift));
    }
    std::sort(around.begin(), around.end());
    around.erase(std::unique(around.begin(), around.end()), around.end());
    std::vector<int> hidden;
    for (const QDate &day : around) {
        std::vector<int> series;
        for (const TimedReading &reading : readingsAround(diary, day)) {
            if (reading.ofTheDay && reading.inSeries)
                series.push_back(reading.row);
        }
        std::sort(series.begin(), series.end());
        for (const int row : diary.rowsOn(day))
            showRow(row, !std::binary_search(series.begin(), series.end(), row));
        hidden.insert(hidden.end(), series.begin(), series.end());
    }
    std::sort(hidden.begin(), hidden.end());
    return hidden;
}

void SensorFilterModel::showRow(int row, bool shown)
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), row);
    const int line = int(at - m_rows.begin());
    const bool showing = at != m_rows.end() && *at == row;
    if (shown && !showing) {
        beginInsertRows(QModelIndex(), line, line);
        m_rows.insert(at, row);
        endInsertRows();
    } else if (!shown && showing) {
        beginRemoveRows(QModelIndex(), line, line);
        m_rows.erase(at);
        endRemoveRows();
    }
}
