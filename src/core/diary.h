// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the diary. Each row keeps its parsed date, time, type and value;
// its four texts are formatted back from them, except for the rows whose texts
// differ from what formatting gives (hand-edited lines), which keep their
// texts verbatim. Rows are stored bottom-up, so a new row 0 is an append.
//
// The same content can also be read as a flat list of 4 x N items in four
// column blocks (dates, times, types, values); item i belongs to row i mod N.
// Every change is made to whole rows.
#ifndef DIARY_H
#define DIARY_H

#include "core/dayindex.h"
#include "core/entrytext.h"
#include "core/regularfile.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <cstdint>
#include <vector>

using EntryTexts = std::array<QByteArray, 4>; // date, time, type, value as UTF-8

class Diary
{
public:
    enum Column
    {
        DateColumn,
        TimeColumn,
        TypeColumn,
        ValueColumn
    };

    int rowCount() const { return int(itemCount() >> 2); }
    qsizetype itemCount() const { return qsizetype(m_rows.size()) * 4; }
    bool isEmpty() const { return itemCount() == 0; }

    // Row level: row 0 is the top row.
    void reserve(qsizetype rows) { m_rows.reserve(size_t(rows)); }
    void prependRow(const EntryTexts &texts);
    // Splits an entry line (without its line feed) and adds it as row 0.
    // Returns false where saving would not write the line back as it was
    // (fewer than three commas).
    bool prependLine(const char *line, qsizetype length);
    void insertRow(int row, const EntryTexts &texts);
    // Moves every row of rows above row 0, in their order (the pieces of a
    // file read side by side).
    void placeOnTop(Diary &&rows);
    void removeRow(int row);
    // Batch forms, linear in the diary's size. insertRows puts texts[i] at
    // row rows[i] of the result; removeRows takes out the given rows. Both
    // want the rows in ascending order, without repeats.
    void insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts);
    void removeRows(const std::vector<int> &rows);
    EntryTexts entryTexts(int row) const;
    // The row whose four texts are these, the one nearest to hint first; -1
    // when there is none.
    int findRow(const EntryTexts &texts, int hint) const;
    void clear();

    QString text(int row, int column) const;
    QByteArray bytes(int row, int column) const;
    QDate date(int row) const;
    QTime time(int row) const;
    QString type(int row) const;
    // The type's position in items, or -1 for another text.
    int typeOf(int row) const;
    // A dose with a fraction keeps hundredths of a unit: value() gives it to
    // the nearest whole unit, hundredths() exactly (any other value times 100).
    int value(int row) const;
    bool hasFraction(int row) const;
    qint64 hundredths(int row) const;
    // The mg/dL of a Glucose row whose value is a plain whole number, else -1:
    // what may be shown in another unit without hiding a hand-made text.
    int plainGlucose(int row) const;
    // Appends the row's entry line and a line feed.
    void appendLine(int row, QByteArray &out) const;

    // Item level, over the four column blocks. An index outside the list reads
    // an empty text.
    QString itemText(qsizetype index) const;

    // Sorts whole entries by date and time (stable). Returns the order it
    // made, which restoreOrder() takes back.
    using Order = std::vector<quint32>;
    Order sortByDateTime(bool ascending);
    void restoreOrder(const Order &order);

    // Calls f(row, julianDay, minutes, type, value) for every row, from the
    // bottom row up to row 0. julianDay is INT64_MIN for an unreadable date,
    // minutes -1 for an unreadable time, type the position in items or -1.
    // value is value(row).
    template <typename F> void forEachEntry(F f) const;

    // Calls f(row, julianDay, minutes, value) for every "Glucose" row with a
    // valid date on or after startDay, from the bottom row up to row 0.
    template <typename F> void forEachGlucoseFrom(qint64 startDay, F f) const;

    // Where the rows lie in the file they were last read from or written to
    // exactly (the file of that stamp): a mark says that the bottom `rows`
    // rows fill its first `bytes` bytes. A change to a row drops the marks
    // above it, so a save may copy what a mark covers from that file instead
    // of formatting those rows again. Marks ascend.
    struct FileMark
    {
        qsizetype rows;
        qint64 bytes;
    };
    struct FileLayout
    {
        FileStamp stamp;
        std::vector<FileMark> marks;
    };
    static constexpr qsizetype fileMarkEvery = 1024;
    const FileLayout &fileLayout() const { return m_fileLayout; }
    // Part of what was saved, not of the rows: a const diary keeps it too.
    void setFileLayout(FileLayout layout) const { m_fileLayout = std::move(layout); }

    // The days that hold entries with a readable date, from an index built
    // on first use and kept right through every change.
    const DayIndex &days() const;
    // The rows of a day, top first.
    std::vector<int> rowsOn(const QDate &day) const;
    // A diary of just these rows, in this order: figures over a few rows
    // without reading all of them.
    Diary copyOfRows(const std::vector<int> &rows) const;

    // Key that orders rows by date, then time; null dates come first.
    static qint64 dateTimeKey(const QDate &date, const QTime &time);
    qint64 dateTimeKey(int row) const;

