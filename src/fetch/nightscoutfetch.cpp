// SPDX-License-Identifier: GPL-3.0-or-later
#include "fetch/nightscoutfetch.h"

#include "core/clock.h"
#include "fetch/fetchtext.h"
#include "fetch/nightscoutapi.h"
#include "import/jsonrecords.h"

#include <QEventLoop>
#include <QUrlQuery>

#include <algorithm>

namespace {

// Phones and pumps upload late now and then: each fetch asks again from an
// hour before the newest record it has; what was there is a duplicate.
constexpr qint64 lateUploadsMs = 3600 * 1000;

bool isEntries(NightscoutCollection collection)
{
    return collection == NightscoutCollection::Entries;
}

QString endpointOf(NightscoutCollection collection)
{
    return isEntries(collection) ? QStringLiteral("entries.json")
                                 : QStringLiteral("treatments.json");
}

// The time the collection's date filter looks at; 0 where there is none.
qint64 timeOf(const JsonObjectView &object, bool entries)
{
    if (entries) {
        const JsonView date = object.value("date");
        return date.isDouble() ? qint64(date.toDouble()) : 0;
    }
    const QDateTime when =
        QDateTime::fromString(object.value("created_at").toString(), Qt::ISODateWithMs);
    return when.isValid() ? when.toMSecsSinceEpoch() : 0;
}

} // namespace

NightscoutFetch::NightscoutFetch(const FetchLimits &limits, QObject *parent)
    : QObject(parent), m_limits(limits), m_manager(newSiteManager(this))
{}

void NightscoutFetch::start(const NightscoutSettings &site, const QDate &firstDay)
{
    m_site = site;
    const qint64 now = Clock::now().toMSecsSinceEpoch();
    for (NightscoutCollection collection :
         {NightscoutCollection::Entries, NightscoutCollection::Treatments}) {
        const QDateTime &mark = isEntries(collection) ? site.marks.entries : site.marks.treatments;
        const qint64 first = mark.isValid() ? mark.toMSecsSinceEpoch() - lateUploadsMs
                                            : firstDay.startOfDay().toMSecsSinceEpoch();
        for (qint64 from = first; from < now; from += m_limits.windowMs)
            m_waiting.push_back(
                {collection, from, std::min(from + m_limits.windowMs, now), m_limits.pageCount});
    }
    // Nothing is said before the caller is back in its event loop.
    QMetaObject::invokeMethod(this, &NightscoutFetch::next, Qt::QueuedConnection);
}

void NightscoutFetch::cancel()
{
    fail(FetchText::tr("The fetch was cancelled."));
}

void NightscoutFetch::next()
{
    while (!m_over && !m_waiting.empty() && int(m_running.size()) < m_limits.parallel) {
        ask(m_waiting.front());
        m_waiting.pop_front();
    }
    if (!m_over && m_waiting.empty() && m_running.empty())
        finish();
}

void NightscoutFetch::ask(const Window &window)
{
    // Dates as the site keeps them: entries in milliseconds, treatments as
    // ISO texts in UTC.
    const bool entries = isEntries(window.collection);
    const auto bound = [entries](qint64 ms) {
        return entries ? QString::number(ms)
                       : QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
    };
    const QString field = entries ? QStringLiteral("date") : QStringLiteral("created_at");
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("find[%1][$gte]").arg(field), bound(window.from));
    query.addQueryItem(QStringLiteral("find[%1][$lt]").arg(field), bound(window.to));
    query.addQueryItem(QStringLiteral("count"), QString::number(window.count));
    auto *transfer =
        new SiteTransfer(m_manager, nightscoutRequest(m_site, endpointOf(window.collection), query),
                         m_limits, nightscoutCredentials(m_site), this);
    m_running.push_back(transfer);
    connect(transfer, &SiteTransfer::failed, this, &NightscoutFetch::fail);
    connect(transfer, &SiteTransfer::done, this, [this, transfer, window](const QByteArray &page) {
        m_running.erase(std::find(m_running.begin(), m_running.end(), transfer));
        transfer->deleteLater();
        take(window, page);
    });
}

