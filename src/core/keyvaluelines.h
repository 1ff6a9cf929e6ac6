// SPDX-License-Identifier: GPL-3.0-or-later
// The small settings files of the folder are lines of key=value; a line
// without '=' is passed over, so a hand-edited file still reads.
#ifndef KEYVALUELINES_H
#define KEYVALUELINES_H

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Calls take(key, value) for each such line, both trimmed.
template <typename Take> void forEachKeyValue(const QByteArray &bytes, Take take)
{
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype at = line.indexOf('=');
        if (at >= 0)
            take(line.left(at).trimmed(), line.mid(at + 1).trimmed());
    }
}

// Appends key=value as a line of its own. A line break in the value would
// start another line, so it is left out.
inline void appendKeyValue(QByteArray &bytes, QByteArrayView key, QByteArrayView value)
{
    bytes += key;
    bytes += '=';
    for (const char c : value) {
        if (c != '\n' && c != '\r')
            bytes += c;
    }
    bytes += '\n';
}

#endif
