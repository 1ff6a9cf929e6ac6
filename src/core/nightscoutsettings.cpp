// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/nightscoutsettings.h"

#include "core/atomicfile.h"
#include "core/keyvaluelines.h"
#include "core/regularfile.h"

#include <QCryptographicHash>
#include <QList>

namespace NightscoutFile {

namespace {

constexpr char urlKey[] = "url";
constexpr char tokenKey[] = "token";
constexpr char secretKey[] = "api_secret_sha1";
constexpr char entriesKey[] = "entries_newest";
constexpr char treatmentsKey[] = "treatments_newest";
constexpr char autoKey[] = "fetch_every_5_minutes";
constexpr char daysKey[] = "first_days_back";
constexpr char yes[] = "yes";
constexpr char no[] = "no";

QDateTime instantOf(const QByteArray &text)
{
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
    return when.isValid() ? when.toUTC() : QDateTime();
}

void line(QByteArray &bytes, const char *key, const QString &value)
{
    appendKeyValue(bytes, key, value.toUtf8());
}

} // namespace

NightscoutSettings read(const QString &path)
{
    return parse(RegularFile::readSmall(path));
}

NightscoutSettings parse(const QByteArray &bytes)
{
    NightscoutSettings settings;
    forEachKeyValue(bytes, [&settings](const QByteArray &key, const QByteArray &value) {
        if (key == urlKey)
            settings.url = QString::fromUtf8(value);
        else if (key == tokenKey)
            settings.token = QString::fromUtf8(value);
        else if (key == secretKey)
            settings.secretHash = QString::fromLatin1(value);
        else if (key == entriesKey)
            settings.marks.entries = instantOf(value);
        else if (key == treatmentsKey)
            settings.marks.treatments = instantOf(value);
        else if (key == autoKey)
            settings.autoFetch = value == yes;
        else if (key == daysKey && value.toInt() > 0)
            settings.firstDaysBack = value.toInt();
    });
    return settings;
}

QByteArray toBytes(const NightscoutSettings &settings)
{
    QByteArray bytes;
    line(bytes, urlKey, settings.url);
    if (!settings.token.isEmpty())
        line(bytes, tokenKey, settings.token);
    if (!settings.secretHash.isEmpty())
        line(bytes, secretKey, settings.secretHash);
    if (settings.marks.entries.isValid())
        line(bytes, entriesKey, settings.marks.entries.toUTC().toString(Qt::ISODateWithMs));
    if (settings.marks.treatments.isValid())
        line(bytes, treatmentsKey, settings.marks.treatments.toUTC().toString(Qt::ISODateWithMs));
    line(bytes, autoKey, QString::fromLatin1(settings.autoFetch ? yes : no));
    line(bytes, daysKey, QString::number(settings.firstDaysBack));
    return bytes;
}

bool write(const QString &path, const NightscoutSettings &settings, QString *error)
{
    return writeFileInFolder(path, toBytes(settings), error);
}

QString secretHash(QByteArrayView secret)
{
    while (secret.endsWith('\n') || secret.endsWith('\r'))
        secret.chop(1);
    return QString::fromLatin1(QCryptographicHash::hash(secret, QCryptographicHash::Sha1).toHex());
}

} // namespace NightscoutFile
