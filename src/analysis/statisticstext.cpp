// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/statisticstext.h"

#include "analysis/targetset.h"

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

// Which way of a figure is in the reader's favour.
enum class Better
{
    Neither,
    Higher,
    Lower
};

// A line and the figure behind it as shown (in the shown unit, rounded to
// the decimals shown), so that a change reads as the difference of what
// the reader sees.
struct Row
{
    StatisticsLine line;
    std::optional<double> figure;
    int decimals = 1;
    Better better = Better::Neither;
};

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(value * scale + 0.5) / scale;
}

Row row(const QString &label, const QString &value, std::optional<double> figure, int decimals,
        Better better)
{
    Row r;
    r.line.label = label;
    r.line.value = value;
    r.figure = figure ? std::optional(rounded(*figure, decimals)) : figure;
    r.decimals = decimals;
    r.better = better;
    return r;
}

// unit follows the limit after a space; none for a count. Without a limit
// the line has no target.
Row targetRow(const QString &label, const QString &value, std::optional<double> figure,
              int decimals, Bound bound, std::optional<double> limit, const QString &unit)
{
    static const char16_t signs[] = {u'<', u'\u2264', u'\u2265', u'>'};
    const bool higher = bound == Bound::AtLeast || bound == Bound::Above;
    Row r = row(label, value, figure, decimals, higher ? Better::Higher : Better::Lower);
    if (!limit)
        return r;
    StatisticsLine &line = r.line;
    line.target = QChar(signs[int(bound)]) + u' ' + QString::number(*limit);
    if (!unit.isEmpty())
        line.target += u' ' + unit;
    if (!figure)
        return r;
    switch (bound) {
    case Bound::Below:
        line.met = *figure < *limit;
        break;
    case Bound::AtMost:
        line.met = *figure <= *limit;
        break;
    case Bound::AtLeast:
        line.met = *figure >= *limit;
        break;
    case Bound::Above:
        line.met = *figure > *limit;
        break;
    }
    return r;
}

Row percentRow(const QString &label, std::optional<double> percent, Bound bound,
               std::optional<double> limit)
{
    return targetRow(label, formatPercent(percent), percent, 1, bound, limit, QStringLiteral("%"));
}

// A line over those below it, without a value.
Row heading(const QString &label)
{
    Row r;
    r.line.label = label;
    return r;
}

// A line whose value is a name or a sentence.
Row note(const QString &label, const QString &value)
{
    Row r = heading(label);
    r.line.value = value;
    r.line.note = true;
    return r;
}

// The figure in the unit shown, as formatGlucose rounds it.
std::optional<double> shownGlucose(std::optional<double> mgPerDl, GlucoseUnit unit)
{
    if (!mgPerDl)
        return mgPerDl;
    return unit == GlucoseUnit::MgPerDl ? std::floor(*mgPerDl + 0.5)
                                        : double(mmolTenths(*mgPerDl)) / 10.0;
}

// "↑ +2.5", "↓ −3", "→ 0.0": beside the figure, which shows the unit.
QString changeText(double change, int decimals)
{
    const QString arrow = change > 0   ? QStringLiteral("\u2191 +")
                          : change < 0 ? QStringLiteral("\u2193 \u2212")
                                       : QStringLiteral("\u2192 ");
    return arrow + shownNumber(std::abs(change), decimals);
}

// The lines of rows, each with its change against the same row of the
// period before when there is one.
std::vector<StatisticsLine> withChanges(std::vector<Row> rows, const std::vector<Row> &before)
{
    std::vector<StatisticsLine> lines;
    lines.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        Row &r = rows[i];
        // A heading, a name or a sentence has no figure to change.
        if (i < before.size() && !r.line.value.isEmpty() && !r.line.note) {
            const std::optional<double> old = before[i].figure;
            if (!r.figure || !old) {
                r.line.change = dash;
            } else {
                // Both are rounded alike; rounding again drops the binary noise.
                const double change = rounded(*r.figure - *old, r.decimals);
                r.line.change = changeText(change, r.decimals);
                if (change != 0 && r.better != Better::Neither)
                    r.line.favourable = (change > 0) == (r.better == Better::Higher);
            }
        }
        lines.push_back(std::move(r.line));
    }
    return lines;
}

