// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fetches from its Nightscout site: asked for (Input > Fetch
// from Nightscout), with a progress dialog that never blocks the window and
// the summary of an import at the end; or every five minutes on their own
// while the window is open, which say nothing unless one fails, and then
// once until a fetch works again. One fetch at a time; what it brings waits
// while a dialog works on the rows, then becomes one step of the session.
#ifndef NIGHTSCOUTFETCHER_H
#define NIGHTSCOUTFETCHER_H

#include "core/nightscoutsettings.h"
#include "import/importfile.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class DiarySession;
class DocumentHost;
class NightscoutFetch;
class QProgressDialog;
class QWidget;

class NightscoutFetcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int intervalMs = 5 * 60 * 1000;

    // host tells when a dialog works on the rows.
    NightscoutFetcher(QWidget *window, DiarySession *session, const DocumentHost *host);

    // A fetch the person waits for; one under way on its own is shown from
    // now on.
    void fetchNow();
    // Starts or stops the fetch every five minutes as the session's site
    // says; one starts at once when they start.
    void followSettings();

private:
    void start();
    void showProgress();
    void closeProgress();
    void take(const std::vector<ImportResult> &results, const NightscoutMarks &marks);
    void merge();
    void fail(const QString &message);
    void end();

    QWidget *m_window;
    DiarySession *m_session;
    const DocumentHost *m_host;
    QTimer m_every;
    QTimer m_mergeLater;
    NightscoutFetch *m_fetch = nullptr;
    NightscoutSettings m_site; // that the fetch under way asks
    std::vector<ImportResult> m_results;
    NightscoutMarks m_marks;
    QPointer<QProgressDialog> m_progress;
    bool m_asked = false;     // the person waits for the answer
    bool m_cancelled = false; // by the person
    bool m_failureTold = false;
};

#endif
