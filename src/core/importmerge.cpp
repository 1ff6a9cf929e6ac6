// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/importmerge.h"

#include "core/entrytext.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <array>
#include <climits>
#include <iterator>
#include <numeric>
#include <tuple>
#include <unordered_map>

void ImportBatch::add(qint64 julianDay, int minutes, int type, int value, qint64 instant,
                      quint8 flags)
{
    ImportEntry entry;
    entry.julianDay = qint32(julianDay);
    entry.minutes = qint16(minutes);
    entry.type = qint8(type);
    entry.flags = flags;
    entry.value = value;
    entry.instant = instant;
    entries.push_back(entry);
}

void ImportBatch::addTexts(const EntryTexts &texts)
{
    // Read back exactly as the diary will read the row.
    const QDate date = parseDate(QString::fromUtf8(texts[Diary::DateColumn]));
    const QTime time = parseTime(QString::fromUtf8(texts[Diary::TimeColumn]));
    ImportEntry entry;
    entry.julianDay = date.isValid()
                          ? qint32(std::clamp<qint64>(date.toJulianDay(), INT_MIN + 1, INT_MAX))
                          : ImportEntry::nullDay;
    entry.minutes = time.isValid() ? qint16(time.hour() * 60 + time.minute()) : qint16(-1);
    entry.type = qint8(typeIndex(QString::fromUtf8(texts[Diary::TypeColumn])));
    const QString valueText = QString::fromUtf8(texts[Diary::ValueColumn]);
    entry.value = parseValue(valueText);
    qint32 hundredths = 0;
    if (entry.type >= 0 && takesFraction(entry.type) && parseDecimal(valueText, hundredths)) {
        const bool fraction = hundredths % 100 != 0;
        entry.value = fraction ? hundredths : hundredths / 100;
        entry.flags = fraction ? ImportEntry::Fraction : 0;
    }
    entry.verbatim = qint32(verbatim.size());
    verbatim.push_back(texts);
    entries.push_back(entry);
}

namespace {

// What makes two entries the same: date, time, type and value (in
// hundredths, so that 2.35 and 2 differ); the texts count only where they
// could not be read as values.
struct SameKey
{
    qint64 moment;
    qint64 value;
    qint32 type;
    QByteArray unread;

    bool operator==(const SameKey &o) const
    {
        return moment == o.moment && type == o.type && value == o.value && unread == o.unread;
    }
};

qint64 momentOf(qint32 julianDay, int minutes)
{
    return qint64(julianDay) * 2048 + minutes + 1;
}

QByteArray unreadTexts(bool nullDate, bool badTime, bool otherType, const QByteArray &date,
                       const QByteArray &time, const QByteArray &type)
{
    if (!nullDate && !badTime && !otherType)
        return QByteArray();
    return (nullDate ? date : QByteArray()) + '\n' + (badTime ? time : QByteArray()) + '\n' +
           (otherType ? type : QByteArray());
}

SameKey keyOf(const ImportBatch &batch, const ImportEntry &e)
{
    const qint64 hundredths = (e.flags & ImportEntry::Fraction) ? e.value : qint64(e.value) * 100;
    SameKey key{momentOf(e.julianDay, e.minutes), hundredths, e.type, QByteArray()};
    if (e.verbatim >= 0) {
        const EntryTexts &t = batch.verbatim[size_t(e.verbatim)];
        key.unread = unreadTexts(e.julianDay == ImportEntry::nullDay, e.minutes < 0, e.type < 0,
                                 t[Diary::DateColumn], t[Diary::TimeColumn], t[Diary::TypeColumn]);
    }
    return key;
}

qint64 placementKey(const ImportEntry &e)
{
    const QDate date =
        e.julianDay == ImportEntry::nullDay ? QDate() : QDate::fromJulianDay(e.julianDay);
    const QTime time = e.minutes < 0 ? QTime() : QTime(e.minutes / 60, e.minutes % 60);
    return Diary::dateTimeKey(date, time);
}

// Texts as the dialogs write them. Imports repeat a few hundred days, times
// and values over and over: share one text for each.
class TextMaker
{
public:
    EntryTexts texts(const ImportEntry &e)
    {
        QByteArray &date = m_dates[e.julianDay];
        if (date.isNull()) {
            const QDate d = QDate::fromJulianDay(e.julianDay);
            date = formatDate(d.day(), d.month(), d.year()).toUtf8();
        }
        QByteArray &time = m_times[size_t(e.minutes)];
        if (time.isNull())
            time = formatTime(e.minutes / 60, e.minutes % 60).toUtf8();
        QByteArray &type = m_types[size_t(e.type)];
        if (type.isNull())
            type = QByteArray(items[e.type]);
        const bool fraction = e.flags & ImportEntry::Fraction;
        QByteArray &value = (fraction ? m_fractions : m_values)[e.value];
        if (value.isNull()) {
            char buffer[32];
            value = fraction ? QByteArray(buffer, writeFraction(buffer, e.value))
                             : formatValue(e.value).toUtf8();
        }
        return {date, time, type, value};
    }

private:
    std::unordered_map<qint32, QByteArray> m_dates;
    std::array<QByteArray, 1440> m_times;
    std::array<QByteArray, itemCount> m_types;
    std::unordered_map<qint32, QByteArray> m_values;
    std::unordered_map<qint32, QByteArray> m_fractions;
};

struct Kept
{
    const ImportBatch *batch;
    const ImportEntry *entry;
    size_t batchIndex;
    qint64 key;
    int gap; // new entries go just above diary row `gap`
};

} // namespace

