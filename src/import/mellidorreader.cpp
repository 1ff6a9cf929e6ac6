// SPDX-License-Identifier: GPL-3.0-or-later
// Mellidor's own files: its CSV export and another diary in its line
// format. Entries whose date, time and value can be read come in with their
// texts as they are; the other rows are counted as not read.
#include "core/csvexport.h"
#include "core/diary.h"
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

namespace {

// A dose with a fraction of at most two decimals ("2.35", " 2.5", ".5"), as
// the diary reads it. More decimals, a sign, a fraction on another type or
// one of nothing ("2.0", which the export would not take) make no readable
// value.
bool readableDose(int type, const QByteArray &text, qint32 &hundredths)
{
    if (type < 0 || !takesFraction(type) || !text.contains('.') ||
        !parseDecimal(QString::fromUtf8(text), hundredths) || hundredths < 0 ||
        hundredths % 100 == 0)
        return false;
    const QByteArray body = text.trimmed();
    return body.size() - body.indexOf('.') <= 3 && (isDigit(body[0]) || body[0] == '.');
}

// The value as the dialogs write it, or the text itself where it cannot be
// read.
QByteArray valueAsWritten(int type, const QByteArray &text)
{
    qint32 hundredths = 0;
    if (readableDose(type, text, hundredths)) {
        char buffer[32];
        return QByteArray(buffer, writeFraction(buffer, hundredths));
    }
    return readableValue(text) ? formatValue(parseValue(QString::fromUtf8(text))).toUtf8() : text;
}

// Entries whose texts are exactly what the dialogs write are kept as values;
// other readable texts are kept as written. Rows whose date, time or value
// cannot be read are not entries.
void addEntry(EntrySink &sink, qsizetype line, EntryTexts texts)
{
    // The value ends the line, and a carriage return there is dropped when
    // the diary is read again.
    QByteArray &valueText = texts[Diary::ValueColumn];
    while (valueText.endsWith('\r'))
        valueText.chop(1);
    const QString dateText = QString::fromUtf8(texts[Diary::DateColumn]);
    const QString timeText = QString::fromUtf8(texts[Diary::TimeColumn]);
    const QDate date = parseDate(dateText);
    const QTime time = parseTime(timeText);
    if (!date.isValid() || date.year() < firstImportYear || date.year() > lastImportYear) {
        sink.unread(line, ImportText::tr("no readable date"));
        return;
    }
    if (!readableTime(texts[Diary::TimeColumn])) {
        sink.unread(line, ImportText::tr("no readable time"));
        return;
    }
    const int type =
        typeIndex(texts[Diary::TypeColumn].constData(), texts[Diary::TypeColumn].size());
    qint32 hundredths = 0;
    const bool fraction = readableDose(type, valueText, hundredths);
    if (!fraction && !readableValue(valueText)) {
        sink.unread(line, ImportText::tr("no readable value"));
        return;
    }
    if (type >= 0 && dateText == formatDate(date.day(), date.month(), date.year()) &&
        timeText == formatTime(time.hour(), time.minute()) &&
        valueText == valueAsWritten(type, valueText))
        sink.batch().add(date.toJulianDay(), time.hour() * 60 + time.minute(), type,
                         fraction ? hundredths : parseValue(QString::fromUtf8(valueText)),
                         ImportEntry::noInstant, fraction ? ImportEntry::Fraction : 0);
    else
        sink.batch().addTexts(texts);
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
    while (sink.nextRow(csv)) {
        const qsizetype line = csv.line();
        if (csv.fields().size() != 4) {
            sink.unread(line, ImportText::tr("not a date, time, type and value"));
            continue;
        }
        // A diary line ends at a line feed and splits at commas: a type
        // holding either cannot be stored.
        const QByteArrayView type = csv.field(2);
        if (type.contains(',') || type.contains('\n')) {
            sink.unread(line, ImportText::tr("a type with a comma or a line feed"));
            continue;
        }
        // Dates and times as the export writes them.
        const QDate date = QDate::fromString(QString::fromLatin1(csv.field(0)), Qt::ISODate);
        const QTime time = QTime::fromString(QString::fromLatin1(csv.field(1)), u"HH:mm");
        if (!date.isValid()) {
            sink.unread(line, ImportText::tr("no readable date"));
            continue;
        }
        if (!time.isValid()) {
            sink.unread(line, ImportText::tr("no readable time"));
            continue;
        }
        const QByteArray valueText = trimmed(csv.field(3)).toByteArray();
        addEntry(sink, line,
                 EntryTexts{formatDate(date.day(), date.month(), date.year()).toUtf8(),
                            formatTime(time.hour(), time.minute()).toUtf8(), type.toByteArray(),
                            valueAsWritten(typeIndex(type.data(), type.size()), valueText)});
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
            sink.unread(line, ImportText::tr("not a diary line"));
            continue;
        }
        texts[Diary::ValueColumn] = text.sliced(from).toByteArray();
        addEntry(sink, line, texts);
    }
    return true;
}
