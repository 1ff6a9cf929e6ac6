// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/reportdata.h"

#include "core/clock.h"
#include "core/diary.h"
#include "core/diarysession.h"
#include "core/entrytext.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

struct ReportText
{
    Q_DECLARE_TR_FUNCTIONS(Report)
};

} // namespace

ReportData collectReportData(const Diary &diary, const ReportRequest &request)
{
    ReportData data;
    data.request = request;
    data.statistics =
        computeStatistics(diary, {request.from, request.to, request.lowerLimit, request.upperLimit,
                                  request.targets, request.compare});
    const qint64 first = request.from.toJulianDay();
    const qint64 last = request.to.toJulianDay();
    const size_t dayCount = size_t(std::max<qint64>(0, last - first + 1));
    std::vector<ReportDay> days(dayCount); // oldest first while gathering
    for (size_t i = 0; i < dayCount; ++i)
        days[i].date = QDate::fromJulianDay(first + qint64(i));

    std::array<InsulinKind, itemCount> kinds;
    for (int t = 0; t < itemCount; ++t)
        kinds[size_t(t)] = insulinKind(t);
    std::vector<std::pair<int, LogbookEntry>> glucoseEntries; // day index, entry
    diary.forEachEntry([&](int row, qint64 julianDay, int minutes, int type, int value) {
        if (julianDay < first || julianDay > last)
            return;
        ReportDay &day = days[size_t(julianDay - first)];
        if (type == glucoseType) {
            if (minutes >= 0)
                day.readings.push_back({minutes, value});
            glucoseEntries.push_back(
                {int(julianDay - first), {minutes, typeName(glucoseType), value}});
            return;
        }
        if (type == carbsType)
            day.carbs += value;
        else if (type >= 0 && kinds[size_t(type)] == InsulinKind::Rapid)
            day.bolus += diary.hundredths(row);
        else if (type >= 0 && kinds[size_t(type)] == InsulinKind::Long)
            day.basal += diary.hundredths(row);
        const bool fraction = diary.hasFraction(row);
        day.logbook.push_back({minutes, type >= 0 ? typeName(type) : diary.type(row),
                               fraction ? int(diary.hundredths(row)) : value, fraction});
    });
    for (const auto &[index, entry] : glucoseEntries) {
        if (days[size_t(index)].readings.size() < size_t(sensorDayReadings))
            days[size_t(index)].logbook.push_back(entry);
    }

    const auto byTime = [](const auto &a, const auto &b) { return a.minutes < b.minutes; };
    for (ReportDay &day : days) {
        std::stable_sort(day.readings.begin(), day.readings.end(), byTime);
        std::stable_sort(day.logbook.begin(), day.logbook.end(), byTime);
        if (day.readings.empty())
            continue;
        double sum = 0;
        int lowest = day.readings.front().value, highest = lowest;
        for (const ReportReading &r : day.readings) {
            sum += r.value;
            lowest = std::min(lowest, r.value);
            highest = std::max(highest, r.value);
        }
        day.mean = sum / double(day.readings.size());
        day.lowest = lowest;
        day.highest = highest;
    }
    std::reverse(days.begin(), days.end());
    data.days = std::move(days);
    return data;
}

std::optional<ReportData> reportOf(const DiarySession &session, ReportRequest request,
                                   QString *problem)
{
    if (!request.from.isValid() || !request.to.isValid() || request.from > request.to) {
        *problem = ReportText::tr("The period ends before it starts.");
        return std::nullopt;
    }
    if (request.from.daysTo(request.to) + 1 > maxReportDays) {
        *problem = ReportText::tr("A report covers at most %1 days; choose a shorter period.")
                       .arg(maxReportDays);
        return std::nullopt;
    }
    request.lowerLimit = session.settings().lowerLimit;
    request.upperLimit = session.settings().upperLimit;
    request.madeOn = Clock::today();
    return collectReportData(session.diary(), request);
}
