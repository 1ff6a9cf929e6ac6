// SPDX-License-Identifier: GPL-3.0-or-later
// One GET from a web site under the rules every request of Mellidor keeps:
// plain http only to this computer, the system's proxy settings, redirects
// only to https or the same host, certificate errors never ignored, a time
// limit without progress and a size limit on the answer (unpacked, so a
// packed answer cannot grow past it). A gzip answer is unpacked here, not by
// Qt, which takes a cut one for whole.
#ifndef SITETRANSFER_H
#define SITETRANSFER_H

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
struct z_stream_s;

struct TransferLimits
{
    int idleMs = 30000; // with nothing arriving
    qint64 maxBytes = qint64(64) << 20;
};

// Why url is not asked at all; empty for https, and for http to a loopback
// address.
QString addressRefusal(const QUrl &url);

// A manager that goes through the system's proxy, except to this computer.
QNetworkAccessManager *newSiteManager(QObject *parent);

class SiteTransfer : public QObject
{
    Q_OBJECT
public:
    // Starts at once. hidden are texts (a token, a secret's hash) that no
    // message may show.
    SiteTransfer(QNetworkAccessManager *manager, QNetworkRequest request,
                 const TransferLimits &limits, const QStringList &hidden, QObject *parent);
    ~SiteTransfer() override;

    // Stops the request; no signal follows.
    void abort();

signals:
    void done(const QByteArray &body);
    void failed(const QString &message);

private:
    void read();
    bool unpack(QByteArrayView packed);
    void checkHeaders();
    void redirect(const QUrl &url);
    void end();
    void stop(const QString &why);

    QPointer<QNetworkReply> m_reply;
    QUrl m_site;
    TransferLimits m_limits;
    QStringList m_hidden;
    QStringList m_certificateErrors;
    QByteArray m_body;
    qint64 m_received = 0; // as sent, packed or not
    std::unique_ptr<z_stream_s, void (*)(z_stream_s *)> m_packed{nullptr, nullptr};
    bool m_unpacked = false; // the packed stream's end came
    QTimer m_idle;
};

#endif
