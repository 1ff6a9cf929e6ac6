// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands' options have in common: -h and --help, a usage line
// that says "mellidor COMMAND" whatever the binary is called, errors in one
// form, and dates a diary can hold.
#ifndef COMMANDOPTIONS_H
#define COMMANDOPTIONS_H

#include "core/glucoseconversion.h"
#include "core/preferences.h"

#include <QCommandLineParser>
#include <QDate>

#include <optional>

class QTextStream;

class CommandOptions
{
public:
    // synopsis: the command's arguments as the usage line shows them.
    CommandOptions(const QString &name, const QString &synopsis, const QString &description);

    QCommandLineParser &parser() { return m_parser; }

    // Parses the arguments after the command's word. Returns -1 to go on,
    // else the exit status: 0 with the help on out, 2 with the error on err.
    int parse(const QStringList &arguments, QTextStream &out, QTextStream &err);
    // As parse, for a command that takes options only.
    int parseOptionsOnly(const QStringList &arguments, QTextStream &out, QTextStream &err);
    // Fails for the first of options given more than once; -1 when none is.
    int refuseRepeats(const QList<QCommandLineOption> &options, QTextStream &err) const;
    // Writes "mellidor COMMAND: problem" and the usage line; returns 2.
    int fail(const QString &problem, QTextStream &err) const;

private:
    QString usage() const;

    QString m_name;
    QString m_synopsis;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
};

// "--NAME given more than once" for the first of the names given so; empty
// when none is.
QString repeatedOption(const QCommandLineParser &parser, const QStringList &names);

// The parser's help with its first line (which names the binary's path)
// replaced by usage.
QString helpWithUsage(const QCommandLineParser &parser, const QString &usage);

// The first and last day an option may name: Mellidor's dates have four
// digits, and nobody measured glucose before 1900.
QDate firstOptionDate();
QDate lastOptionDate();

// A date written YYYY-MM-DD within those days; a null date otherwise.
QDate optionDate(const QString &text);
// The date of the option name: null when it is not given, empty with error
// saying what is wrong when it is no such date.
std::optional<QDate> dateOption(const QCommandLineParser &parser, const QString &name,
                                QString *error);

// A period named by options, both days included; a null date is an open
// end.
struct OptionPeriod
{
    QDate from, to;
    bool byDefault = false; // no option named it
};

// How a command takes its period: --days N up to today (where offered),
// --from and --to.
struct PeriodRule
{
    bool days = true;
    // --from or --to alone leaves the other end open (else they go together).
    bool openEnds = false;
    int defaultDays = 14;
    // The longest period; 0: back to the first day an option may name.
    int maxDays = 0;
    // Without options the command takes a first look (firstLookEnd): the
    // default days end at the newest reading when they hold none.
    bool firstLook = false;
};

// Adds --days (where the rule has it), --from and --to to the parser.
void addPeriodOptions(QCommandLineParser &parser, const PeriodRule &rule);
// The period the options name, or empty with error saying what is wrong.
// Without any of them: the last defaultDays days up to today.
std::optional<OptionPeriod> parsePeriodOptions(const QCommandLineParser &parser,
                                               const PeriodRule &rule, QString *error);

// --unit mgdl|mmol of the commands that show glucose; without it, the unit
// chosen for this diary in the window (shown).
QCommandLineOption unitOption();
std::optional<GlucoseUnit> optionUnit(const QCommandLineParser &parser, GlucoseUnit shown);

// --targets with a set's name (targetSetKey) for the commands that read the
// figures against targets; without it, the set chosen in the window.
QCommandLineOption targetsOption();
std::optional<TargetSet> optionTargets(const QCommandLineParser &parser, TargetSet chosen);
// "--targets is standard, older, ..." for a name that is none of them.
QString badTargetsText();

// --compare: each figure beside its change against the period before.
QCommandLineOption compareOption();

#endif
