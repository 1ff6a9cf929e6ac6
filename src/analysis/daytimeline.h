// SPDX-License-Identifier: GPL-3.0-or-later
// The hours of one calendar day as they were lived in the local time zone:
// 24 on most days, 23 or 25 where the clocks change. Diary times are wall
// clock times; this places them on the day's real time.
#ifndef DAYTIMELINE_H
#define DAYTIMELINE_H

#include <QDate>

class DayTimeline
{
public:
    explicit DayTimeline(const QDate &day);

    // Seconds from midnight to midnight.
    qint64 length() const { return m_length; }
    // Seconds from the day's start to a wall clock time, in minutes from
    // midnight. A time the clocks skipped lands where they jumped; a time
    // they passed twice, at its first pass. Minutes before 0 or from 1440 on
    // (a neighbouring day's readings) go on beyond the day's ends.
    qint64 secondsAt(int minutes) const;
    // The same as a share of the day: 0 at its start, 1 at its end.
    double position(int minutes) const { return double(secondsAt(minutes)) / double(m_length); }

private:
    QDate m_day;
    qint64 m_start = 0;
    qint64 m_length = 86400;
    bool m_regular = true;
};

#endif
