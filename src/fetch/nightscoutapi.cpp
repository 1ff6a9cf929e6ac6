// SPDX-License-Identifier: GPL-3.0-or-later
#include "fetch/nightscoutapi.h"

#include "fetch/fetchtext.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

QUrl nightscoutSiteUrl(const QString &typed)
{
    const QString text = typed.trimmed();
    return QUrl(text.contains(u"://") ? text : QStringLiteral("https://") + text, QUrl::StrictMode);
}

QNetworkRequest nightscoutRequest(const NightscoutSettings &site, const QString &endpoint,
                                  QUrlQuery query)
{
    QUrl url = nightscoutSiteUrl(site.url);
    QString path = url.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    url.setPath(path + QStringLiteral("api/v1/") + endpoint);
    if (!site.token.isEmpty())
        query.addQueryItem(QStringLiteral("token"),
                           QString::fromLatin1(QUrl::toPercentEncoding(site.token)));
    url.setQuery(query);
    QNetworkRequest request(url);
    if (!site.secretHash.isEmpty())
        request.setRawHeader("api-secret", site.secretHash.toLatin1());
    return request;
}

QStringList nightscoutCredentials(const NightscoutSettings &site)
{
    return {site.token, site.secretHash};
}

NightscoutStatusCheck::NightscoutStatusCheck(const NightscoutSettings &site,
                                             const TransferLimits &limits, QObject *parent)
    : QObject(parent)
{
    auto *transfer = new SiteTransfer(newSiteManager(this),
                                      nightscoutRequest(site, QStringLiteral("status.json")),
                                      limits, nightscoutCredentials(site), this);
    connect(transfer, &SiteTransfer::failed, this, &NightscoutStatusCheck::failed);
    connect(transfer, &SiteTransfer::done, this, [this](const QByteArray &body) {
        const QJsonObject object = QJsonDocument::fromJson(body).object();
        if (!object.contains(u"version")) {
            emit failed(FetchText::tr("The site answers, but not as a Nightscout site does."));
            return;
        }
        emit answered({object.value(u"name").toString(), object.value(u"version").toString(),
                       object.value(u"settings").toObject().value(u"units").toString()});
    });
}
