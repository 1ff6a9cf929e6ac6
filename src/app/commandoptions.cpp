// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandoptions.h"
#include "core/diaryfolder.h"

#include "app/commandline.h"
#include "core/preferences.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

namespace {
struct CommandText
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};
} // namespace

CommandOptions::CommandOptions(const QString &name, const QString &synopsis,
                               const QString &description)
    : m_name(name), m_synopsis(synopsis),
      m_help({QStringLiteral("h"), QStringLiteral("help")}, CommandText::tr("Show this help."))
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

int CommandOptions::fail(const QString &problem, QTextStream &err) const
{
    err << "mellidor " << m_name << ": " << problem << '\n'
        << usage() << '\n'
        << CommandText::tr("Run \"mellidor %1 --help\" for its options.\n").arg(m_name);
    return CommandInputFailed;
}

QString CommandOptions::usage() const
{
    return CommandText::tr("Usage: mellidor %1 %2").arg(m_name, m_synopsis);
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

QCommandLineOption unitOption()
{
    return QCommandLineOption(
        QStringLiteral("unit"),
        CommandText::tr("Glucose unit: mgdl or mmol (default: as chosen in the window)."),
        QStringLiteral("unit"));
}

std::optional<GlucoseUnit> optionUnit(const QCommandLineParser &parser)
{
    const QString text = parser.value(QStringLiteral("unit"));
    if (text.isEmpty() && !parser.isSet(QStringLiteral("unit")))
        return PreferencesFile::read(DiaryFolder::path(DiaryFolder::File::Preferences)).glucoseUnit;
    if (text == QLatin1String("mgdl"))
        return GlucoseUnit::MgPerDl;
    if (text == QLatin1String("mmol"))
        return GlucoseUnit::MmolPerL;
    return std::nullopt;
}
