// SPDX-License-Identifier: GPL-3.0-or-later
// Tidepool: the JSON export (an array of records, or an object holding one)
// and the flat CSV export with one column per field, nested fields written
// as text. Each record has a type; readings, boluses, meals and injections
// give entries, everything else is counted by its type.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/jsonrecords.h"
#include "import/readers.h"

#include <QDate>
#include <QHash>
#include <QJsonDocument>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// A field as the file writes it: a JSON value read in place, or the text of
// a CSV cell. Absent when missing or empty.
class Field
{
public:
    Field() = default;
    explicit Field(JsonView json, const QByteArray &owner = QByteArray())
        : m_text(json.text()), m_json(true), m_owner(owner)
    {}
    static Field cell(QByteArrayView text)
    {
        Field field;
        field.m_text = text;
        return field;
    }

    bool isAbsent() const { return m_text.isEmpty() || (m_json && m_text == "null"); }
    bool isString() const { return m_json ? JsonView(m_text).isString() : !m_text.isEmpty(); }
    // A string's text, decoded into buffer only where it has escapes.
    QByteArrayView text(QByteArray &buffer) const
    {
        if (!m_json)
            return m_text;
        if (!isString() || m_text.sliced(1).contains('\\'))
            return buffer = JsonView(m_text).toString().toUtf8();
        const QByteArrayView inner = m_text.sliced(1, m_text.size() - 2);
        // A field that holds its own bytes may end before its text is read.
        if (!m_owner.isNull())
            return buffer = inner.toByteArray();
        return inner;
    }
    // A number, or a string that holds one.
    bool number(double &number) const
    {
        if (m_json && JsonView(m_text).isDouble()) {
            number = JsonView(m_text).toDouble();
            return true;
        }
        QByteArray buffer;
        return isString() && parseNumber(text(buffer), number);
    }

private:
    QByteArrayView m_text;
    bool m_json = false;
    QByteArray m_owner; // the nested text a CSV cell was parsed into
};

// A record's fields by name; nested ones by a dotted path.
class Fields
{
public:
    virtual ~Fields() = default;
    virtual Field value(QByteArrayView path) const = 0;
};

class JsonFields : public Fields
{
public:
    explicit JsonFields(const JsonObjectView &object) : m_object(object) {}
    Field value(QByteArrayView path) const override { return Field(m_object.walk(path)); }

private:
    const JsonObjectView &m_object;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Python's notation of a value, as JSON: strings in single or double quotes
// (holding the other quote, escapes as Python writes them), True, False and
// None. JSON is Python's notation already and stays as it is.
QByteArray jsonOfPython(QByteArrayView text)
{
    QByteArray json;
    json.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            json += '"';
            for (++i; i < text.size() && text[i] != c; ++i) {
                const char d = text[i];
                if (d == '\\' && i + 1 < text.size()) {
                    const char escaped = text[++i];
                    if (escaped == '\'') {
                        json += '\'';
                    } else if (escaped == 'x' && i + 2 < text.size()) {
                        json += "\\u00" + text.sliced(i + 1, 2).toByteArray();
                        i += 2;
                    } else {
                        json += '\\';
                        json += escaped;
                    }
                } else {
                    json += d == '"' ? QByteArrayView("\\\"") : QByteArrayView(&d, 1);
                }
            }
            json += '"';
        } else if (isLetter(c)) {
            qsizetype end = i;
            while (end < text.size() && isLetter(text[end]))
                ++end;
            QByteArrayView word = text.sliced(i, end - i);
            if (word == "True")
                word = "true";
            else if (word == "False")
                word = "false";
            else if (word == "None")
                word = "null";
            json += word;
            i = end - 1;
        } else {
            json += c;
        }
    }
    return json;
}

// A nested field the flat export wrote as text, as JSON; empty when it is
// no object.
QByteArray nestedOf(QByteArrayView text)
{
    const QByteArray json = jsonOfPython(text);
    return QJsonDocument::fromJson(json).isObject() ? json : QByteArray();
}

