// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an export file of a glucose sensor, a pump or Mellidor itself into
// entries. The format is told from the content, never from the file name.
#ifndef IMPORTFILE_H
#define IMPORTFILE_H

#include "core/importmerge.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <vector>

// Called now and then with the bytes read so far and the file's size;
// returning false cancels the reading.
using ImportProgress = std::function<bool(qint64 done, qint64 total)>;

enum class DateOrder
{
    YearFirst,  // 2024-03-05, or times given as instants (Nightscout)
    DayFirst,   // 05-03-2024 read as 5 March
    MonthFirst, // 03-05-2024 read as 5 March
};

// Rows of one kind that hold no entry, such as "basal rate" rows.
struct SkippedKind
{
    QString one;  // "basal rate row"
    QString many; // "basal rate rows"
    qsizetype count = 0;
};

struct UnreadRow
{
    qsizetype line = 0; // from 1
    QString reason;
};

// A change of the computer's clock (daylight saving time) between two
// instants of a file: the local times from start to end occur twice (the
// clocks went back) or not at all.
struct ClockChange
{
    QDate date; // of start
    int startMinutes = 0;
    int endMinutes = 0;
    bool repeated = false;
};

struct ImportResult
{
    QString path;
    QString format; // e.g. "Dexcom Clarity CSV"; empty when the file is not known
    ImportBatch batch;
    qsizetype rowsSkipped = 0; // rows that hold no entry (alerts, rates, doses of 0 ...)
    std::vector<SkippedKind> skippedKinds; // those of them a reader named, in the order met
    qsizetype copiesSkipped = 0;           // readings the file writes again under another name
    qsizetype valuesRounded = 0;   // grams and readings not whole, doses beyond two decimals
    qsizetype mmolReadings = 0;    // readings given in mmol/L
    qsizetype unreadCount = 0;     // rows that should hold an entry but cannot be read
    std::vector<UnreadRow> unread; // the first few of them
    // The order used for dates such as 05-03-2024; YearFirst when the file
    // has none.
    DateOrder dateOrder = DateOrder::YearFirst;
    // The text was no UTF-8 and was read as Windows-1252.
    bool windows1252 = false;
    // The clock changes the file's instants cross, the first few of them.
    std::vector<ClockChange> clockChanges;
    bool cancelled = false;
    // Why the file is refused; empty when it was read. A refused file adds
    // nothing.
    QString error;

    bool ok() const { return error.isEmpty() && !cancelled; }
};

inline constexpr int maxUnreadRowsKept = 5;
inline constexpr int maxClockChangesKept = 5;
// Far above any export a person could have; more is not read into memory.
inline constexpr qint64 maxImportFileBytes = qint64(1) << 30;
// Times outside these years are misread columns, never diary entries.
inline constexpr int firstImportYear = 1900;
inline constexpr int lastImportYear = 9999;

ImportResult readImportFile(const QString &path, const ImportProgress &progress = {});
// The same for a file's bytes; name stands for the file in messages.
ImportResult readImportData(const QByteArray &data, const QString &name,
                            const ImportProgress &progress = {});

// "Dexcom Clarity CSV, Medtronic CareLink CSV, ...", for help and messages.
QString knownImportFormats();

#endif
