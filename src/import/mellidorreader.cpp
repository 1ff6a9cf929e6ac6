// SPDX-License-Identifier: GPL-3.0-or-later
// Mellidor's own files: its CSV export and another diary in its line
// format. Their entries come in as they are, texts unchanged.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"

namespace {

// Entries whose texts are exactly what the dialogs write are kept as values;
// any other texts are kept as written.
void addEntry(ImportBatch &batch, const EntryTexts &texts)
{
    const QString dateText = QString::fromUtf8(texts[Diary::DateColumn]);
    const QString timeText = QString::fromUtf8(texts[Diary::TimeColumn]);
    const QDate date = parseDate(dateText);
    const QTime time = parseTime(timeText);
    const int type =
        typeIndex(texts[Diary::TypeColumn].constData(), texts[Diary::TypeColumn].size());
    const int value = parseValue(QString::fromUtf8(texts[Diary::ValueColumn]));
    if (date.isValid() && time.isValid() && type >= 0 &&
        dateText == formatDate(date.day(), date.month(), date.year()) &&
        timeText == formatTime(time.hour(), time.minute()) &&
        texts[Diary::ValueColumn] == formatValue(value).toUtf8())
        batch.add(date.toJulianDay(), time.hour() * 60 + time.minute(), type, value);
    else
        batch.addTexts(texts);
}

bool isDigits(QByteArrayView text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.isEmpty();
}

} // namespace

bool readMellidorCsv(QByteArrayView data, EntrySink &sink)
{
    CsvReader csv(data, ',');
    if (!csv.next() || csv.fields().size() != 4)
        return false;
    QByteArray header;
    for (size_t i = 0; i < 4; ++i)
        header += (i ? "," : "") + trimmed(csv.field(i)).toByteArray().toLower();
    if (header != csvExportHeader)
        return false;
    sink.setFormat(QStringLiteral("Mellidor CSV"));
    while (csv.next()) {
        if (!sink.progress(csv.position()))
            return true;
        if (csv.blank())
            continue;
        const QByteArrayView valueText = trimmed(csv.field(3));
        const bool negative = valueText.startsWith('-');
        if (!csv.complete() || csv.fields().size() != 4 ||
            !isDigits(negative ? valueText.sliced(1) : valueText) || valueText.size() > 10) {
            sink.unread(csv.line(), QStringLiteral("not a date, time, type and value"));
            continue;
        }
        // Dates and times as the export writes them; other texts were
        // stored that way and stay as they are.
        const QByteArray dateText = csv.field(0).toByteArray();
        const QByteArray timeText = csv.field(1).toByteArray();
        const QDate date = QDate::fromString(QString::fromLatin1(dateText), Qt::ISODate);
        const QTime time = QTime::fromString(QString::fromLatin1(timeText), u"HH:mm");
        const int value = valueText.toInt();
        EntryTexts texts{
            date.isValid() ? formatDate(date.day(), date.month(), date.year()).toUtf8() : dateText,
            time.isValid() ? formatTime(time.hour(), time.minute()).toUtf8() : timeText,
            csv.field(2).toByteArray(), formatValue(value).toUtf8()};
        addEntry(sink.batch(), texts);
    }
    return true;
}

bool readMellidorDiary(QByteArrayView data, EntrySink &sink)
{
    // Recognised by its first line: a date, a time and two more fields.
    const qsizetype firstEnd = data.indexOf('\n');
    const QByteArrayView first = data.first(firstEnd < 0 ? data.size() : firstEnd);
    if (first.count(',') < 3)
        return false;
    const QByteArrayView dateText = first.first(first.indexOf(','));
    const qsizetype timeStart = first.indexOf(',') + 1;
    const QByteArrayView timeText =
        first.sliced(timeStart, first.indexOf(',', timeStart) - timeStart);
    if (!parseDate(QString::fromUtf8(dateText)).isValid() ||
        !parseTime(QString::fromUtf8(timeText)).isValid() || !timeText.contains(':'))
        return false;
    sink.setFormat(QStringLiteral("Mellidor diary"));
    qsizetype start = 0, line = 0;
    while (start < data.size()) {
        ++line;
        qsizetype end = data.indexOf('\n', start);
        const qsizetype next = end < 0 ? data.size() : end + 1;
        if (end < 0)
            end = data.size();
        if (end > start && data[end - 1] == '\r')
            --end;
        const QByteArrayView text = data.sliced(start, end - start);
        start = next;
        if (!sink.progress(start))
            return true;
        if (text.isEmpty())
            continue;
        // The first three commas end the date, time and type, as the diary
        // splits its lines.
        EntryTexts texts;
        qsizetype from = 0;
        bool whole = true;
        for (int column = 0; column < 3 && whole; ++column) {
            const qsizetype comma = text.indexOf(',', from);
            whole = comma >= 0;
            if (whole)
                texts[size_t(column)] = text.sliced(from, comma - from).toByteArray();
            from = comma + 1;
        }
        if (!whole) {
            sink.unread(line, QStringLiteral("not a diary line"));
            continue;
        }
        texts[Diary::ValueColumn] = text.sliced(from).toByteArray();
        addEntry(sink.batch(), texts);
    }
    return true;
}
