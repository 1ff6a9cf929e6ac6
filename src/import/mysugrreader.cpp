// SPDX-License-Identifier: GPL-3.0-or-later
// mySugr CSV: the same 25 columns in the same order in every language, only
// the headers translated, so columns are taken by position. One row is one
// logbook entry and may hold a reading, insulin and carbs at once.
#include "core/entrytext.h"
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

#include <cmath>
#include <cstring>

namespace {

enum Column
{
    Date = 0,
    Time = 1,
    Glucose = 3,
    PenBolus = 4,
    BasalInjection = 5,
    PumpBolus = 6,
    MealInsulin = 7,
    CorrectionInsulin = 8,
    Carbs = 11,
    ActivityIntensity = 14,
    ColumnCount = 25,
};

// "Aug 7, 2017" (English exports) as "2017-08-07"; other dates as written.
QByteArray numericDate(QByteArrayView date)
{
    static const char months[] = "janfebmaraprmayjunjulaugsepoctnovdec";
    const QByteArrayView text = trimmed(date);
    if (text.size() < 3)
        return text.toByteArray();
    const QByteArray name = text.first(3).toByteArray().toLower();
    const char *found = std::strstr(months, name.constData());
    if (!found || (found - months) % 3)
        return text.toByteArray();
    qsizetype pos = 3;
    while (pos < text.size() && !isDigit(text[pos]))
        ++pos;
    int day = 0, digits = 0;
    for (; pos < text.size() && isDigit(text[pos]) && digits < 2; ++pos, ++digits)
        day = day * 10 + (text[pos] - '0');
    if (!digits || pos >= text.size() || text[pos] != ',')
        return text.toByteArray();
    const QByteArrayView year = trimmed(text.sliced(pos + 1));
    return year.toByteArray() + '-' + QByteArray::number((found - months) / 3 + 1) + '-' +
           QByteArray::number(day);
}

bool isHeader(const std::vector<QByteArrayView> &header, bool &mmol)
{
    if (header.size() != ColumnCount)
        return false;
    const QByteArray glucose = header[Glucose].toByteArray().toLower();
    mmol = glucose.contains("(mmol/l)");
    const QByteArrayView intensity = header[ActivityIntensity];
    return (mmol || glucose.contains("(mg/dl)")) && intensity.contains("1:") &&
           intensity.contains("3:");
}

} // namespace

bool readMySugr(QByteArrayView data, EntrySink &sink)
{
    const qsizetype lineEnd = data.indexOf('\n');
    CsvReader csv(data, CsvReader::guessSeparator(data.first(lineEnd < 0 ? data.size() : lineEnd)));
    bool mmol = false;
    if (!csv.next() || !isHeader(csv.fields(), mmol))
        return false;
    sink.setFormat(QStringLiteral("mySugr CSV"));

    while (sink.nextRow(csv)) {
        const qsizetype line = csv.line();
        const auto field = [&csv](Column column) { return trimmed(csv.field(size_t(column))); };
        // A dose written 0 is none.
        const auto given = [&field](Column column) {
            double value;
            const QByteArrayView text = field(column);
            return !text.isEmpty() && !(parseNumber(text, value) && value == 0);
        };
        const bool pen = given(PenBolus), pump = given(PumpBolus);
        const bool meal = !pen && !pump && given(MealInsulin);
        const bool correction = !pen && !pump && given(CorrectionInsulin);
        if (!given(Glucose) && !pen && !pump && !meal && !correction && !given(BasalInjection) &&
            !given(Carbs)) {
            sink.skip();
            continue;
        }
        ReadingTime when;
        if (!parseReadingTime(numericDate(field(Date)) + ' ' + field(Time).toByteArray(), when)) {
            sink.unread(line, ImportText::tr("no readable date and time"));
            continue;
        }
        if (given(Glucose))
            sink.glucoseText(when, field(Glucose), mmol, line);
        if (pen)
            sink.amountText(when, bolusType, field(PenBolus), line);
        if (pump)
            sink.amountText(when, bolusType, field(PumpBolus), line);
        if (meal && correction) {
            // One bolus given for both; the sum to the decimals written.
            double a, b;
            if (parseNumber(field(MealInsulin), a) && parseNumber(field(CorrectionInsulin), b))
                sink.amount(when, bolusType, std::round((a + b) * 1e6) / 1e6, line);
            else
                sink.unread(line, ImportText::tr("no number for Bolus"));
        } else if (meal || correction) {
            sink.amountText(when, bolusType, field(meal ? MealInsulin : CorrectionInsulin), line);
        }
        if (given(BasalInjection))
            sink.amountText(when, basisType, field(BasalInjection), line);
        if (given(Carbs))
            sink.amountText(when, carbsType, field(Carbs), line);
    }
    return true;
}
