// SPDX-License-Identifier: GPL-3.0-or-later
// Abbott LibreView CSV, English or German: a metadata line, perhaps a blank
// line, then a header with the device timestamp and the record type.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

namespace {

struct Columns
{
    int when = -1, type = -1, historic = -1, scan = -1, strip = -1, rapid = -1, longActing = -1,
        carbs = -1;
    bool historicMmol = false, scanMmol = false, stripMmol = false;
};

Columns columnsOf(const std::vector<QByteArrayView> &header)
{
    Columns c;
    for (size_t i = 0; i < header.size(); ++i) {
        const QByteArray name = trimmed(header[i]).toByteArray().toLower();
        const int column = int(i);
        const bool mmol = name.contains("mmol");
        const bool numeric = !containsAny(name, {"non-numeric", "nicht numerisch"});
        if (name == "device timestamp" || name == "ger\xc3\xa4tezeitstempel")
            c.when = column;
        else if (name == "record type" || name == "aufzeichnungstyp")
            c.type = column;
        else if (containsAny(name, {"historic glucose", "glukosewert-verlauf"}))
            c.historic = column, c.historicMmol = mmol;
        else if (containsAny(name, {"scan glucose", "glukose-scan"}))
            c.scan = column, c.scanMmol = mmol;
        else if (containsAny(name, {"strip glucose", "glukose-teststreifen"}))
            c.strip = column, c.stripMmol = mmol;
        else if (numeric && containsAny(name, {"rapid-acting insulin", "schnellwirkendes insulin"}))
            c.rapid = column;
        else if (numeric && containsAny(name, {"long-acting insulin", "depotinsulin"}))
            c.longActing = column;
        else if (numeric && containsAny(name, {"carbohydrates (gram", "kohlenhydrate (gramm"}))
            c.carbs = column;
    }
    return c;
}

} // namespace

bool readLibreView(QByteArrayView data, EntrySink &sink)
{
    // The header is one of the first three lines; each may use its own
    // separator guess, since the metadata line is short.
    qsizetype start = 0;
    for (int attempt = 0; attempt < 3 && start < data.size(); ++attempt) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        const qsizetype offset = start;
        CsvReader csv(data.sliced(start),
                      CsvReader::guessSeparator(data.sliced(start, end - start)));
        start = end + 1;
        if (!csv.next())
            return false;
        const Columns col = columnsOf(csv.fields());
        if (col.when < 0 || col.type < 0)
            continue;
        sink.setFormat(QStringLiteral("LibreView CSV"));
        const RowPlace place{offset, attempt};
        const int basis = basisType, bolus = bolusType, carbs = carbsType;
        while (sink.nextRow(csv, place)) {
            const qsizetype line = csv.line() + place.lineOffset;
            const QByteArrayView typeText = trimmed(csv.field(size_t(col.type)));
            const int record = typeText.size() == 1 ? typeText[0] - '0' : -1;
            const auto field = [&csv](int column) {
                return column < 0 ? QByteArrayView() : trimmed(csv.field(size_t(column)));
            };
            if (record < 0 || record == 3 || record > 5 ||
                (record == 5 && field(col.carbs).isEmpty()) ||
                (record == 4 && field(col.rapid).isEmpty() && field(col.longActing).isEmpty())) {
                sink.skip();
                continue;
            }
            ReadingTime when;
            if (!parseReadingTime(csv.field(size_t(col.when)), when)) {
                sink.unread(line, ImportText::tr("no readable timestamp"));
                continue;
            }
            switch (record) {
            case 0:
                sink.glucoseText(when, field(col.historic), col.historicMmol, line);
                break;
            case 1:
                sink.glucoseText(when, field(col.scan), col.scanMmol, line);
                break;
            case 2:
                sink.glucoseText(when, field(col.strip), col.stripMmol, line);
                break;
            case 4:
                if (!field(col.rapid).isEmpty())
                    sink.amountText(when, bolus, field(col.rapid), line);
                if (!field(col.longActing).isEmpty())
                    sink.amountText(when, basis, field(col.longActing), line);
                break;
            case 5:
                sink.amountText(when, carbs, field(col.carbs), line);
                break;
            }
        }
        return true;
    }
    return false;
}
