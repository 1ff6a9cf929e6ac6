// SPDX-License-Identifier: GPL-3.0-or-later
// Joining imported entries to the diary: which ones are already there, and
// where each new one goes. Pure row logic; the caller applies the result with
// Diary::insertRows as one change.
#ifndef IMPORTMERGE_H
#define IMPORTMERGE_H

#include "core/diary.h"

#include <QString>

#include <map>
#include <vector>

// One entry read from an export file, held as values: its texts are made only
// for the entries that join the diary.
struct ImportEntry
{
    qint32 julianDay = 0; // nullDay where the date text cannot be read
    qint16 minutes = 0;   // -1 where the time text cannot be read
    qint8 type = 0;       // position in items, -1 for another type text
    quint8 flags = 0;
    qint32 value = 0; // hundredths of a unit where flags has Fraction
    // Index into ImportBatch::verbatim for an entry whose texts are kept as
    // written (Mellidor's own files); -1 when formatted from the values.
    qint32 verbatim = -1;
    // The instant the file gave (milliseconds since the epoch), or noInstant
    // where it gave a wall-clock time only. When the clocks go back, local
    // times repeat; the instant still tells two readings apart.
    qint64 instant = noInstant;

    static constexpr qint32 nullDay = INT32_MIN;
    static constexpr qint64 noInstant = INT64_MIN;
    enum Flag : quint8
    {
        // A dose that is no whole number of units.
        Fraction = 1,
        // The file's dose rounded to whole units is one below the nearest
        // whole of the hundredths: 2.495 reads as 2.50, but as 2 units.
        WholeRoundsDown = 2
    };
    // The file's dose to whole units, halves up: what imports made of it
    // before doses kept their fractions.
    qint32 wholeValue() const
    {
        if (!(flags & Fraction))
            return value;
        return wholeUnits(value) - ((flags & WholeRoundsDown) ? 1 : 0);
    }
};

// Entries of one file with the same local date, time, type and value are
// still two readings when their instants lie this far apart.
inline constexpr qint64 sameReadingWithinMs = 30 * 60 * 1000;

// The entries of one file, in file order.
struct ImportBatch
{
    std::vector<ImportEntry> entries;
    std::vector<EntryTexts> verbatim;
    // Set for entries that were merged once already (an import applied again
    // to a reloaded diary): no two of them repeat each other.
    bool distinct = false;

    // Adds an entry formatted from its values; value is hundredths of a
    // unit where flags has ImportEntry::Fraction.
    void add(qint64 julianDay, int minutes, int type, int value,
             qint64 instant = ImportEntry::noInstant, quint8 flags = 0);
    // Adds an entry whose texts stay as given; its values are read from the
    // texts as the diary reads them.
    void addTexts(const EntryTexts &texts);
};

struct MergeCounts
{
    std::map<QString, qsizetype> addedByType;
    qsizetype added = 0;
    qsizetype duplicates = 0;
};

struct MergePlan
{
    // For Diary::insertRows: texts[i] lands at row rows[i], rows ascending.
    std::vector<int> rows;
    std::vector<EntryTexts> texts;
    std::vector<MergeCounts> counts; // one per batch
};

// Drops the entries whose date, time, type and value equal a diary row or an
// entry before them (in the same or an earlier batch), and places the others
// where the edit dialog would put each one, inserted one at a time in order:
// below the lowest row whose date and time are at or after its own.
// A dose with a fraction is also already there where a diary row of the same
// date, time and type holds the dose's whole units (imported before doses
// kept their fractions).
// Entries of one batch whose instants lie sameReadingWithinMs or more apart
// are two readings even where their texts agree: a diary holding one such
// entry gets the other, one holding both gets neither. Among new entries of
// the same date and time, the later instant goes above.
// O(N + M log M) for N rows and M entries, whatever the diary's order.
MergePlan planMerge(const Diary &diary, const std::vector<const ImportBatch *> &batches);

// Plans texts already merged once again, on rows read anew from the file
// (an import step's plan after another program changed the diary).
void replanMerge(const Diary &diary, std::vector<int> &rows, std::vector<EntryTexts> &texts);

#endif
