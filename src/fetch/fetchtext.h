// SPDX-License-Identifier: GPL-3.0-or-later
// The context of the fetch's texts for people: why a site cannot be asked
// or what went wrong on the way.
#ifndef FETCHTEXT_H
#define FETCHTEXT_H

#include <QCoreApplication>

struct FetchText
{
    Q_DECLARE_TR_FUNCTIONS(Fetch)
};

#endif
