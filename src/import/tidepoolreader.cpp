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

#include <QDate>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// A record's fields by name; nested ones by a dotted path.
class Fields
{
public:
    virtual ~Fields() = default;
    virtual QJsonValue value(QLatin1StringView path) const = 0;
};

QJsonValue walk(QJsonValue value, QLatin1StringView path)
{
    while (!path.isEmpty() && value.isObject()) {
        const qsizetype dot = path.indexOf(u'.');
        value = value.toObject().value(dot < 0 ? path : path.first(dot));
        path = dot < 0 ? QLatin1StringView() : path.sliced(dot + 1);
    }
    return path.isEmpty() ? value : QJsonValue();
}

class JsonFields : public Fields
{
public:
    explicit JsonFields(const QJsonObject &object) : m_object(object) {}
    QJsonValue value(QLatin1StringView path) const override { return walk(m_object, path); }

private:
    QJsonObject m_object;
};

// A nested field the flat export wrote as text: JSON, or Python's notation
// with single quotes.
QJsonValue nestedOf(QByteArrayView text)
{
    QJsonDocument document = QJsonDocument::fromJson(text.toByteArray());
    if (document.isNull()) {
        QByteArray json = text.toByteArray();
        json.replace('\'', '"').replace("True", "true").replace("False", "false");
        document = QJsonDocument::fromJson(json.replace("None", "null"));
    }
    return document.isObject() ? QJsonValue(document.object()) : QJsonValue();
}

class CsvFields : public Fields
{
public:
    CsvFields(const QHash<QByteArray, int> &columns, const CsvReader &csv)
        : m_columns(columns), m_csv(csv)
    {}
    QJsonValue value(QLatin1StringView path) const override
    {
        const int column = m_columns.value(QByteArray(path.data(), path.size()), -1);
        if (column >= 0) {
            const QByteArrayView text = trimmed(m_csv.field(size_t(column)));
            return text.isEmpty() ? QJsonValue() : QJsonValue(QString::fromUtf8(text));
        }
        // "nutrition.carbohydrate.net" from the column "nutrition".
        for (qsizetype dot = path.indexOf(u'.'); dot > 0; dot = path.indexOf(u'.', dot + 1)) {
            const int outer = m_columns.value(QByteArray(path.data(), dot), -1);
            if (outer >= 0)
                return walk(nestedOf(m_csv.field(size_t(outer))), path.sliced(dot + 1));
        }
        return QJsonValue();
    }

private:
    const QHash<QByteArray, int> &m_columns;
    const CsvReader &m_csv;
};

bool numberOf(const QJsonValue &value, double &number)
{
    if (value.isDouble()) {
        number = value.toDouble();
        return true;
    }
    return value.isString() && parseNumber(value.toString().toUtf8(), number);
}

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
bool livedTime(const QString &time, int offsetMinutes, ReadingTime &when)
{
    QDateTime utc;
    ReadingTime parsed;
    const QByteArray text = time.toLatin1();
    if (text.endsWith('Z') && parseReadingTime(text, parsed) && parsed.yearFirst) {
        utc = QDateTime(QDate(parsed.year, parsed.first, parsed.second),
                        QTime(parsed.minutes / 60, parsed.minutes % 60), Qt::UTC);
    } else {
        utc = QDateTime::fromString(time, Qt::ISODateWithMs);
        if (utc.timeSpec() == Qt::LocalTime)
            return false; // no zone: not a UTC time
    }
    if (!utc.isValid())
        return false;
    const QDateTime lived = utc.toUTC().addSecs(qint64(offsetMinutes) * 60);
    const QDate d = lived.date();
    if (d.year() < firstImportYear || d.year() > lastImportYear)
        return false;
    const QTime t = lived.time();
    when = ReadingTime{d.year(), d.month(), d.day(), t.hour() * 60 + t.minute(), true, false};
    return true;
}

bool timeOf(const Fields &record, ReadingTime &when)
{
    const QString time = record.value(QLatin1StringView("time")).toString();
    double offset;
    if (numberOf(record.value(QLatin1StringView("timezoneOffset")), offset) &&
        std::abs(offset) <= maxOffsetMinutes && livedTime(time, int(std::lround(offset)), when))
        return true;
    const QString deviceTime = record.value(QLatin1StringView("deviceTime")).toString();
    if (!deviceTime.isEmpty() && parseReadingTime(deviceTime.toLatin1(), when))
        return true;
    return readingTimeOfDateTime(QDateTime::fromString(time, Qt::ISODateWithMs), when);
}

struct SkippedType
{
    const char *type, *one, *many;
};

