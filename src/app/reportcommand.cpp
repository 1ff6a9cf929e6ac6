// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reportcommand.h"

#include "analysis/reportdata.h"
#include "app/apptext.h"
#include "app/commandoptions.h"
#include "core/diaryfolder.h"
#include "core/diarysession.h"
#include "core/outputfile.h"
#include "ui/reportrenderer.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const PeriodRule periodRule{true, false, 14, maxReportDays};

} // namespace

int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("report"),
        QStringLiteral("[--days N | --from YYYY-MM-DD --to YYYY-MM-DD] [--unit mgdl|mmol] "
                       "[--targets SET] [--compare] --output FILE.pdf"),
        AppText::tr("Writes a PDF report of a period for the diabetes team: the figures, the "
                    "ambulatory glucose profile, a curve per day and a logbook. The file is "
                    "replaced only once all of it is written; it cannot be the diary, its "
                    "settings or its lock, nor anything but a regular file.\n"
                    "Exit status: 0 written, 1 the diary cannot be read or the file cannot be "
                    "written, 2 bad options."));
    QCommandLineParser &parser = options.parser();
    addPeriodOptions(parser, periodRule);
    const QCommandLineOption file(QStringLiteral("output"), AppText::tr("The PDF file to write."),
                                  AppText::tr("file"));
    const QCommandLineOption compare = compareOption();
    parser.addOptions({unitOption(), targetsOption(), compare, file});
    if (const int status = options.parseOptionsOnly(arguments, out, err); status >= 0)
        return status;
    QString problem;
    const std::optional<OptionPeriod> period = parsePeriodOptions(parser, periodRule, &problem);
    if (!period)
        return options.fail(problem, err);
    const QString output = parser.value(file);
    if (const int status = options.refuseRepeats({file}, err); status >= 0)
        return status;
    if (output.isEmpty())
        return options.fail(AppText::tr("--output FILE.pdf is required"), err);
    if (!optionUnit(parser, GlucoseUnit::MgPerDl))
        return options.fail(AppText::tr("--unit is mgdl or mmol"), err);
    if (!optionTargets(parser, TargetSet::Standard))
        return options.fail(badTargetsText(), err);
    // Before any work: the file named may be the diary itself.
    if (const QString refused = OutputFile::refusal(output); !refused.isEmpty()) {
        err << AppText::tr("mellidor report: cannot write %1: %2").arg(output, refused) << '\n';
        return 1;
    }
    DiarySession session;
    const DiaryFile::LoadResult loaded = session.open();
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << AppText::tr("mellidor report: cannot read %1: %2")
                   .arg(DiaryFolder::path(DiaryFolder::File::Diary), loaded.error)
            << '\n';
        err.flush();
        return 1;
    }
    if (loaded.status == DiaryFile::LoadResult::Missing)
        err << AppText::tr("mellidor report: no %1 here; the report has no entries")
                   .arg(DiaryFolder::path(DiaryFolder::File::Diary))
            << '\n';

    ReportRequest request;
    request.from = period->from;
    request.to = period->to;
    request.unit = *optionUnit(parser, session.preferences().glucoseUnit);
    request.targets = *optionTargets(parser, session.preferences().targets);
    request.compare = parser.isSet(compare);
    const std::optional<ReportData> data = reportOf(session, request, &problem);
    QString error;
    int pages = 0;
    if (!data || !Report::writePdf(output, *data, &error, &pages)) {
        err << AppText::tr("mellidor report: cannot write %1: %2")
                   .arg(output, data ? error : problem)
            << '\n';
        err.flush();
        return 1;
    }
    out << (pages == 1 ? AppText::tr("Wrote %1 (%2 page)") : AppText::tr("Wrote %1 (%2 pages)"))
               .arg(output)
               .arg(pages)
        << '\n';
    out.flush();
    err.flush();
    return 0;
}
