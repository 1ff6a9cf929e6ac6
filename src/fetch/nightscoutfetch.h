// SPDX-License-Identifier: GPL-3.0-or-later
// Fetching a Nightscout site's glucose entries and treatments since the
// last fetch. Every collection is asked in date windows with an explicit
// count (a full page is split and asked again), so the site's defaults, the
// last few days and ten records, never cut anything off. All pages are
// collected first; only when every one arrived are they read, as an export
// of the site is read. A fetch that fails gives nothing but its message.
#ifndef NIGHTSCOUTFETCH_H
#define NIGHTSCOUTFETCH_H

#include "core/nightscoutsettings.h"
#include "fetch/sitetransfer.h"
#include "import/importfile.h"
#include "import/nightscoutpages.h"

#include <QDate>
#include <QObject>

#include <deque>
#include <functional>
#include <map>
#include <vector>

struct FetchLimits : TransferLimits
{
    int pageCount = 10000;                          // records asked for at once
    qint64 windowMs = qint64(7) * 24 * 3600 * 1000; // the dates one request covers
    int parallel = 4;                               // requests under way at once
};

struct NightscoutOutcome
{
    QString error;                     // empty when every page arrived
    std::vector<ImportResult> results; // the entries, then the treatments
    NightscoutMarks marks;
};

class NightscoutFetch : public QObject
{
    Q_OBJECT
public:
    explicit NightscoutFetch(const FetchLimits &limits = {}, QObject *parent = nullptr);

    // Asks each collection from its mark less an hour (uploads come late),
    // or from the start of firstDay where there is no mark, up to now.
    void start(const NightscoutSettings &site, const QDate &firstDay);
    // Stops every request; failed() says so and nothing follows.
    void cancel();

    // A whole fetch in a local event loop, for the command line, never for
    // the window. progress is told the pages done and known; false cancels.
    static NightscoutOutcome run(const NightscoutSettings &site, const QDate &firstDay,
                                 const FetchLimits &limits = {},
                                 const ImportProgress &progress = {});

signals:
    void progressed(int pagesDone, int pages);
    // The marks are to be stored once the results are in the diary.
    void finished(const std::vector<ImportResult> &results, const NightscoutMarks &marks);
    void failed(const QString &message);

private:
    struct Window
    {
        NightscoutCollection collection;
        qint64 from, to; // milliseconds since the epoch, to excluded
        int count;
    };
    void ask(const Window &window);
    void take(const Window &window, const QByteArray &page);
    void next();
    void finish();
    void fail(const QString &message);

    FetchLimits m_limits;
    NightscoutSettings m_site;
    QNetworkAccessManager *m_manager;
    std::deque<Window> m_waiting;
    std::vector<SiteTransfer *> m_running;
    int m_done = 0;
    bool m_over = false;
    // Per collection: the pages, newest window first, and the newest
    // record's time.
    std::map<qint64, QByteArray, std::greater<>> m_pages[2];
    qint64 m_newest[2] = {};
};

#endif
