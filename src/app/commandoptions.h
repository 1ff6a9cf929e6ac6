// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands' options have in common: -h and --help, a usage line
// that says "mellidor COMMAND" whatever the binary is called, errors in one
// form, and dates a diary can hold.
#ifndef COMMANDOPTIONS_H
#define COMMANDOPTIONS_H

#include "core/glucoseconversion.h"

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
    // Writes "mellidor COMMAND: problem" and the usage line; returns 2.
    int fail(const QString &problem, QTextStream &err) const;

private:
    QString usage() const;

    QString m_name;
    QString m_synopsis;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
};

// The parser's help with its first line (which names the binary's path)
// replaced by usage.
QString helpWithUsage(const QCommandLineParser &parser, const QString &usage);

// The first and last day an option may name: Mellidor's dates have four
// digits, and nobody measured glucose before 1900.
QDate firstOptionDate();
QDate lastOptionDate();

// A date written YYYY-MM-DD within those days; a null date otherwise.
QDate optionDate(const QString &text);

// --unit mgdl|mmol of the commands that show glucose; without it, the unit
// chosen for this diary in the window.
QCommandLineOption unitOption();
std::optional<GlucoseUnit> optionUnit(const QCommandLineParser &parser);

#endif
