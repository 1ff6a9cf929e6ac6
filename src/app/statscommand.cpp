// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statscommand.h"

#include "analysis/statistics.h"
#include "analysis/statisticstext.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/settings.h"

#include <QCommandLineParser>
#include <QJsonDocument>

namespace {

const char usage[] = "Usage: mellidor stats [--days N | --from YYYY-MM-DD --to YYYY-MM-DD] "
                     "[--json]\n";
// Far enough back for any diary, near enough that the first day stays a date.
constexpr int maximumDays = 1000000;

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
        *error = QStringLiteral("--days cannot be combined with --from and --to");
        return std::nullopt;
    }
    if (hasFrom != hasTo) {
        *error = QStringLiteral("--from and --to go together");
        return std::nullopt;
    }
    if (hasFrom) {
        Period period;
        for (const auto &[option, date] : {std::pair{&from, &period.from}, {&to, &period.to}}) {
            const QString text = parser.value(*option);
            *date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
            if (!date->isValid()) {
                *error = QStringLiteral("--%1 wants a date as YYYY-MM-DD, not \"%2\"")
                             .arg(option->names().constFirst(), text);
                return std::nullopt;
            }
        }
        if (period.to < period.from) {
            *error = QStringLiteral("--to is before --from");
            return std::nullopt;
        }
        return period;
    }
    int count = 14;
    if (hasDays) {
        bool ok = false;
        count = parser.value(days).toInt(&ok);
        if (!ok || count < 1 || count > maximumDays) {
            *error = QStringLiteral("--days wants a whole number from 1 to %1, not \"%2\"")
                         .arg(maximumDays)
                         .arg(parser.value(days));
            return std::nullopt;
        }
    }
    const QDate today = Clock::today();
    return Period{today.addDays(-(count - 1)), today};
}

QString number(std::optional<double> value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QStringLiteral("-");
}

void printForPeople(const GlucoseStatistics &s, const Settings &settings, QTextStream &out)
{
    struct Row
    {
        QString name, value, target;
    };
    std::vector<Row> rows;
    rows.push_back({QStringLiteral("Period"),
                    QStringLiteral("%1 to %2 (%3 days)")
                        .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate))
                        .arg(s.days),
                    {}});
    for (const StatisticsLine &line :
         statisticsLines(s, GlucoseUnit::MgPerDl, settings.lowerLimit, settings.upperLimit)) {
        QString target;
        if (!line.target.isEmpty())
            target = QStringLiteral("(target %1%2)")
                         .arg(line.target, !line.met   ? QString()
                                           : *line.met ? QStringLiteral(", met")
                                                       : QStringLiteral(", not met"));
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
        out << "Note: " << warning << '\n';

    if (s.readings == 0)
        return;
    out << "\nAmbulatory glucose profile (mg/dL)\n"
        << QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n")
               .arg(QStringLiteral("hour"), -6)
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
                   .arg(number(bin.p5, 0), 6)
                   .arg(number(bin.p25, 0), 6)
                   .arg(number(bin.p50, 0), 6)
                   .arg(number(bin.p75, 0), 6)
                   .arg(number(bin.p95, 0), 6);
    }
}

} // namespace

int runStatsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    const QCommandLineOption days(QStringLiteral("days"), QString(), QStringLiteral("N"));
    const QCommandLineOption from(QStringLiteral("from"), QString(), QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("date"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption help(QStringLiteral("help"));
    parser.addOptions({days, from, to, json, help});
    QString error;
    if (!parser.parse(QStringList{QStringLiteral("stats")} + arguments))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]);
    if (parser.isSet(help) && error.isEmpty()) {
        out << usage;
        return 0;
    }
    std::optional<Period> period;
    if (error.isEmpty())
        period = parsePeriod(parser, days, from, to, &error);
    if (!period) {
        err << "mellidor stats: " << error << '\n' << usage;
        return 2;
    }

    Diary diary;
    const DiaryFile::LoadResult loaded =
        DiaryFile::load(QString::fromLatin1(DiaryFile::fileName), diary);
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << "mellidor stats: " << loaded.error << '\n';
        return 1;
    }
    const Settings settings = SettingsFile::read(QString::fromLatin1(SettingsFile::fileName));
    const GlucoseStatistics statistics = computeStatistics(
        diary, period->from, period->to, settings.lowerLimit, settings.upperLimit);
    if (parser.isSet(json))
        out << QJsonDocument(toJson(statistics)).toJson(QJsonDocument::Compact) << '\n';
    else
        printForPeople(statistics, settings, out);
    out.flush();
    return 0;
}
