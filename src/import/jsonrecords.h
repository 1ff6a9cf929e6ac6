// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a JSON export: an array of objects, or an object holding
// one. A file cut off inside a record still gives the records before it.
#ifndef JSONRECORDS_H
#define JSONRECORDS_H

#include <QByteArrayView>
#include <QJsonArray>
#include <QString>

#include <vector>

struct JsonRecords
{
    QJsonArray array;
    // Where each record starts in the data, when they could be told.
    std::vector<qsizetype> starts;
    // Where the last whole record ends in a cut file; -1 when whole.
    qsizetype cutAt = -1;
    // Why the data is no readable JSON; empty when it is.
    QString error;

    // The line record i starts on, from 1; lines before it are counted from
    // the previous call, so asking in order reads the data once.
    qsizetype lineOf(QByteArrayView data, qsizetype i);
    qsizetype startOf(qsizetype i) const;
    // In a cut file, the line after the last whole record.
    qsizetype cutLine(QByteArrayView data);

private:
    qsizetype m_line = 1, m_counted = 0;
};

JsonRecords readJsonRecords(QByteArrayView data);

#endif
