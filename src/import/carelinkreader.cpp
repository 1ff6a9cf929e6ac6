// SPDX-License-Identifier: GPL-3.0-or-later
// Medtronic CareLink CSV: a preamble (patient, device, date range), then
// sections (Pump, Aggregated Auto Insulin Data, Sensor), each opened by a
// separator line "-------;MiniMed 780G MMT-1886;Pump;..." and its own header
// from "Index". The delimiter is ';' (with decimal commas) or ',' (with
// decimal points), told by each header line; columns are found by name.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <map>

namespace {

// What a value in a column makes of a row that gives no entry. A row is
// counted under the first of these its values fit, in this order.
enum Kind : quint8
{
    NoKind,
    Calibration,
    BasalRate,
    TemporaryBasal,
    BolusProgramming,
    BolusWizard,
    Prime,
    Rewind,
    Suspend,
    Alert,
    Alarm,
    SensorException,
    EventMarker,
};

struct KindName
{
    const char *one;
    const char *many;
};

constexpr KindName kindNames[] = {
    {nullptr, nullptr},
    {QT_TRANSLATE_NOOP("Import", "calibration"), QT_TRANSLATE_NOOP("Import", "calibrations")},
    {QT_TRANSLATE_NOOP("Import", "basal rate row"), QT_TRANSLATE_NOOP("Import", "basal rate rows")},
    {QT_TRANSLATE_NOOP("Import", "temporary basal row"),
     QT_TRANSLATE_NOOP("Import", "temporary basal rows")},
    {QT_TRANSLATE_NOOP("Import", "bolus programming row"),
     QT_TRANSLATE_NOOP("Import", "bolus programming rows")},
    {QT_TRANSLATE_NOOP("Import", "bolus wizard row without carbs"),
     QT_TRANSLATE_NOOP("Import", "bolus wizard rows without carbs")},
    {QT_TRANSLATE_NOOP("Import", "prime"), QT_TRANSLATE_NOOP("Import", "primes")},
    {QT_TRANSLATE_NOOP("Import", "rewind"), QT_TRANSLATE_NOOP("Import", "rewinds")},
    {QT_TRANSLATE_NOOP("Import", "suspend"), QT_TRANSLATE_NOOP("Import", "suspends")},
    {QT_TRANSLATE_NOOP("Import", "alert"), QT_TRANSLATE_NOOP("Import", "alerts")},
    {QT_TRANSLATE_NOOP("Import", "alarm"), QT_TRANSLATE_NOOP("Import", "alarms")},
    {QT_TRANSLATE_NOOP("Import", "sensor exception"),
     QT_TRANSLATE_NOOP("Import", "sensor exceptions")},
    {QT_TRANSLATE_NOOP("Import", "event marker"), QT_TRANSLATE_NOOP("Import", "event markers")},
};

// Meter readings of one file taken within this many seconds of each other
// with the same value are one reading written again.
constexpr int sameMeterReadingSeconds = 5 * 60;

struct Columns
{
    int date = -1, time = -1, stamp = -1;
    int meter = -1, sensor = -1, delivered = -1, carbs = -1, marker = -1;
    bool meterMmol = false, sensorMmol = false;
    std::vector<Kind> kinds; // by column
    bool ok() const
    {
        return (stamp >= 0 || (date >= 0 && time >= 0)) &&
               (meter >= 0 || sensor >= 0 || delivered >= 0 || carbs >= 0 || marker >= 0);
    }
};

Columns columnsOf(const std::vector<QByteArrayView> &header)
{
    Columns c;
    c.kinds.assign(header.size(), NoKind);
    for (size_t i = 0; i < header.size(); ++i) {
        const QByteArray name = foldWord(header[i]);
        const int column = int(i);
        Kind &kind = c.kinds[i];
        if (name == "date")
            c.date = column;
        else if (name == "time")
            c.time = column;
        else if (name == "timestamp")
            c.stamp = column;
        else if (name.startsWith("bgreading"))
            c.meter = column, c.meterMmol = name.contains("mmol");
        else if (name.startsWith("sensorglucose"))
            c.sensor = column, c.sensorMmol = name.contains("mmol");
        else if (name.startsWith("sensorcalibrationbg"))
            kind = Calibration;
        else if (name.startsWith("basalrate"))
            kind = BasalRate;
        else if (startsWithAny(name, {"tempbasal", "presettempbasal"}))
            kind = TemporaryBasal;
        else if (name.startsWith("bolusvolumedelivered"))
            c.delivered = column, kind = BolusProgramming;
        else if (startsWithAny(name, {"bolus", "presetbolus"}))
            kind = BolusProgramming;
        else if (name.startsWith("bwzcarbinput"))
            c.carbs = column, kind = BolusWizard;
        else if (startsWithAny(name, {"bwz", "finalbolusestimate", "scrollstepsize",
                                      "insulinactioncurvetime"}))
            kind = BolusWizard;
        else if (startsWithAny(name, {"prime", "estimatedreservoirvolume"}))
            kind = Prime;
        else if (name == "rewind")
            kind = Rewind;
        else if (name == "suspend")
            kind = Suspend;
        else if (startsWithAny(name, {"alert", "userclearedalert"}))
            kind = Alert;
        else if (name.startsWith("alarm"))
            kind = Alarm;
        else if (name.startsWith("sensorexception"))
            kind = SensorException;
        else if (name.startsWith("eventmarker"))
            c.marker = column, kind = EventMarker;
    }
    return c;
}

bool startsWithFolded(QByteArrayView text, const char *word)
{
    const QByteArrayView w(word);
    if (text.size() < w.size())
        return false;
    for (qsizetype i = 0; i < w.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != w[i])
            return false;
    }
    return true;
}

