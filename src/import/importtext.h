// SPDX-License-Identifier: GPL-3.0-or-later
// The context of the import's texts for people: refusals, reasons for rows
// not read and the summaries.
#ifndef IMPORTTEXT_H
#define IMPORTTEXT_H

#include <QCoreApplication>

struct ImportText
{
    Q_DECLARE_TR_FUNCTIONS(Import)
};

#endif
