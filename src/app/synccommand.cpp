// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/synccommand.h"

#include "app/apptext.h"
#include "app/commandline.h"
#include "app/commandoptions.h"
#include "core/clock.h"
#include "core/diarysession.h"
#include "core/regularfile.h"
#include "fetch/nightscoutapi.h"
#include "fetch/nightscoutfetch.h"
#include "fetch/nightscoutimport.h"

#include <QCommandLineParser>
#include <QFile>

#include <fcntl.h>

namespace {

// The environment variable that may hold the API secret.
constexpr char secretVariable[] = "MELLIDOR_NIGHTSCOUT_SECRET";

// The SHA-1 of the secret on the first line of the file at path, or empty
// with error saying why there is none.
QString secretHashFromFile(const QString &path, QString *error)
{
    const int fd = RegularFile::open(path, O_RDONLY, error);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = AppText::tr("the API secret file \"%1\" cannot be read: %2").arg(path, *error);
        return QString();
    }
    const QByteArray line = file.readLine(4096);
    if (line.trimmed().isEmpty())
        *error =
            AppText::tr("the API secret file \"%1\" holds no secret on its first line").arg(path);
    return error->isEmpty() ? NightscoutFile::secretHash(line) : QString();
}

} // namespace

int runSyncCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("sync"),
        QStringLiteral("[--url URL] [--token TOKEN | --api-secret-file FILE] [--from YYYY-MM-DD]"),
        AppText::tr("Fetches the glucose entries and treatments that are new on the Nightscout "
                    "site into the diary as one change; entries already in the diary, fetched "
                    "or imported, are not added again. Without --url it asks the site set up in "
                    "the window (Setup > Nightscout) and goes on from the newest record the last "
                    "fetch brought. The API secret is read from a file or from the environment "
                    "variable %1, never from the command line, and only its SHA-1 is sent.\n"
                    "Exit status: 0 done (also when nothing was new), 1 the diary is open "
                    "elsewhere or cannot be saved, 2 bad options, 3 the site cannot be reached "
                    "or refused.")
            .arg(QLatin1String(secretVariable)));
    QCommandLineParser &parser = options.parser();
    const QCommandLineOption url(QStringLiteral("url"),
                                 AppText::tr("The site's address; without it the stored site."),
                                 QStringLiteral("URL"));
    const QCommandLineOption token(QStringLiteral("token"),
                                   AppText::tr("An access token of the site."),
                                   QStringLiteral("TOKEN"));
    const QCommandLineOption secretFile(
        QStringLiteral("api-secret-file"),
        AppText::tr("A file whose first line is the site's API secret."), QStringLiteral("FILE"));
    const QCommandLineOption from(
        QStringLiteral("from"), AppText::tr("Fetch from this day on, whatever was fetched before."),
        QStringLiteral("YYYY-MM-DD"));
    parser.addOptions({url, token, secretFile, from});
    if (const int status = options.parseOptionsOnly(arguments, out, err); status >= 0)
        return status;
    if (const int status = options.refuseRepeats({url, token, secretFile, from}, err); status >= 0)
        return status;
    if (parser.isSet(token) && parser.isSet(secretFile))
        return options.fail(AppText::tr("--token and --api-secret-file exclude each other"), err);
    QString problem;
    const std::optional<QDate> firstDay = dateOption(parser, from.names().constFirst(), &problem);
    if (!firstDay)
        return options.fail(problem, err);
    if (*firstDay > Clock::today())
        return options.fail(AppText::tr("--from is after today"), err);
    QString secretHash;
    if (parser.isSet(secretFile)) {
        secretHash = secretHashFromFile(parser.value(secretFile), &problem);
        if (secretHash.isEmpty())
            return options.fail(problem, err);
    } else if (!parser.isSet(token) && !qEnvironmentVariableIsEmpty(secretVariable)) {
        secretHash = NightscoutFile::secretHash(qgetenv(secretVariable));
    }

    DiarySession session;
    if (!lockDiary(session, err))
        return CommandDiaryFailed;
    CommandLineHost host(err);
    if (!openDiary(session, err, &host))
        return CommandDiaryFailed;
    // The stored token or secret goes to the stored site only.
    NightscoutSettings site = session.nightscout();
    if (parser.isSet(url) && !site.isSite(parser.value(url)))
        site = NightscoutSettings{parser.value(url), {}, {}, {}, false, site.firstDaysBack};
    if (site.url.trimmed().isEmpty())
        return options.fail(AppText::tr("no Nightscout site is set up: give --url, or set one up "
                                        "in the window (Setup > Nightscout)"),
                            err);
    if (const QString refused = addressRefusal(nightscoutSiteUrl(site.url)); !refused.isEmpty())
        return options.fail(refused, err);
    if (parser.isSet(token) || !secretHash.isEmpty()) {
        site.token = parser.value(token);
        site.secretHash = secretHash;
    }
    if (firstDay->isValid())
        site.marks = NightscoutMarks();

    NightscoutOutcome fetched =
        NightscoutFetch::run(site, firstDay->isValid() ? *firstDay : site.firstDay());
    if (!fetched.error.isEmpty()) {
        err << AppText::tr("mellidor sync: %1 Nothing was added.").arg(fetched.error) << '\n';
        return CommandSiteFailed;
    }
    const NightscoutImport done =
        importNightscout(session, site, std::move(fetched.results), fetched.marks);
    if (!done.outcome.saveError.isEmpty()) {
        err << AppText::tr("The diary \"%1\" cannot be saved: %2 Nothing was added.\n")
                   .arg(DiarySession::shownPath(), done.outcome.saveError);
        return CommandDiaryFailed;
    }
    if (done.outcome.added == 0)
        out << AppText::tr("Nothing new") << '\n';
    else
        out << done.outcome.summaries.join(u'\n') << '\n';
    if (!done.marksError.isEmpty())
        err << AppText::tr("mellidor sync: where this fetch ended cannot be stored (%1); the "
                           "next one asks for the same records again and skips them.")
                   .arg(done.marksError)
            << '\n';
    return CommandOk;
}
