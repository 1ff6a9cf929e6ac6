// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include "app/apptext.h"
#include "app/commandoptions.h"
#include "app/reportcommand.h"
#include "app/statscommand.h"
#include "app/synccommand.h"
#include "app/translation.h"
#include "app/version.h"

#include "core/csvexport.h"
#include "core/diarysession.h"
#include "core/outputfile.h"
#include "import/diaryimport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

struct Command
{
    const char *name;
    const char *description;
    bool needsGui; // draws with Qt Gui (fonts, PDF)
    // What it prints is only a summary of work done (and saved) by then.
    bool printsSummary;
    CommandFunction run;
};

// One line per command.
const Command commands[] = {
    {"import",
     QT_TRANSLATE_NOOP(
         "CommandLine",
         "Add the entries of export files (sensor, pump, Nightscout, Mellidor) to the diary"),
     false, true, runImportCommand},
    {"export", QT_TRANSLATE_NOOP("CommandLine", "Write the diary's entries as CSV"), false, false,
     runExportCommand},
    {"stats",
     QT_TRANSLATE_NOOP(
         "CommandLine",
         "Print the glucose statistics and the ambulatory glucose profile of a period"),
     false, false, runStatsCommand},
    {"report",
     QT_TRANSLATE_NOOP("CommandLine", "Write a PDF report of a period for the diabetes team"), true,
     false, runReportCommand},
    {"sync",
     QT_TRANSLATE_NOOP("CommandLine", "Fetch what is new on the Nightscout site into the diary"),
     false, true, runSyncCommand},
};

const Command *findCommand(const QString &name)
{
    for (const Command &command : commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

// The top-level options; commands follow as positional arguments.
struct TopLevel
{
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            AppText::tr("Show this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               AppText::tr("Show the version.")};
    QCommandLineOption directory{{QStringLiteral("C"), QStringLiteral("directory")},
                                 AppText::tr("Use the diary in <dir> instead of the working "
                                             "directory; file names are relative to it."),
                                 AppText::tr("dir")};

    TopLevel()
    {
        parser.setApplicationDescription(AppText::tr(
            "Mellidor, a personal diabetes diary. Without arguments it opens its window."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(directory);
        parser.addPositionalArgument(QStringLiteral("command"),
                                     AppText::tr("The command to run (see below)."),
                                     AppText::tr("[command [arguments...]]"));
        parser.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    }

    QString helpText() const
    {
        QString text = helpWithUsage(
            parser, AppText::tr("Usage: mellidor [options] [command [arguments...]]"));
        text += AppText::tr("\nCommands:\n");
        for (const Command &command : commands)
            text += QStringLiteral("  %1  %2\n")
                        .arg(QString::fromLatin1(command.name).leftJustified(8),
                             AppText::tr(command.description));
        text += AppText::tr("\nRun \"mellidor COMMAND --help\" for a command's options.\n");
        return text;
    }
};

QtMessageHandler defaultMessageHandler = nullptr;

// Qt warns when XDG_RUNTIME_DIR is unset (cron, ssh, a container); the
// commands keep nothing there, so the warning would only puzzle.
void commandMessageHandler(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (defaultMessageHandler)
        defaultMessageHandler(type, context, message);
}

} // namespace

void CommandLineHost::showError(const QString &, const QString &text)
{
    m_err << text << '\n';
}

bool openDiary(DiarySession &session, QTextStream &err, DocumentHost *host)
{
    const DiaryFile::LoadResult loaded = session.open(nullptr, host);
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << AppText::tr("The diary \"%1\" cannot be read: %2\n")
                   .arg(DiarySession::shownPath(), loaded.error);
        return false;
    }
    return true;
}

bool lockDiary(DiarySession &session, QTextStream &err)
{
    switch (session.lock()) {
    case DiaryLock::Locked:
        return true;
    case DiaryLock::HeldByOther:
        err << AppText::tr("The diary \"%1\" is open in another Mellidor%2; nothing was "
                           "changed.\n")
                   .arg(DiarySession::shownPath(), session.lockHolder());
        return false;
    case DiaryLock::CannotLock:
        err << AppText::tr("The diary \"%1\" cannot be locked (%2); nothing was changed.\n")
                   .arg(DiarySession::shownPath(), session.diaryLock().errorText());
        return false;
    }
    return false;
}

bool isCommandLine(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return false;
    // A word that is no option is a command, also a mistyped one: "mellidor
    // stat" says so instead of opening the window. Options are Qt's.
    const QString &first = arguments.at(1);
    return !first.startsWith(u'-') || first == u"-h" || first == u"--help" || first == u"-v" ||
           first == u"--version" || first == u"-C" || first.startsWith(u"--directory");
}

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    TopLevel top;
    if (!top.parser.parse(arguments)) {
        err << "mellidor: " << top.parser.errorText() << '\n';
        return CommandInputFailed;
    }
    if (top.parser.isSet(top.help)) {
        out << top.helpText();
        return CommandOk;
    }
    if (top.parser.isSet(top.version)) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        return CommandOk;
    }
    QStringList rest = top.parser.positionalArguments();
    const Command *command = rest.isEmpty() ? nullptr : findCommand(rest.first());
    if (!command) {
        err << (rest.isEmpty()
                    ? AppText::tr("mellidor: no command given.\n")
                    : AppText::tr("mellidor: unknown command \"%1\".\n").arg(rest.first()))
            << top.helpText();
        return CommandInputFailed;
    }
    rest.removeFirst();
    const QString previous = QDir::currentPath();
    if (top.parser.isSet(top.directory)) {
        const QString dir = top.parser.value(top.directory);
        if (!QFileInfo(dir).isDir() || !QDir::setCurrent(dir)) {
            err << AppText::tr("mellidor: \"%1\" is not a folder that can be used.\n").arg(dir);
            return CommandDiaryFailed;
        }
    }
    const int status = command->run(rest, out, err);
    out.flush();
    err.flush();
    QDir::setCurrent(previous);
    return status;
}

namespace {

// A command started with a standard stream closed would hand that number
// to the next file it opens, the diary's lock among them, and print into
// it. A closed stream gets a stand-in: for standard output one that refuses
// every write, so the loss shows as on a full disk.
void standInForClosedStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int standIn = ::open(fd == 1 ? "/dev/full" : "/dev/null", O_RDWR);
        if (standIn >= 0 && standIn != fd) {
            ::dup2(standIn, fd);
            ::close(standIn);
        }
    }
}

} // namespace

