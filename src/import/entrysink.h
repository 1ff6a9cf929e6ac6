// SPDX-License-Identifier: GPL-3.0-or-later
// What every reader shares: timestamps whose day-month order is settled once
// the whole file is read, rounding and unit conversion of values, counting
// of skipped and unreadable rows, and progress.
#ifndef ENTRYSINK_H
#define ENTRYSINK_H

#include "import/csvreader.h"
#include "import/fieldparsing.h"
#include "import/importfile.h"

#include <QByteArrayView>

#include <vector>

// Where the rows of a CSV reader lie in the file: its bytes from byteOffset
// on, byteScale of the file's bytes each (for a file unpacked from an
// archive, whose bytes progress counts), its lines after lineOffset, in the
// archive's file member.
struct RowPlace
{
    explicit RowPlace(qint64 byteOffset = 0, qsizetype lineOffset = 0, double byteScale = 1,
                      const QString &member = QString())
        : byteOffset(byteOffset), lineOffset(lineOffset), byteScale(byteScale), member(member)
    {}
    qint64 byteOffset;
    qsizetype lineOffset;
    double byteScale;
    QString member;
};

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
    // file's end cuts off is unread; a record too long refuses the file.
    // False at the end, or once cancelled.
    bool nextRow(CsvReader &csv, const RowPlace &place = RowPlace());

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

#endif
