// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statscommand.h"
#include "core/diaryfolder.h"

#include "analysis/statistics.h"
#include "analysis/statisticstext.h"
#include "app/commandoptions.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>

namespace {

struct CommandText
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

struct Period
{
    QDate from, to;
};

std::optional<Period> parsePeriod(const QCommandLineParser &parser, const QCommandLineOption &days,
                                  const QCommandLineOption &from, const QCommandLineOption &to,
                                  QString *error)
{
    const bool hasDays = parser.isSet(days);
    const bool hasFrom = parser.isSet(from);
    const bool hasTo = parser.isSet(to);
    if (hasDays && (hasFrom || hasTo)) {
        *error = CommandText::tr("--days cannot be combined with --from and --to");
        return std::nullopt;
    }
    if (hasFrom != hasTo) {
        *error = CommandText::tr("--from and --to go together");
        return std::nullopt;
    }
    if (hasFrom) {
        Period period;
        for (const auto &[option, date] : {std::pair{&from, &period.from}, {&to, &period.to}}) {
            const QString text = parser.value(*option);
            *date = optionDate(text);
            if (!date->isValid()) {
                *error =
                    CommandText::tr("--%1 wants a date as YYYY-MM-DD from %2 to %3, not \"%4\"")
                        .arg(option->names().constFirst(), firstOptionDate().toString(Qt::ISODate),
                             lastOptionDate().toString(Qt::ISODate), text);
                return std::nullopt;
            }
        }
        if (period.to < period.from) {
            *error = CommandText::tr("--to is before --from");
            return std::nullopt;
        }
        return period;
    }
    const QDate today = Clock::today();
    // The first day, like any date of an option, stays within four-digit years.
    const qint64 maximumDays = firstOptionDate().daysTo(today) + 1;
    int count = 14;
    if (hasDays) {
        bool ok = false;
        count = parser.value(days).toInt(&ok);
        if (!ok || count < 1 || count > maximumDays) {
            *error = CommandText::tr("--days wants a whole number from 1 to %1, not \"%2\"")
                         .arg(maximumDays)
                         .arg(parser.value(days));
            return std::nullopt;
        }
    }
    return Period{today.addDays(-(count - 1)), today};
}

QString number(std::optional<double> value, int decimals)
{
    return value ? shownNumber(*value, decimals) : QStringLiteral("-");
}

void printForPeople(const GlucoseStatistics &s, const Settings &settings, GlucoseUnit unit,
                    QTextStream &out)
{
    struct Row
    {
        QString name, value, target;
    };
    std::vector<Row> rows;
    rows.push_back({CommandText::tr("Period"),
                    CommandText::tr("%1 to %2 (%3 days)")
                        .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate))
                        .arg(s.days),
                    {}});
    std::vector<StatisticsLine> lines =
        statisticsLines(s, unit, settings.lowerLimit, settings.upperLimit);
    for (StatisticsLine &line : riskLines(s, unit))
        lines.push_back(std::move(line));
    const QString events = eventsText(s, unit);
    lines.push_back({CommandText::tr("Hypoglycaemia events"),
                     events.isEmpty() ? QStringLiteral("\u2013") : events,
                     {},
                     {}});
    for (const StatisticsLine &line : lines) {
        QString target;
        if (!line.target.isEmpty())
            target = CommandText::tr("(target %1%2)")
                         .arg(line.target, !line.met   ? QString()
                                           : *line.met ? CommandText::tr(", met")
                                                       : CommandText::tr(", not met"));
        rows.push_back({line.label, line.value, target});
    }
    qsizetype nameWidth = 0, valueWidth = 0;
    for (const Row &row : rows) {
        nameWidth = std::max(nameWidth, row.name.size());
        if (!row.target.isEmpty())
            valueWidth = std::max(valueWidth, row.value.size());
    }
    for (const Row &row : rows) {
        out << (row.name + u':').leftJustified(nameWidth + 2);
        if (row.target.isEmpty())
            out << row.value << '\n';
        else
            out << row.value.leftJustified(valueWidth + 3) << row.target << '\n';
    }
    for (const QString &warning : statisticsWarnings(s))
        out << CommandText::tr("Note: %1").arg(warning) << '\n';

    if (s.readings == 0)
        return;
    const auto glucose = [unit](std::optional<double> value) {
        return unit == GlucoseUnit::MgPerDl || !value ? number(value, 0)
                                                      : shownDecimal(mmolText(*value));
    };
    out << '\n'
        << CommandText::tr("Ambulatory glucose profile (%1)").arg(unitName(unit)) << '\n'
        << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(CommandText::tr("hour"), -6)
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
        QStringLiteral(
            "[--days N | --from YYYY-MM-DD --to YYYY-MM-DD] [--unit mgdl|mmol] [--json]"),
        CommandText::tr("Prints the glucose statistics and the ambulatory glucose profile of a "
                        "period of the diary.\n"
                        "Exit status: 0 done (also for a period without readings), 1 the diary "
                        "cannot be read, 2 bad options."));
    QCommandLineParser &parser = options.parser();
    const QCommandLineOption days(QStringLiteral("days"),
                                  CommandText::tr("The last N days up to today (default 14)."),
                                  QStringLiteral("N"));
    const QCommandLineOption from(QStringLiteral("from"),
                                  CommandText::tr("First day of the period."),
                                  QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption to(QStringLiteral("to"), CommandText::tr("Last day of the period."),
                                QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  CommandText::tr("Print one JSON object (always in mg/dL) "
                                                  "instead of lines."));
    parser.addOptions({days, from, to, unitOption(), json});
    if (const int status = options.parse(arguments, out, err); status >= 0)
        return status;
    QString error;
    if (!parser.positionalArguments().isEmpty())
        return options.fail(
            CommandText::tr("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]),
            err);
    const std::optional<Period> period = parsePeriod(parser, days, from, to, &error);
    if (!period)
        return options.fail(error, err);
    const std::optional<GlucoseUnit> unit = optionUnit(parser);
    if (!unit)
        return options.fail(CommandText::tr("--unit is mgdl or mmol"), err);

    Diary diary;
    const DiaryFile::LoadResult loaded =
        DiaryFile::load(DiaryFolder::path(DiaryFolder::File::Diary), diary);
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << CommandText::tr("mellidor stats: %1").arg(loaded.error) << '\n';
        return 1;
    }
    const Settings settings = SettingsFile::read(DiaryFolder::path(DiaryFolder::File::Settings));
    const GlucoseStatistics statistics = computeStatistics(
        diary, period->from, period->to, settings.lowerLimit, settings.upperLimit);
    if (parser.isSet(json))
        out << QJsonDocument(toJson(statistics)).toJson(QJsonDocument::Compact) << '\n';
    else
        printForPeople(statistics, settings, *unit, out);
    out.flush();
    return 0;
}
