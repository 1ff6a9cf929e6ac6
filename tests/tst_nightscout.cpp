// SPDX-License-Identifier: GPL-3.0-or-later
// Fetching from a Nightscout site on 127.0.0.1: what arrives, what the marks
// make of the next fetch, and that a fault gives nothing and keeps the marks.
#include "core/clock.h"
#include "core/diary.h"
#include "core/diaryfolder.h"
#include "core/importmerge.h"
#include "core/nightscoutsettings.h"
#include "fetch/nightscoutapi.h"
#include "fetch/nightscoutfetch.h"
#include "nightscoutserver.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QtTest>

#include <sys/stat.h>

using Fault = NightscoutServer::Fault;

namespace {

const QByteArray secret = "correct horse battery staple\n";

qsizetype merge(Diary &diary, const std::vector<ImportResult> &results)
{
    std::vector<const ImportBatch *> batches;
    for (const ImportResult &result : results)
        batches.push_back(&result.batch);
    const MergePlan plan = planMerge(diary, batches);
    diary.insertRows(plan.rows, plan.texts);
    return qsizetype(plan.rows.size());
}

} // namespace

class TestNightscout : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        ::umask(022);
        Clock::setForTesting([] { return QDateTime(QDate(2024, 1, 18), QTime(), Qt::UTC); });
        m_server.emplace();
        m_server->add(QStringLiteral("entries"), testData("exports/nightscout-entries.json"));
        m_server->add(QStringLiteral("treatments"), testData("exports/nightscout-treatments.json"));
        m_server->secretHash =
            QCryptographicHash::hash(secret.trimmed(), QCryptographicHash::Sha1).toHex();
        m_server->token = QStringLiteral("reader-0123");
        m_server->certificate = QSslCertificate(testData("tls-self-signed.pem"));
        m_server->key = QSslKey(testData("tls-self-signed.key"), QSsl::Rsa);
        m_server->oversize = 100 << 10;
    }
    void cleanup() { Clock::setForTesting({}); }
    void fetch_data();
    void fetch();
    void status_data();
    void status();

private:
    std::optional<NightscoutServer> m_server;
};

void TestNightscout::fetch_data()
{
    QTest::addColumn<Fault>("fault");   // from the second request of the second fetch on
    QTest::addColumn<QString>("url");   // where the second fetch goes; %1 the port
    QTest::addColumn<QString>("token"); // in place of the secret
    QTest::addColumn<bool>("importFirst");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("error"); // of the second fetch; then the fault ends
    QTest::addColumn<int>("added");     // by the last fetch

    const auto row = [](const char *name, Fault fault, const char *error, int added = 3,
                        const char *url = "", const char *token = "", bool importFirst = false,
                        bool cancel = false) {
        QTest::newRow(name) << fault << QString::fromUtf8(url) << QString::fromUtf8(token)
                            << importFirst << cancel << QString::fromUtf8(error) << added;
    };
    row("nothing new", Fault::None, "", 0);
    row("after an import of the same", Fault::None, "", 0, "", "", true);
    row("new and late ones", Fault::None, "");
    row("token", Fault::None, "", 3, "", "reader-0123");
    row("wrong token", Fault::None, "The site refused the token or API secret (HTTP status 401).",
        3, "", "reader-9999");
    row("500", Fault::ServerError, "The site answered with HTTP status 500 Internal Server Error.");
    row("stops halfway", Fault::StopsHalfway, "The site's answer broke off");
    row("stalls", Fault::Stalls, "The site stopped answering");
    row("broken JSON", Fault::BrokenJson, "The site's answer is no readable list of records: ");
    row("redirect to http", Fault::RedirectToHttp,
        "The site sends Mellidor on to http://127.0.0.2:");
    row("redirect to another site", Fault::RedirectAway,
        "The site sends Mellidor on to https://localhost:");
    row("oversized", Fault::Oversized, "The site's answer is larger than 0 MB");
    row("self-signed certificate", Fault::Tls,
        "The site's certificate is refused: The certificate is self-signed", 3,
        "https://127.0.0.1:%1");
    row("http to another address", Fault::None, "Mellidor does not ask http://0.0.0.0:", 3,
        "http://0.0.0.0:%1");
    row("no address", Fault::None, "\"https:///", 3, "https:///%1");
    row("cancelled", Fault::None, "The fetch was cancelled.", 3, "", "", false, true);
}

