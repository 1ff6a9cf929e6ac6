// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csvexport.h"

#include "core/coretext.h"

#include "core/diary.h"
#include "core/entrytext.h"

#include <QString>

#include <algorithm>
#include <numeric>
#include <vector>

QByteArray csvField(const QByteArray &text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

bool readableValue(const QByteArray &text)
{
    bool ok = false;
    QString::fromUtf8(text).toInt(&ok);
    return ok;
}

bool readableTime(const QByteArray &text)
{
    const QString time = QString::fromUtf8(text);
    QStringView rest = time;
    bool hourOk = false, minuteOk = false;
    const int hour = takePiece(rest, u':').toInt(&hourOk);
    const int minute = rest.toInt(&minuteOk);
    return hourOk && minuteOk && QTime::isValid(hour, minute, 0);
}

QByteArray exportCsv(const Diary &diary, const QDate &from, const QDate &to, qsizetype *skipped)
{
    const qint64 first = from.isValid() ? from.toJulianDay() : INT64_MIN;
    const qint64 last = to.isValid() ? to.toJulianDay() : INT64_MAX;
    const qint64 firstDay = QDate(1, 1, 1).toJulianDay(),
                 lastDay = QDate(9999, 12, 31).toJulianDay();

    // Oldest first. Entries of the same minute keep their top-down order,
    // which is the order that importing the file again rebuilds.
    std::vector<int> rows;
    rows.reserve(size_t(diary.rowCount()));
    qsizetype unreadable = 0;
    diary.forEachEntry([&](int row, qint64 julianDay, int minutes, int, int) {
        // An unreadable date may lie in any range; a readable one outside
        // the range is left out without counting.
        const bool dated = julianDay >= firstDay && julianDay <= lastDay;
        if (dated && (julianDay < first || julianDay > last))
            return;
        if (dated && minutes >= 0 && readableTime(diary.bytes(row, Diary::TimeColumn)) &&
            (diary.hasFraction(row) || readableValue(diary.bytes(row, Diary::ValueColumn))))
            rows.push_back(row);
        else
            ++unreadable;
    });
    if (skipped)
        *skipped = unreadable;
    std::reverse(rows.begin(), rows.end());
    std::vector<qint64> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys[i] = diary.dateTimeKey(rows[i]);
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });

    QByteArray out;
    out.reserve(qsizetype(rows.size()) * 32 + 32);
    out += csvExportHeader;
    out += '\n';
    for (size_t i : order) {
        const int row = rows[i];
        const QDate date = diary.date(row);
        const QTime time = diary.time(row);
        out += QByteArray::number(date.year()).rightJustified(4, '0') + '-' +
               QByteArray::number(date.month()).rightJustified(2, '0') + '-' +
               QByteArray::number(date.day()).rightJustified(2, '0');
        out += ',';
        out += time.toString(QStringLiteral("HH:mm")).toLatin1();
        out += ',';
        out += csvField(diary.bytes(row, Diary::TypeColumn));
        out += ',';
        out += diary.hasFraction(row) ? decimalText(diary.hundredths(row))
                                      : QByteArray::number(diary.value(row));
        out += '\n';
    }
    return out;
}

QString notExportedText(qsizetype skipped)
{
    return skipped == 1
               ? DiaryText::tr("1 entry without a readable date, time or value was not exported")
               : DiaryText::tr("%1 entries without a readable date, time or value were not "
                               "exported")
                     .arg(skipped);
}