class CsvFields : public Fields
{
public:
    CsvFields(const QHash<QByteArray, int> &columns, const CsvReader &csv)
        : m_columns(columns), m_csv(csv)
    {}
    Field value(QByteArrayView path) const override
    {
        const int column = m_columns.value(path.toByteArray(), -1);
        if (column >= 0)
            return Field::cell(trimmed(m_csv.field(size_t(column))));
        // "nutrition.carbohydrate.net" from the column "nutrition".
        for (qsizetype dot = path.indexOf('.'); dot > 0; dot = path.indexOf('.', dot + 1)) {
            const int outer = m_columns.value(path.first(dot).toByteArray(), -1);
            if (outer < 0)
                continue;
            JsonObjectView object;
            const QByteArray nested = nestedOf(m_csv.field(size_t(outer)));
            object.read(JsonView(nested));
            return Field(object.walk(path.sliced(dot + 1)), nested);
        }
        return Field();
    }

private:
    const QHash<QByteArray, int> &m_columns;
    const CsvReader &m_csv;
};

// The decimals of the shortest text that gives the same double.
int decimalsOf(double value)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc() || std::find(text, end, 'e') != end)
        return 17;
    const char *point = std::find(text, end, '.');
    return point == end ? 0 : int(end - point - 1);
}

// A bolus's normal and extended parts as one dose, written with the decimals
// of its parts (0.1 + 0.2 is no dose of 0.30000000000000004).
double sumOf(double a, double b)
{
    const int decimals = std::max(decimalsOf(a), decimalsOf(b));
    if (decimals > 15)
        return a + b;
    const double scale = std::pow(10.0, decimals);
    return std::round((a + b) * scale) / scale;
}

// Further than any time zone: an offset beyond it is no offset.
constexpr int maxOffsetMinutes = 18 * 60;

// The clock the person lived by: the record's UTC time moved by its own
// offset. Not an instant of this computer's zone, so no clock change of
// this computer applies to it.
bool livedTime(QByteArrayView time, int offsetMinutes, ReadingTime &when)
{
    qint64 day;
    int minutes;
    ReadingTime parsed;
    if (time.endsWith('Z') && parseReadingTime(time, parsed) && parsed.yearFirst) {
        const QDate date(parsed.year, parsed.first, parsed.second);
        if (!date.isValid())
            return false;
        day = date.toJulianDay();
        minutes = parsed.minutes;
    } else {
        const QDateTime parsedTime =
            QDateTime::fromString(QString::fromUtf8(time), Qt::ISODateWithMs);
        if (parsedTime.timeSpec() == Qt::LocalTime || !parsedTime.isValid())
            return false; // no zone: not a UTC time
        const QDateTime utc = parsedTime.toUTC();
        day = utc.date().toJulianDay();
        minutes = utc.time().hour() * 60 + utc.time().minute();
    }
    // Whole days of the offset move the date, the rest the clock.
    constexpr int dayMinutes = 24 * 60;
    minutes += offsetMinutes;
    day += minutes < 0 ? -((dayMinutes - 1 - minutes) / dayMinutes) : minutes / dayMinutes;
    minutes = (minutes % dayMinutes + dayMinutes) % dayMinutes;
    const QDate d = QDate::fromJulianDay(day);
    if (!d.isValid() || d.year() < firstImportYear || d.year() > lastImportYear)
        return false;
    when = ReadingTime{d.year(), d.month(), d.day(), minutes, true, false};
    return true;
}

bool timeOf(const Fields &record, ReadingTime &when)
{
    QByteArray buffer, deviceBuffer;
    const QByteArrayView time = record.value("time").text(buffer);
    double offset;
    if (record.value("timezoneOffset").number(offset) && std::abs(offset) <= maxOffsetMinutes &&
        livedTime(time, int(std::lround(offset)), when))
        return true;
    const QByteArrayView deviceTime = record.value("deviceTime").text(deviceBuffer);
    if (!deviceTime.isEmpty() && parseReadingTime(deviceTime, when))
        return true;
    return readingTimeOfDateTime(QDateTime::fromString(QString::fromUtf8(time), Qt::ISODateWithMs),
                                 when);
}

