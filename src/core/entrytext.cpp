// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/entrytext.h"

#include <array>
#include <cstdint>
#include <cstring>

const char *const items[] = {"Glucose",       "Carbs",      "Basis",     "Bolus",     "Lispro",
                             "Lantus",        "Protaphan",  "Humalog",   "Novorapid", "Actrapid",
                             "Insuman Rapid", "Insulatard", "Semilente", nullptr};

InsulinKind insulinKind(int typeIndex)
{
    // In the order of items.
    static constexpr InsulinKind kinds[itemCount] = {
        InsulinKind::None,  InsulinKind::None,  InsulinKind::Long,  InsulinKind::Rapid,
        InsulinKind::Rapid, InsulinKind::Long,  InsulinKind::Long,  InsulinKind::Rapid,
        InsulinKind::Rapid, InsulinKind::Rapid, InsulinKind::Rapid, InsulinKind::Long,
        InsulinKind::Long};
    return typeIndex < 0 || typeIndex >= itemCount ? InsulinKind::None : kinds[typeIndex];
}

QString unitSuffix(int typeIndex)
{
    if (typeIndex < 0 || typeIndex >= itemCount)
        return QString();
    if (typeIndex == glucoseType)
        return QStringLiteral(" mg/dL");
    return typeIndex == 1 ? QStringLiteral(" g") : QStringLiteral(" U");
}

int typeIndex(QStringView text)
{
    for (int i = 0; items[i]; ++i) {
        if (text == QLatin1String(items[i]))
            return i;
    }
    return -1;
}

int typeIndex(const char *bytes, qsizetype length)
{
    for (int i = 0; items[i]; ++i) {
        if (qsizetype(std::strlen(items[i])) == length && std::memcmp(items[i], bytes, length) == 0)
            return i;
    }
    return -1;
}

const QString &typeName(int index)
{
    static const std::array<QString, itemCount> names = [] {
        std::array<QString, itemCount> n;
        for (int i = 0; i < itemCount; ++i)
            n[i] = QString::fromLatin1(items[i]);
        return n;
    }();
    return names[index];
}

QString formatDate(int day, int month, int year)
{
    return QString::asprintf("%2d.%2d.%2d", day, month, year);
}

QString formatTime(int hour, int minute)
{
    return QString::asprintf("%02d:%02d", hour, minute);
}

QString formatValue(int value)
{
    return QString::asprintf("% 4d", value);
}

namespace {

// Writes the decimal digits of a non-negative number; returns their count.
int writeDigits(char *out, unsigned int n)
{
    char tmp[12];
    int len = 0;
    do {
        tmp[len++] = char('0' + n % 10);
        n /= 10;
    } while (n);
    for (int i = 0; i < len; ++i)
        out[i] = tmp[len - 1 - i];
    return len;
}

// printf "%Wd" for int, W the minimum width, blank padded on the left.
int writePadded(char *out, int n, int width, bool blankSign)
{
    char body[16];
    int len = 0;
    const unsigned int magnitude = n < 0 ? 0u - unsigned(n) : unsigned(n);
    if (n < 0)
        body[len++] = '-';
    else if (blankSign)
        body[len++] = ' ';
    len += writeDigits(body + len, magnitude);
    int pos = 0;
    while (pos + len < width)
        out[pos++] = ' ';
    std::memcpy(out + pos, body, len);
    return pos + len;
}

} // namespace

int writeDate(char *out, int day, int month, int year)
{
    int pos = writePadded(out, day, 2, false);
    out[pos++] = '.';
    pos += writePadded(out + pos, month, 2, false);
    out[pos++] = '.';
    pos += writePadded(out + pos, year, 2, false);
    return pos;
}

int writeTime(char *out, int hour, int minute)
{
    if (hour < 0 || hour > 99 || minute < 0 || minute > 99) {
        const QByteArray text = formatTime(hour, minute).toLatin1();
        std::memcpy(out, text.constData(), text.size());
        return int(text.size());
    }
    out[0] = char('0' + hour / 10);
    out[1] = char('0' + hour % 10);
    out[2] = ':';
    out[3] = char('0' + minute / 10);
    out[4] = char('0' + minute % 10);
    return 5;
}

int writeValue(char *out, int value)
{
    return writePadded(out, value, 4, true);
}

