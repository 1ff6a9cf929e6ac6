// SPDX-License-Identifier: GPL-3.0-or-later
#include "fetch/sitetransfer.h"

#include "fetch/fetchtext.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QSslError>

#include <zlib.h>

namespace {

bool isLoopback(const QString &host)
{
    return host.compare(u"localhost", Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

class SystemProxies : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        if (isLoopback(query.peerHostName()))
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

QString shown(const QUrl &url)
{
    return url.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveUserInfo | QUrl::RemoveFragment);
}

} // namespace

QString addressRefusal(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return FetchText::tr("\"%1\" is no web address such as https://example.org.")
            .arg(shown(url));
    if (url.scheme() == u"https" || (url.scheme() == u"http" && isLoopback(url.host())))
        return QString();
    return FetchText::tr("Mellidor does not ask %1: it uses https, and plain http only for "
                         "this computer (a loopback address such as 127.0.0.1).")
        .arg(shown(url));
}

QNetworkAccessManager *newSiteManager(QObject *parent)
{
    auto *manager = new QNetworkAccessManager(parent);
    manager->setProxyFactory(new SystemProxies);
    return manager;
}

SiteTransfer::SiteTransfer(QNetworkAccessManager *manager, QNetworkRequest request,
                           const TransferLimits &limits, const QStringList &hidden, QObject *parent)
    : QObject(parent), m_site(request.url()), m_limits(limits), m_hidden(hidden)
{
    m_hidden.removeAll(QString());
    if (const QString why = addressRefusal(m_site); !why.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, why] { emit failed(why); }, Qt::QueuedConnection);
        return;
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setRawHeader("Accept-Encoding", "gzip");
    m_reply = manager->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &SiteTransfer::read);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &SiteTransfer::checkHeaders);
    connect(m_reply, &QNetworkReply::redirected, this, &SiteTransfer::redirect);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &error : errors)
            m_certificateErrors << error.errorString();
    });
    connect(m_reply, &QNetworkReply::finished, this, &SiteTransfer::end);
    // Bytes moving either way, or an answer's head, restart the time.
    for (auto progress : {&QNetworkReply::downloadProgress, &QNetworkReply::uploadProgress})
        connect(m_reply, progress, &m_idle, qOverload<>(&QTimer::start));
    m_idle.setSingleShot(true);
    m_idle.setInterval(limits.idleMs);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        stop(FetchText::tr("The site stopped answering: nothing came for %1 seconds.")
                 .arg(m_limits.idleMs / 1000));
    });
    m_idle.start();
}

SiteTransfer::~SiteTransfer()
{
    abort();
}

void SiteTransfer::abort()
{
    m_idle.stop();
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    // Deleting a reply stops it; abort() races with a connection that just
    // closed (Qt 6.4 warns that an error came twice).
    m_reply->deleteLater();
    m_reply = nullptr;
}

void SiteTransfer::read()
{
    m_idle.start();
    const QByteArray bytes = m_reply->readAll();
    m_received += bytes.size();
    if (!m_packed)
        m_body += bytes;
    else if (!unpack(bytes))
        return stop(FetchText::tr("The site's packed answer cannot be unpacked."));
    if (m_body.size() > m_limits.maxBytes)
        stop(FetchText::tr("The site's answer is larger than %1 MB; it is not read.")
                 .arg(m_limits.maxBytes >> 20));
}

bool SiteTransfer::unpack(QByteArrayView packed)
{
    constexpr qsizetype chunk = 1 << 16;
    m_packed->next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data()));
    m_packed->avail_in = uInt(packed.size());
    while (!m_unpacked && (m_packed->avail_in > 0 || m_packed->avail_out == 0) &&
           m_body.size() <= m_limits.maxBytes) {
        const qsizetype at = m_body.size();
        m_body.resize(at + chunk);
        m_packed->next_out = reinterpret_cast<Bytef *>(m_body.data() + at);
        m_packed->avail_out = uInt(chunk);
        const int status = inflate(m_packed.get(), Z_NO_FLUSH);
        m_body.resize(at + chunk - qsizetype(m_packed->avail_out));
        if (status != Z_OK && status != Z_BUF_ERROR && status != Z_STREAM_END)
            return false;
        m_unpacked = status == Z_STREAM_END;
    }
    return true;
}

void SiteTransfer::checkHeaders()
{
    m_idle.start();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        return stop(FetchText::tr("The site's answer is larger than %1 MB; it is not read.")
                        .arg(m_limits.maxBytes >> 20));
    // Each answer says whether it is packed, a redirect's too.
    if (m_received > 0)
        return;
    m_packed.reset();
    m_unpacked = false;
    if (m_reply->rawHeader("Content-Encoding").trimmed().toLower() == "gzip") {
        m_packed = {new z_stream{}, [](z_stream_s *stream) {
                        inflateEnd(stream);
                        delete stream;
                    }};
        inflateInit2(m_packed.get(), 15 + 16);
    }
}

void SiteTransfer::redirect(const QUrl &url)
{
    const QUrl target = m_reply->url().resolved(url);
    const bool sameHost = target.host() == m_site.host();
    QString why = addressRefusal(target);
    if (why.isEmpty() && !sameHost && target.scheme() != u"https")
        why = FetchText::tr("The site sends Mellidor on to %1, which is neither https nor the "
                            "same site; Mellidor does not follow it.")
                  .arg(shown(target));
    // Qt would send the request's headers along, the API secret's hash too.
    if (why.isEmpty() && !sameHost && !m_hidden.isEmpty())
        why = FetchText::tr("The site sends Mellidor on to %1, another site; Mellidor does not "
                            "take the token or API secret there. If that is the site's new "
                            "address, enter it.")
                  .arg(shown(target));
    if (!why.isEmpty())
        return stop(why);
    m_idle.start();
    emit m_reply->redirectAllowed();
}

void SiteTransfer::end()
{
    read();
    if (!m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    QString why;
    if (status == 401 || status == 403) {
        why =
            FetchText::tr("The site refused the token or API secret (HTTP status %1).").arg(status);
    } else if (!m_certificateErrors.isEmpty()) {
        why = FetchText::tr("The site's certificate is refused: %1.")
                  .arg(m_certificateErrors.join(QStringLiteral("; ")));
    } else if (status >= 300) {
        why =
            FetchText::tr("The site answered with HTTP status %1 %2.")
                .arg(status)
                .arg(QString::fromUtf8(
                    m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()));
    } else if (m_reply->error() != QNetworkReply::NoError) {
        why = (status ? FetchText::tr("The site's answer broke off: %1.")
                      : FetchText::tr("The site cannot be reached: %1."))
                  .arg(m_reply->errorString());
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (why.isEmpty() &&
        ((length.isValid() && m_received != length.toLongLong()) || (m_packed && !m_unpacked)))
        why = FetchText::tr("The site's answer broke off before its end.");
    if (!why.isEmpty())
        return stop(why);
    abort();
    emit done(m_body);
}

void SiteTransfer::stop(const QString &why)
{
    abort();
    QString message = why;
    for (const QString &text : std::as_const(m_hidden))
        message.replace(text, QStringLiteral("…"));
    emit failed(message);
}
