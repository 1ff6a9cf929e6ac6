// SPDX-License-Identifier: GPL-3.0-or-later
#include "syntheticdiary.h"

#include "core/entrytext.h"

#include <QList>

#include <algorithm>

namespace {

QByteArray line(const QDateTime &when, const char *type, const QString &value)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return (formatDate(d.day(), d.month(), d.year()) + u',' + formatTime(t.hour(), t.minute()) +
            u',' + QLatin1String(type) + u',' + value + u'\n')
        .toLatin1();
}

QByteArray line(const QDateTime &when, const char *type, int value)
{
    return line(when, type, formatValue(value));
}

} // namespace

QByteArray syntheticDiary(qsizetype entries, const QDateTime &end, bool fractionalDoses)
{
    // Walk back from the end, then reverse: the file is oldest first.
    QList<QByteArray> lines;
    lines.reserve(entries);
    QDateTime when = end.addSecs(-(end.time().minute() % 5) * 60 - end.time().second());
    quint32 noise = 12345;
    while (lines.size() < entries) {
        noise = noise * 1103515245u + 12345u;
        const int value = 70 + int((noise >> 16) % 150);
        const QTime t = when.time();
        if (lines.size() % 9973 == 17)
            lines << QByteArray("05.12.2020,7:05,Glucose,112\n"); // zero-padded, hand-typed
        else if (lines.size() % 15013 == 5)
            lines << QByteArray("note: new sensor\n");
        else
            lines << line(when, "Glucose", value);
        if (t.minute() == 30 && (t.hour() == 7 || t.hour() == 12 || t.hour() == 18)) {
            const int units = 4 + int(noise % 8);
            if (fractionalDoses && noise % 2)
                lines << line(when, "Bolus", formatDose(units * 100 + 25 + 25 * int(noise % 3)));
            else
                lines << line(when, "Bolus", units);
            lines << line(when, "Carbs", 30 + int(noise % 60));
        }
        when = when.addSecs(-300);
    }
    lines.resize(entries);
    std::reverse(lines.begin(), lines.end());
    QByteArray bytes;
    bytes.reserve(entries * 31);
    for (const QByteArray &l : lines)
        bytes += l;
    return bytes;
}
