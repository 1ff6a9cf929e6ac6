// SPDX-License-Identifier: GPL-3.0-or-later
// The records a Nightscout site's API gives, read as an export of the same
// collection is read.
#ifndef NIGHTSCOUTPAGES_H
#define NIGHTSCOUTPAGES_H

#include "import/importfile.h"

#include <QByteArray>
#include <QString>

#include <vector>

enum class NightscoutCollection
{
    Entries,   // glucose readings: sgv and mbg records
    Treatments // boluses and carbs
};

// Pages of one collection, each a JSON array of records. A record's place
// among all of them stands for its line in messages. Nothing is left out
// when there are no records; a page that is no readable JSON refuses all.
ImportResult readNightscoutPages(NightscoutCollection collection,
                                 const std::vector<QByteArray> &pages, const QString &name);

#endif
