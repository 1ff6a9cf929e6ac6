// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandoptions.h"

#include "app/apptext.h"
#include "app/commandline.h"
#include "core/clock.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

CommandOptions::CommandOptions(const QString &name, const QString &synopsis,
                               const QString &description)
    : m_name(name), m_synopsis(synopsis),
      m_help({QStringLiteral("h"), QStringLiteral("help")}, AppText::tr("Show this help."))
{
    m_parser.setApplicationDescription(description);
    m_parser.addOption(m_help);
}

int CommandOptions::parse(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!m_parser.parse(QStringList{QStringLiteral("mellidor ") + m_name} + arguments))
        return fail(m_parser.errorText(), err);
    if (m_parser.isSet(m_help)) {
        out << helpWithUsage(m_parser, usage());
        return CommandOk;
    }
    return -1;
}

int CommandOptions::parseOptionsOnly(const QStringList &arguments, QTextStream &out,
                                     QTextStream &err)
{
    if (const int status = parse(arguments, out, err); status >= 0)
        return status;
    if (!m_parser.positionalArguments().isEmpty())
        return fail(AppText::tr("unexpected argument \"%1\".")
                        .arg(m_parser.positionalArguments().constFirst()),
                    err);
    return -1;
}

int CommandOptions::refuseRepeats(const QList<QCommandLineOption> &options, QTextStream &err) const
{
    QStringList names;
    for (const QCommandLineOption &option : options)
        names << option.names().constLast();
    const QString problem = repeatedOption(m_parser, names);
    return problem.isEmpty() ? -1 : fail(problem, err);
}

QString repeatedOption(const QCommandLineParser &parser, const QStringList &names)
{
    for (const QString &name : names) {
        if (parser.values(name).size() > 1)
            return AppText::tr("--%1 given more than once").arg(name);
    }
    return QString();
}

int CommandOptions::fail(const QString &problem, QTextStream &err) const
{
    err << "mellidor " << m_name << ": " << problem << '\n'
        << usage() << '\n'
        << AppText::tr("Run \"mellidor %1 --help\" for its options.\n").arg(m_name);
    return CommandInputFailed;
}

QString CommandOptions::usage() const
{
    return AppText::tr("Usage: mellidor %1 %2").arg(m_name, m_synopsis);
}

QString helpWithUsage(const QCommandLineParser &parser, const QString &usage)
{
    const QString text = parser.helpText();
    const qsizetype end = text.indexOf(u'\n');
    return end < 0 ? usage + u'\n' + text : usage + text.mid(end);
}

QDate firstOptionDate()
{
    return QDate(1900, 1, 1);
}

QDate lastOptionDate()
{
    return QDate(9999, 12, 31);
}

QDate optionDate(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!form.match(text).hasMatch())
        return QDate();
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date >= firstOptionDate() && date <= lastOptionDate() ? date : QDate();
}

std::optional<QDate> dateOption(const QCommandLineParser &parser, const QString &name,
                                QString *error)
{
    if (!parser.isSet(name))
        return QDate();
    const QString text = parser.value(name);
    const QDate date = optionDate(text);
    if (!date.isValid()) {
        *error = AppText::tr("--%1 wants a date as YYYY-MM-DD from %2 to %3, not \"%4\"")
                     .arg(name, firstOptionDate().toString(Qt::ISODate),
                          lastOptionDate().toString(Qt::ISODate), text);
        return std::nullopt;
    }
    return date;
}

void addPeriodOptions(QCommandLineParser &parser, const PeriodRule &rule)
{
    if (rule.days)
        parser.addOption(
            {QStringLiteral("days"),
             rule.firstLook
                 ? AppText::tr("The last N days up to today (default: the last %1 days, or the "
                               "%1 days up to the newest reading when those hold none).")
                       .arg(rule.defaultDays)
                 : AppText::tr("The last N days up to today (default %1).").arg(rule.defaultDays),
             QStringLiteral("N")});
    parser.addOption({QStringLiteral("from"), AppText::tr("First day of the period."),
                      QStringLiteral("YYYY-MM-DD")});
    parser.addOption({QStringLiteral("to"), AppText::tr("Last day of the period."),
                      QStringLiteral("YYYY-MM-DD")});
}

