// SPDX-License-Identifier: GPL-3.0-or-later
// Glooko exports: a zip of CSV files, one per kind of data, or one of those
// files alone. Each file opens with a line "Name:...,Date Range:..." (German
// "Datumsbereich"), then its header; the kind is told from the header's
// columns, in English or German.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/exporttext.h"
#include "import/importtext.h"
#include "import/readers.h"
#include "import/zipfile.h"

namespace {

struct Columns
{
    int when = -1, glucose = -1, insulin = -1, carbs = -1, value = -1, insulinType = -1;
    bool mmol = false;
    // Rows that hold no entry, skipped under this kind.
    const char *skipOne = nullptr;
    const char *skipMany = nullptr;
};

Columns columnsOf(const std::vector<QByteArrayView> &header)
{
    Columns c;
    bool rate = false, totals = false, alarms = false;
    for (size_t i = 0; i < header.size(); ++i) {
        const QByteArray name = foldWord(header[i]);
        const int column = int(i);
        if (name == "zeitstempel" || name == "timestamp")
            c.when = column;
        else if (startsWithAny(
                     name, {"cgmglukosewert", "cgmglucosevalue", "glukosewert", "glucosevalue"}))
            c.glucose = column, c.mmol = name.contains("mmol");
        else if (startsWithAny(name, {"abgegebenesinsulin", "insulindelivered"}))
            c.insulin = column;
        else if (startsWithAny(name, {"kohlenhydrataufnahme", "carbsinput", "carbinput"}) ||
                 name == "khg" || name == "carbsg")
            c.carbs = column;
        else if (name == "wert" || name == "value")
            c.value = column;
        else if (name == "insulintyp" || name == "insulintype")
            c.insulinType = column;
        else if (name == "rate")
            rate = true;
        else if (startsWithAny(name, {"bolusgesamt", "totalbolus"}))
            totals = true;
        else if (name == "alarmereignis" || name == "alarmevent")
            alarms = true;
    }
    if (rate)
        c.skipOne = QT_TRANSLATE_NOOP("Import", "basal rate row"),
        c.skipMany = QT_TRANSLATE_NOOP("Import", "basal rate rows");
    else if (totals)
        c.skipOne = QT_TRANSLATE_NOOP("Import", "daily insulin total"),
        c.skipMany = QT_TRANSLATE_NOOP("Import", "daily insulin totals");
    else if (alarms)
        c.skipOne = QT_TRANSLATE_NOOP("Import", "alarm"),
        c.skipMany = QT_TRANSLATE_NOOP("Import", "alarms");
    return c;
}

bool isMetadataLine(QByteArrayView data)
{
    const qsizetype end = data.indexOf('\n');
    const QByteArrayView line = data.first(end < 0 ? data.size() : end);
    return line.startsWith("Name:") &&
           (line.contains(",Date Range:") || line.contains(",Datumsbereich:"));
}

// One CSV file of the export; progress is told in the archive's bytes, from
// base on, scale of them for each byte of the file.
void readFile(QByteArrayView data, EntrySink &sink, qint64 base, double scale,
              const QString &member)
{
    CsvReader csv(data, ',');
    csv.next(); // the metadata line
    if (!csv.next()) {
        if (csv.overlong())
            sink.refuseOverlong(csv.line(), member);
        return;
    }
    const Columns col = columnsOf(csv.fields());
    const auto unread = [&sink, &member](qsizetype line, const QString &reason) {
        sink.unread(line,
                    member.isEmpty() ? reason : ImportText::tr("%1 in %2").arg(reason, member));
    };
    const RowPlace place{base, 0, scale, member};
    while (sink.nextRow(csv, place)) {
        const qsizetype line = csv.line();
        const auto field = [&csv](int column) {
            return column < 0 ? QByteArrayView() : trimmed(csv.field(size_t(column)));
        };
        const auto given = [&field](int column) {
            double value;
            const QByteArrayView text = field(column);
            return !text.isEmpty() && !(parseNumber(text, value) && value == 0);
        };
        const bool glucose = given(col.glucose), insulin = given(col.insulin),
                   carbs = given(col.carbs), value = given(col.value);
        if (col.skipOne || col.when < 0 || (!glucose && !insulin && !carbs && !value)) {
            if (col.skipOne)
                sink.skip(col.skipOne, col.skipMany);
            else
                sink.skip();
            continue;
        }
        ReadingTime when;
        if (!parseReadingTime(field(col.when), when)) {
            unread(line, ImportText::tr("no readable time"));
            continue;
        }
        if (glucose)
            sink.glucoseText(when, field(col.glucose), col.mmol, line);
        if (insulin)
            sink.amountText(when, bolusType, field(col.insulin), line);
        if (carbs)
            sink.amountText(when, carbsType, field(col.carbs), line);
        if (value) {
            // Insulin taken by pen: its type says whether it is the basal one.
            const QByteArray kind = foldWord(field(col.insulinType));
            const bool basal = kind.contains("lang") || kind.contains("long") ||
                               kind.contains("basal") || kind.contains("depot");
            sink.amountText(when, basal ? basisType : bolusType, field(col.value), line);
        }
    }
}

} // namespace

bool readGlooko(QByteArrayView data, EntrySink &sink)
{
    if (!isMetadataLine(data))
        return false;
    sink.setFormat(QStringLiteral("Glooko CSV"));
    readFile(data, sink, 0, 1, QString());
    return true;
}

bool readGlookoZip(QByteArrayView data, EntrySink &sink)
{
    if (!ZipFile::isZip(data))
        return false;
    sink.setFormat(QStringLiteral("Glooko export"));
    ZipFile zip;
    if (!zip.open(data, maxImportFileBytes)) {
        sink.refuse(ImportText::tr("is a zip archive that cannot be read: %1").arg(zip.error()));
        return true;
    }
    bool any = false;
    for (const ZipFile::Member &member : zip.members()) {
        if (member.folder() ||
            !member.name.endsWith(QLatin1StringView(".csv"), Qt::CaseInsensitive))
            continue;
        QByteArray contents;
        if (!zip.read(member, contents)) {
            sink.refuse(
                ImportText::tr("is a zip archive that cannot be read: %1").arg(zip.error()));
            return true;
        }
        QByteArrayView text(contents);
        if (text.startsWith("\xef\xbb\xbf"))
            text = text.sliced(3);
        if (!isMetadataLine(text))
            continue;
        any = true;
        QByteArray decoded;
        if (decodeWindows1252(text, decoded)) {
            sink.readAsWindows1252();
            text = decoded;
        }
        if (const qsizetype line = firstOverlongLine(text)) {
            sink.refuseOverlong(line, member.name);
            return true;
        }
        const double scale = member.size ? double(member.packedSize) / double(member.size) : 0;
        readFile(text, sink, member.dataOffset, scale, member.name);
        if (!sink.progress(member.dataOffset + member.packedSize))
            return true;
    }
    if (!any)
        sink.refuse(ImportText::tr("is a zip archive that holds no Glooko export, the only zip "
                                   "archive Mellidor reads"));
    return true;
}
