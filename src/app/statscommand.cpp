// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statscommand.h"

#include "analysis/statistics.h"
#include "analysis/statisticstext.h"
#include "app/apptext.h"
#include "app/commandoptions.h"
#include "core/clock.h"
#include "core/diarysession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

namespace {

QString number(std::optional<double> value, int decimals)
{
    return value ? shownNumber(*value, decimals) : QStringLiteral("-");
}

QString periodText(const GlucoseStatistics &s)
{
    return AppText::tr("%1 to %2 (%3 days)")
        .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate))
        .arg(s.days);
}

void printForPeople(const GlucoseStatistics &s, const Settings &settings, GlucoseUnit unit,
                    const QString &note, QTextStream &out)
{
    struct Row
    {
        QString name, value, target, change;
    };
    std::vector<Row> rows;
    rows.push_back({AppText::tr("Period"), periodText(s), {}, {}});
    if (s.previous)
        rows.push_back({AppText::tr("Compared with"), periodText(*s.previous), {}, {}});
    std::vector<StatisticsLine> lines =
        statisticsLines(s, unit, settings.lowerLimit, settings.upperLimit);
    for (StatisticsLine &line : riskLines(s, unit))
        lines.push_back(std::move(line));
    const QString events = eventsText(s, unit);
    lines.push_back({AppText::tr("Hypoglycaemia events"),
                     events.isEmpty() ? QStringLiteral("\u2013") : events,
                     {},
                     {}});
    for (const StatisticsLine &line : lines) {
        QString target;
        if (!line.target.isEmpty())
            target = AppText::tr("(target %1%2)")
                         .arg(line.target, !line.met   ? QString()
                                           : *line.met ? AppText::tr(", met")
                                                       : AppText::tr(", not met"));
        rows.push_back({line.label, line.value, target, line.change});
    }
    // The changes make a column of their own after the values and targets.
    const bool changes = s.previous != nullptr;
    qsizetype nameWidth = 0, valueWidth = 0, targetWidth = 0;
    for (const Row &row : rows) {
        nameWidth = std::max(nameWidth, row.name.size());
        if (!row.target.isEmpty() || (changes && !row.change.isEmpty()))
            valueWidth = std::max(valueWidth, row.value.size());
        targetWidth = std::max(targetWidth, row.target.size());
    }
    for (const Row &row : rows) {
        out << (row.name + u':').leftJustified(nameWidth + 2);
        if (changes && !row.change.isEmpty())
            out << row.value.leftJustified(valueWidth + 3)
                << row.target.leftJustified(targetWidth + 3) << row.change << '\n';
        else if (row.target.isEmpty())
            out << row.value << '\n';
        else
            out << row.value.leftJustified(valueWidth + 3) << row.target << '\n';
    }
    if (!note.isEmpty())
        out << AppText::tr("Note: %1").arg(note) << '\n';
    for (const QString &warning : statisticsWarnings(s))
        out << AppText::tr("Note: %1").arg(warning) << '\n';

    if (s.readings == 0)
        return;
    const auto glucose = [unit](std::optional<double> value) {
        return unit == GlucoseUnit::MgPerDl || !value ? number(value, 0)
                                                      : shownDecimal(mmolText(*value));
    };
    out << '\n'
        << AppText::tr("Ambulatory glucose profile (%1)").arg(unitName(unit)) << '\n'
        << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(AppText::tr("hour"), -6)
               .arg(QStringLiteral("n"), 6)
               .arg(QStringLiteral("p5"), 6)
               .arg(QStringLiteral("p25"), 6)
               .arg(QStringLiteral("p50"), 6)
               .arg(QStringLiteral("p75"), 6)
               .arg(QStringLiteral("p95"), 6);
    for (const AgpBin &bin : s.agp) {
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
                   .arg(QStringLiteral("%1:00").arg(bin.hour, 2, 10, QLatin1Char('0')), -6)
                   .arg(bin.n, 6)
                   .arg(glucose(bin.p5), 6)
                   .arg(glucose(bin.p25), 6)
                   .arg(glucose(bin.p50), 6)
                   .arg(glucose(bin.p75), 6)
                   .arg(glucose(bin.p95), 6);
    }
}

} // namespace

int runStatsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("stats"),
        QStringLiteral("[--days N | --from YYYY-MM-DD --to YYYY-MM-DD] [--unit mgdl|mmol] "
                       "[--targets SET] [--compare] [--json]"),
        AppText::tr("Prints the glucose statistics and the ambulatory glucose profile of a "
                    "period of the diary.\n"
                    "Exit status: 0 done (also for a period without readings), 1 the diary "
                    "cannot be read, 2 bad options."));
    QCommandLineParser &parser = options.parser();
    PeriodRule rule;
    rule.firstLook = true;
    rule.defaultDays = firstLookDays;
    addPeriodOptions(parser, rule);
    const QCommandLineOption json(QStringLiteral("json"),
                                  AppText::tr("Print one JSON object (always in mg/dL) "
                                              "instead of lines."));
    const QCommandLineOption compare = compareOption();
    parser.addOptions({unitOption(), targetsOption(), compare, json});
    if (const int status = options.parseOptionsOnly(arguments, out, err); status >= 0)
        return status;
    QString error;
    const std::optional<OptionPeriod> period = parsePeriodOptions(parser, rule, &error);
    if (!period)
        return options.fail(error, err);
    if (!optionUnit(parser, GlucoseUnit::MgPerDl))
        return options.fail(AppText::tr("--unit is mgdl or mmol"), err);
    if (!optionTargets(parser, TargetSet::Standard))
        return options.fail(badTargetsText(), err);

    DiarySession session;
    const DiaryFile::LoadResult loaded = session.open();
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << AppText::tr("mellidor stats: %1").arg(loaded.error) << '\n';
        return 1;
    }
    const std::optional<GlucoseUnit> unit = optionUnit(parser, session.preferences().glucoseUnit);
    const Settings &settings = session.settings();
    StatisticsRequest request{period->from,
                              period->to,
                              settings.lowerLimit,
                              settings.upperLimit,
                              *optionTargets(parser, session.preferences().targets),
                              parser.isSet(compare)};
    GlucoseStatistics statistics = computeStatistics(session.diary(), request);
    // Like the window's first look: after an import of the past, not an
    // empty period but the days up to the newest reading, said so.
    QString note;
    if (period->byDefault && statistics.readings == 0) {
        const QDate today = Clock::today();
        if (const QDate end = firstLookEnd(session.diary(), today); end != today) {
            request.from = end.addDays(1 - firstLookDays);
            request.to = end;
            statistics = computeStatistics(session.diary(), request);
            note = firstLookNote();
        }
    }
    if (parser.isSet(json)) {
        // The object keeps its keys; its from and to name the days, and
        // a person reading along is told why.
        if (!note.isEmpty())
            err << AppText::tr("mellidor stats: %1").arg(note) << '\n';
        out << QJsonDocument(toJson(statistics)).toJson(QJsonDocument::Compact) << '\n';
    } else {
        printForPeople(statistics, settings, *unit, note, out);
    }
    out.flush();
    return 0;
}
