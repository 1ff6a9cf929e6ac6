// SPDX-License-Identifier: GPL-3.0-or-later
// The context of the texts of start-up and the commands.
#ifndef APPTEXT_H
#define APPTEXT_H

#include <QCoreApplication>

struct AppText
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

#endif
