// SPDX-License-Identifier: GPL-3.0-or-later
// Which days hold entries and where their rows lie, so that any day of a
// diary of decades is found without reading every row. Rows are kept as
// runs: neighbouring rows of one day. A diary in date order, either way, has
// one run per day; rows out of order only add runs, so the index is right
// for any order and small for the usual ones.
//
// Positions count in the diary's storage (bottom row first). The diary
// reports each change by the lowest position it touched; the next update
// reads again from there only, so a new top row costs next to nothing.
#ifndef DAYINDEX_H
#define DAYINDEX_H

#include <QDate>

#include <algorithm>
#include <cstdint>
#include <vector>

class DayIndex
{
public:
    // Positions from this one on have changed.
    void invalidateFrom(size_t position) { m_read = std::min(m_read, position); }

    // Reads the positions not read yet. dayAt(position) gives the Julian day
    // of that row, or INT64_MIN for a row without a day.
    template <typename DayAt> void update(size_t size, DayAt dayAt);

    bool isEmpty() const { return m_days.empty(); }
    // The oldest and the newest day with entries; null when there is none.
    QDate first() const;
    QDate last() const;
    // The nearest day with entries after or before day; null when there is none.
    QDate after(const QDate &day) const;
    QDate before(const QDate &day) const;
    // The days with entries from `from` to `to`, both included, ascending.
    std::vector<QDate> between(const QDate &from, const QDate &to) const;
    // Calls f(position) for every row of the day, in ascending position.
    template <typename F> void forEachPosition(const QDate &day, F f) const;

private:
    struct Run
    {
        qint32 day;
        quint32 begin; // positions [begin, end)
        quint32 end;
    };
    // Drops what lies at or beyond m_read; true when a run went.
    bool dropUnread();
    void orderByDay();
    // The slot of day in m_days, or -1.
    qint64 slotOf(qint64 day) const;

    std::vector<Run> m_runs; // in position order
    size_t m_read = 0;       // positions read into m_runs
    // By day: the runs' indices ordered by day, then position; the distinct
    // days; and where each day's runs start in m_byDay (one more at the end).
    std::vector<quint32> m_byDay;
    std::vector<qint32> m_days;
    std::vector<quint32> m_dayStart{0};
};

template <typename DayAt> void DayIndex::update(size_t size, DayAt dayAt)
{
    m_read = std::min(m_read, size);
    bool newRuns = dropUnread();
    for (size_t i = m_read; i < size; ++i) {
        const qint64 day = dayAt(i);
        if (day == INT64_MIN)
            continue;
        if (!m_runs.empty() && m_runs.back().end == i && m_runs.back().day == day) {
            ++m_runs.back().end;
        } else {
            m_runs.push_back(Run{qint32(day), quint32(i), quint32(i + 1)});
            newRuns = true;
        }
    }
    m_read = size;
    // A run that only grew or shrank keeps its place in the order by day.
    if (newRuns)
        orderByDay();
}

template <typename F> void DayIndex::forEachPosition(const QDate &day, F f) const
{
    if (!day.isValid())
        return;
    const qint64 slot = slotOf(day.toJulianDay());
    if (slot < 0)
        return;
    for (quint32 k = m_dayStart[size_t(slot)]; k < m_dayStart[size_t(slot) + 1]; ++k) {
        const Run &run = m_runs[m_byDay[k]];
        for (quint32 position = run.begin; position < run.end; ++position)
            f(size_t(position));
    }
}

#endif
