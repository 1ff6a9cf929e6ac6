// SPDX-License-Identifier: GPL-3.0-or-later
// The context of the diary's texts for people: why a file cannot be read or
// written, and the names of the changes in the Undo and Redo items.
#ifndef CORETEXT_H
#define CORETEXT_H

#include <QCoreApplication>

struct DiaryText
{
    Q_DECLARE_TR_FUNCTIONS(Diary)
};

#endif
