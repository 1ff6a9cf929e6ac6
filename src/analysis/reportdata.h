// SPDX-License-Identifier: GPL-3.0-or-later
// What the report shows, gathered from the diary once: the period's
// statistics and, for every day of the period, its readings for the daily
// curve and its logbook entries. Painting reads only this.
#ifndef REPORTDATA_H
#define REPORTDATA_H

#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"
#include "core/entrytext.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class Diary;
class DiarySession;

struct ReportRequest
{
    QDate from, to; // both included
    int lowerLimit = 100;
    int upperLimit = 130;
    GlucoseUnit unit = GlucoseUnit::MgPerDl;
    QDate madeOn;
    TargetSet targets = TargetSet::Standard;
    bool compare = false; // each figure beside its change against the period before
};

struct ReportReading
{
    int minutes = 0;
    int value = 0;
};

struct LogbookEntry
{
    int minutes = -1; // -1: the time cannot be read
    QString type;
    int value = 0;
    bool fraction = false; // value holds hundredths of a unit
};

struct ReportDay
{
    QDate date;
    std::vector<ReportReading> readings; // by time of day
    std::optional<double> mean, lowest, highest;
    qint64 carbs = 0;
    qint64 bolus = 0, basal = 0; // hundredths of a unit, so that fractions sum exactly
    // Every entry that is not a sensor reading, by time of day: glucose
    // entries count as such only on days with fewer than sensorDayReadings.
    std::vector<LogbookEntry> logbook;
};

struct ReportData
{
    ReportRequest request;
    GlucoseStatistics statistics;
    std::vector<ReportDay> days; // newest first, one per day of the period
};

// A day with at least this many readings was worn with a sensor.
inline constexpr int sensorDayReadings = 48;

// Longest period a report covers (ten years and a bit).
inline constexpr int maxReportDays = 3660;

// The request's period must be valid, from <= to, at most maxReportDays.
ReportData collectReportData(const Diary &diary, const ReportRequest &request);

// The report of the request's period and unit on the session's diary, with
// its limits, made today. Empty, with problem saying why, for a period that
// cannot be reported on (backwards, or longer than maxReportDays).
std::optional<ReportData> reportOf(const DiarySession &session, ReportRequest request,
                                   QString *problem);

#endif
