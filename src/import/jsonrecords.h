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
    // Where each whole record starts and ends in the data.
    std::vector<qsizetype> starts, ends;
    // Where the last whole record ends in a cut file; -1 when whole.
    qsizetype cutAt = -1;
    // Why the data is no readable JSON; empty when it is.
    QString error;

    qsizetype size() const { return qsizetype(starts.size()); }
    JsonView at(qsizetype i) const;
    qsizetype startOf(qsizetype i) const { return starts[size_t(i)]; }
    // The line record i starts on, from 1; lines before it are counted from
    // the previous call, so asking in order reads the data once.
    qsizetype lineOf(qsizetype i);
    // In a cut file, the line after the last whole record.
    qsizetype cutLine();

private:
    qsizetype m_line = 1, m_counted = 0;
};

JsonRecords readJsonRecords(QByteArrayView data);

#endif