// The line at pos, without its line end.
QByteArrayView lineAt(QByteArrayView data, qsizetype pos)
{
    qsizetype end = data.indexOf('\n', pos);
    if (end < 0)
        end = data.size();
    return data.sliced(pos, end - pos);
}

// A header line: "Index" first, quoted or not.
bool isHeaderLine(QByteArrayView line)
{
    QByteArrayView text = trimmed(line);
    if (text.startsWith('"'))
        text = text.sliced(1);
    return text.startsWith("Index") && (text.size() == 5 || text[5] == '"' || text[5] == ',' ||
                                        text[5] == ';' || text[5] == '\t' || text[5] == '\r');
}

// The number of a marker such as "Meal: 45,00g" or "Insulin: 4.00"; empty
// where it has none.
QByteArrayView markerNumber(QByteArrayView marker)
{
    const qsizetype colon = marker.indexOf(':');
    if (colon < 0)
        return QByteArrayView();
    QByteArrayView text = trimmed(marker.sliced(colon + 1));
    while (!text.isEmpty() && !isDigit(text.back()))
        text.chop(1);
    return text;
}

// The seconds of a time such as "14:07:33"; 0 where it has none.
int secondsOf(QByteArrayView timeText)
{
    const qsizetype first = timeText.indexOf(':');
    const qsizetype second = first < 0 ? -1 : timeText.indexOf(':', first + 1);
    if (second < 0 || second + 2 >= timeText.size() || !isDigit(timeText[second + 1]) ||
        !isDigit(timeText[second + 2]))
        return 0;
    return ((timeText[second + 1] - '0') * 10 + (timeText[second + 2] - '0')) % 60;
}

// A meter reading, handed to the sink once the file is read: whether it is
// one written again is told in the order of time, and the file may run
// newest first.
struct MeterReading
{
    ReadingTime when;
    double value;
    qsizetype line;
    int seconds; // within the minute
    bool mmol;
};

class CareLinkReader
{
public:
    explicit CareLinkReader(EntrySink &sink) : m_sink(sink) {}

    // Reads the sections from the header line at pos on; totals: that
    // section holds the daily totals.
    void read(QByteArrayView data, qsizetype pos, qsizetype line, bool totals);
    // Hands the meter readings over in file order, without those written
    // again.
    void finish();

private:
    // One data row of a section.
    void row(const CsvReader &csv, qsizetype line);
    bool timeOf(const CsvReader &csv, ReadingTime &when, QByteArrayView &timeText, qsizetype line);
    // An entry with the value text of a column.
    void add(const CsvReader &csv, int type, QByteArrayView text, bool mmol, qsizetype line);
    void meterReading(const CsvReader &csv, QByteArrayView text, qsizetype line);

    EntrySink &m_sink;
    Columns m_columns;
    bool m_totals = false; // in the "Aggregated Auto Insulin Data" section
    std::vector<MeterReading> m_meter;
    // For the dates of the meter readings: how many of the dates with the
    // year last are valid read day first and month first.
    qsizetype m_dayFirstValid = 0, m_monthFirstValid = 0;
    bool m_twelveHour = false;
};

