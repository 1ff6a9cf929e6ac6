#include "core/importmerge.h"

#include "core/entrytext.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <array>
#include <climits>
#include <numeric>
#include <unordered_map>

void ImportBatch::add(qint64 julianDay, int minutes, int type, int value)
{
    ImportEntry entry;
    entry.julianDay = qint32(julianDay);
    entry.minutes = qint16(minutes);
    entry.type = qint16(type);
    entry.value = value;
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
    entry.type = qint16(typeIndex(QString::fromUtf8(texts[Diary::TypeColumn])));
    entry.value = parseValue(QString::fromUtf8(texts[Diary::ValueColumn]));
    entry.verbatim = qint32(verbatim.size());
    verbatim.push_back(texts);
    entries.push_back(entry);
}

namespace {

// What makes two entries the same: date, time, type and value; the texts
// count only where they could not be read as values.
struct SameKey
{
    qint64 moment;
    qint32 type;
    qint32 value;
    QByteArray unread;

    bool operator==(const SameKey &o) const
    {
        return moment == o.moment && type == o.type && value == o.value && unread == o.unread;
    }
};

struct SameKeyHash
{
    size_t operator()(const SameKey &k) const
    {
        size_t h = std::hash<qint64>()(k.moment);
        h ^= std::hash<qint64>()((qint64(k.type) << 32) ^ quint32(k.value)) +
             0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return k.unread.isEmpty() ? h : h ^ qHash(k.unread);
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
    SameKey key{momentOf(e.julianDay, e.minutes), e.type, e.value, QByteArray()};
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
        QByteArray &value = m_values[e.value];
        if (value.isNull())
            value = formatValue(e.value).toUtf8();
        return {date, time, type, value};
    }

private:
    std::unordered_map<qint32, QByteArray> m_dates;
    std::array<QByteArray, 1440> m_times;
    std::array<QByteArray, itemCount> m_types;
    std::unordered_map<qint32, QByteArray> m_values;
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
    //    the import (the first one stays).
    struct Seen
    {
        bool inDiary = false;
        bool taken = false;
    };
    std::unordered_map<SameKey, Seen, SameKeyHash> seen;
    qint64 lowest = LLONG_MAX, highest = LLONG_MIN;
    for (const ImportBatch *batch : batches) {
        for (const ImportEntry &e : batch->entries) {
            const SameKey key = keyOf(*batch, e);
            lowest = std::min(lowest, key.moment);
            highest = std::max(highest, key.moment);
            seen.emplace(key, Seen());
        }
    }
    if (!seen.empty()) {
        diary.forEachEntry([&](int row, qint64 julianDay, int minutes, int type, int value) {
            const qint32 day = julianDay == INT64_MIN ? ImportEntry::nullDay : qint32(julianDay);
            SameKey key{momentOf(day, minutes), type, value, QByteArray()};
            if (key.moment < lowest || key.moment > highest)
                return;
            const bool nullDate = day == ImportEntry::nullDay;
            if (nullDate || minutes < 0 || type < 0)
                key.unread = unreadTexts(
                    nullDate, minutes < 0, type < 0, diary.bytes(row, Diary::DateColumn),
                    diary.bytes(row, Diary::TimeColumn), diary.bytes(row, Diary::TypeColumn));
            const auto it = seen.find(key);
            if (it != seen.end())
                it->second.inDiary = true;
        });
    }

    std::vector<Kept> kept;
    for (size_t b = 0; b < batches.size(); ++b) {
        for (const ImportEntry &e : batches[b]->entries) {
            Seen &s = seen[keyOf(*batches[b], e)];
            if (s.inDiary || s.taken) {
                ++plan.counts[b].duplicates;
                continue;
            }
            s.taken = true;
            kept.push_back(Kept{batches[b], &e, b, placementKey(e), 0});
        }
    }
    seen.clear();

    // 2. Placement. One at a time, an entry would go below the lowest row
    //    whose key is at least its own. Among the old rows that is the last
    //    index whose suffix maximum reaches the key, found by binary search.
    //    Entries already placed never change which gap between old rows a
    //    later one falls into; within a gap they end up newest first, equal
    //    keys in import order.
    const int n = diary.rowCount();
    std::vector<qint64> suffixMax(size_t(n) + 1, LLONG_MIN);
    for (int r = n - 1; r >= 0; --r)
        suffixMax[size_t(r)] = std::max(suffixMax[size_t(r) + 1], diary.dateTimeKey(r));
    for (Kept &k : kept) {
        // suffixMax is non-increasing: the first index below the key is the gap.
        const auto it = std::partition_point(suffixMax.begin(), suffixMax.begin() + n,
                                             [&k](qint64 m) { return m >= k.key; });
        k.gap = int(it - suffixMax.begin());
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Kept &a, const Kept &b) {
        return a.gap != b.gap ? a.gap < b.gap : a.key > b.key;
    });

    TextMaker maker;
    plan.rows.reserve(kept.size());
    plan.texts.reserve(kept.size());
    for (size_t j = 0; j < kept.size(); ++j) {
        const Kept &k = kept[j];
        plan.rows.push_back(k.gap + int(j));
        plan.texts.push_back(k.entry->verbatim >= 0 ? k.batch->verbatim[size_t(k.entry->verbatim)]
                                                    : maker.texts(*k.entry));
        MergeCounts &counts = plan.counts[k.batchIndex];
        ++counts.added;
        ++counts.addedByType[k.entry->type >= 0
                                 ? typeName(k.entry->type)
                                 : QString::fromUtf8(plan.texts.back()[Diary::TypeColumn])];
    }
    return plan;
}
