// SPDX-License-Identifier: GPL-3.0-or-later
// What one day of the diary holds, as the day view shows it: the glucose
// readings and whether each belongs to a sensor series, the carbs and
// insulin at their times, the entries a person looks at (all but a
// sensor's readings) and the day's figures. Built from the day's rows only.
#ifndef DAYCONTENT_H
#define DAYCONTENT_H

#include "analysis/sensorseries.h"
#include "analysis/statistics.h"
#include "core/diary.h"

#include <QDate>

#include <vector>

struct DayReading
{
    // From the day's midnight; a neighbouring day's reading that keeps one
    // of this day in a series lies before 0 or from 1440 on.
    int minutes;
    int value; // mg/dL
    bool inSeries;
    bool operator==(const DayReading &o) const
    {
        return minutes == o.minutes && value == o.value && inSeries == o.inSeries;
    }
};

// Carbs or an insulin dose at its time.
struct DayMarker
{
    int minutes;
    int type;      // position in items
    qint64 amount; // grams, or hundredths of a unit
    bool operator==(const DayMarker &o) const
    {
        return minutes == o.minutes && type == o.type && amount == o.amount;
    }
};

struct DayEntry
{
    int row;
    EntryTexts texts;
};

struct DayContent
{
    QDate day;
    std::vector<DayReading> readings; // in time order
    std::vector<DayMarker> markers;   // in time order
    std::vector<DayEntry> entries;    // all but the readings of a series, newest first
    GlucoseStatistics figures;
    // Shows the same as other: all but the row numbers agree.
    bool showsSameAs(const DayContent &other) const;
};

DayContent dayContent(const Diary &diary, const QDate &day, int lowerLimit, int upperLimit);

#endif