void CareLinkReader::read(QByteArrayView data, qsizetype pos, qsizetype line, bool totals)
{
    m_totals = totals;
    // Each header starts a reader of its own, with the header's delimiter.
    while (pos < data.size()) {
        CsvReader csv(data.sliced(pos), CsvReader::guessSeparator(lineAt(data, pos)));
        csv.next();
        m_columns = columnsOf(csv.fields());
        qsizetype next = -1; // the offset of the next header
        const RowPlace place{pos, line - 1};
        while (m_sink.nextRow(csv, place)) {
            const qsizetype rowLine = csv.line() + place.lineOffset;
            const qsizetype start = pos + csv.start();
            const QByteArrayView first = trimmed(csv.field(0));
            if (first.startsWith("-------")) {
                // A section's separator line: what follows is totals or
                // readings and events.
                m_totals = lineAt(data, start).contains("Aggregated");
                continue;
            }
            if (first.startsWith("Index") && isHeaderLine(lineAt(data, start))) {
                next = start;
                line = rowLine;
                break;
            }
            row(csv, rowLine);
        }
        if (next < 0)
            return;
        pos = next;
    }
}

bool CareLinkReader::timeOf(const CsvReader &csv, ReadingTime &when, QByteArrayView &timeText,
                            qsizetype line)
{
    const Columns &c = m_columns;
    bool ok;
    if (c.date >= 0 && c.time >= 0) {
        const QByteArrayView date = trimmed(csv.field(size_t(c.date)));
        timeText = trimmed(csv.field(size_t(c.time)));
        // Neither is empty in a readable row (an empty view has no data to
        // copy from).
        char text[64];
        ok = !date.isEmpty() && !timeText.isEmpty() &&
             date.size() + timeText.size() + 1 <= qsizetype(sizeof text);
        if (ok) {
            std::memcpy(text, date.data(), size_t(date.size()));
            text[date.size()] = ' ';
            std::memcpy(text + date.size() + 1, timeText.data(), size_t(timeText.size()));
            ok = parseReadingTime(QByteArrayView(text, date.size() + 1 + timeText.size()), when);
        }
    } else {
        timeText = csv.field(size_t(c.stamp));
        ok = parseReadingTime(timeText, when);
    }
    if (!ok) {
        m_sink.unread(line, ImportText::tr("no readable date and time"));
    } else if (!when.yearFirst) {
        m_dayFirstValid += QDate::isValid(when.year, when.second, when.first);
        m_monthFirstValid += QDate::isValid(when.year, when.first, when.second);
        m_twelveHour = m_twelveHour || when.twelveHour;
    }
    return ok;
}

void CareLinkReader::add(const CsvReader &csv, int type, QByteArrayView text, bool mmol,
                         qsizetype line)
{
    ReadingTime when;
    QByteArrayView timeText;
    if (!timeOf(csv, when, timeText, line))
        return;
    if (type == glucoseType)
        m_sink.glucoseText(when, text, mmol, line);
    else
        m_sink.amountText(when, type, text, line);
}

void CareLinkReader::meterReading(const CsvReader &csv, QByteArrayView text, qsizetype line)
{
    ReadingTime when;
    QByteArrayView timeText;
    if (!timeOf(csv, when, timeText, line))
        return;
    double value;
    if (!parseNumber(text, value)) {
        m_sink.unread(line, ImportText::tr("no glucose value"));
        return;
    }
    m_meter.push_back(MeterReading{when, value, line, secondsOf(timeText), m_columns.meterMmol});
}