bool takesFraction(int typeIndex)
{
    return insulinKind(typeIndex) != InsulinKind::None;
}

namespace {

int writeDecimal(char *out, qint64 hundredths)
{
    int len = 0;
    const quint64 magnitude = hundredths < 0 ? 0u - quint64(hundredths) : quint64(hundredths);
    if (hundredths < 0)
        out[len++] = '-';
    const QByteArray whole = QByteArray::number(magnitude / 100);
    std::memcpy(out + len, whole.constData(), size_t(whole.size()));
    len += int(whole.size());
    const int cents = int(magnitude % 100);
    if (cents) {
        out[len++] = '.';
        out[len++] = char('0' + cents / 10);
        if (cents % 10)
            out[len++] = char('0' + cents % 10);
    }
    return len;
}

} // namespace

int writeFraction(char *out, qint32 hundredths)
{
    char body[32];
    const int len = writeDecimal(body, hundredths);
    int pos = 0;
    while (pos + len < 4)
        out[pos++] = ' ';
    std::memcpy(out + pos, body, size_t(len));
    return pos + len;
}

QString formatDose(qint64 hundredths)
{
    if (hundredths % 100 == 0 || hundredths <= 0 || hundredths > INT32_MAX)
        return formatValue(int(hundredths / 100));
    char buffer[32];
    return QString::fromLatin1(buffer, writeFraction(buffer, qint32(hundredths)));
}

QByteArray decimalText(qint64 hundredths)
{
    char buffer[32];
    return QByteArray(buffer, writeDecimal(buffer, hundredths));
}

qint32 wholeUnits(qint32 hundredths)
{
    return hundredths < 0 ? -((50 - hundredths) / 100) : (hundredths + 50) / 100;
}

bool parseDecimal(QStringView text, qint32 &hundredths)
{
    const QStringView body = text.trimmed();
    const qsizetype point = body.indexOf(u'.');
    if (point < 0)
        return false;
    qsizetype pos = 0;
    const bool negative = !body.isEmpty() && (body[0] == u'-' || body[0] == u'+');
    const bool minus = negative && body[0] == u'-';
    if (negative)
        ++pos;
    const QStringView whole = body.mid(pos, point - pos);
    const QStringView decimals = body.mid(point + 1);
    // Seven whole digits keep every dose within the row's 32 bits.
    if ((whole.isEmpty() && decimals.isEmpty()) || whole.size() > 7)
        return false;
    qint64 magnitude = 0;
    for (QChar c : whole) {
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
    }
    int cents = 0;
    for (qsizetype i = 0; i < decimals.size(); ++i) {
        const QChar c = decimals[i];
        if (c < u'0' || c > u'9')
            return false;
        const int digit = c.unicode() - '0';
        if (i < 2)
            cents = cents * 10 + digit;
        else if (i == 2 && digit >= 5)
            ++cents; // halves go up, never to the even neighbour
    }
    if (decimals.size() == 1)
        cents *= 10;
    magnitude = magnitude * 100 + cents;
    hundredths = qint32(minus ? -magnitude : magnitude);
    return true;
}

QStringView takePiece(QStringView &rest, QChar separator)
{
    const qsizetype at = rest.indexOf(separator);
    if (at < 0)
        return rest;
    const QStringView piece = rest.left(at);
    rest = rest.mid(at + 1);
    return piece;
}

int parseValue(QStringView text)
{
    // toInt skips blanks around the number and gives 0 for anything else.
    return text.toInt();
}

DateParts parseDateParts(QStringView text)
{
    QStringView rest = text;
    DateParts parts;
    parts.day = parseValue(takePiece(rest, u'.'));
    parts.month = parseValue(takePiece(rest, u'.'));
    parts.year = parseValue(rest);
    return parts;
}

QDate parseDate(QStringView text)
{
    const DateParts parts = parseDateParts(text);
    QDate date;
    date.setDate(parts.year, parts.month, parts.day);
    return date;
}

QTime parseTime(QStringView text)
{
    QStringView rest = text;
    const int hour = parseValue(takePiece(rest, u':'));
    const int minute = parseValue(rest);
    QTime time;
    time.setHMS(hour, minute, 0, 0);
    return time;
}