MergePlan planMerge(const Diary &diary, const std::vector<const ImportBatch *> &batches)
{
    MergePlan plan;
    plan.counts.resize(batches.size());

    // 1. Same entries: first those already in the diary, then repeats within
    //    the import (the first one stays). The import's keys are sorted once;
    //    each diary row is then a binary search, and most rows share no
    //    minute with the import at all: a bit per minute of the import's span
    //    answers those at once.
    struct Item
    {
        SameKey key;
        quint32 batch;
        qint32 whole; // a dose with a fraction: its whole units, else 0
        size_t order; // place in the whole import
        qint64 instant;
    };
    std::vector<Item> items;
    size_t entries = 0;
    for (const ImportBatch *batch : batches)
        entries += batch->entries.size();
    items.reserve(entries);
    bool fractions = false;
    for (size_t b = 0; b < batches.size(); ++b) {
        for (const ImportEntry &e : batches[b]->entries) {
            Item item{keyOf(*batches[b], e), quint32(b), 0, items.size(), e.instant};
            if ((e.flags & ImportEntry::Fraction) && item.key.unread.isEmpty())
                item.whole = e.wholeValue();
            fractions = fractions || item.whole > 0;
            items.push_back(std::move(item));
        }
    }
    const auto keyLess = [](const SameKey &a, const SameKey &b) {
        if (a.moment != b.moment)
            return a.moment < b.moment;
        if (a.type != b.type)
            return a.type < b.type;
        if (a.value != b.value)
            return a.value < b.value;
        return a.unread < b.unread;
    };
    // Stable: among equal keys the first in import order leads its run.
    std::stable_sort(items.begin(), items.end(),
                     [&keyLess](const Item &a, const Item &b) { return keyLess(a.key, b.key); });
    // Doses with a fraction by the whole units an import gave them before,
    // each with the start of its run: a diary row holding those units at the
    // same minute is the same dose. Empty unless the import has fractions.
    struct Legacy
    {
        qint64 moment;
        qint32 type;
        qint32 whole;
        size_t run;
        bool operator<(const Legacy &o) const
        {
            return std::tie(moment, type, whole, run) < std::tie(o.moment, o.type, o.whole, o.run);
        }
        bool operator==(const Legacy &o) const { return !(*this < o) && !(o < *this); }
    };
    std::vector<Legacy> legacy;
    for (size_t i = 0, run = 0; fractions && i < items.size(); ++i) {
        if (i > 0 && !(items[i].key == items[i - 1].key))
            run = i;
        if (items[i].whole > 0)
            legacy.push_back(Legacy{items[i].key.moment, items[i].key.type, items[i].whole, run});
    }
    std::sort(legacy.begin(), legacy.end());
    legacy.erase(std::unique(legacy.begin(), legacy.end()), legacy.end());
    // How many diary rows equal each run of equal keys, counted at its start.
    std::vector<qsizetype> inDiary(items.size(), 0);
    if (!items.empty()) {
        const qint64 lowest = items.front().key.moment, highest = items.back().key.moment;
        std::vector<bool> minutesUsed;
        if (highest - lowest < (qint64(1) << 26)) {
            minutesUsed.assign(size_t(highest - lowest + 1), false);
            for (const Item &item : items)
                minutesUsed[size_t(item.key.moment - lowest)] = true;
        }
        // Diary rows come mostly in time order: each search starts where the
        // one before it ended and looks ahead in growing steps.
        const auto before = [&keyLess](const Item &item, const SameKey &k) {
            return keyLess(item.key, k);
        };
        const auto findFrom = [&](std::vector<Item>::iterator from, const SameKey &key) {
            if (from != items.begin() && !before(*std::prev(from), key))
                return std::lower_bound(items.begin(), from, key, before);
            for (std::ptrdiff_t step = 1; from != items.end() && before(*from, key); step *= 2) {
                const auto next = items.end() - from > step ? from + step : items.end();
                if (next == items.end() || !before(*next, key))
                    return std::lower_bound(from + 1, next, key, before);
                from = next;
            }
            return from;
        };
        auto hint = items.begin();
        diary.forEachEntry([&](int row, qint64 julianDay, int minutes, int type, int value) {
            const qint32 day = julianDay == INT64_MIN ? ImportEntry::nullDay : qint32(julianDay);
            const qint64 moment = momentOf(day, minutes);
            if (moment < lowest || moment > highest ||
                (!minutesUsed.empty() && !minutesUsed[size_t(moment - lowest)]))
                return;
            SameKey key{moment, diary.hundredths(row), type, QByteArray()};
            const bool nullDate = day == ImportEntry::nullDay;
            if (nullDate || minutes < 0 || type < 0)
                key.unread = unreadTexts(
                    nullDate, minutes < 0, type < 0, diary.bytes(row, Diary::DateColumn),
                    diary.bytes(row, Diary::TimeColumn), diary.bytes(row, Diary::TypeColumn));
            const auto it = findFrom(hint, key);
            hint = it;
            if (it != items.end() && it->key == key)
                ++inDiary[size_t(it - items.begin())];
            if (legacy.empty() || !key.unread.isEmpty() || diary.hasFraction(row))
                return;
            const Legacy probe{moment, type, value, 0};
            for (auto l = std::lower_bound(legacy.begin(), legacy.end(), probe);
                 l != legacy.end() && l->moment == moment && l->type == type && l->whole == value;
                 ++l)
                ++inDiary[l->run];
        });
    }
    // A run of equal keys holds one reading per batch unless instants tell
    // several apart. Each batch's readings beyond those the diary and the
    // batches before already hold join, the first entry of each reading.
    std::vector<bool> joining(items.size(), false);
    std::vector<qint64> readings; // one instant per reading of a batch
    for (size_t start = 0, end; start < items.size(); start = end) {
        end = start + 1;
        while (end < items.size() && items[end].key == items[start].key)
            ++end;
        qsizetype held = inDiary[start];
        for (size_t i = start; i < end;) {
            const size_t b = items[i].batch;
            readings.clear();
            for (; i < end && items[i].batch == b; ++i) {
                const qint64 instant = items[i].instant;
                const auto same = [instant](qint64 other) {
                    return instant == ImportEntry::noInstant || other == ImportEntry::noInstant ||
                           (instant < other ? other - instant : instant - other) <
                               sameReadingWithinMs;
                };
                if (!batches[b]->distinct &&
                    std::find_if(readings.begin(), readings.end(), same) != readings.end()) {
                    ++plan.counts[b].duplicates;
                    continue;
                }
                readings.push_back(instant);
                if (qsizetype(readings.size()) > held)
                    joining[items[i].order] = true;
                else
                    ++plan.counts[b].duplicates;
            }
            held = std::max(held, qsizetype(readings.size()));
        }
    }
    items.clear();
    items.shrink_to_fit();

    std::vector<Kept> kept;
    size_t order = 0;
    for (size_t b = 0; b < batches.size(); ++b) {
        for (const ImportEntry &e : batches[b]->entries) {
            if (joining[order++])
                kept.push_back(Kept{batches[b], &e, b, placementKey(e), 0});
        }
    }

    // 2. Placement. One at a time, an entry would go below the lowest row
    //    whose key is at least its own. Among the old rows that is the last
    //    index whose suffix maximum reaches the key, found by binary search.
    //    Entries already placed never change which gap between old rows a
    //    later one falls into; within a gap they end up newest first, equal
    //    keys in import order.
    // The suffix maximum is non-increasing, so the gap shrinks as the key
    // grows: one sweep over the entries by key, from the bottom of the diary
    // up, taking the maximum along.
    std::vector<Kept *> byKey(kept.size());
    for (size_t i = 0; i < kept.size(); ++i)
        byKey[i] = &kept[i];
    std::sort(byKey.begin(), byKey.end(),
              [](const Kept *a, const Kept *b) { return a->key < b->key; });
    int gap = diary.rowCount();
    qint64 suffixMax = LLONG_MIN; // of the rows from gap on
    for (Kept *k : byKey) {
        while (gap > 0) {
            const qint64 above = std::max(suffixMax, diary.dateTimeKey(gap - 1));
            if (above >= k->key)
                break;
            suffixMax = above;
            --gap;
        }
        k->gap = gap;
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Kept &a, const Kept &b) {
        return a.gap != b.gap ? a.gap < b.gap : a.key > b.key;
    });
    // Where a date and time repeat (the hour the clocks go back), the
    // entries that know their instants go newest first among themselves.
    std::vector<Kept> timed;
    const auto hasInstant = [](const Kept &k) {
        return k.entry->instant != ImportEntry::noInstant;
    };
    for (size_t start = 0, end; start < kept.size(); start = end) {
        end = start + 1;
        while (end < kept.size() && kept[end].gap == kept[start].gap &&
               kept[end].key == kept[start].key)
            ++end;
        if (end - start < 2)
            continue;
        timed.clear();
        std::copy_if(kept.begin() + qsizetype(start), kept.begin() + qsizetype(end),
                     std::back_inserter(timed), hasInstant);
        std::stable_sort(timed.begin(), timed.end(), [](const Kept &a, const Kept &b) {
            return a.entry->instant > b.entry->instant;
        });
        auto next = timed.begin();
        for (size_t i = start; i < end; ++i) {
            if (hasInstant(kept[i]))
                kept[i] = *next++;
        }
    }

    TextMaker maker;
    plan.rows.reserve(kept.size());
    plan.texts.reserve(kept.size());
    // Counted by type position first: a name for every entry would cost a
    // string and a map search each.
    std::vector<std::array<qsizetype, itemCount>> byType(batches.size());
    for (size_t j = 0; j < kept.size(); ++j) {
        const Kept &k = kept[j];
        plan.rows.push_back(k.gap + int(j));
        plan.texts.push_back(k.entry->verbatim >= 0 ? k.batch->verbatim[size_t(k.entry->verbatim)]
                                                    : maker.texts(*k.entry));
        MergeCounts &counts = plan.counts[k.batchIndex];
        ++counts.added;
        if (k.entry->type >= 0)
            ++byType[k.batchIndex][size_t(k.entry->type)];
        else
            ++counts.addedByType[QString::fromUtf8(plan.texts.back()[Diary::TypeColumn])];
    }
    for (size_t b = 0; b < batches.size(); ++b) {
        for (int type = 0; type < itemCount; ++type) {
            if (byType[b][size_t(type)])
                plan.counts[b].addedByType[typeName(type)] += byType[b][size_t(type)];
        }
    }
    return plan;
}

void replanMerge(const Diary &diary, std::vector<int> &rows, std::vector<EntryTexts> &texts)
{
    // The texts were made from the files once; now they are taken as they are
    // (two readings of the repeated hour stay two).
    ImportBatch batch;
    batch.distinct = true;
    batch.entries.reserve(texts.size());
    batch.verbatim.reserve(texts.size());
    for (const EntryTexts &entry : texts)
        batch.addTexts(entry);
    MergePlan plan = planMerge(diary, {&batch});
    rows = std::move(plan.rows);
    texts = std::move(plan.texts);
}
