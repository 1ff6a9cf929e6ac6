// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/statisticstext.h"

#include <QCoreApplication>

#include <cmath>

namespace {

struct StatisticsText
{
    Q_DECLARE_TR_FUNCTIONS(Statistics)
};

const QString dash = QStringLiteral("\u2013");

QString number(std::optional<double> value, int decimals, const QString &unit)
{
    if (!value)
        return dash;
    return shownNumber(*value, decimals) + u' ' + unit;
}

std::optional<double> sum(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

// How a figure must stand to its consensus limit.
enum class Bound
{
    Below,
    AtMost,
    AtLeast,
    Above
};

// unit follows the limit after a space; none for a count.
StatisticsLine targetLine(const QString &label, const QString &value, std::optional<double> figure,
                          Bound bound, double limit, const QString &unit)
{
    static const char16_t signs[] = {u'<', u'\u2264', u'\u2265', u'>'};
    StatisticsLine line{label, value, QChar(signs[int(bound)]) + u' ' + QString::number(limit), {}};
    if (!unit.isEmpty())
        line.target += u' ' + unit;
    if (!figure)
        return line;
    switch (bound) {
    case Bound::Below:
        line.met = *figure < limit;
        break;
    case Bound::AtMost:
        line.met = *figure <= limit;
        break;
    case Bound::AtLeast:
        line.met = *figure >= limit;
        break;
    case Bound::Above:
        line.met = *figure > limit;
        break;
    }
    return line;
}

StatisticsLine percentLine(const QString &label, std::optional<double> percent, Bound bound,
                           double limit)
{
    return targetLine(label, formatPercent(percent), percent, bound, limit, QStringLiteral("%"));
}

} // namespace

QString rangeLabel(GlucoseRange range, GlucoseUnit unit)
{
    // The ranges hold whole mg/dL; in mmol/L they are named as people know them.
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("Statistics", "Very high"), QT_TRANSLATE_NOOP("Statistics", "High"),
        QT_TRANSLATE_NOOP("Statistics", "In range"), QT_TRANSLATE_NOOP("Statistics", "Low"),
        QT_TRANSLATE_NOOP("Statistics", "Very low")};
    static const char *const mgPerDl[] = {"> 250", "181–250", "70–180", "54–69", "< 54"};
    static const char *const mmolPerL[] = {"> 13.9", "10.1–13.9", "3.9–10.0", "3.0–3.8", "< 3.0"};
    const size_t i = size_t(range);
    return StatisticsText::tr(names[i]) + u' ' +
           shownDecimal(QString::fromUtf8(unit == GlucoseUnit::MgPerDl ? mgPerDl[i] : mmolPerL[i]));
}

QString targetWithMark(const StatisticsLine &line)
{
    if (!line.met)
        return line.target;
    return line.target + (*line.met ? QStringLiteral("  \u2713") : QStringLiteral("  \u2717"));
}

QString formatPercent(std::optional<double> percent)
{
    return number(percent, 1, QStringLiteral("%"));
}

std::vector<StatisticsLine> statisticsLines(const GlucoseStatistics &s, GlucoseUnit unit,
                                            int lowerLimit, int upperLimit)
{
    const QString name = unitName(unit);
    const auto glucose = [&](std::optional<double> mgPerDl) {
        return mgPerDl ? formatGlucose(mgPerDl, unit) + u' ' + name : dash;
    };
    const auto bound = [unit](int mgPerDl) { return formatGlucose(mgPerDl, unit); };

    std::vector<StatisticsLine> lines;
    lines.push_back({StatisticsText::tr("Readings"), QString::number(s.readings), {}, {}});
    lines.push_back(targetLine(StatisticsText::tr("Days with readings"),
                               StatisticsText::tr("%1 of %2").arg(s.daysWithReadings).arg(s.days),
                               s.daysWithReadings, Bound::AtLeast, minimumDaysWithReadings, {}));
    lines.push_back(percentLine(StatisticsText::tr("Sensor coverage"), s.coveragePercent,
                                Bound::AtLeast, minimumCoveragePercent));
    lines.push_back({StatisticsText::tr("Mean glucose"), glucose(s.mean), {}, {}});
    lines.push_back({StatisticsText::tr("Standard deviation"), glucose(s.sd), {}, {}});
    lines.push_back(percentLine(StatisticsText::tr("Coefficient of variation"), s.cvPercent,
                                Bound::AtMost, 36));
    lines.push_back({StatisticsText::tr("Minimum"), glucose(s.min), {}, {}});
    lines.push_back({StatisticsText::tr("Median"), glucose(s.median), {}, {}});
    lines.push_back({StatisticsText::tr("Maximum"), glucose(s.max), {}, {}});
    lines.push_back({StatisticsText::tr("Glucose management indicator"),
                     number(s.gmiPercent, 1, QStringLiteral("%")),
                     {},
                     {}});
    lines.push_back({StatisticsText::tr("Estimated HbA1c"),
                     number(s.ea1cPercent, 1, QStringLiteral("%")),
                     {},
                     {}});
    lines.push_back(percentLine(StatisticsText::tr("Time above %1").arg(bound(250)),
                                s.veryHighPercent, Bound::Below, 5));
    lines.push_back(percentLine(StatisticsText::tr("Time above %1").arg(bound(180)),
                                sum(s.highPercent, s.veryHighPercent), Bound::Below, 25));
    lines.push_back(
        percentLine(StatisticsText::tr("Time in range %1\u2013%2").arg(bound(70), bound(180)),
                    s.inRangePercent, Bound::Above, 70));
    lines.push_back(percentLine(StatisticsText::tr("Time below %1").arg(bound(70)),
                                sum(s.lowPercent, s.veryLowPercent), Bound::Below, 4));
    lines.push_back(percentLine(StatisticsText::tr("Time below %1").arg(bound(54)),
                                s.veryLowPercent, Bound::Below, 1));
    lines.push_back({StatisticsText::tr("At or above your upper limit %1").arg(bound(upperLimit)),
                     formatPercent(s.aboveTargetPercent),
                     {},
                     {}});
    lines.push_back(
        {StatisticsText::tr("Between your limits"), formatPercent(s.inTargetPercent), {}, {}});
    lines.push_back({StatisticsText::tr("At or below your lower limit %1").arg(bound(lowerLimit)),
                     formatPercent(s.belowTargetPercent),
                     {},
                     {}});
    const auto daily = [&s](double value, const QString &unitText) {
        return s.days ? number(value, 1, unitText) : dash;
    };
    lines.push_back(
        {StatisticsText::tr("Carbs per day"), daily(s.carbsPerDay, QStringLiteral("g")), {}, {}});
    lines.push_back({StatisticsText::tr("Bolus insulin per day"),
                     daily(s.bolusPerDay, QStringLiteral("U")),
                     {},
                     {}});
    lines.push_back({StatisticsText::tr("Basal insulin per day"),
                     daily(s.basalPerDay, QStringLiteral("U")),
                     {},
                     {}});
    return lines;
}