std::vector<Row> coreRows(const GlucoseStatistics &s, GlucoseUnit unit, int lowerLimit,
                          int upperLimit)
{
    const QString name = unitName(unit);
    const int glucoseDecimals = unit == GlucoseUnit::MgPerDl ? 0 : 1;
    const auto glucose = [&](const QString &label, std::optional<double> mgPerDl, Better better) {
        return row(label, mgPerDl ? formatGlucose(mgPerDl, unit) + u' ' + name : dash,
                   shownGlucose(mgPerDl, unit), glucoseDecimals, better);
    };
    const auto bound = [unit](int mgPerDl) { return formatGlucose(mgPerDl, unit); };
    const auto limitRow = [&](const QString &label, std::optional<double> percent, Better better) {
        return row(label, formatPercent(percent), percent, 1, better);
    };

    std::vector<Row> rows;
    rows.push_back(row(StatisticsText::tr("Readings"), QString::number(s.readings), s.readings, 0,
                       Better::Higher));
    rows.push_back(targetRow(StatisticsText::tr("Days with readings"),
                             StatisticsText::tr("%1 of %2").arg(s.daysWithReadings).arg(s.days),
                             s.daysWithReadings, 0, Bound::AtLeast, minimumDaysWithReadings, {}));
    rows.push_back(percentRow(StatisticsText::tr("Sensor coverage"), s.coveragePercent,
                              Bound::AtLeast, minimumCoveragePercent));
    rows.push_back(glucose(StatisticsText::tr("Mean glucose"), s.mean, Better::Lower));
    rows.push_back(glucose(StatisticsText::tr("Standard deviation"), s.sd, Better::Lower));
    rows.push_back(
        percentRow(StatisticsText::tr("Coefficient of variation"), s.cvPercent, Bound::AtMost, 36));
    rows.push_back(glucose(StatisticsText::tr("Minimum"), s.min, Better::Neither));
    rows.push_back(glucose(StatisticsText::tr("Median"), s.median, Better::Neither));
    rows.push_back(glucose(StatisticsText::tr("Maximum"), s.max, Better::Neither));
    rows.push_back(row(StatisticsText::tr("Glucose management indicator"),
                       number(s.gmiPercent, 1, QStringLiteral("%")), s.gmiPercent, 1,
                       Better::Lower));
    rows.push_back(row(StatisticsText::tr("Estimated HbA1c"),
                       number(s.ea1cPercent, 1, QStringLiteral("%")), s.ea1cPercent, 1,
                       Better::Lower));

    // The set's range and goals; the standard set's lines are the consensus
    // ones, not named.
    const TargetGoals &goals = targetGoals(s.targetSet);
    const bool consensusRange = goals.low == 70 && goals.high == 180;
    if (s.targetSet != TargetSet::Standard)
        rows.push_back(note(StatisticsText::tr("Targets"), targetSetName(s.targetSet)));
    if (consensusRange)
        rows.push_back(percentRow(StatisticsText::tr("Time above %1").arg(bound(250)),
                                  s.veryHighPercent, Bound::Below, goals.above250));
    rows.push_back(
        percentRow(StatisticsText::tr("Time above %1").arg(bound(goals.high)),
                   consensusRange ? sum(s.highPercent, s.veryHighPercent) : s.targetAbovePercent,
                   Bound::Below, goals.aboveHigh));
    rows.push_back(percentRow(
        StatisticsText::tr("Time in range %1\u2013%2").arg(bound(goals.low), bound(goals.high)),
        consensusRange ? s.inRangePercent : s.targetInRangePercent, Bound::Above, goals.inRange));
    rows.push_back(
        percentRow(StatisticsText::tr("Time below %1").arg(bound(goals.low)),
                   consensusRange ? sum(s.lowPercent, s.veryLowPercent) : s.targetBelowPercent,
                   Bound::Below, goals.belowLow));
    rows.push_back(percentRow(StatisticsText::tr("Time below %1").arg(bound(54)), s.veryLowPercent,
                              Bound::Below, goals.below54));

    rows.push_back(
        limitRow(StatisticsText::tr("At or above your upper limit %1").arg(bound(upperLimit)),
                 s.aboveTargetPercent, Better::Lower));
    rows.push_back(
        limitRow(StatisticsText::tr("Between your limits"), s.inTargetPercent, Better::Higher));
    rows.push_back(
        limitRow(StatisticsText::tr("At or below your lower limit %1").arg(bound(lowerLimit)),
                 s.belowTargetPercent, Better::Lower));

    // Averages over the days that hold an entry: days without any are days
    // without a diary, not days without food or insulin.
    const int days = s.daysWithEntries;
    rows.push_back(
        heading(days == 1 ? StatisticsText::tr("Per day, over 1 day with entries")
                          : StatisticsText::tr("Per day, over %1 days with entries").arg(days)));
    const auto daily = [days](const QString &label, double value, const QString &unitText) {
        const std::optional<double> figure = days ? std::optional(value) : std::nullopt;
        return row(label, number(figure, 1, unitText), figure, 1, Better::Neither);
    };
    const QString units = QStringLiteral("U");
    rows.push_back(daily(StatisticsText::tr("Carbs"), s.carbsPerDay, QStringLiteral("g")));
    rows.push_back(daily(StatisticsText::tr("Bolus insulin"), s.bolusPerDay, units));
    const bool noBasal = basalNotRecorded(s);
    rows.push_back(noBasal ? note(StatisticsText::tr("Basal insulin"),
                                  StatisticsText::tr("No basal insulin recorded in this period"))
                           : daily(StatisticsText::tr("Basal insulin"), s.basalPerDay, units));
    rows.push_back(daily(StatisticsText::tr("Total insulin"), s.insulinPerDay, units));
    const std::optional<double> share = noBasal ? std::nullopt : s.basalPercent;
    rows.push_back(row(StatisticsText::tr("Basal share of the insulin"), formatPercent(share),
                       share, 1, Better::Neither));
    return rows;
}

