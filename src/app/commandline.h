// SPDX-License-Identifier: GPL-3.0-or-later
// Mellidor's commands (mellidor import|export ...): they work on the diary
// in the working directory, or in the one -C names, without a window.
#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "core/diarydocument.h"

#include <QStringList>

class DiarySession;
class QTextStream;

// A command takes the arguments after its own word, with the working
// directory already switched by -C, and returns the exit status.
using CommandFunction = int (*)(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Exit statuses shared by the commands.
enum CommandStatus
{
    CommandOk = 0,
    CommandDiaryFailed = 1, // diary open in another Mellidor, unreadable or not saved
    CommandInputFailed = 2, // a file that cannot be read, or wrong arguments
    CommandSiteFailed = 3,  // a web site that cannot be reached or refused
};

// True when the arguments (with the program name first) ask for a command,
// --help or --version rather than the window.
bool isCommandLine(const QStringList &arguments);

// Creates the application object the command needs (Gui on the offscreen
// platform for commands that draw) and runs it on stdout and stderr.
int commandLineMain(int argc, char **argv);

// Runs a command line with the program name first; an application object
// must exist.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Nobody to ask: a save that fails ends the command.
class CommandLineHost : public DocumentHost
{
public:
    explicit CommandLineHost(QTextStream &err) : m_err(err) {}
    void showError(const QString &, const QString &text) override;
    bool retrySave(const QString &) override { return false; }

private:
    QTextStream &m_err;
};

// Opens the session's diary, or says why it cannot be read. Reading needs
// no lock: saves replace the file whole.
bool openDiary(DiarySession &session, QTextStream &err, DocumentHost *host = nullptr);
// Takes the session's lock for a command that changes the diary, or says
// why not.
bool lockDiary(DiarySession &session, QTextStream &err);

int runImportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);
int runExportCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

#endif
