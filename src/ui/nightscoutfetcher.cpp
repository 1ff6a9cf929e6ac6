// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/nightscoutfetcher.h"

#include "core/diarysession.h"
#include "fetch/nightscoutapi.h"
#include "fetch/nightscoutfetch.h"
#include "fetch/nightscoutimport.h"
#include "ui/usermessage.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <tuple>

namespace {

// The main window's texts.
struct WindowText
{
    Q_DECLARE_TR_FUNCTIONS(Mellidor)
};

} // namespace

NightscoutFetcher::NightscoutFetcher(QWidget *window, DiarySession *session,
                                     const DocumentHost *host)
    : QObject(window), m_window(window), m_session(session), m_host(host)
{
    m_every.setInterval(intervalMs);
    connect(&m_every, &QTimer::timeout, this, [this] {
        if (!m_fetch)
            start();
    });
    m_mergeLater.setSingleShot(true);
    m_mergeLater.setInterval(500);
    connect(&m_mergeLater, &QTimer::timeout, this, &NightscoutFetcher::merge);
}

void NightscoutFetcher::fetchNow()
{
    if (m_session->nightscout().url.isEmpty()) {
        UserMessage::information(m_window, WindowText::tr("Fetch from Nightscout"),
                                 WindowText::tr("No Nightscout site is set up yet: enter its "
                                                "address under Setup > Nightscout."));
        return;
    }
    m_asked = true;
    if (!m_fetch)
        start();
    showProgress();
}

void NightscoutFetcher::followSettings()
{
    const NightscoutSettings &site = m_session->nightscout();
    // A fetch under way that asks another site, or with another key, is
    // asked anew.
    if (m_fetch && !m_mergeLater.isActive() &&
        std::tie(m_site.url, m_site.token, m_site.secretHash) !=
            std::tie(site.url, site.token, site.secretHash)) {
        const bool asked = m_asked;
        end();
        if (!site.url.isEmpty()) {
            m_asked = asked;
            start();
            if (asked)
                showProgress();
        }
    }
    if (!site.autoFetch || site.url.isEmpty()) {
        m_every.stop();
    } else if (!m_every.isActive()) {
        m_every.start();
        if (!m_fetch)
            start();
    }
}

void NightscoutFetcher::start()
{
    m_site = m_session->nightscout();
    m_cancelled = false;
    m_fetch = new NightscoutFetch({}, this);
    connect(m_fetch, &NightscoutFetch::progressed, this, [this](int done, int pages) {
        if (m_progress) {
            m_progress->setMaximum(pages);
            m_progress->setValue(done);
        }
    });
    connect(m_fetch, &NightscoutFetch::finished, this, &NightscoutFetcher::take);
    connect(m_fetch, &NightscoutFetch::failed, this, &NightscoutFetcher::fail);
    m_fetch->start(m_site, m_site.firstDay());
}

void NightscoutFetcher::showProgress()
{
    if (m_progress || !m_fetch || m_mergeLater.isActive())
        return;
    m_progress = new QProgressDialog(
        WindowText::tr("Fetching from %1...").arg(nightscoutSiteUrl(m_site.url).host()),
        WindowText::tr("Cancel"), 0, 0, m_window);
    m_progress->setWindowTitle(WindowText::tr("Fetch from Nightscout"));
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(500);
    m_progress->setValue(0); // starts the half-second clock
    const auto cancel = [this] {
        m_cancelled = true;
        if (m_fetch)
            m_fetch->cancel();
    };
    connect(m_progress, &QProgressDialog::canceled, m_fetch, cancel);
    // Escape only hides a progress dialog; it must stop the fetch too.
    connect(m_progress, &QDialog::rejected, m_fetch, cancel);
}

void NightscoutFetcher::take(const std::vector<ImportResult> &results, const NightscoutMarks &marks)
{
    m_results = results;
    m_marks = marks;
    merge();
}

void NightscoutFetcher::merge()
{
    closeProgress();
    if (m_host->busy())
        return m_mergeLater.start();
    const NightscoutImport done =
        importNightscout(*m_session, m_site, std::move(m_results), m_marks);
    m_results.clear();
    const bool asked = m_asked;
    end();
    m_failureTold = false;
    if (!asked)
        return;
    QString text = done.outcome.added == 0 ? WindowText::tr("Nothing new")
                                           : done.outcome.summaries.join(QStringLiteral("\n\n"));
    if (!done.marksError.isEmpty())
        text += WindowText::tr("\n\nWhere this fetch ended cannot be stored (%1); the next "
                               "fetch asks for the same records again and skips them.")
                    .arg(done.marksError);
    UserMessage::information(m_window, WindowText::tr("Fetch from Nightscout"), text);
}

void NightscoutFetcher::fail(const QString &message)
{
    const bool asked = m_asked, cancelled = m_cancelled;
    end();
    // The person's own cancel needs no answer; a failure on its own is
    // told once, not every five minutes.
    if (cancelled || (!asked && std::exchange(m_failureTold, true)))
        return;
    UserMessage::error(m_window, WindowText::tr("Nothing fetched"),
                       asked ? message + WindowText::tr("\n\nNothing was added.")
                             : message + WindowText::tr("\n\nMellidor goes on trying every 5 "
                                                        "minutes and says nothing more until "
                                                        "a fetch works again."));
}

void NightscoutFetcher::closeProgress()
{
    // Later: this may run inside the dialog's own signal.
    if (m_progress) {
        m_progress->hide();
        m_progress->deleteLater();
    }
    m_progress = nullptr;
}

void NightscoutFetcher::end()
{
    closeProgress();
    if (m_fetch) {
        // Its requests stop with it; nothing of it is heard any more.
        m_fetch->disconnect(this);
        m_fetch->deleteLater();
    }
    m_fetch = nullptr;
    m_asked = false;
}
