// SPDX-License-Identifier: GPL-3.0-or-later
// Dexcom Clarity CSV, English or German: a header row, then one row per
// event. Columns are found by name, so a spreadsheet's re-save (a mangled
// first cell, columns moved) still reads.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

namespace {

int columnOf(const std::vector<QByteArrayView> &header, std::initializer_list<const char *> words,
             int fallback)
{
    for (size_t i = 0; i < header.size(); ++i) {
        const QByteArray folded = foldWord(header[i]);
        for (const char *word : words) {
            if (folded.contains(word))
                return int(i);
        }
    }
    return fallback;
}

} // namespace

bool readDexcom(QByteArrayView data, EntrySink &sink)
{
    const qsizetype lineEnd = data.indexOf('\n');
    CsvReader csv(data, CsvReader::guessSeparator(data.first(lineEnd < 0 ? data.size() : lineEnd)));
    if (!csv.next() || csv.fields().size() < 10)
        return false;
    const std::vector<QByteArrayView> &header = csv.fields();
    const int stampColumn = columnOf(header, {"timestamp", "zeitstempel"}, -1);
    const int eventColumn = columnOf(header, {"eventtype", "ereignisart", "ereignistyp"}, -1);
    if (stampColumn < 0 || eventColumn < 0 || columnOf(header, {"index"}, -1) < 0 ||
        columnOf(header, {"glucosevalue", "glukosewert"}, -1) < 0)
        return false;
    const int subtypeColumn = columnOf(header, {"eventsubtype", "ereignisuntertyp"}, 3);
    const int glucoseColumn = columnOf(header, {"glucosevalue", "glukosewert"}, 7);
    const int insulinColumn = columnOf(header, {"insulinvalue", "insulinwert"}, 8);
    const int carbsColumn = columnOf(header, {"carbvalue", "kohlenhydratwert", "khwert"}, 9);
    const bool mmol = foldWord(csv.field(size_t(glucoseColumn))).contains("mmol");
    sink.setFormat(QStringLiteral("Dexcom Clarity CSV"));

    const int basis = basisType, bolus = bolusType, carbs = carbsType;
    while (sink.nextRow(csv)) {
        const qsizetype line = csv.line();
        // Nearly every row is a reading: spare it the folding.
        const bool reading = trimmed(csv.field(size_t(eventColumn))) == "EGV";
        const QByteArray event = reading ? QByteArray() : foldWord(csv.field(size_t(eventColumn)));
        int type = -1;
        if (reading)
            type = glucoseType;
        else if (event == "carbs" || event == "kohlenhydrate")
            type = carbs;
        else if (event == "insulin") {
            const QByteArray kind = foldWord(csv.field(size_t(subtypeColumn)));
            if (kind == "fastacting" || kind == "schnellwirkend")
                type = bolus;
            else if (kind == "longacting" || kind == "langwirkend" || kind == "langsamwirkend")
                type = basis;
        }
        if (type < 0) {
            sink.skip();
            continue;
        }
        ReadingTime when;
        if (!parseReadingTime(csv.field(size_t(stampColumn)), when)) {
            sink.unread(line, ImportText::tr("no readable timestamp"));
            continue;
        }
        if (type == glucoseType) {
            // The sensor's limits of reporting.
            const QByteArrayView text = trimmed(csv.field(size_t(glucoseColumn)));
            const bool number = !text.isEmpty() && text[0] >= '0' && text[0] <= '9';
            const QByteArray word = number ? QByteArray() : foldWord(text);
            if (word == "high" || word == "hoch")
                sink.glucose(when, 400, false, line);
            else if (word == "low" || word == "niedrig")
                sink.glucose(when, 40, false, line);
            else
                sink.glucoseText(when, csv.field(size_t(glucoseColumn)), mmol, line);
        } else {
            sink.amountText(when, type,
                            csv.field(size_t(type == carbs ? carbsColumn : insulinColumn)), line);
        }
    }
    return true;
}
