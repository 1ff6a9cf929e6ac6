// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reportcommand.h"
#include "core/diaryfolder.h"

#include "analysis/reportdata.h"
#include "app/commandoptions.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/outputfile.h"
#include "core/settings.h"
#include "ui/reportrenderer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

struct CommandText
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

constexpr int defaultDays = 14;

// Fills the request's period and unit, or says what is wrong.
QString readOptions(const QCommandLineParser &parser, ReportRequest &request, QString &output)
{
    const QString days = QStringLiteral("days"), from = QStringLiteral("from"),
                  to = QStringLiteral("to"), unit = QStringLiteral("unit"),
                  file = QStringLiteral("output");
    if (!parser.positionalArguments().isEmpty())
        return CommandText::tr("unexpected argument: %1").arg(parser.positionalArguments().first());
    for (const QString &option : {days, from, to, unit, file}) {
        if (parser.values(option).size() > 1)
            return CommandText::tr("--%1 given more than once").arg(option);
    }
    output = parser.value(file);
    if (output.isEmpty())
        return CommandText::tr("--output FILE.pdf is required");

    const QDate today = Clock::today();
    if (parser.isSet(days) && (parser.isSet(from) || parser.isSet(to)))
        return CommandText::tr("give either --days or --from and --to");
    if (parser.isSet(from) != parser.isSet(to))
        return CommandText::tr("--from and --to go together");
    if (parser.isSet(from)) {
        request.from = optionDate(parser.value(from));
        request.to = optionDate(parser.value(to));
        if (!request.from.isValid() || !request.to.isValid())
            return CommandText::tr("dates are written YYYY-MM-DD, must exist and lie from %1 to %2")
                .arg(firstOptionDate().toString(Qt::ISODate),
                     lastOptionDate().toString(Qt::ISODate));
        if (request.from > request.to)
            return CommandText::tr("--from comes after --to");
    } else {
        bool ok = true;
        const int n = parser.isSet(days) ? parser.value(days).toInt(&ok) : defaultDays;
        if (!ok || n < 1)
            return CommandText::tr("--days wants a whole number of at least 1");
        if (n > maxReportDays)
            return CommandText::tr("a report covers at most %1 days").arg(maxReportDays);
        request.to = today;
        request.from = today.addDays(1 - n);
    }
    if (request.from.daysTo(request.to) + 1 > maxReportDays)
        return CommandText::tr("a report covers at most %1 days").arg(maxReportDays);

    const std::optional<GlucoseUnit> chosen = optionUnit(parser);
    if (!chosen)
        return CommandText::tr("--unit is mgdl or mmol");
    request.unit = *chosen;
    request.madeOn = today;
    return {};
}

} // namespace

int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("report"),
        QStringLiteral("[--days N | --from YYYY-MM-DD --to YYYY-MM-DD] [--unit mgdl|mmol] "
                       "--output FILE.pdf"),
        CommandText::tr("Writes a PDF report of a period for the diabetes team: the figures, the "
                        "ambulatory glucose profile, a curve per day and a logbook. The file is "
                        "replaced only once all of it is written; it cannot be the diary, its "
                        "settings or its lock, nor anything but a regular file.\n"
                        "Exit status: 0 written, 1 the diary cannot be read or the file cannot be "
                        "written, 2 bad options."));
    options.parser().addOptions({
        {QStringLiteral("days"),
         CommandText::tr("The last N days up to today (default %1).").arg(defaultDays),
         QStringLiteral("N")},
        {QStringLiteral("from"), CommandText::tr("First day of the period."),
         QStringLiteral("YYYY-MM-DD")},
        {QStringLiteral("to"), CommandText::tr("Last day of the period."),
         QStringLiteral("YYYY-MM-DD")},
        unitOption(),
        {QStringLiteral("output"), CommandText::tr("The PDF file to write."),
         CommandText::tr("file")},
    });
    if (const int status = options.parse(arguments, out, err); status >= 0)
        return status;
    ReportRequest request;
    QString output;
    if (const QString problem = readOptions(options.parser(), request, output); !problem.isEmpty())
        return options.fail(problem, err);
    // Before any work: the file named may be the diary itself.
    if (const QString refused = OutputFile::refusal(output); !refused.isEmpty()) {
        err << CommandText::tr("mellidor report: cannot write %1: %2").arg(output, refused) << '\n';
        return 1;
    }
    const Settings settings = SettingsFile::read(DiaryFolder::path(DiaryFolder::File::Settings));
    request.lowerLimit = settings.lowerLimit;
    request.upperLimit = settings.upperLimit;

    Diary diary;
    const DiaryFile::LoadResult loaded =
        DiaryFile::load(DiaryFolder::path(DiaryFolder::File::Diary), diary);
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << CommandText::tr("mellidor report: cannot read %1: %2")
                   .arg(DiaryFolder::path(DiaryFolder::File::Diary), loaded.error)
            << '\n';
        err.flush();
        return 1;
    }
    if (loaded.status == DiaryFile::LoadResult::Missing)
        err << CommandText::tr("mellidor report: no %1 here; the report has no entries")
                   .arg(DiaryFolder::path(DiaryFolder::File::Diary))
            << '\n';

    const ReportData data = collectReportData(diary, request);
    QString error;
    int pages = 0;
    if (!Report::writePdf(output, data, &error, &pages)) {
        err << CommandText::tr("mellidor report: cannot write %1: %2").arg(output, error) << '\n';
        err.flush();
        return 1;
    }
    out << (pages == 1 ? CommandText::tr("Wrote %1 (%2 page)")
                       : CommandText::tr("Wrote %1 (%2 pages)"))
               .arg(output)
               .arg(pages)
        << '\n';
    out.flush();
    err.flush();
    return 0;
}
