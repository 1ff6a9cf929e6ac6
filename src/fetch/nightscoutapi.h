// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a Nightscout site's API (v1) that Mellidor asks: requests
// with the site's token or secret, and the status check behind "Test".
#ifndef NIGHTSCOUTAPI_H
#define NIGHTSCOUTAPI_H

#include "core/nightscoutsettings.h"
#include "fetch/sitetransfer.h"

#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrlQuery>

// The site's address as typed; https where no scheme is given.
QUrl nightscoutSiteUrl(const QString &typed);
// A request for api/v1/<endpoint> below the site's address, with the token
// or the secret's hash.
QNetworkRequest nightscoutRequest(const NightscoutSettings &site, const QString &endpoint,
                                  QUrlQuery query = {});
// The texts no message may show: the token and the secret's hash.
QStringList nightscoutCredentials(const NightscoutSettings &site);

struct NightscoutStatus
{
    QString name;
    QString version;
    QString units; // as the site writes them: "mg/dl" or "mmol"
};

// Asks api/v1/status.json once, at once.
class NightscoutStatusCheck : public QObject
{
    Q_OBJECT
public:
    explicit NightscoutStatusCheck(const NightscoutSettings &site,
                                   const TransferLimits &limits = {}, QObject *parent = nullptr);

signals:
    void answered(const NightscoutStatus &status);
    void failed(const QString &message);
};

#endif
