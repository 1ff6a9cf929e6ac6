// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diary.h"

#include "core/entrytext.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

namespace {

// The canonical texts are exactly what formatting their values gives back;
// only then can a row drop its texts and keep its values. Each matcher
// checks that form directly: digits without leading zeros, blank padding.

// "%2d" of a number from 1 to 99: " 5" or "17".
bool matchTwoWide(const char *s, int &number)
{
    if (s[0] == ' ' && s[1] >= '1' && s[1] <= '9') {
        number = s[1] - '0';
        return true;
    }
    if (s[0] >= '1' && s[0] <= '9' && isDigit(s[1])) {
        number = (s[0] - '0') * 10 + (s[1] - '0');
        return true;
    }
    return false;
}

bool matchDate(const char *s, qsizetype len, int &day, int &month, int &year)
{
    // dd.mm.yyyy with a year of 2 to 6 digits
    if (len < 8 || len > 12 || s[2] != '.' || s[5] != '.')
        return false;
    if (!matchTwoWide(s, day) || !matchTwoWide(s + 3, month))
        return false;
    if (s[6] < '1' || s[6] > '9')
        return false;
    year = 0;
    for (qsizetype i = 6; i < len; ++i) {
        if (!isDigit(s[i]))
            return false;
        year = year * 10 + (s[i] - '0');
    }
    return day <= 31 && month <= 12;
}

bool matchTime(const char *s, qsizetype len, int &minutes)
{
    if (len != 5 || !isDigit(s[0]) || !isDigit(s[1]) || s[2] != ':' || !isDigit(s[3]) ||
        !isDigit(s[4]))
        return false;
    const int hour = (s[0] - '0') * 10 + (s[1] - '0');
    const int minute = (s[3] - '0') * 10 + (s[4] - '0');
    if (hour > 23 || minute > 59)
        return false;
    minutes = hour * 60 + minute;
    return true;
}

// "% 4d": blanks, an optional minus, digits without a leading zero; as many
// blanks as make four characters, and at least one before a positive number.
bool matchValue(const char *s, qsizetype len, int &value)
{
    qsizetype pos = 0;
    while (pos < len && s[pos] == ' ')
        ++pos;
    const qsizetype blanks = pos;
    const bool negative = pos < len && s[pos] == '-';
    if (negative)
        ++pos;
    const qsizetype digits = len - pos;
    if (digits < 1 || digits > 9 || (digits > 1 && s[pos] == '0'))
        return false;
    int magnitude = 0;
    for (; pos < len; ++pos) {
        if (!isDigit(s[pos]))
            return false;
        magnitude = magnitude * 10 + (s[pos] - '0');
    }
    if (negative && magnitude == 0)
        return false;
    const qsizetype body = digits + 1; // the sign or its blank
    const qsizetype padding = body < 4 ? 4 - body : 0;
    if (blanks != padding + (negative ? 0 : 1))
        return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

// A dose with a fraction, written shortest and right-aligned in four
// characters: "2.35", " 2.5", "12.5". Whole doses are matchValue's; "2.",
// ".5", "2.50", a sign or an exponent are not this form.
bool matchFraction(const char *s, qsizetype len, int &hundredths)
{
    qsizetype pos = 0;
    while (pos < len && s[pos] == ' ')
        ++pos;
    const qsizetype blanks = pos;
    const qsizetype body = len - pos;
    qsizetype digits = 0;
    int whole = 0;
    // Seven whole digits keep the hundredths within 32 bits.
    for (; pos < len && isDigit(s[pos]); ++pos, ++digits) {
        if (digits == 7)
            return false;
        whole = whole * 10 + (s[pos] - '0');
    }
    if (digits < 1 || (digits > 1 && s[blanks] == '0'))
        return false;
    const qsizetype decimals = len - pos - 1;
    if (pos == len || s[pos] != '.' || decimals < 1 || decimals > 2 || s[len - 1] == '0')
        return false;
    int cents = 0;
    for (++pos; pos < len; ++pos) {
        if (!isDigit(s[pos]))
            return false;
        cents = cents * 10 + (s[pos] - '0');
    }
    if (decimals == 1)
        cents *= 10;
    if (blanks != (body < 4 ? 4 - body : 0))
        return false;
    hundredths = whole * 100 + cents;
    return true;
}

qint32 clampDay(qint64 julianDay)
{
    return qint32(std::clamp<qint64>(julianDay, INT_MIN, INT_MAX));
}

} // namespace

bool Diary::matchCanonical(const Span *fields, Row &row)
{
    int day = 0, month = 0, year = 0, minutes = 0, value = 0;
    const int type = typeIndex(fields[TypeColumn].data, fields[TypeColumn].size);
    if (type < 0 ||
        !matchDate(fields[DateColumn].data, fields[DateColumn].size, day, month, year) ||
        !matchTime(fields[TimeColumn].data, fields[TimeColumn].size, minutes))
        return false;
    const Span &valueField = fields[ValueColumn];
    bool fraction = false;
    // Whole values first: they are nearly every line of a diary.
    if (!matchValue(valueField.data, valueField.size, value)) {
        if (!takesFraction(type) || !matchFraction(valueField.data, valueField.size, value))
            return false;
        fraction = true;
    }
    // Neighbouring lines mostly share their day: remember the last one.
    static thread_local int lastDay = 0, lastMonth = 0, lastYear = 0;
    static thread_local qint32 lastJulianDay = 0;
    if (day != lastDay || month != lastMonth || year != lastYear) {
        if (!QDate::isValid(year, month, day))
            return false;
        lastDay = day;
        lastMonth = month;
        lastYear = year;
        lastJulianDay = qint32(QDate(year, month, day).toJulianDay());
    }
    row = Row{};
    row.julianDay = lastJulianDay;
    row.minutes = quint16(minutes);
    row.value = value;
    row.type = quint8(type);
    row.flags = fraction ? Fraction : 0;
    return true;
}

bool Diary::matchCanonical(const EntryTexts &texts, Row &row)
{
    Span spans[4];
    for (int column = DateColumn; column <= ValueColumn; ++column)
        spans[column] = Span{texts[column].constData(), texts[column].size()};
    return matchCanonical(spans, row);
}

Diary::Row Diary::makeRow(const EntryTexts &texts)
{
    Row row{};
    if (matchCanonical(texts, row))
        return row;

    // A hand-made line: read it the general way and keep its texts.
    const QDate date = parseDate(QString::fromUtf8(texts[DateColumn]));
    const QTime time = parseTime(QString::fromUtf8(texts[TimeColumn]));
    const QString typeText = QString::fromUtf8(texts[TypeColumn]);
    const int otherType = typeIndex(typeText);
    row.type = otherType >= 0 ? quint8(otherType) : OtherType;
    const QString valueText = QString::fromUtf8(texts[ValueColumn]);
    row.value = parseValue(valueText);
    qint32 hundredths = 0;
    // A dose written another way ("2.", ".5", "2.345") still reads as the
    // number it shows; the row keeps its text, so saving writes it back.
    if (otherType >= 0 && takesFraction(otherType) && parseDecimal(valueText, hundredths)) {
        if (hundredths % 100) {
            row.value = hundredths;
            row.flags |= Fraction;
        } else {
            row.value = hundredths / 100;
        }
    }
    if (!date.isValid()) {
        row.flags |= NullDate;
        row.julianDay = INT_MIN;
    } else {
        row.julianDay = clampDay(date.toJulianDay());
        if (row.julianDay != date.toJulianDay())
            row.flags |= DateFromText;
    }
    if (time.isValid())
        row.minutes = quint16(time.hour() * 60 + time.minute());
    else
        row.flags |= InvalidTime;
    if (!m_freeVerbatim.empty()) {
        const quint32 slot = m_freeVerbatim.back();
        m_freeVerbatim.pop_back();
        m_verbatim[slot] = texts;
        row.verbatim = slot + 1;
    } else {
        m_verbatim.push_back(texts);
        row.verbatim = quint32(m_verbatim.size());
    }
    return row;
}

void Diary::releaseVerbatim(const Row &row)
{
    if (!row.verbatim)
        return;
    m_verbatim[row.verbatim - 1] = EntryTexts();
    m_freeVerbatim.push_back(row.verbatim - 1);
}

void Diary::rowsChangedFrom(size_t storageIndex)
{
    m_blocksValid = std::min(m_blocksValid, storageIndex / blockSize);
    m_days.invalidateFrom(storageIndex);
    std::vector<FileMark> &marks = m_fileLayout.marks;
    while (!marks.empty() && size_t(marks.back().rows) > storageIndex)
        marks.pop_back();
}

void Diary::prependRow(const EntryTexts &texts)
{
    insertRow(0, texts);
}

bool Diary::prependLine(const char *line, qsizetype length)
{
    bool allCommas = true;
    Span fields[4];
    qsizetype start = 0;
    for (int column = DateColumn; column < ValueColumn; ++column) {
        // Fields are short: a plain loop beats a library call here.
        qsizetype at = start;
        while (at < length && line[at] != ',')
            ++at;
        if (at == length) {
            allCommas = false;
            fields[column] = Span{line + start, length - start};
        } else {
            fields[column] = Span{line + start, at - start};
            start = at + 1;
        }
    }
    fields[ValueColumn] = Span{line + start, length - start};
    Row row;
    if (!matchCanonical(fields, row)) {
        EntryTexts texts;
        for (int column = DateColumn; column <= ValueColumn; ++column)
            texts[column] = QByteArray(fields[column].data, fields[column].size);
        prependRow(texts);
        return allCommas;
    }
    // On top: no mark of the file can cover it.
    m_blocksValid = std::min(m_blocksValid, m_rows.size() / blockSize);
    m_days.invalidateFrom(m_rows.size());
    m_rows.push_back(row);
    return true;
}

void Diary::insertRow(int row, const EntryTexts &texts)
{
    const size_t at = m_rows.size() - size_t(row);
    m_rows.insert(m_rows.begin() + qsizetype(at), makeRow(texts));
    rowsChangedFrom(at);
}

void Diary::placeOnTop(Diary &&rows)
{
    const size_t first = m_rows.size();
    const auto shift = quint32(m_verbatim.size());
    m_rows.insert(m_rows.end(), rows.m_rows.begin(), rows.m_rows.end());
    for (size_t i = first; shift && i < m_rows.size(); ++i) {
        if (m_rows[i].verbatim)
            m_rows[i].verbatim += shift;
    }
    m_verbatim.insert(m_verbatim.end(), std::make_move_iterator(rows.m_verbatim.begin()),
                      std::make_move_iterator(rows.m_verbatim.end()));
    for (quint32 slot : rows.m_freeVerbatim)
        m_freeVerbatim.push_back(slot + shift);
    rowsChangedFrom(first);
    rows.clear();
}

void Diary::removeRow(int row)
{
    const size_t at = m_rows.size() - 1 - size_t(row);
    releaseVerbatim(m_rows[at]);
    m_rows.erase(m_rows.begin() + qsizetype(at));
    rowsChangedFrom(at);
}

void Diary::clear()
{
    m_rows.clear();
    m_verbatim.clear();
    m_freeVerbatim.clear();
    rowsChangedFrom(0);
}

int Diary::writeField(const Row &r, int column, char *out)
{
    switch (column) {
    case DateColumn: {
        // Saving goes day by day: the text of the day before serves again.
        static thread_local qint32 lastDay = 0;
        static thread_local char lastText[32];
        static thread_local int lastLength = 0;
        if (lastLength == 0 || r.julianDay != lastDay) {
            int y, m, d;
            QDate::fromJulianDay(r.julianDay).getDate(&y, &m, &d);
            lastLength = writeDate(lastText, d, m, y);
            lastDay = r.julianDay;
        }
        std::memcpy(out, lastText, size_t(lastLength));
        return lastLength;
    }
    case TimeColumn:
        return writeTime(out, r.minutes / 60, r.minutes % 60);
    case TypeColumn: {
        const int length = int(std::strlen(items[r.type]));
        std::memcpy(out, items[r.type], size_t(length));
        return length;
    }
    default:
        return (r.flags & Fraction) ? writeFraction(out, r.value) : writeValue(out, r.value);
    }
}

QByteArray Diary::bytes(int row, int column) const
{
    const Row &r = rowAt(row);
    if (r.verbatim)
        return m_verbatim[r.verbatim - 1][column];
    char buffer[32];
    return QByteArray(buffer, writeField(r, column, buffer));
}

QString Diary::text(int row, int column) const
{
    const Row &r = rowAt(row);
    if (!r.verbatim && column == TypeColumn)
        return typeName(r.type);
    return QString::fromUtf8(bytes(row, column));
}

void Diary::appendLine(int row, QByteArray &out) const
{
    if (rowAt(row).verbatim) {
        for (int column = DateColumn; column <= ValueColumn; ++column) {
            if (column)
                out += ',';
            out += bytes(row, column);
        }
        out += '\n';
        return;
    }
    // Saving a million rows goes through here: no allocation per row.
    const Row &r = rowAt(row);
    char buffer[128];
    int n = 0;
    for (int column = DateColumn; column <= ValueColumn; ++column) {
        n += writeField(r, column, buffer + n);
        buffer[n++] = column == ValueColumn ? '\n' : ',';
    }
    out.append(buffer, n);
}

QDate Diary::date(int row) const
{
    const Row &r = rowAt(row);
    if (r.flags & NullDate)
        return QDate();
    if (r.flags & DateFromText)
        return parseDate(text(row, DateColumn));
    return QDate::fromJulianDay(r.julianDay);
}

QTime Diary::time(int row) const
{
    const Row &r = rowAt(row);
    if (r.flags & InvalidTime)
        return QTime();
    return QTime(r.minutes / 60, r.minutes % 60);
}

QString Diary::type(int row) const
{
    return text(row, TypeColumn);
}

int Diary::typeOf(int row) const
{
    const quint8 type = rowAt(row).type;
    return type == OtherType ? -1 : int(type);
}

int Diary::value(int row) const
{
    return wholeValue(rowAt(row));
}

bool Diary::hasFraction(int row) const
{
    return rowAt(row).flags & Fraction;
}

int Diary::plainGlucose(int row) const
{
    const Row &r = rowAt(row);
    if (r.type != glucoseType)
        return -1;
    if (r.verbatim) {
        const QByteArray text = m_verbatim[r.verbatim - 1][ValueColumn].trimmed();
        if (text.isEmpty() || text.size() > 9 || !std::all_of(text.cbegin(), text.cend(), isDigit))
            return -1;
    }
    return r.value;
}

qint64 Diary::hundredths(int row) const
{
    const Row &r = rowAt(row);
    return (r.flags & Fraction) ? qint64(r.value) : qint64(r.value) * 100;
}

namespace {
// Null dates sort below every real day (which is shifted to be positive),
// then by their minutes.
qint64 sortKey(bool nullDate, qint32 julianDay, qint64 minutes)
{
    return nullDate ? minutes : (qint64(julianDay) + (qint64(1) << 32)) * 1440 + minutes;
}
} // namespace

qint64 Diary::dateTimeKey(const QDate &date, const QTime &time)
{
    return sortKey(!date.isValid(), date.isValid() ? clampDay(date.toJulianDay()) : 0,
                   time.isValid() ? time.hour() * 60 + time.minute() : 0);
}

qint64 Diary::rowKey(const Row &r)
{
    return sortKey(r.flags & NullDate, r.julianDay, (r.flags & InvalidTime) ? 0 : r.minutes);
}

qint64 Diary::dateTimeKey(int row) const
{
    return rowKey(rowAt(row));
}

QString Diary::itemText(qsizetype index) const
{
    if (index < 0 || index >= itemCount())
        return QString();
    const qsizetype n = rowCount();
    return text(int(index % n), int(index / n));
}

Diary::Order Diary::sortByDateTime(bool ascending)
{
    Order order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(i);
    // Storage runs bottom-up, so ascending from the top is descending here.
    std::stable_sort(order.begin(), order.end(), [this, ascending](quint32 a, quint32 b) {
        const qint64 ka = rowKey(m_rows[a]), kb = rowKey(m_rows[b]);
        return ascending ? ka > kb : ka < kb;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (quint32 from : order)
        sorted.push_back(m_rows[from]);
    m_rows.swap(sorted);
    rowsChangedFrom(0);
    return order;
}

void Diary::restoreOrder(const Order &order)
{
    if (order.size() != m_rows.size())
        return;
    std::vector<Row> restored(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        restored[order[i]] = m_rows[i];
    m_rows.swap(restored);
    rowsChangedFrom(0);
}

void Diary::insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts)
{
    if (rows.size() == 1) {
        insertRow(rows.front(), texts.front());
        return;
    }
    if (rows.empty())
        return;
    // In place, from the top down: only the rows above the lowest new one
    // move, and the room a load leaves takes a year's import without a copy.
    const size_t total = m_rows.size() + rows.size();
    if (m_rows.capacity() < total)
        m_rows.reserve(total + total / 8);
    size_t old = m_rows.size();
    m_rows.resize(total);
    // Storage runs bottom-up: the highest new row comes first.
    for (size_t next = 0, i = total; next < rows.size();) {
        if (--i == total - 1 - size_t(rows[next]))
            m_rows[i] = makeRow(texts[next++]);
        else
            m_rows[i] = m_rows[--old];
    }
    rowsChangedFrom(total - 1 - size_t(rows.back()));
}

void Diary::removeRows(const std::vector<int> &rows)
{
    if (rows.size() == 1) {
        removeRow(rows.front());
        return;
    }
    if (rows.empty())
        return;
    const size_t n = m_rows.size();
    std::vector<bool> drop(n, false);
    for (int row : rows) {
        const size_t at = n - 1 - size_t(row);
        drop[at] = true;
        releaseVerbatim(m_rows[at]);
    }
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!drop[i])
            m_rows[kept++] = m_rows[i];
    }
    m_rows.resize(kept);
    rowsChangedFrom(n - 1 - size_t(rows.back()));
}

bool Diary::rowHasTexts(size_t storageIndex, const Row &probe, bool canonical,
                        const EntryTexts &texts) const
{
    const Row &r = m_rows[storageIndex];
    if (canonical)
        return !r.verbatim && r.julianDay == probe.julianDay && r.minutes == probe.minutes &&
               r.type == probe.type && r.value == probe.value &&
               (r.flags & Fraction) == (probe.flags & Fraction);
    return r.verbatim && m_verbatim[r.verbatim - 1] == texts;
}

int Diary::findRow(const EntryTexts &texts, int hint) const
{
    Row probe{};
    const bool canonical = matchCanonical(texts, probe);
    const qsizetype n = qsizetype(m_rows.size());
    if (n == 0)
        return -1;
    const qsizetype start = std::clamp<qsizetype>(n - 1 - hint, 0, n - 1);
    // Outward from the hint: after an outside change the entry is mostly near.
    for (qsizetype step = 0; step < n; ++step) {
        for (const qsizetype at : {start - step, start + step + 1}) {
            if (at >= 0 && at < n && rowHasTexts(size_t(at), probe, canonical, texts))
                return int(n - 1 - at);
        }
        if (start - step < 0 && start + step + 1 >= n)
            break;
    }
    return -1;
}

EntryTexts Diary::entryTexts(int row) const
{
    return {bytes(row, DateColumn), bytes(row, TimeColumn), bytes(row, TypeColumn),
            bytes(row, ValueColumn)};
}

void Diary::refreshBlocks() const
{
    const size_t blocks = (m_rows.size() + blockSize - 1) / blockSize;
    m_blockLatest.resize(blocks);
    for (size_t b = std::min(m_blocksValid, blocks); b < blocks; ++b) {
        qint32 latest = INT_MIN;
        const size_t end = std::min(m_rows.size(), (b + 1) * blockSize);
        for (size_t i = b * blockSize; i < end; ++i) {
            const Row &r = m_rows[i];
            if (r.type == glucoseType && !(r.flags & NullDate))
                latest = std::max(latest, r.julianDay);
        }
        m_blockLatest[b] = latest;
    }
    m_blocksValid = blocks;
}

const DayIndex &Diary::days() const
{
    // A date beyond the stored day range has no day of its own.
    m_days.update(m_rows.size(), [this](size_t i) {
        const Row &r = m_rows[i];
        return (r.flags & (NullDate | DateFromText)) ? INT64_MIN : qint64(r.julianDay);
    });
    return m_days;
}

std::vector<int> Diary::rowsOn(const QDate &day) const
{
    std::vector<int> rows;
    const int top = rowCount() - 1;
    days().forEachPosition(day, [&](size_t position) { rows.push_back(top - int(position)); });
    std::reverse(rows.begin(), rows.end());
    return rows;
}

Diary Diary::copyOfRows(const std::vector<int> &rows) const
{
    Diary copy;
    copy.m_rows.reserve(rows.size());
    // Storage runs bottom-up: the last row given comes first.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        Row r = rowAt(*row);
        if (r.verbatim) {
            copy.m_verbatim.push_back(m_verbatim[r.verbatim - 1]);
            r.verbatim = quint32(copy.m_verbatim.size());
        }
        copy.m_rows.push_back(r);
    }
    return copy;
}
