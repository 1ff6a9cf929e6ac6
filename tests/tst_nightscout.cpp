// SPDX-License-Identifier: GPL-3.0-or-later
// Fetching from a Nightscout site on 127.0.0.1 into the diary, through the
// window and `mellidor sync`: what arrives, what the marks make of the next
// fetch, that a fault leaves the diary and the marks as they were, and that
// the API secret is nowhere to be read.
#include "app/commandline.h"
#include "core/clock.h"
#include "core/diary.h"
#include "core/diarysession.h"
#include "fetch/nightscoutapi.h"
#include "fetch/nightscoutfetch.h"
#include "fetch/nightscoutimport.h"
#include "nightscoutserver.h"
#include "ui/mellidor.h"
#include "windowtestsupport.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QProgressDialog>
#include <QtTest>

#include <sys/stat.h>

using Fault = NightscoutServer::Fault;

namespace {

const QByteArray secret = "correct-horse-battery-staple\n";

QByteArray sha1(const QByteArray &text)
{
    return QCryptographicHash::hash(text.trimmed(), QCryptographicHash::Sha1).toHex();
}

} // namespace
class TestNightscout : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        ::umask(022);
        Clock::setForTesting([] { return QDateTime(QDate(2024, 1, 18), QTime(12, 0), Qt::UTC); });
        m_server.emplace();
        m_server->add(QStringLiteral("entries"), testData("exports/nightscout-entries.json"));
        m_server->add(QStringLiteral("treatments"), testData("exports/nightscout-treatments.json"));
        m_server->secretHash = sha1(secret);
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
    // How the second fetch goes: "" the fetch and its import as the window
    // and the command make them, "window" the window's menu item (after a
    // new secret typed in its setup), else a command line, where "@secret"
    // (a file) and "env" give the site's new secret.
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("status"); // of the command

    const auto row = [](const char *name, Fault fault, const char *error, int added = 3,
                        const char *url = "", const char *token = "", bool importFirst = false,
                        bool cancel = false, const char *command = "", int status = 0) {
        QTest::newRow(name) << fault << QString::fromUtf8(url) << QString::fromUtf8(token)
                            << importFirst << cancel << QString::fromUtf8(error) << added
                            << QString::fromUtf8(command) << status;
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
    row("window", Fault::None, "", 3, "", "", false, false, "window");
    row("window: nothing new", Fault::None, "", 0, "", "", false, false, "window");
    row("window: after an import", Fault::None, "", 0, "", "", true, false, "window");
    row("window: cancelled", Fault::None, "", 3, "", "", false, true, "window");
    row("window: a new secret typed", Fault::None, "", 3, "", "", false, false, "window secret");
    row("sync", Fault::None, "", 3, "", "", false, false, "sync");
    row("sync: nothing new", Fault::None, "", 0, "", "", false, false, "sync");
    row("sync: token", Fault::None, "", 3, "", "", false, false, "sync --token reader-0123");
    row("sync: secret file", Fault::None, "", 3, "", "", false, false,
        "sync --api-secret-file @secret");
    row("sync: secret in the environment", Fault::None, "", 3, "", "", false, false, "env sync");
    row("sync: wrong token", Fault::None, "HTTP status 401", 3, "", "", false, false,
        "sync --token reader-9999", 3);
    row("sync: the site down", Fault::ServerError, "HTTP status 500", 3, "", "", false, false,
        "sync", 3);
    row("sync: no token to another site", Fault::None, "HTTP status 401", 3, "", "", false, false,
        "sync --url http://localhost:%1", 3);
    row("sync: diary read-only", Fault::None, "the diary is read-only", 3, "", "", false, false,
        "sync", 1);
    row("sync: the secret as an option", Fault::None, "Unknown option", 3, "", "", false, false,
        "sync --api-secret=correct-horse-battery-staple", 2);
    row("sync: token and secret", Fault::None, "exclude each other", 3, "", "", false, false,
        "sync --token reader-0123 --api-secret-file @secret", 2);
    row("sync: a bad day", Fault::None, "--from wants a date", 3, "", "", false, false,
        "sync --from 18.1.2024", 2);
    row("sync: from today", Fault::None, "", 0, "", "", false, false, "sync --from 2024-01-18");
    row("sync: from a day, whatever was fetched", Fault::None, "", 4, "", "", false, false,
        "sync --from 2024-01-05");
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
    QFETCH(QString, command);
    QFETCH(int, status);

    WorkDir dir;
    const QString conf = dir.file(DiaryFolder::path(DiaryFolder::File::Nightscout));
    QString problem;
    const NightscoutSettings setup{
        m_server->url(), {}, NightscoutFile::secretHash(secret), {}, true, 30};
    QVERIFY(NightscoutFile::write(conf, setup, &problem));
    FetchLimits limits;
    limits.pageCount = 2; // so that full pages are split
    limits.maxBytes = m_server->oversize / 2;
    const auto rows = [] { return diaryOf(readBytes("MellidorFile.txt")).rowCount(); };
    // As the window and the command do: fetch from the stored site, then
    // one step of the session, then the marks.
    const auto fetchOnce = [&](const QString &url, const QString &token, bool cancel) {
        const int before = rows();
        DiarySession session;
        session.lock();
        session.open();
        NightscoutSettings site = session.nightscout();
        if (!url.isEmpty())
            site.url = url.arg(m_server->serverPort());
        if (!token.isEmpty())
            std::tie(site.token, site.secretHash) = std::pair(token, QString());
        const NightscoutOutcome outcome = NightscoutFetch::run(
            site, QDate(2024, 1, 1), limits, [cancel](qint64, qint64) { return !cancel; });
        if (!outcome.error.isEmpty())
            return std::pair(outcome.error, -1);
        importNightscout(session, site, outcome.results, outcome.marks);
        return std::pair(QString(), rows() - before);
    };

    if (importFirst) {
        std::vector<ImportResult> imports;
        for (const char *file :
             {"/exports/nightscout-entries.json", "/exports/nightscout-treatments.json"})
            imports.push_back(readImportFile(QStringLiteral(MELLIDOR_TEST_DATA) + file));
        DiarySession session;
        session.open();
        QCOMPARE(importIntoSession(session, imports, {}).added, 11);
    } else {
        QCOMPARE(fetchOnce({}, {}, false), std::pair(QString(), 11));
        QCOMPARE(NightscoutFile::read(conf).marks,
                 (NightscoutMarks{QDateTime::fromMSecsSinceEpoch(1705474033000, Qt::UTC),
                                  QDateTime(QDate(2024, 1, 17), QTime(19, 23), Qt::UTC)}));
    }
    // A late upload within the hour before the newest entry, a newer entry
    // and a newer bolus; and one a week older, which only --from finds.
    if (added) {
        m_server->add(QStringLiteral("entries"),
                      R"([{"type":"sgv","sgv":131,"date":1705473000000},
                          {"type":"sgv","sgv":150,"date":1705474800000},
                          {"type":"sgv","sgv":99,"date":1704880800000}])");
        m_server->add(QStringLiteral("treatments"),
                      R"([{"created_at":"2024-01-17T20:00:00.000Z","insulin":2}])");
    }
    m_server->fault = fault;
    m_server->faultAfter = m_server->requests + 1;
    // The site's new secret, typed in the window, or given by a file out of
    // the diary's folder or the environment.
    QTemporaryDir elsewhere;
    const QByteArray newSecret = "the-site's-new-secret\r\n";
    if (command.contains("@secret") || command.startsWith("env") || command == "window secret")
        m_server->secretHash = sha1(newSecret);
    writeBytes(elsewhere.filePath("secret"), newSecret);
    command.replace("@secret", elsewhere.filePath("secret"))
        .replace("%1", QString::number(m_server->serverPort()));
    if (command.startsWith("env "))
        qputenv("MELLIDOR_NIGHTSCOUT_SECRET", newSecret);
    if (status == 1)
        QVERIFY(QFile::setPermissions("MellidorFile.txt", QFile::ReadOwner));
    const QByteArray stored = readBytes(conf), diary = readBytes("MellidorFile.txt");
    const int before = rows();
    QString said;
    int count = -1, exit = 0;
    limits.idleMs = fault == Fault::Stalls ? 200 : 20000;
    if (command.isEmpty()) {
        std::tie(said, count) = fetchOnce(url, token, cancel);
    } else if (command.startsWith("window")) {
        QList<UserMessage::Shown> messages;
        recordMessages(&messages);
        Mellidor window; // a fetch on its own starts
        if (command.endsWith("secret"))
            answerDialog(&window, "setupNightscout", [&](QDialog *dialog) {
                dialog->findChildren<QLineEdit *>().at(1)->setText(newSecret);
                pressOk(dialog);
            });
        triggerMenuItem(window, 0, "&Fetch from Nightscout");
        // The summary; a fetch on its own with the old secret may have
        // failed before.
        if (cancel) {
            QTest::keyClick(window.findChild<QProgressDialog *>(), Qt::Key_Escape);
            QTRY_VERIFY(!window.findChild<NightscoutFetch *>()); // ended, told or not
        } else {
            QTRY_VERIFY(!messages.isEmpty() && messages.last().title == "Fetch from Nightscout");
        }
        UserMessage::setHandlerForTesting({});
        said = messages.isEmpty() ? QString() : messages.last().text;
        count = rows() - before;
    } else {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        exit = runCommandLine(QStringList{"mellidor"} + command.remove("env ").split(u' '),
                              outStream, errStream);
        outStream.flush();
        errStream.flush();
        said = out + err;
        count = exit ? -1 : rows() - before;
    }
    limits.idleMs = 20000;
    qunsetenv("MELLIDOR_NIGHTSCOUT_SECRET");
    QCOMPARE(exit, status);
    for (const QByteArray &hidden :
         {secret.trimmed(), newSecret.trimmed(), setup.secretHash.toLatin1(), sha1(newSecret)})
        QVERIFY2(!said.contains(hidden), qPrintable(said));
    if (!error.isEmpty() || cancel) {
        QVERIFY2(said.contains(error) && said.isEmpty() == error.isEmpty(), qPrintable(said));
        QVERIFY(token.isEmpty() || !said.contains(token));
        QCOMPARE(readBytes(conf), stored);
        QCOMPARE(readBytes("MellidorFile.txt"), diary);
        m_server->fault = Fault::None;
        m_server->secretHash = setup.secretHash;
        QFile::setPermissions("MellidorFile.txt", QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(fetchOnce({}, {}, false), std::pair(QString(), added));
    } else {
        QVERIFY2(count == added, qPrintable(said));
        QVERIFY2(command.isEmpty() ? said.isEmpty()
                                   : said.contains(added ? " entries added (" : "Nothing new"),
                 qPrintable(said));
    }
    if (added)
        QCOMPARE(NightscoutFile::read(conf).marks,
                 (NightscoutMarks{QDateTime::fromMSecsSinceEpoch(1705474800000, Qt::UTC),
                                  QDateTime(QDate(2024, 1, 17), QTime(20, 0), Qt::UTC)}));
    QCOMPARE(m_server->defaultsRelied, 0);
    const NightscoutSettings kept = NightscoutFile::read(conf);
    QCOMPARE(std::tuple(kept.url, kept.secretHash, kept.autoFetch, kept.firstDaysBack),
             std::tuple(setup.url, command == "window secret" ? sha1(newSecret) : setup.secretHash,
                        true, 30));
    struct stat mode;
    QCOMPARE(::stat(QFile::encodeName(conf).constData(), &mode), 0);
    QCOMPARE(mode.st_mode & 0777, 0600u);
    for (QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
         files.hasNext();) {
        const QByteArray bytes = readBytes(files.next());
        QVERIFY(!bytes.contains(secret.trimmed()) && !bytes.contains(newSecret.trimmed()));
    }
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