struct SkippedType
{
    const char *type, *one, *many;
};

// The types that give no entry, as the summary names them.
constexpr SkippedType skippedTypes[] = {
    {"basal", QT_TRANSLATE_NOOP("Import", "basal record"),
     QT_TRANSLATE_NOOP("Import", "basal records")},
    {"upload", QT_TRANSLATE_NOOP("Import", "upload record"),
     QT_TRANSLATE_NOOP("Import", "upload records")},
    {"deviceEvent", QT_TRANSLATE_NOOP("Import", "device event"),
     QT_TRANSLATE_NOOP("Import", "device events")},
    {"pumpSettings", QT_TRANSLATE_NOOP("Import", "pump settings record"),
     QT_TRANSLATE_NOOP("Import", "pump settings records")},
    {"cgmSettings", QT_TRANSLATE_NOOP("Import", "CGM settings record"),
     QT_TRANSLATE_NOOP("Import", "CGM settings records")},
    {"physicalActivity", QT_TRANSLATE_NOOP("Import", "physical activity record"),
     QT_TRANSLATE_NOOP("Import", "physical activity records")},
    {"reportedState", QT_TRANSLATE_NOOP("Import", "reported state record"),
     QT_TRANSLATE_NOOP("Import", "reported state records")},
    {"bloodKetone", QT_TRANSLATE_NOOP("Import", "blood ketone record"),
     QT_TRANSLATE_NOOP("Import", "blood ketone records")},
    {"alert", QT_TRANSLATE_NOOP("Import", "alert"), QT_TRANSLATE_NOOP("Import", "alerts")},
    {"water", QT_TRANSLATE_NOOP("Import", "water record"),
     QT_TRANSLATE_NOOP("Import", "water records")},
    {"controllerSettings", QT_TRANSLATE_NOOP("Import", "controller settings record"),
     QT_TRANSLATE_NOOP("Import", "controller settings records")},
    {"controllerStatus", QT_TRANSLATE_NOOP("Import", "controller status record"),
     QT_TRANSLATE_NOOP("Import", "controller status records")},
    {"dosingDecision", QT_TRANSLATE_NOOP("Import", "dosing decision"),
     QT_TRANSLATE_NOOP("Import", "dosing decisions")},
};

const char *const readTypes[] = {"cbg", "smbg", "bolus", "wizard", "food", "insulin"};

bool isTidepoolType(QByteArrayView type)
{
    for (const char *known : readTypes) {
        if (type == known)
            return true;
    }
    for (const SkippedType &skipped : skippedTypes) {
        if (type == skipped.type)
            return true;
    }
    return false;
}

void skipType(QByteArrayView type, EntrySink &sink)
{
    for (const SkippedType &skipped : skippedTypes) {
        if (type == skipped.type) {
            sink.skip(skipped.one, skipped.many);
            return;
        }
    }
    sink.skip(QT_TRANSLATE_NOOP("Import", "record of another type"),
              QT_TRANSLATE_NOOP("Import", "records of other types"));
}