void NightscoutFetch::take(const Window &window, const QByteArray &page)
{
    const JsonRecords records = readJsonRecords(page);
    if (!QByteArrayView(page).trimmed().startsWith('[') || !records.error.isEmpty() ||
        records.cutAt >= 0)
        return fail(records.error.isEmpty()
                        ? FetchText::tr("The site's answer is no readable list of records.")
                        : FetchText::tr("The site's answer is no readable list of records: %1.")
                              .arg(records.error));
    const bool entries = isEntries(window.collection);
    if (qsizetype(records.starts.size()) >= window.count) {
        // A full page may have left records out: ask both halves, or more
        // records of a moment that cannot be split.
        const qint64 middle = window.from + (window.to - window.from) / 2;
        if (middle == window.from) {
            m_waiting.push_front({window.collection, window.from, window.to, window.count * 2});
        } else {
            m_waiting.push_front({window.collection, middle, window.to, window.count});
            m_waiting.push_front({window.collection, window.from, middle, window.count});
        }
    } else {
        JsonObjectView object;
        qint64 &newest = m_newest[entries ? 0 : 1];
        for (JsonRecordCursor record(records); record.next();) {
            object.read(record.record());
            newest = std::max(newest, timeOf(object, entries));
        }
        m_pages[entries ? 0 : 1][window.from] = page;
        ++m_done;
    }
    emit progressed(m_done, m_done + int(m_waiting.size() + m_running.size()));
    next();
}

void NightscoutFetch::finish()
{
    std::vector<ImportResult> results;
    NightscoutMarks marks = m_site.marks;
    for (NightscoutCollection collection :
         {NightscoutCollection::Entries, NightscoutCollection::Treatments}) {
        const int at = isEntries(collection) ? 0 : 1;
        std::vector<QByteArray> pages;
        for (const auto &[from, page] : m_pages[at])
            pages.push_back(page);
        const QUrl url = nightscoutRequest(m_site, endpointOf(collection)).url();
        results.push_back(readNightscoutPages(
            collection, pages, url.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveUserInfo)));
        if (!results.back().error.isEmpty())
            return fail(results.back().error);
        QDateTime &mark = isEntries(collection) ? marks.entries : marks.treatments;
        if (m_newest[at] && (!mark.isValid() || m_newest[at] > mark.toMSecsSinceEpoch()))
            mark = QDateTime::fromMSecsSinceEpoch(m_newest[at], Qt::UTC);
    }
    m_over = true;
    emit finished(results, marks);
}

void NightscoutFetch::fail(const QString &message)
{
    if (m_over)
        return;
    m_over = true;
    for (SiteTransfer *transfer : m_running) {
        transfer->abort();
        transfer->deleteLater();
    }
    m_running.clear();
    m_waiting.clear();
    m_pages[0].clear();
    m_pages[1].clear();
    emit failed(message);
}

NightscoutOutcome NightscoutFetch::run(const NightscoutSettings &site, const QDate &firstDay,
                                       const FetchLimits &limits, const ImportProgress &progress)
{
    NightscoutOutcome outcome;
    outcome.marks = site.marks;
    NightscoutFetch fetch(limits);
    QEventLoop loop;
    connect(&fetch, &NightscoutFetch::progressed, &loop, [&](int done, int pages) {
        if (progress && !progress(done, pages))
            fetch.cancel();
    });
    connect(&fetch, &NightscoutFetch::finished, &loop,
            [&](const std::vector<ImportResult> &results, const NightscoutMarks &marks) {
                outcome.results = results;
                outcome.marks = marks;
                loop.quit();
            });
    connect(&fetch, &NightscoutFetch::failed, &loop, [&](const QString &message) {
        outcome.error = message;
        loop.quit();
    });
    fetch.start(site, firstDay);
    loop.exec();
    return outcome;
}
