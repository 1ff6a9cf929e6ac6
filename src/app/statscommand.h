// SPDX-License-Identifier: GPL-3.0-or-later
// `mellidor stats`: the glucose figures of a period of the working
// directory's diary, as aligned lines for people or as one JSON object.
#ifndef STATSCOMMAND_H
#define STATSCOMMAND_H

#include <QStringList>
#include <QTextStream>

// arguments are those after the word "stats". Returns the exit status: 0,
// also for a period without readings; 1 for a diary that cannot be read;
// 2 for bad options.
int runStatsCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

#endif
