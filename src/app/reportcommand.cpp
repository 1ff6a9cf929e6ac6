// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/reportcommand.h"

#include "analysis/reportdata.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/settings.h"
#include "ui/reportrenderer.h"

#include <QCommandLineParser>

namespace {

constexpr char usage[] = "usage: mellidor report [--days N | --from YYYY-MM-DD --to YYYY-MM-DD] "
                         "[--unit mgdl|mmol] --output FILE.pdf";

constexpr int defaultDays = 14;

// Fills the request's period and unit, or says what is wrong.
QString readOptions(const QStringList &arguments, ReportRequest &request, QString &output)
{
    QCommandLineParser parser;
    const QCommandLineOption days(QStringLiteral("days"), {}, QStringLiteral("N"));
    const QCommandLineOption from(QStringLiteral("from"), {}, QStringLiteral("date"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("date"));
    const QCommandLineOption unit(QStringLiteral("unit"), {}, QStringLiteral("unit"));
    const QCommandLineOption file(QStringLiteral("output"), {}, QStringLiteral("file"));
    parser.addOptions({days, from, to, unit, file});
    if (!parser.parse(QStringList{QStringLiteral("mellidor report")} + arguments))
        return parser.errorText();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
    for (const QCommandLineOption &option : {days, from, to, unit, file}) {
        if (parser.values(option).size() > 1)
            return QStringLiteral("--%1 given more than once").arg(option.names().first());
    }
    output = parser.value(file);
    if (output.isEmpty())
        return QStringLiteral("--output FILE.pdf is required");

    const QDate today = Clock::today();
    if (parser.isSet(days) && (parser.isSet(from) || parser.isSet(to)))
        return QStringLiteral("give either --days or --from and --to");
    if (parser.isSet(from) != parser.isSet(to))
        return QStringLiteral("--from and --to go together");
    if (parser.isSet(from)) {
        request.from = QDate::fromString(parser.value(from), Qt::ISODate);
        request.to = QDate::fromString(parser.value(to), Qt::ISODate);
        if (!request.from.isValid() || !request.to.isValid())
            return QStringLiteral("dates are written YYYY-MM-DD and must exist");
        if (request.from > request.to)
            return QStringLiteral("--from comes after --to");
    } else {
        bool ok = true;
        const int n = parser.isSet(days) ? parser.value(days).toInt(&ok) : defaultDays;
        if (!ok || n < 1)
            return QStringLiteral("--days wants a whole number of at least 1");
        if (n > maxReportDays)
            return QStringLiteral("a report covers at most %1 days").arg(maxReportDays);
        request.to = today;
        request.from = today.addDays(1 - n);
    }
    if (request.from.daysTo(request.to) + 1 > maxReportDays)
        return QStringLiteral("a report covers at most %1 days").arg(maxReportDays);

    const QString unitText = parser.value(unit);
    if (unitText == QLatin1String("mmol"))
        request.unit = GlucoseUnit::MmolPerL;
    else if (unitText.isEmpty() || unitText == QLatin1String("mgdl"))
        request.unit = GlucoseUnit::MgPerDl;
    else
        return QStringLiteral("--unit is mgdl or mmol");
    request.madeOn = today;
    return {};
}

} // namespace

int runReportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    ReportRequest request;
    QString output;
    const QString problem = readOptions(arguments, request, output);
    if (!problem.isEmpty()) {
        err << "mellidor report: " << problem << '\n' << usage << '\n';
        err.flush();
        return 2;
    }
    const Settings settings = SettingsFile::read(QString::fromLatin1(SettingsFile::fileName));
    request.lowerLimit = settings.lowerLimit;
    request.upperLimit = settings.upperLimit;

    Diary diary;
    const DiaryFile::LoadResult loaded =
        DiaryFile::load(QString::fromLatin1(DiaryFile::fileName), diary);
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << "mellidor report: cannot read " << DiaryFile::fileName << ": " << loaded.error
            << '\n';
        err.flush();
        return 1;
    }
    if (loaded.status == DiaryFile::LoadResult::Missing)
        err << "mellidor report: no " << DiaryFile::fileName
            << " here; the report has no entries\n";

    const ReportData data = collectReportData(diary, request);
    QString error;
    int pages = 0;
    if (!Report::writePdf(output, data, &error, &pages)) {
        err << "mellidor report: cannot write " << output << ": " << error << '\n';
        err.flush();
        return 1;
    }
    out << "Wrote " << output << " (" << pages << (pages == 1 ? " page" : " pages") << ")\n";
    out.flush();
    err.flush();
    return 0;
}
