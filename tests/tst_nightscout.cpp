// SPDX-License-Identifier: GPL-3.0-or-later
// Fetching from a Nightscout site on 127.0.0.1: what arrives, what the marks
// make of the next fetch, and that a fault gives nothing and keeps the marks.
#include "core/clock.h"
#include "core/diary.h"
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
        m_server->secretHash = NightscoutFile::secretHash(secret);
        m_server->token = QStringLiteral("reader-0123");
        m_server->certificate = QSslCertificate(testData("tls-self-signed.pem"));
        m_server->key = QSslKey(testData("tls-self-signed.key"), QSsl::Rsa);
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
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("faultAfter"); // requests of the second fetch answered well
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<QString>("url");   // where the second fetch goes; %1 the port
    QTest::addColumn<QString>("token"); // in place of the secret
    QTest::addColumn<bool>("importFirst");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("error"); // of the second fetch; then the fault ends
    QTest::addColumn<int>("added");     // by the last fetch

    const QString none;
    QTest::newRow("nothing new") << Fault::None << 0 << 100 << none << none << false << false
                                 << none << 0;
    QTest::newRow("after an import of the same")
        << Fault::None << 0 << 100 << none << none << true << false << none << 0;
    QTest::newRow("new and late, full pages split")
        << Fault::None << 0 << 2 << none << none << false << false << none << 3;
    QTest::newRow("token") << Fault::None << 0 << 100 << none << QStringLiteral("reader-0123")
                           << false << false << none << 3;
    const auto fault = [&](const char *name, Fault fault, int after, const QString &url,
                           const QString &token, bool cancel, const char *error) {
        QTest::newRow(name) << fault << after << 100 << url << token << false << cancel
                            << QString::fromUtf8(error) << 3;
    };
    fault("wrong token", Fault::None, 0, none, QStringLiteral("reader-9999"), false,
          "The site refused the token or API secret (HTTP status 401).");
    fault("500", Fault::ServerError, 1, none, none, false,
          "The site answered with HTTP status 500 Internal Server Error.");
    fault("stops halfway", Fault::StopsHalfway, 1, none, none, false,
          "The site's answer broke off: ");
    fault("stalls", Fault::Stalls, 1, none, none, false, "The site stopped answering");
    fault("broken JSON", Fault::BrokenJson, 1, none, none, false,
          "The site's answer is no readable list of records.");
    fault("redirect to http", Fault::RedirectToHttp, 0, none, none, false,
          "The site sends Mellidor on to http://127.0.0.2:");
    fault("oversized", Fault::Oversized, 1, none, none, false,
          "The site's answer is larger than 0 MB");
    fault("self-signed certificate", Fault::Tls, 0, QStringLiteral("https://127.0.0.1:%1"), none,
          false, "The site's certificate is refused: The certificate is self-signed");
    fault("http to another address", Fault::None, 0, QStringLiteral("http://0.0.0.0:%1"), none,
          false, "http://0.0.0.0:");
    fault("cancelled", Fault::None, 0, none, none, true, "The fetch was cancelled.");
}

void TestNightscout::fetch()
{
    QFETCH(Fault, fault);
    QFETCH(int, faultAfter);
    QFETCH(int, pageCount);
    QFETCH(QString, url);
    QFETCH(QString, token);
    QFETCH(bool, importFirst);
    QFETCH(bool, cancel);
    QFETCH(QString, error);
    QFETCH(int, added);

    WorkDir dir;
    const QString conf = dir.file(NightscoutFile::fileName);
    NightscoutSettings first;
    first.url = m_server->url();
    first.secretHash = NightscoutFile::secretHash(secret);
    QString writeError;
    QVERIFY(NightscoutFile::write(conf, first, &writeError));
    FetchLimits limits;
    limits.pageCount = pageCount;
    limits.idleMs = fault == Fault::Stalls ? 200 : 20000;
    limits.maxBytes = 64 << 10;
    m_server->oversize = 100 << 10;
    Diary diary;
    // As the window will: read the stored site, fetch, merge, store the marks.
    const auto fetchOnce = [&](const QString &url, const QString &token, bool cancel) {
        NightscoutSettings site = NightscoutFile::read(conf);
        if (!url.isEmpty())
            site.url = url.arg(m_server->serverPort());
        if (!token.isEmpty())
            site = {site.url, token, QString(), site.marks};
        const NightscoutOutcome outcome = NightscoutFetch::run(
            site, QDate(2024, 1, 1), limits, [cancel](qint64, qint64) { return !cancel; });
        if (!outcome.error.isEmpty())
            return std::pair(outcome.error, qsizetype(-1));
        NightscoutSettings stored = NightscoutFile::read(conf);
        stored.marks = outcome.marks;
        QString writeError;
        NightscoutFile::write(conf, stored, &writeError);
        return std::pair(outcome.error, merge(diary, outcome.results));
    };

    const NightscoutMarks marks{QDateTime::fromMSecsSinceEpoch(1705474033000, Qt::UTC),
                                QDateTime(QDate(2024, 1, 17), QTime(19, 23), Qt::UTC)};
    if (importFirst) {
        std::vector<ImportResult> imports;
        for (const char *file :
             {"exports/nightscout-entries.json", "exports/nightscout-treatments.json"})
            imports.push_back(readImportFile(QStringLiteral(MELLIDOR_TEST_DATA "/") + file));
        QCOMPARE(merge(diary, imports), 11);
    } else {
        QCOMPARE(fetchOnce(QString(), QString(), false), std::pair(QString(), qsizetype(11)));
        QCOMPARE(NightscoutFile::read(conf).marks, marks);
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
    m_server->faultAfter = m_server->requests + faultAfter;
    const QByteArray stored = readBytes(conf);
    const int rows = diary.rowCount();
    const auto [message, count] = fetchOnce(url, token, cancel);
    if (!error.isEmpty()) {
        QVERIFY2(message.startsWith(error), qPrintable(message));
        QVERIFY(!message.contains(m_server->secretHash) &&
                (token.isEmpty() || !message.contains(token)));
        QCOMPARE(readBytes(conf), stored);
        QCOMPARE(diary.rowCount(), rows);
        m_server->fault = Fault::None;
        QCOMPARE(fetchOnce(QString(), QString(), false), std::pair(QString(), qsizetype(added)));
    } else {
        QCOMPARE(std::pair(message, count), std::pair(QString(), qsizetype(added)));
    }
    QCOMPARE(m_server->defaultsRelied, 0);
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
