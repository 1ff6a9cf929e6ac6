// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a JSON export: an array of objects, or an object holding
// one. The data is checked in one pass that keeps four bytes per record,
// and the records are then read in place, so no document of a large file
// is built. A file cut off inside a record still gives the records before
// it.
#ifndef JSONRECORDS_H
#define JSONRECORDS_H

#include "import/jsonview.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

struct JsonRecords
{
    QByteArrayView data;
    // The array that holds the records: where its '[' is and the line (from
    // 1) it is on; -1 when the data holds none.
    qsizetype arrayStart = -1, arrayLine = 0;
    // Where each record starts, and where the array's closing bracket is.
    std::vector<quint32> starts;
    qsizetype close = -1;
    // Where the last whole record ends in a cut file, -1 when whole, and
    // the line after it.
    qsizetype cutAt = -1, cutLine = 0;
    // Why the data is no readable JSON; empty when it is.
    QString error;
};

JsonRecords readJsonRecords(QByteArrayView data);

// Steps through the records in file order.
class JsonRecordCursor
{
public:
    explicit JsonRecordCursor(const JsonRecords &records);
    // Moves to the next record; false after the last.
    bool next();
    JsonView record() const { return JsonView(m_records.data.sliced(m_start, m_end - m_start)); }
    // Where the record starts in the data, and the line (from 1) it is on.
    qsizetype start() const { return m_start; }
    qsizetype line() const { return m_line; }

private:
    const JsonRecords &m_records;
    size_t m_index = 0; // of the next record
    qsizetype m_start, m_end = 0, m_line;
};

#endif