void TestNightscout::fetch()
{
    QFETCH(Fault, fault);
    QFETCH(QString, url);
    QFETCH(QString, token);
    QFETCH(bool, importFirst);
    QFETCH(bool, cancel);
    QFETCH(QString, error);
    QFETCH(int, added);

    WorkDir dir;
    const QString conf = dir.file(DiaryFolder::path(DiaryFolder::File::Nightscout));
    QString problem;
    const NightscoutSettings setup{
        m_server->url(), {}, NightscoutFile::secretHash(secret), {}, true, 30};
    QVERIFY(NightscoutFile::write(conf, setup, &problem));
    FetchLimits limits;
    limits.pageCount = 2; // so that full pages are split
    limits.maxBytes = m_server->oversize / 2;
    Diary diary;
    // As the window will: fetch from the stored site, merge, store the marks.
    const auto fetchOnce = [&](const QString &url, const QString &token, bool cancel) {
        NightscoutSettings site = NightscoutFile::read(conf);
        const NightscoutSettings asked{url.isEmpty() ? site.url : url.arg(m_server->serverPort()),
                                       token, token.isEmpty() ? site.secretHash : QString(),
                                       site.marks};
        const NightscoutOutcome outcome = NightscoutFetch::run(
            asked, QDate(2024, 1, 1), limits, [cancel](qint64, qint64) { return !cancel; });
        if (!outcome.error.isEmpty())
            return std::pair(outcome.error, qsizetype(-1));
        site.marks = outcome.marks;
        NightscoutFile::write(conf, site, &problem);
        return std::pair(QString(), merge(diary, outcome.results));
    };

    if (importFirst) {
        std::vector<ImportResult> imports;
        for (const char *file :
             {"/exports/nightscout-entries.json", "/exports/nightscout-treatments.json"})
            imports.push_back(readImportFile(QStringLiteral(MELLIDOR_TEST_DATA) + file));
        QCOMPARE(merge(diary, imports), 11);
    } else {
        QCOMPARE(fetchOnce({}, {}, false), std::pair(QString(), qsizetype(11)));
        QCOMPARE(NightscoutFile::read(conf).marks,
                 (NightscoutMarks{QDateTime::fromMSecsSinceEpoch(1705474033000, Qt::UTC),
                                  QDateTime(QDate(2024, 1, 17), QTime(19, 23), Qt::UTC)}));
    }
    // A late upload within the hour before the newest entry, a newer entry
    // and a newer bolus.
    if (added) {
        m_server->add(QStringLiteral("entries"),
                      R"([{"type":"sgv","sgv":131,"date":1705473000000},
                          {"type":"sgv","sgv":150,"date":1705474800000}])");
        m_server->add(QStringLiteral("treatments"),
                      R"([{"created_at":"2024-01-17T20:00:00.000Z","insulin":2}])");
    }
    m_server->fault = fault;
    m_server->faultAfter = m_server->requests + 1;
    const QByteArray stored = readBytes(conf);
    limits.idleMs = fault == Fault::Stalls ? 200 : 20000;
    const auto [message, count] = fetchOnce(url, token, cancel);
    limits.idleMs = 20000;
    if (!error.isEmpty()) {
        QVERIFY2(message.startsWith(error) && count < 0, qPrintable(message));
        QVERIFY(!message.contains(m_server->secretHash) &&
                (token.isEmpty() || !message.contains(token)));
        QCOMPARE(readBytes(conf), stored);
        m_server->fault = Fault::None;
        QCOMPARE(fetchOnce({}, {}, false), std::pair(QString(), qsizetype(added)));
    } else {
        QCOMPARE(std::pair(message, count), std::pair(QString(), qsizetype(added)));
    }
    if (added)
        QCOMPARE(NightscoutFile::read(conf).marks,
                 (NightscoutMarks{QDateTime::fromMSecsSinceEpoch(1705474800000, Qt::UTC),
                                  QDateTime(QDate(2024, 1, 17), QTime(20, 0), Qt::UTC)}));
    QCOMPARE(m_server->defaultsRelied, 0);
    const NightscoutSettings kept = NightscoutFile::read(conf);
    QCOMPARE(std::tuple(kept.url, kept.secretHash, kept.autoFetch, kept.firstDaysBack),
             std::tuple(setup.url, setup.secretHash, true, 30));
    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(conf).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    for (QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
         files.hasNext();)
        QVERIFY(!readBytes(files.next()).contains(secret.trimmed()));
}

void TestNightscout::status_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("answer");
    QTest::newRow("answers") << QStringLiteral("reader-0123")
                             << QStringLiteral("Loopback 15.0.2 mg/dl");
    QTest::newRow("refuses") << QStringLiteral("reader-9999")
                             << QStringLiteral(
                                    "The site refused the token or API secret (HTTP status 401).");
}

void TestNightscout::status()
{
    QFETCH(QString, token);
    QFETCH(QString, answer);
    NightscoutSettings site;
    site.url = m_server->url();
    site.token = token;
    NightscoutStatusCheck check(site);
    QString said;
    connect(&check, &NightscoutStatusCheck::answered, this, [&](const NightscoutStatus &status) {
        said = status.name + u' ' + status.version + u' ' + status.units;
    });
    connect(&check, &NightscoutStatusCheck::failed, this, [&](const QString &why) { said = why; });
    QTRY_COMPARE(said, answer);
}

QTEST_MAIN(TestNightscout)
#include "tst_nightscout.moc"