// The types that give no entry, as the summary names them.
constexpr SkippedType skippedTypes[] = {
    {"basal", "basal record", "basal records"},
    {"upload", "upload record", "upload records"},
    {"deviceEvent", "device event", "device events"},
    {"pumpSettings", "pump settings record", "pump settings records"},
    {"cgmSettings", "CGM settings record", "CGM settings records"},
    {"physicalActivity", "physical activity record", "physical activity records"},
    {"reportedState", "reported state record", "reported state records"},
    {"bloodKetone", "blood ketone record", "blood ketone records"},
    {"alert", "alert", "alerts"},
    {"water", "water record", "water records"},
    {"controllerSettings", "controller settings record", "controller settings records"},
    {"controllerStatus", "controller status record", "controller status records"},
    {"dosingDecision", "dosing decision", "dosing decisions"},
};

const char *const readTypes[] = {"cbg", "smbg", "bolus", "wizard", "food", "insulin"};

bool isTidepoolType(const QString &type)
{
    for (const char *known : readTypes) {
        if (type == QLatin1StringView(known))
            return true;
    }
    for (const SkippedType &skipped : skippedTypes) {
        if (type == QLatin1StringView(skipped.type))
            return true;
    }
    return false;
}

void skipType(const QString &type, EntrySink &sink)
{
    for (const SkippedType &skipped : skippedTypes) {
        if (type == QLatin1StringView(skipped.type)) {
            sink.skip(skipped.one, skipped.many);
            return;
        }
    }
    sink.skip("record of another type", "records of other types");
}

void readRecord(const Fields &record, qsizetype line, EntrySink &sink)
{
    const QString type = record.value(QLatin1StringView("type")).toString();
    const bool reading = type == u"cbg" || type == u"smbg";
    double value = 0, extra = 0;
    int entryType = -1;
    if (reading) {
        if (!numberOf(record.value(QLatin1StringView("value")), value)) {
            sink.unread(line, ImportText::tr("no glucose value"));
            return;
        }
        entryType = glucoseType;
    } else if (type == u"bolus") {
        const bool normal = numberOf(record.value(QLatin1StringView("normal")), value);
        const bool extended = numberOf(record.value(QLatin1StringView("extended")), extra);
        if (!normal && !extended) {
            sink.unread(line, ImportText::tr("no delivered insulin"));
            return;
        }
        value = normal && extended ? sumOf(value, extra) : normal ? value : extra;
        entryType = bolusType;
    } else if (type == u"wizard" || type == u"food") {
        const QLatin1StringView path(type == u"wizard" ? "carbInput"
                                                       : "nutrition.carbohydrate.net");
        const QJsonValue carbs = record.value(path);
        if (!carbs.isUndefined() && !carbs.isNull() && !numberOf(carbs, value)) {
            sink.unread(line, ImportText::tr("no number for carbs"));
            return;
        }
        if (!(value > 0)) {
            if (type == u"wizard")
                sink.skip("wizard record without carbs", "wizard records without carbs");
            else
                sink.skip("food record without carbs", "food records without carbs");
            return;
        }
        entryType = carbsType;
    } else if (type == u"insulin") {
        if (!numberOf(record.value(QLatin1StringView("dose.total")), value)) {
            sink.unread(line, ImportText::tr("no insulin dose"));
            return;
        }
        const QString acting =
            record.value(QLatin1StringView("formulation.simple.actingType")).toString();
        entryType = acting == u"long" || acting == u"intermediate" ? basisType : bolusType;
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
        const QString units = record.value(QLatin1StringView("units")).toString();
        sink.glucose(when, value, !units.startsWith(u"mg", Qt::CaseInsensitive), line);
    } else {
        sink.amount(when, entryType, value, line);
    }
}

} // namespace

bool readTidepoolJson(QByteArrayView data, EntrySink &sink)
{
    // Spares other JSON exports a second parse.
    if (!data.contains("\"time\"") || !data.contains("\"type\""))
        return false;
    JsonRecords records = readJsonRecords(data);
    if (!records.error.isEmpty())
        return false;
    const QJsonArray &array = records.array;
    bool tidepool = false;
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        if (object.value(u"time").isString() && isTidepoolType(object.value(u"type").toString())) {
            tidepool = true;
            break;
        }
    }
    if (!tidepool)
        return false;
    sink.setFormat(QStringLiteral("Tidepool JSON"));
    for (qsizetype i = 0; i < array.size(); ++i) {
        const qsizetype line = records.lineOf(data, i);
        if (!sink.progress(records.startOf(i)))
            return true;
        readRecord(JsonFields(array.at(i).toObject()), line, sink);
    }
    if (records.cutAt >= 0)
        sink.unread(records.cutLine(data), ImportText::tr("the file ends inside this record"));
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
    if (!isTidepoolType(QString::fromUtf8(trimmed(first.field(typeColumn)))))
        return false;
    sink.setFormat(QStringLiteral("Tidepool CSV"));
    while (sink.nextRow(csv)) {
        readRecord(CsvFields(columns, csv), csv.line(), sink);
    }
    return true;
}
