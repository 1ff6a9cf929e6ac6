// SPDX-License-Identifier: GPL-3.0-or-later
// What every reader shares: timestamps whose day-month order is settled once
// the whole file is read, rounding and unit conversion of values, counting
// of skipped and unreadable rows, and progress.
#ifndef ENTRYSINK_H
#define ENTRYSINK_H

#include "import/csvreader.h"
#include "import/importfile.h"

#include <QByteArrayView>
#include <QDateTime>

#include <initializer_list>
#include <vector>

struct JsonRecords;

// A timestamp as written. Dates with the year last are ambiguous until the
// whole file is seen.
struct ReadingTime
{
    int year = 0;
    int first = 0;  // month when the year comes first, else day or month
    int second = 0; // day when the year comes first, else month or day
    int minutes = 0;
    bool yearFirst = true;
    bool twelveHour = false; // written with AM or PM
    // Where the file gave an instant: milliseconds since the epoch, and the
    // local clock's offset from UTC then, in seconds.
    qint64 instant = ImportEntry::noInstant;
    int utcOffset = 0;
};

// Reads "2024-03-05T14:07:33", "05.03.2024 14:07", "3/5/2024 2:07 PM" and the
// like; seconds and fractions are cut off. False for anything else, and for
// years before firstImportYear.
bool parseReadingTime(QByteArrayView text, ReadingTime &when);
// The local date and time of an instant given in milliseconds since the
// epoch, cut to the minute. False (and nothing converted) where it lies
// outside the years firstImportYear to lastImportYear, or is no number.
bool readingTimeOfInstant(double msSinceEpoch, ReadingTime &when);
// The same for a parsed date and time: an instant where it has a zone or an
// offset, else a wall-clock time taken as it is.
bool readingTimeOfDateTime(const QDateTime &dateTime, ReadingTime &when);

// A number with a decimal point or comma; blanks around it are allowed.
bool parseNumber(QByteArrayView text, double &number);

QByteArrayView trimmed(QByteArrayView text);
// Lower case letters and digits only: "Fast-Acting" gives "fastacting".
QByteArray foldWord(QByteArrayView text);
// Whether text starts with, or holds, one of the words: column names
// matched against their known spellings.
bool startsWithAny(QByteArrayView text, std::initializer_list<const char *> words);
bool containsAny(QByteArrayView text, std::initializer_list<const char *> words);

class EntrySink
{
public:
    EntrySink(ImportResult &result, const ImportProgress &progress, qint64 total);

    void setFormat(const QString &format) { m_result.format = format; }
    // The text was no UTF-8 and is read as Windows-1252.
    void readAsWindows1252() { m_result.windows1252 = true; }

    // A glucose reading; mmol/L are converted to mg/dL.
    void glucose(const ReadingTime &when, double value, bool mmol, qsizetype line);
    // A dose, kept to hundredths of a unit, or an amount of carbs, rounded
    // to whole grams; an amount that rounds to nothing is skipped.
    void amount(const ReadingTime &when, int type, double value, qsizetype line);
    // The text of a value column; unreadable text makes the row unread.
    void glucoseText(const ReadingTime &when, QByteArrayView text, bool mmol, qsizetype line);
    void amountText(const ReadingTime &when, int type, QByteArrayView text, qsizetype line);

    void skip() { ++m_result.rowsSkipped; }
    // A skipped row counted under its kind in the summary: skip("basal rate
    // row", "basal rate rows").
    void skip(const char *one, const char *many);
    // A reading the file writes again (a pump copies a meter reading under
    // several sources): counted with the duplicates.
    void copy() { ++m_result.copiesSkipped; }
    void unread(qsizetype line, const QString &reason);
    // The file is in this reader's format but cannot be read at all.
    void refuse(const QString &why) { m_result.error = why; }
    // Refuses the file for a record longer than CsvReader::maxRecordBytes
    // at line, or at a line of member (a file of an archive).
    void refuseOverlong(qsizetype line, const QString &member = QString());

    // Entries that need no date order (Mellidor's own files).
    ImportBatch &batch() { return m_result.batch; }

    // Reports progress every few thousand rows; false once cancelled.
    bool progress(qint64 done);
    // The next data row of csv: blank lines are passed over and a row the
    // file's end cuts off is unread. False at the end, or once cancelled.
    // The offsets place csv's bytes and lines in the whole file.
    bool nextRow(CsvReader &csv, qint64 byteOffset = 0, qsizetype lineOffset = 0);

    // Settles the date order and hands the entries over in file order.
    void finish();

private:
    // An entry while the date order is not settled, packed: a large file
    // holds millions. Lines fit: a file of maxImportFileBytes has fewer.
    struct Pending
    {
        qint64 instant;
        qint32 value; // hundredths of a unit where flags has ImportEntry::Fraction
        qint32 line;
        qint32 utcOffset;
        qint16 year, minutes;
        qint8 first, second, type;
        quint8 flags;
        bool yearFirst, twelveHour;
    };
    void add(const ReadingTime &when, int type, int value, qsizetype line, quint8 flags = 0);
    void findClockChanges();

    ImportResult &m_result;
    const ImportProgress &m_progress;
    qint64 m_total;
    int m_calls = 0;
    std::vector<Pending> m_pending;
};

// Content that opens with '[' or '{' is JSON and goes to the JSON reader
// only, so broken JSON is told as such.
bool looksLikeJson(QByteArrayView data);

// Each reader checks the content first and returns false, reading nothing,
// when the file is not in its format. A reader that knows the format but
// cannot read the file at all refuses it through the sink.
bool readDexcom(QByteArrayView data, EntrySink &sink);
bool readLibreView(QByteArrayView data, EntrySink &sink);
bool readResearchTable(QByteArrayView data, EntrySink &sink);
bool readMySugr(QByteArrayView data, EntrySink &sink);
bool readGlooko(QByteArrayView data, EntrySink &sink);
// A Glooko export zip; any other zip archive is refused.
bool readGlookoZip(QByteArrayView data, EntrySink &sink);
bool readCareLink(QByteArrayView data, EntrySink &sink);
bool readNightscoutJson(const JsonRecords &records, EntrySink &sink);
bool readTidepoolJson(const JsonRecords &records, EntrySink &sink);
bool readTidepoolCsv(QByteArrayView data, EntrySink &sink);
bool readNightscoutTable(QByteArrayView data, EntrySink &sink);
bool readMellidorCsv(QByteArrayView data, EntrySink &sink);
bool readMellidorDiary(QByteArrayView data, EntrySink &sink);

#endif