std::vector<StatisticsLine> riskLines(const GlucoseStatistics &s, GlucoseUnit unit)
{
    const auto bound = [unit](int mgPerDl) { return formatGlucose(mgPerDl, unit); };
    const auto plain = [](std::optional<double> value) { return number(value, 1, {}).trimmed(); };
    std::vector<StatisticsLine> lines;
    lines.push_back(
        percentLine(StatisticsText::tr("Time in tight range %1\u2013%2").arg(bound(70), bound(140)),
                    s.titrPercent, Bound::Above, 50));
    lines.push_back({StatisticsText::tr("Glycaemia risk index"),
                     s.gri ? StatisticsText::tr("%1 (zone %2)").arg(plain(s.gri), s.griZone) : dash,
                     {},
                     {}});
    lines.push_back({StatisticsText::tr("GRI hypoglycaemia component"), plain(s.griHypo), {}, {}});
    lines.push_back(
        {StatisticsText::tr("GRI hyperglycaemia component"), plain(s.griHyper), {}, {}});
    lines.push_back({StatisticsText::tr("Low blood glucose index"), plain(s.lbgi), {}, {}});
    lines.push_back({StatisticsText::tr("High blood glucose index"), plain(s.hbgi), {}, {}});
    lines.push_back({StatisticsText::tr("Mean amplitude of excursions"),
                     s.mage ? formatGlucose(s.mage, unit) + u' ' + unitName(unit) : dash,
                     {},
                     {}});
    return lines;
}

QString eventsText(const GlucoseStatistics &s, GlucoseUnit unit)
{
    if (!s.eventsBelow70 || !s.eventsBelow54)
        return QString();
    QString text =
        StatisticsText::tr("%1 %2 below %3")
            .arg(*s.eventsBelow70)
            .arg(*s.eventsBelow70 == 1 ? StatisticsText::tr("event") : StatisticsText::tr("events"),
                 formatGlucose(70, unit));
    if (s.eventMinutesBelow70)
        text += StatisticsText::tr(" (mean %1 min)").arg(std::lround(*s.eventMinutesBelow70));
    return text +
           StatisticsText::tr(", %1 below %2").arg(*s.eventsBelow54).arg(formatGlucose(54, unit));
}

QStringList statisticsWarnings(const GlucoseStatistics &s)
{
    QStringList warnings;
    if (s.readings == 0) {
        warnings << StatisticsText::tr("No glucose readings in this period.");
        return warnings;
    }
    // The consensus figures need a sensor: a meter's readings get no warning.
    if (!s.coveragePercent)
        return warnings;
    if (s.daysWithReadings < minimumDaysWithReadings)
        warnings << StatisticsText::tr("Only %1 days with readings: the figures need at least %2.")
                        .arg(s.daysWithReadings)
                        .arg(minimumDaysWithReadings);
    if (*s.coveragePercent < minimumCoveragePercent)
        warnings << StatisticsText::tr("Sensor coverage is %1: the figures need at least %2 %.")
                        .arg(formatPercent(*s.coveragePercent))
                        .arg(minimumCoveragePercent);
    return warnings;
}
