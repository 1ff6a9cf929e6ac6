// SPDX-License-Identifier: GPL-3.0-or-later
#include "nightscoutserver.h"

#include "core/clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslSocket>
#include <QUrlQuery>

#include <algorithm>
#include <limits>
#include <zlib.h>

namespace {

qint64 msOf(const QString &text)
{
    bool number = false;
    const qint64 ms = text.toLongLong(&number);
    return number ? ms : QDateTime::fromString(text, Qt::ISODateWithMs).toMSecsSinceEpoch();
}

QByteArray gzip(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray packed(qsizetype(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(packed.data());
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return packed;
}

} // namespace

NightscoutServer::NightscoutServer()
{
    listen(QHostAddress::LocalHost);
}

QString NightscoutServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(serverPort());
}

void NightscoutServer::add(const QString &collection, const QByteArray &json)
{
    std::vector<Record> &records = m_records[collection];
    const bool entries = collection == u"entries";
    for (const QJsonValue &value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject object = value.toObject();
        records.push_back({entries ? qint64(object.value(u"date").toDouble())
                                   : msOf(object.value(u"created_at").toString()),
                           QJsonDocument(object).toJson(QJsonDocument::Compact)});
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record &a, const Record &b) { return a.ms > b.ms; });
}

void NightscoutServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    socket->setSocketDescriptor(descriptor);
    if (fault == Fault::Tls) {
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(key);
        socket->startServerEncryption();
    }
    connect(socket, &QSslSocket::readyRead, this, [this, socket] {
        const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
        socket->setProperty("head", head);
        if (head.contains("\r\n\r\n"))
            respond(socket, head);
    });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
}

void NightscoutServer::respond(QTcpSocket *socket, const QByteArray &head)
{
    const QList<QByteArray> lines = head.split('\n');
    const QUrl url(QString::fromLatin1(lines.first().split(' ').value(1)));
    QByteArray secret;
    bool packs = false;
    for (const QByteArray &line : lines) {
        const QByteArray lower = line.toLower();
        if (lower.startsWith("api-secret:"))
            secret = line.mid(11).trimmed();
        packs = packs || (lower.startsWith("accept-encoding:") && lower.contains("gzip"));
    }
    const bool faulty = requests++ >= faultAfter && fault != Fault::None;
    QByteArray status = "200 OK", body, headers;
    const bool allowed =
        (secretHash.isEmpty() && token.isEmpty()) ||
        (!secretHash.isEmpty() && secret == secretHash.toLatin1()) ||
        (!token.isEmpty() && QUrlQuery(url).queryItemValue(QStringLiteral("token")) == token);
    if (!allowed) {
        status = "401 Unauthorized";
    } else if (faulty && fault == Fault::ServerError) {
        status = "500 Internal Server Error";
    } else if (faulty && (fault == Fault::RedirectToHttp || fault == Fault::RedirectAway)) {
        status = "302 Found";
        headers = (fault == Fault::RedirectAway ? "Location: https://localhost:"
                                                : "Location: http://127.0.0.2:") +
                  QByteArray::number(serverPort()) + url.toEncoded() + "\r\n";
    } else if (url.path().endsWith(u"/status.json")) {
        body =
            R"({"status":"ok","name":"Loopback","version":"15.0.2","settings":{"units":"mg/dl"}})";
    } else if (faulty && fault == Fault::Oversized) {
        body = '[' + QByteArray(oversize, ' ') + ']';
    } else {
        body = select(url.path().endsWith(u"/entries.json") ? QStringLiteral("entries")
                                                            : QStringLiteral("treatments"),
                      url);
        if (faulty && fault == Fault::BrokenJson)
            body.insert(1, ',');
    }
    if (packs && !body.isEmpty()) {
        body = gzip(body);
        headers += "Content-Encoding: gzip\r\n";
    }
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n" + headers + "Connection: close\r\n\r\n");
    if (faulty && (fault == Fault::StopsHalfway || fault == Fault::Stalls)) {
        socket->write(body.left(body.size() / 2));
        if (fault == Fault::StopsHalfway)
            socket->disconnectFromHost();
        return;
    }
    socket->write(body);
    socket->disconnectFromHost();
}

QByteArray NightscoutServer::select(const QString &collection, const QUrl &url)
{
    const QString field =
        collection == u"entries" ? QStringLiteral("date") : QStringLiteral("created_at");
    const QUrlQuery query(url);
    qint64 low = std::numeric_limits<qint64>::min(), high = std::numeric_limits<qint64>::max();
    bool filtered = false;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        const qint64 ms = msOf(value);
        const QString op = key.startsWith(QStringLiteral("find[%1][").arg(field))
                               ? key.mid(field.size() + 7).chopped(1)
                               : QString();
        filtered = filtered || !op.isEmpty();
        if (op == u"$gte" || op == u"$gt")
            low = std::max(low, ms + (op == u"$gt"));
        else if (op == u"$lt" || op == u"$lte")
            high = std::min(high, ms + (op == u"$lte"));
    }
    if (!filtered)
        low = Clock::now().addDays(-4).toMSecsSinceEpoch();
    const int count = query.hasQueryItem(QStringLiteral("count"))
                          ? query.queryItemValue(QStringLiteral("count")).toInt()
                          : 10;
    defaultsRelied += !filtered || !query.hasQueryItem(QStringLiteral("count"));
    QByteArrayList chosen;
    for (const Record &record : m_records[collection]) {
        if (record.ms >= low && record.ms < high && chosen.size() < count)
            chosen << record.json;
    }
    return '[' + chosen.join(',') + ']';
}