std::optional<OptionPeriod> parsePeriodOptions(const QCommandLineParser &parser,
                                               const PeriodRule &rule, QString *error)
{
    const QString days = QStringLiteral("days"), from = QStringLiteral("from"),
                  to = QStringLiteral("to");
    if (const QString problem =
            repeatedOption(parser, rule.days ? QStringList{days, from, to} : QStringList{from, to});
        !problem.isEmpty()) {
        *error = problem;
        return std::nullopt;
    }
    const bool hasDays = rule.days && parser.isSet(days);
    if (hasDays && (parser.isSet(from) || parser.isSet(to))) {
        *error = AppText::tr("--days cannot be combined with --from and --to");
        return std::nullopt;
    }
    if (!rule.openEnds && parser.isSet(from) != parser.isSet(to)) {
        *error = AppText::tr("--from and --to go together");
        return std::nullopt;
    }
    const QDate today = Clock::today();
    // The first day, like any date of an option, stays within four-digit years.
    const qint64 maxDays = rule.maxDays > 0 ? rule.maxDays : firstOptionDate().daysTo(today) + 1;
    OptionPeriod period;
    if (parser.isSet(from) || parser.isSet(to)) {
        for (const auto &[name, date] : {std::pair{&from, &period.from}, {&to, &period.to}}) {
            const std::optional<QDate> day = dateOption(parser, *name, error);
            if (!day)
                return std::nullopt;
            *date = *day;
        }
        if (period.from.isValid() && period.to.isValid()) {
            if (period.to < period.from) {
                *error = AppText::tr("--to is before --from");
                return std::nullopt;
            }
            if (period.from.daysTo(period.to) + 1 > maxDays) {
                *error = AppText::tr("the period is longer than %1 days").arg(maxDays);
                return std::nullopt;
            }
        }
        return period;
    }
    if (!rule.days)
        return period; // all of it
    int count = rule.defaultDays;
    if (hasDays) {
        bool ok = false;
        count = parser.value(days).toInt(&ok);
        if (!ok || count < 1 || count > maxDays) {
            *error = AppText::tr("--days wants a whole number from 1 to %1, not \"%2\"")
                         .arg(maxDays)
                         .arg(parser.value(days));
            return std::nullopt;
        }
    }
    return OptionPeriod{today.addDays(-(count - 1)), today, !hasDays};
}

QCommandLineOption unitOption()
{
    return QCommandLineOption(
        QStringLiteral("unit"),
        AppText::tr("Glucose unit: mgdl or mmol (default: as chosen in the window)."),
        QStringLiteral("unit"));
}

std::optional<GlucoseUnit> optionUnit(const QCommandLineParser &parser, GlucoseUnit shown)
{
    const QString text = parser.value(QStringLiteral("unit"));
    if (text.isEmpty() && !parser.isSet(QStringLiteral("unit")))
        return shown;
    if (text == QLatin1String("mgdl"))
        return GlucoseUnit::MgPerDl;
    if (text == QLatin1String("mmol"))
        return GlucoseUnit::MmolPerL;
    return std::nullopt;
}

namespace {

QString targetSetNames()
{
    QStringList names;
    for (TargetSet set : targetSets)
        names << QString::fromLatin1(targetSetKey(set));
    return names.join(QStringLiteral(", "));
}

} // namespace

QCommandLineOption targetsOption()
{
    return QCommandLineOption(
        QStringLiteral("targets"),
        AppText::tr("The targets the figures are read against: %1 (default: as chosen in the "
                    "window).")
            .arg(targetSetNames()),
        QStringLiteral("set"));
}

std::optional<TargetSet> optionTargets(const QCommandLineParser &parser, TargetSet chosen)
{
    if (!parser.isSet(QStringLiteral("targets")))
        return chosen;
    return targetSetFromKey(parser.value(QStringLiteral("targets")).toUtf8());
}

QString badTargetsText()
{
    return AppText::tr("--targets is one of %1").arg(targetSetNames());
}

QCommandLineOption compareOption()
{
    return QCommandLineOption(
        QStringLiteral("compare"),
        AppText::tr("Show each figure with its change against the period of the same length "
                    "before."));
}