std::vector<Row> riskRows(const GlucoseStatistics &s, GlucoseUnit unit)
{
    const auto bound = [unit](int mgPerDl) { return formatGlucose(mgPerDl, unit); };
    const auto plain = [](const QString &label, std::optional<double> value) {
        return row(label, number(value, 1, {}).trimmed(), value, 1, Better::Lower);
    };
    std::vector<Row> rows;
    rows.push_back(
        percentRow(StatisticsText::tr("Time in tight range %1\u2013%2").arg(bound(70), bound(140)),
                   s.titrPercent, Bound::Above, 50));
    rows.push_back(row(
        StatisticsText::tr("Glycaemia risk index"),
        s.gri ? StatisticsText::tr("%1 (zone %2)").arg(number(s.gri, 1, {}).trimmed(), s.griZone)
              : dash,
        s.gri, 1, Better::Lower));
    rows.push_back(plain(StatisticsText::tr("GRI hypoglycaemia component"), s.griHypo));
    rows.push_back(plain(StatisticsText::tr("GRI hyperglycaemia component"), s.griHyper));
    rows.push_back(plain(StatisticsText::tr("Low blood glucose index"), s.lbgi));
    rows.push_back(plain(StatisticsText::tr("High blood glucose index"), s.hbgi));
    const int decimals = unit == GlucoseUnit::MgPerDl ? 0 : 1;
    rows.push_back(row(StatisticsText::tr("Mean amplitude of excursions"),
                       s.mage ? formatGlucose(s.mage, unit) + u' ' + unitName(unit) : dash,
                       shownGlucose(s.mage, unit), decimals, Better::Lower));
    return rows;
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
    return withChanges(coreRows(s, unit, lowerLimit, upperLimit),
                       s.previous ? coreRows(*s.previous, unit, lowerLimit, upperLimit)
                                  : std::vector<Row>());
}

std::vector<StatisticsLine> riskLines(const GlucoseStatistics &s, GlucoseUnit unit)
{
    return withChanges(riskRows(s, unit),
                       s.previous ? riskRows(*s.previous, unit) : std::vector<Row>());
}

QString comparisonText(const GlucoseStatistics &s)
{
    if (!s.previous)
        return QString();
    return StatisticsText::tr("Compared with %1 to %2")
        .arg(s.previous->from.toString(Qt::ISODate), s.previous->to.toString(Qt::ISODate));
}

QString firstLookNote()
{
    return StatisticsText::tr("The last %1 days hold no readings: these are the %1 days up "
                              "to the newest one.")
        .arg(firstLookDays);
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