void CareLinkReader::finish()
{
    // CareLink writes one meter reading under several BG Source codes a
    // few seconds apart: a reading with the value of one taken within the
    // five minutes before it is that one again. Dates are read in the
    // order the sink settles on for the whole file.
    const bool monthFirst =
        m_dayFirstValid == m_monthFirstValid ? m_twelveHour : m_monthFirstValid > m_dayFirstValid;
    std::vector<std::pair<qint64, size_t>> order; // seconds from some day, reading
    order.reserve(m_meter.size());
    for (size_t i = 0; i < m_meter.size(); ++i) {
        const ReadingTime &when = m_meter[i].when;
        const bool swap = !when.yearFirst && !monthFirst;
        const QDate date(when.year, swap ? when.second : when.first,
                         swap ? when.first : when.second);
        order.emplace_back((date.isValid() ? date.toJulianDay() : 0) * 86400 +
                               qint64(when.minutes) * 60 + m_meter[i].seconds,
                           i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<bool> copy(m_meter.size(), false);
    std::multimap<qint64, double> taken; // by seconds: values
    for (const auto &[seconds, i] : order) {
        const double value = m_meter[i].value;
        for (auto it = taken.lower_bound(seconds - sameMeterReadingSeconds);
             it != taken.end() && !copy[i]; ++it)
            copy[i] = it->second == value;
        if (!copy[i])
            taken.emplace(seconds, value);
    }
    for (size_t i = 0; i < m_meter.size(); ++i) {
        if (copy[i])
            m_sink.copy();
        else
            m_sink.glucose(m_meter[i].when, m_meter[i].value, m_meter[i].mmol, m_meter[i].line);
    }
}

void CareLinkReader::row(const CsvReader &csv, qsizetype line)
{
    if (m_totals) {
        m_sink.skip(QT_TRANSLATE_NOOP("Import", "daily auto-insulin total"),
                    QT_TRANSLATE_NOOP("Import", "daily auto-insulin totals"));
        return;
    }
    const Columns &c = m_columns;
    const auto field = [&csv](int column) {
        return column < 0 ? QByteArrayView() : trimmed(csv.field(size_t(column)));
    };
    // Nearly every row is a sensor reading.
    if (const QByteArrayView sensor = field(c.sensor); !sensor.isEmpty()) {
        add(csv, glucoseType, sensor, c.sensorMmol, line);
        return;
    }
    if (const QByteArrayView meter = field(c.meter); !meter.isEmpty()) {
        meterReading(csv, meter, line);
        return;
    }
    // Doses and carbs of 0 are the programming and wizard rows skipped below.
    double value;
    const QByteArrayView delivered = field(c.delivered);
    if (!delivered.isEmpty() && (!parseNumber(delivered, value) || value > 0)) {
        add(csv, bolusType, delivered, false, line);
        return;
    }
    const QByteArrayView carbs = field(c.carbs);
    if (!carbs.isEmpty() && (!parseNumber(carbs, value) || value > 0)) {
        add(csv, carbsType, carbs, false, line);
        return;
    }
    const QByteArrayView marker = field(c.marker);
    if (startsWithFolded(marker, "meal") &&
        (!parseNumber(markerNumber(marker), value) || value > 0)) {
        add(csv, carbsType, markerNumber(marker), false, line);
        return;
    }
    // No entry: counted under the first kind that fits.
    Kind kind = NoKind;
    const std::vector<QByteArrayView> &fields = csv.fields();
    const size_t columns = std::min(fields.size(), c.kinds.size());
    for (size_t i = 0; i < columns; ++i) {
        const Kind k = c.kinds[i];
        if (k != NoKind && (kind == NoKind || k < kind) && !trimmed(fields[i]).isEmpty())
            kind = k;
    }
    if (kind == EventMarker) {
        if (startsWithFolded(marker, "insulin"))
            m_sink.skip(QT_TRANSLATE_NOOP("Import", "insulin marker"),
                        QT_TRANSLATE_NOOP("Import", "insulin markers"));
        else if (foldWord(marker).endsWith("oftheday"))
            m_sink.skip(QT_TRANSLATE_NOOP("Import", "day marker"),
                        QT_TRANSLATE_NOOP("Import", "day markers"));
        else
            m_sink.skip(QT_TRANSLATE_NOOP("Import", "event marker"),
                        QT_TRANSLATE_NOOP("Import", "event markers"));
    } else if (kind != NoKind) {
        m_sink.skip(kindNames[kind].one, kindNames[kind].many);
    } else {
        m_sink.skip(); // empty rows, device and network events
    }
}

} // namespace

bool readCareLink(QByteArrayView data, EntrySink &sink)
{
    // The first header follows a preamble of a few lines and perhaps a
    // section's separator line.
    qsizetype pos = 0;
    bool totals = false;
    for (int line = 1; line <= 40 && pos < data.size(); ++line) {
        const QByteArrayView text = lineAt(data, pos);
        if (trimmed(text).startsWith("-------"))
            totals = text.contains("Aggregated");
        if (isHeaderLine(text)) {
            CsvReader csv(text, CsvReader::guessSeparator(text));
            csv.next();
            if (!columnsOf(csv.fields()).ok())
                return false;
            sink.setFormat(QStringLiteral("Medtronic CareLink CSV"));
            CareLinkReader reader(sink);
            reader.read(data, pos, line, totals);
            reader.finish();
            return true;
        }
        pos += text.size() + 1;
    }
    return false;
}
