// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a JSON export: an array of objects, or an object holding
// one. The data is checked in one pass and each record is then read in place,
// so no document of a large file is built. A file cut off inside a record
// still gives the records before it.
#ifndef JSONRECORDS_H
#define JSONRECORDS_H

#include "import/jsonview.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

struct JsonRecords
{
    QByteArrayView data;
    // Where each whole record starts and ends in the data, and the line
    // (from 1) it starts on.
    std::vector<qsizetype> starts, ends, lines;
    // Where the last whole record ends in a cut file, -1 when whole, and
    // the line after it.
    qsizetype cutAt = -1, cutLine = 0;
    // Why the data is no readable JSON; empty when it is.
    QString error;

    qsizetype size() const { return qsizetype(starts.size()); }
    JsonView at(qsizetype i) const;
    qsizetype startOf(qsizetype i) const { return starts[size_t(i)]; }
    qsizetype lineOf(qsizetype i) const { return lines[size_t(i)]; }
};

JsonRecords readJsonRecords(QByteArrayView data);

#endif
