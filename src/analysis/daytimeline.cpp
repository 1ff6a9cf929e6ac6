// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/daytimeline.h"

#include <QDateTime>

#include <algorithm>

namespace {
constexpr int minutesPerDay = 24 * 60;
}

DayTimeline::DayTimeline(const QDate &day) : m_day(day)
{
    const QDateTime start(day, QTime(0, 0));
    const QDateTime end(day.addDays(1), QTime(0, 0));
    if (!start.isValid() || !end.isValid())
        return;
    m_start = start.toSecsSinceEpoch();
    const qint64 length = end.toSecsSinceEpoch() - m_start;
    m_regular = length == 86400 && start.offsetFromUtc() == end.offsetFromUtc();
    if (length > 0)
        m_length = length;
}

qint64 DayTimeline::secondsAt(int minutes) const
{
    if (minutes < 0)
        return qint64(minutes) * 60;
    if (minutes >= minutesPerDay)
        return m_length + qint64(minutes - minutesPerDay) * 60;
    if (m_regular)
        return qint64(minutes) * 60;
    // A skipped time is no valid moment: the next minute the clocks showed
    // is where they jumped to.
    for (int m = minutes; m < minutesPerDay; ++m) {
        const QDateTime at(m_day, QTime(m / 60, m % 60));
        if (at.isValid())
            return std::clamp<qint64>(at.toSecsSinceEpoch() - m_start, 0, m_length);
    }
    return m_length;
}
