// SPDX-License-Identifier: GPL-3.0-or-later
// `mellidor sync`: what is new on the Nightscout site, fetched into the
// working directory's diary as one change.
#ifndef SYNCCOMMAND_H
#define SYNCCOMMAND_H

#include <QStringList>
#include <QTextStream>

// arguments are those after the word "sync". Returns the exit status: 0,
// also when nothing was new; 1 the diary is open elsewhere or cannot be
// saved; 2 bad options; 3 the site cannot be reached or refused.
int runSyncCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

#endif
