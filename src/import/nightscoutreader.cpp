// SPDX-License-Identifier: GPL-3.0-or-later
// Nightscout: entries and treatments as JSON arrays, and the entries table
// (CSV or TSV) that its API gives. Times are instants, shown in the
// computer's time zone.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/jsonrecords.h"
#include "import/nightscoutpages.h"
#include "import/readers.h"

#include <QDateTime>

namespace {

// The first of the keys that holds a readable time.
bool timeOf(const JsonObjectView &object, std::initializer_list<const char *> keys,
            ReadingTime &when)
{
    for (const char *key : keys) {
        const JsonView value = object.value(key);
        if (value.isDouble() && readingTimeOfInstant(value.toDouble(), when))
            return true;
        if (value.isString() &&
            readingTimeOfDateTime(QDateTime::fromString(value.toString(), Qt::ISODateWithMs), when))
            return true;
    }
    return false;
}

bool numberOf(const JsonView &value, double &number)
{
    if (value.isDouble()) {
        number = value.toDouble();
        return true;
    }
    return value.isString() && parseNumber(value.toString().toUtf8(), number);
}

QString formatName(bool entries)
{
    return entries ? QStringLiteral("Nightscout entries JSON")
                   : QStringLiteral("Nightscout treatments JSON");
}

// The records of an entries or a treatments collection, false once
// cancelled. A record's line is counted in the file, or where recordsBefore
// is given, as its place among the records.
bool readRecords(const JsonRecords &records, bool entries, EntrySink &sink, qint64 bytesBefore,
                 qsizetype recordsBefore)
{
    JsonObjectView object;
    const int bolus = bolusType, carbs = carbsType;
    qsizetype index = 0;
    for (JsonRecordCursor record(records); record.next(); ++index) {
        const qsizetype line = recordsBefore < 0 ? record.line() : recordsBefore + index + 1;
        if (!sink.progress(bytesBefore + record.start()))
            return false;
        object.read(record.record());
        ReadingTime when;
        double value = 0;
        if (entries) {
            const QString type = object.value("type").toString();
            const bool meter = type == u"mbg" || (type.isEmpty() && object.contains("mbg"));
            if (!meter && type != u"sgv" && !(type.isEmpty() && object.contains("sgv"))) {
                sink.skip();
            } else if (!timeOf(object, {"date", "dateString"}, when)) {
                sink.unread(line, ImportText::tr("no readable time"));
            } else if (!numberOf(object.value(meter ? "mbg" : "sgv"), value)) {
                sink.unread(line, ImportText::tr("no glucose value"));
            } else if (value < 20) {
                sink.skip(); // the sensor's error codes
            } else {
                sink.glucose(when, value, false, line);
            }
            continue;
        }
        // Temporary basal rates are rates, not doses.
        double insulin = 0, grams = 0;
        const bool hasInsulin = numberOf(object.value("insulin"), insulin) && insulin > 0;
        const bool hasCarbs = numberOf(object.value("carbs"), grams) && grams > 0;
        if (object.value("eventType").toString() == u"Temp Basal" || (!hasInsulin && !hasCarbs)) {
            sink.skip();
        } else if (!timeOf(object, {"created_at", "timestamp", "date", "mills"}, when)) {
            sink.unread(line, ImportText::tr("no readable time"));
        } else {
            if (hasCarbs)
                sink.amount(when, carbs, grams, line);
            if (hasInsulin)
                sink.amount(when, bolus, insulin, line);
        }
    }
    return true;
}

} // namespace

bool looksLikeJson(QByteArrayView data)
{
    for (char c : data) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return c == '[' || c == '{';
    }
    return false;
}

