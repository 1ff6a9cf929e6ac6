// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dayindex.h"

#include <numeric>

bool DayIndex::dropUnread()
{
    bool dropped = false;
    while (!m_runs.empty() && m_runs.back().end > m_read) {
        if (m_runs.back().begin < m_read) {
            m_runs.back().end = quint32(m_read);
            break;
        }
        m_runs.pop_back();
        dropped = true;
    }
    return dropped;
}

void DayIndex::orderByDay()
{
    m_byDay.resize(m_runs.size());
    std::iota(m_byDay.begin(), m_byDay.end(), 0u);
    const auto earlier = [this](quint32 a, quint32 b) {
        const Run &x = m_runs[a], &y = m_runs[b];
        return x.day != y.day ? x.day < y.day : x.begin < y.begin;
    };
    // Rows sorted newest first in the list lie oldest first in storage; the
    // other sort gives the reverse order. Only other orders need sorting.
    if (!std::is_sorted(m_byDay.begin(), m_byDay.end(), earlier))
        std::sort(m_byDay.begin(), m_byDay.end(), earlier);
    m_days.clear();
    m_dayStart.clear();
    for (size_t k = 0; k < m_byDay.size(); ++k) {
        const qint32 day = m_runs[m_byDay[k]].day;
        if (m_days.empty() || m_days.back() != day) {
            m_days.push_back(day);
            m_dayStart.push_back(quint32(k));
        }
    }
    m_dayStart.push_back(quint32(m_byDay.size()));
}

qint64 DayIndex::slotOf(qint64 day) const
{
    const auto at = std::lower_bound(m_days.begin(), m_days.end(), day);
    return at != m_days.end() && *at == day ? at - m_days.begin() : -1;
}

QDate DayIndex::first() const
{
    return m_days.empty() ? QDate() : QDate::fromJulianDay(m_days.front());
}

QDate DayIndex::last() const
{
    return m_days.empty() ? QDate() : QDate::fromJulianDay(m_days.back());
}

QDate DayIndex::after(const QDate &day) const
{
    if (!day.isValid())
        return QDate();
    const auto at = std::upper_bound(m_days.begin(), m_days.end(), day.toJulianDay());
    return at == m_days.end() ? QDate() : QDate::fromJulianDay(*at);
}

QDate DayIndex::before(const QDate &day) const
{
    if (!day.isValid())
        return QDate();
    const auto at = std::lower_bound(m_days.begin(), m_days.end(), day.toJulianDay());
    return at == m_days.begin() ? QDate() : QDate::fromJulianDay(*(at - 1));
}

std::vector<QDate> DayIndex::between(const QDate &from, const QDate &to) const
{
    std::vector<QDate> days;
    if (!from.isValid() || !to.isValid())
        return days;
    for (auto at = std::lower_bound(m_days.begin(), m_days.end(), from.toJulianDay());
         at != m_days.end() && *at <= to.toJulianDay(); ++at)
        days.push_back(QDate::fromJulianDay(*at));
    return days;
}