void readRecord(const Fields &record, qsizetype line, EntrySink &sink)
{
    QByteArray buffer;
    const QByteArrayView type = record.value("type").text(buffer);
    const bool reading = type == "cbg" || type == "smbg";
    double value = 0, extra = 0;
    int entryType = -1;
    if (reading) {
        if (!record.value("value").number(value)) {
            sink.unread(line, ImportText::tr("no glucose value"));
            return;
        }
        entryType = glucoseType;
    } else if (type == "bolus") {
        const bool normal = record.value("normal").number(value);
        const bool extended = record.value("extended").number(extra);
        if (!normal && !extended) {
            sink.unread(line, ImportText::tr("no delivered insulin"));
            return;
        }
        value = normal && extended ? sumOf(value, extra) : normal ? value : extra;
        entryType = bolusType;
    } else if (type == "wizard" || type == "food") {
        const Field carbs =
            record.value(type == "wizard" ? "carbInput" : "nutrition.carbohydrate.net");
        if (!carbs.isAbsent() && !carbs.number(value)) {
            sink.unread(line, ImportText::tr("no number for carbs"));
            return;
        }
        if (!(value > 0)) {
            if (type == "wizard")
                sink.skip(QT_TRANSLATE_NOOP("Import", "wizard record without carbs"),
                          QT_TRANSLATE_NOOP("Import", "wizard records without carbs"));
            else
                sink.skip(QT_TRANSLATE_NOOP("Import", "food record without carbs"),
                          QT_TRANSLATE_NOOP("Import", "food records without carbs"));
            return;
        }
        entryType = carbsType;
    } else if (type == "insulin") {
        if (!record.value("dose.total").number(value)) {
            sink.unread(line, ImportText::tr("no insulin dose"));
            return;
        }
        QByteArray actingBuffer;
        const QByteArrayView acting =
            record.value("formulation.simple.actingType").text(actingBuffer);
        entryType = acting == "long" || acting == "intermediate" ? basisType : bolusType;
    } else {
        skipType(type, sink);
        return;
    }
    ReadingTime when;
    if (!timeOf(record, when)) {
        sink.unread(line, ImportText::tr("no readable time"));
        return;
    }
    if (reading) {
        // Tidepool keeps readings in mmol/L unless told otherwise.
        QByteArray unitsBuffer;
        const QByteArrayView units = record.value("units").text(unitsBuffer);
        const bool mg = qstrnicmp(units.data(), std::min<qsizetype>(units.size(), 2), "mg", 2) == 0;
        sink.glucose(when, value, !mg, line);
    } else {
        sink.amount(when, entryType, value, line);
    }
}

} // namespace

bool readTidepoolJson(const JsonRecords &records, EntrySink &sink)
{
    // Spares other JSON exports a look at every record.
    if (!records.error.isEmpty() || !records.data.contains("\"time\"") ||
        !records.data.contains("\"type\""))
        return false;
    JsonObjectView object;
    bool tidepool = false;
    for (JsonRecordCursor record(records); !tidepool && record.next();) {
        object.read(record.record());
        tidepool = object.value("time").isString() &&
                   isTidepoolType(object.value("type").toString().toUtf8());
    }
    if (!tidepool)
        return false;
    sink.setFormat(QStringLiteral("Tidepool JSON"));
    for (JsonRecordCursor record(records); record.next();) {
        if (!sink.progress(record.start()))
            return true;
        object.read(record.record());
        readRecord(JsonFields(object), record.line(), sink);
    }
    if (records.cutAt >= 0)
        sink.unread(records.cutLine, ImportText::tr("the file ends inside this record"));
    return true;
}

bool readTidepoolCsv(QByteArrayView data, EntrySink &sink)
{
    CsvReader csv(data, ',');
    if (!csv.next())
        return false;
    QHash<QByteArray, int> columns;
    for (size_t i = 0; i < csv.fields().size(); ++i)
        columns.insert(trimmed(csv.field(i)).toByteArray(), int(i));
    if (!columns.contains("type") || !columns.contains("time") ||
        (!columns.contains("deviceTime") && !columns.contains("timezoneOffset") &&
         !columns.contains("uploadId")))
        return false;
    const size_t typeColumn = size_t(columns.value("type"));
    // The first record's type tells the export from a table that happens
    // to have such columns.
    CsvReader first = csv;
    while (first.next() && first.blank()) {
    }
    if (!isTidepoolType(trimmed(first.field(typeColumn))))
        return false;
    sink.setFormat(QStringLiteral("Tidepool CSV"));
    while (sink.nextRow(csv)) {
        readRecord(CsvFields(columns, csv), csv.line(), sink);
    }
    return true;
}
