// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/csvexport.h"

#include "core/diary.h"
#include "core/entrytext.h"

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

QByteArray exportCsv(const Diary &diary, const QDate &from, const QDate &to)
{
    const bool ranged = from.isValid() || to.isValid();
    const qint64 first = from.isValid() ? from.toJulianDay() : INT64_MIN;
    const qint64 last = to.isValid() ? to.toJulianDay() : INT64_MAX;

    // Oldest first. Entries of the same minute keep their top-down order,
    // which is the order that importing the file again rebuilds.
    std::vector<int> rows;
    rows.reserve(size_t(diary.rowCount()));
    diary.forEachEntry([&](int row, qint64 julianDay, int, int, int) {
        if (julianDay == INT64_MIN ? !ranged : (julianDay >= first && julianDay <= last))
            rows.push_back(row);
    });
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
        out += date.isValid() ? QByteArray::number(date.year()).rightJustified(4, '0') + '-' +
                                    QByteArray::number(date.month()).rightJustified(2, '0') + '-' +
                                    QByteArray::number(date.day()).rightJustified(2, '0')
                              : csvField(diary.bytes(row, Diary::DateColumn));
        out += ',';
        out += time.isValid() ? time.toString(QStringLiteral("HH:mm")).toLatin1()
                              : csvField(diary.bytes(row, Diary::TimeColumn));
        out += ',';
        out += csvField(diary.bytes(row, Diary::TypeColumn));
        out += ',';
        out += diary.hasFraction(row) ? decimalText(diary.hundredths(row))
                                      : QByteArray::number(diary.value(row));
        out += '\n';
    }
    return out;
}
