// SPDX-License-Identifier: GPL-3.0-or-later
// A Nightscout site on 127.0.0.1 (a free port) for the tests and the
// benchmark: entries.json and treatments.json with the date filters $gt,
// $gte, $lt and $lte on date and created_at, count, newest first, the last
// four days and ten records where a request leaves them out; status.json;
// the API secret's hash and the token checked; answers packed with gzip when
// asked. Faults on demand. It stops with its object.
#ifndef NIGHTSCOUTSERVER_H
#define NIGHTSCOUTSERVER_H

#include <QMap>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>

#include <vector>

class NightscoutServer : public QTcpServer
{
    Q_OBJECT
public:
    enum class Fault
    {
        None,
        ServerError,    // 500
        StopsHalfway,   // the connection closes inside the answer
        Stalls,         // half the answer, then nothing
        BrokenJson,     // a comma before the first record
        RedirectToHttp, // to plain http on another address
        RedirectAway,   // to https on another host name
        Oversized,      // a valid answer of oversize bytes
        Tls             // the connection wants TLS, with certificate and key
    };

    Q_ENUM(Fault)

    NightscoutServer();
    QString url() const;
    // Adds the records of a JSON array to "entries" or "treatments".
    void add(const QString &collection, const QByteArray &json);

    QString secretHash, token; // a request must carry one of those set
    Fault fault = Fault::None;
    int faultAfter = 0; // requests answered well before the fault starts
    qint64 oversize = 0;
    QSslCertificate certificate;
    QSslKey key;
    int requests = 0;
    int defaultsRelied = 0; // requests without a date filter or a count

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Record
    {
        qint64 ms;
        QByteArray json;
    };
    void respond(QTcpSocket *socket, const QByteArray &head);
    QByteArray select(const QString &collection, const QUrl &url);

    QMap<QString, std::vector<Record>> m_records; // newest first
};

#endif