bool readNightscoutJson(const JsonRecords &records, EntrySink &sink)
{
    if (!records.error.isEmpty()) {
        sink.refuse(ImportText::tr("is JSON that cannot be read: %1").arg(records.error));
        return true;
    }
    JsonObjectView object;
    bool entries = false, treatments = false;
    for (JsonRecordCursor record(records); !entries && record.next();) {
        object.read(record.record());
        entries = object.contains("sgv") || object.contains("mbg");
        treatments = treatments || object.contains("eventType") || object.contains("created_at");
    }
    if (!entries && !treatments)
        return false;
    sink.setFormat(formatName(entries));
    if (!readRecords(records, entries, sink, 0, -1))
        return true;
    if (records.cutAt >= 0)
        sink.unread(records.cutLine, ImportText::tr("the file ends inside this entry"));
    return true;
}

bool readNightscoutTable(QByteArrayView data, EntrySink &sink)
{
    const qsizetype lineEnd = data.indexOf('\n');
    const char separator =
        CsvReader::guessSeparator(data.first(lineEnd < 0 ? data.size() : lineEnd));
    CsvReader csv(data, separator);
    if (!csv.next())
        return false;
    // The API writes no header: date text, milliseconds, sgv, direction,
    // device. A header naming the columns is taken too.
    int dateColumn = 1, valueColumn = 2, typeColumn = -1;
    bool header = false;
    for (size_t i = 0; i < csv.fields().size(); ++i) {
        const QByteArray name = trimmed(csv.field(i)).toByteArray().toLower();
        if (name == "date")
            dateColumn = int(i), header = true;
        else if (name == "sgv")
            valueColumn = int(i);
        else if (name == "type")
            typeColumn = int(i);
    }
    double number;
    ReadingTime when;
    const QByteArrayView millis = trimmed(csv.field(1));
    if (!header &&
        (csv.fields().size() < 3 || !parseReadingTime(csv.field(0), when) || millis.size() < 10 ||
         !parseNumber(millis, number) || !parseNumber(csv.field(2), number)))
        return false;
    sink.setFormat(separator == '\t' ? QStringLiteral("Nightscout entries TSV")
                                     : QStringLiteral("Nightscout entries CSV"));
    // Without a header the first row is a reading.
    CsvReader rows(data, separator);
    if (header)
        rows.next();
    while (sink.nextRow(rows)) {
        const qsizetype line = rows.line();
        const QByteArray type = trimmed(rows.field(size_t(typeColumn))).toByteArray();
        double ms, value;
        if (typeColumn >= 0 && type != "sgv" && type != "mbg") {
            sink.skip();
        } else if (!parseNumber(rows.field(size_t(dateColumn)), ms) ||
                   !readingTimeOfInstant(ms, when)) {
            sink.unread(line, ImportText::tr("no readable time"));
        } else if (!parseNumber(rows.field(size_t(valueColumn)), value)) {
            sink.unread(line, ImportText::tr("no glucose value"));
        } else if (value < 20) {
            sink.skip();
        } else {
            sink.glucose(when, value, false, line);
        }
    }
    return true;
}

ImportResult readNightscoutPages(NightscoutCollection collection,
                                 const std::vector<QByteArray> &pages, const QString &name)
{
    ImportResult result;
    result.path = name;
    qint64 bytes = 0;
    for (const QByteArray &page : pages)
        bytes += page.size();
    const ImportProgress noProgress;
    EntrySink sink(result, noProgress, bytes);
    const bool entries = collection == NightscoutCollection::Entries;
    sink.setFormat(formatName(entries));
    qint64 bytesBefore = 0;
    qsizetype recordsBefore = 0;
    for (const QByteArray &page : pages) {
        const JsonRecords records = readJsonRecords(page);
        if (!records.error.isEmpty() || records.cutAt >= 0) {
            result.batch = ImportBatch();
            const QString why = records.error.isEmpty()
                                    ? ImportText::tr("the file ends inside this entry")
                                    : records.error;
            result.error =
                QStringLiteral("\"%1\" %2.")
                    .arg(name, ImportText::tr("is JSON that cannot be read: %1").arg(why));
            return result;
        }
        readRecords(records, entries, sink, bytesBefore, recordsBefore);
        bytesBefore += page.size();
        recordsBefore += qsizetype(records.starts.size());
    }
    sink.finish();
    return result;
}
