// SPDX-License-Identifier: GPL-3.0-or-later
// Which glucose readings come from a sensor: a reading belongs to a sensor
// series when another reading lies at most sensorSeriesMinutes before or
// after it. The day view draws a series as a curve and leaves its readings
// out of the day's entries; the list can hide them. Both ask here.
#ifndef SENSORSERIES_H
#define SENSORSERIES_H

#include "core/diary.h"

#include <QDate>

#include <vector>

inline constexpr int sensorSeriesMinutes = 15;

// A reading as the figures count one: a Glucose entry with a readable time
// (minutes from midnight, -1 for none) and a positive value.
bool countsAsReading(int minutes, int type, int value);

// For ascending times in minutes: true for each with another one at most
// sensorSeriesMinutes away.
std::vector<bool> sensorSeries(const std::vector<qint64> &minutes);

struct TimedReading
{
    // From the day's midnight: before 0 or from 1440 on for a reading of a
    // neighbouring day.
    int minutes;
    int row;
    int value; // mg/dL
    bool inSeries;
    bool ofTheDay;
};

// The readings of the day and those of the neighbouring days that lie
// within reach of its midnights, in time order (at one time the lower row
// of the list first), each marked.
std::vector<TimedReading> readingsAround(const Diary &diary, const QDate &day);

// For every row of the diary, top first: true for a reading of a sensor
// series. Linear in the diary's size for a diary in date order.
std::vector<bool> sensorSeriesRows(const Diary &diary);

#endif