private:
    // DateFromText: the date lies outside the stored day range and is read
    // from its text again.
    enum Flag : quint8
    {
        NullDate = 1,
        InvalidTime = 2,
        DateFromText = 4,
        // value holds hundredths of a unit, not a whole number of units.
        Fraction = 8
    };
    static constexpr quint8 OtherType = 0xff;
    static constexpr int blockSize = 512;

    struct Row
    {
        qint32 julianDay;
        qint32 value;
        quint32 verbatim; // 1 + index into m_verbatim, 0 when formatted from the fields
        quint16 minutes;
        quint8 type;
        quint8 flags;
    };

    struct Span
    {
        const char *data;
        qsizetype size;
    };

    static int wholeValue(const Row &row)
    {
        return (row.flags & Fraction) ? wholeUnits(row.value) : row.value;
    }
    static bool matchCanonical(const Span *fields, Row &row);
    static bool matchCanonical(const EntryTexts &texts, Row &row);
    bool rowHasTexts(size_t storageIndex, const Row &probe, bool canonical,
                     const EntryTexts &texts) const;
    static qint64 rowKey(const Row &row);
    // Writes a formatted field of a row kept as values; returns its length.
    static int writeField(const Row &row, int column, char *out);
    Row makeRow(const EntryTexts &texts);
    void releaseVerbatim(const Row &row);
    const Row &rowAt(int row) const { return m_rows[m_rows.size() - 1 - size_t(row)]; }
    void rowsChangedFrom(size_t storageIndex);
    void refreshBlocks() const;

    std::vector<Row> m_rows; // bottom-up: m_rows.back() is row 0
    std::vector<EntryTexts> m_verbatim;
    std::vector<quint32> m_freeVerbatim;
    // Latest "Glucose" day of each block of rows, for skipping old blocks.
    mutable std::vector<qint32> m_blockLatest;
    mutable size_t m_blocksValid = 0;
    mutable DayIndex m_days;
    mutable FileLayout m_fileLayout;
};

template <typename F> void Diary::forEachGlucoseFrom(qint64 startDay, F f) const
{
    refreshBlocks();
    const size_t n = m_rows.size();
    for (size_t b = 0; b < m_blockLatest.size(); ++b) {
        if (m_blockLatest[b] < startDay)
            continue;
        const size_t end = std::min(n, (b + 1) * blockSize);
        for (size_t i = b * blockSize; i < end; ++i) {
            const Row &row = m_rows[i];
            if (row.type != glucoseType || (row.flags & NullDate) || row.julianDay < startDay)
                continue;
            f(int(n - 1 - i), qint64(row.julianDay),
              (row.flags & InvalidTime) ? 0 : int(row.minutes), int(row.value));
        }
    }
}

template <typename F> void Diary::forEachEntry(F f) const
{
    const size_t n = m_rows.size();
    for (size_t i = 0; i < n; ++i) {
        const Row &row = m_rows[i];
        f(int(n - 1 - i), (row.flags & NullDate) ? INT64_MIN : qint64(row.julianDay),
          (row.flags & InvalidTime) ? -1 : int(row.minutes),
          row.type == OtherType ? -1 : int(row.type), wholeValue(row));
    }
}

#endif