int commandLineMain(int argc, char **argv)
{
    standInForClosedStreams();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // The command word follows the options, which may carry values (-C dir).
    const Command *command = nullptr;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == u"-C") {
            ++i;
        } else if (!arguments[i].startsWith(u'-')) {
            command = findCommand(arguments[i]);
            break;
        }
    }
    const bool needsGui = command && command->needsGui;
    defaultMessageHandler = qInstallMessageHandler(commandMessageHandler);
    // Qt takes its own options (-platform, -style) from argv; the commands'
    // arguments are no business of Qt's.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (needsGui) {
        // Commands never use a display, whatever the environment names: a
        // report from cron or ssh must not abort for want of one.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qunsetenv("QT_QPA_PLATFORMTHEME");
        app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Mellidor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MELLIDOR_VERSION));
    installTranslations();
    QFile stdoutFile, stderrFile;
    stdoutFile.open(stdout, QIODevice::WriteOnly);
    stderrFile.open(stderr, QIODevice::WriteOnly);
    QTextStream out(&stdoutFile), err(&stderrFile);
    const int status = runCommandLine(arguments, out, err);
    out.flush();
    if (out.status() != QTextStream::Ok || !stdoutFile.flush()) {
        // Work saved stays a success, even when telling of it fails.
        if (status == CommandOk && command && command->printsSummary) {
            err << AppText::tr("mellidor: the summary cannot be written to standard output; "
                               "the work itself is done and saved.")
                << '\n';
            return CommandOk;
        }
        err << AppText::tr("mellidor: the output cannot be written.") << '\n';
        return CommandDiaryFailed;
    }
    return status;
}

int runImportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("import"), QStringLiteral("FILE..."),
        AppText::tr(
            "Adds the entries of the files to the diary as one change. Entries already in the "
            "diary are not added again. Nothing is added unless every file can be read.\n"
            "Formats, told from the content: %1.\n"
            "Exit status: 0 done, 1 the diary is open elsewhere or cannot be saved, 2 a file "
            "cannot be read or bad options.")
            .arg(knownImportFormats()));
    QCommandLineParser &parser = options.parser();
    parser.addPositionalArgument(AppText::tr("files"), AppText::tr("Export files to import."),
                                 QStringLiteral("FILE..."));
    if (const int status = options.parse(arguments, out, err); status >= 0)
        return status;
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return options.fail(AppText::tr("no file given."), err);

    DiarySession session;
    if (!lockDiary(session, err))
        return CommandDiaryFailed;

    // The files are read while the diary loads: neither waits for the other.
    std::vector<ImportResult> results(size_t(files.size()));
    const auto readFiles = [&files, &results] {
        for (qsizetype i = 0; i < files.size(); ++i)
            results[size_t(i)] = readImportFile(files[i]);
    };
    std::thread reader;
    try {
        reader = std::thread(readFiles);
    } catch (const std::system_error &) {
        readFiles();
    }
    // One step, as in the window: another program (a sync tool) that
    // changes the diary meanwhile gets the import merged into what it wrote.
    CommandLineHost host(err);
    const DiaryFile::LoadResult loaded = session.open(nullptr, &host);
    if (reader.joinable())
        reader.join();
    if (const QStringList refused = importRefusals(results); !refused.isEmpty()) {
        for (const QString &error : refused)
            err << error << '\n';
        err << AppText::tr("Nothing was imported.") << '\n';
        return CommandInputFailed;
    }
    if (loaded.status == DiaryFile::LoadResult::Failed) {
        err << AppText::tr("The diary \"%1\" cannot be read: %2\n")
                   .arg(DiarySession::shownPath(), loaded.error);
        return CommandDiaryFailed;
    }
    QStringList names;
    for (const QString &file : files)
        names << QFileInfo(file).fileName();
    const ImportOutcome outcome = importIntoSession(session, std::move(results), names);
    if (!outcome.saveError.isEmpty()) {
        err << AppText::tr("The diary \"%1\" cannot be saved: %2 Nothing was imported.\n")
                   .arg(DiarySession::shownPath(), outcome.saveError);
        return CommandDiaryFailed;
    }
    for (const QString &summary : outcome.summaries)
        out << summary << '\n';
    return CommandOk;
}

int runExportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    CommandOptions options(
        QStringLiteral("export"), QStringLiteral("[--from YYYY-MM-DD] [--to YYYY-MM-DD] [-o FILE]"),
        AppText::tr("Writes the diary as CSV (date,time,type,value), oldest entry first, "
                    "glucose in mg/dL whatever unit the window shows. A file given is replaced "
                    "only once all of it is written; it cannot be the "
                    "diary, its settings or its lock, nor anything but a regular file.\n"
                    "Exit status: 0 done, 1 the diary cannot be read or the file cannot be "
                    "written, 2 bad options."));
    QCommandLineParser &parser = options.parser();
    const PeriodRule rule{false, true};
    addPeriodOptions(parser, rule);
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    AppText::tr("Write to <file> instead of standard output."),
                                    AppText::tr("file"));
    parser.addOption(output);
    if (const int status = options.parseOptionsOnly(arguments, out, err); status >= 0)
        return status;
    QString problem;
    const std::optional<OptionPeriod> period = parsePeriodOptions(parser, rule, &problem);
    if (!period)
        return options.fail(problem, err);
    DiarySession session;
    if (!openDiary(session, err))
        return CommandDiaryFailed;
    qsizetype skipped = 0;
    const QByteArray csv = exportCsv(session.diary(), period->from, period->to, &skipped);
    if (skipped > 0)
        err << notExportedText(skipped) << '\n';
    if (!parser.isSet(output)) {
        out << csv;
        out.flush();
        return out.status() == QTextStream::Ok ? CommandOk : CommandDiaryFailed;
    }
    QString error;
    if (!OutputFile::write(parser.value(output), csv, &error)) {
        err << AppText::tr("mellidor export: \"%1\" cannot be written: %2\n")
                   .arg(parser.value(output), error);
        return CommandDiaryFailed;
    }
    return CommandOk;
}
