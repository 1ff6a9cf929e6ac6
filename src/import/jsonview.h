// SPDX-License-Identifier: GPL-3.0-or-later
// A JSON value read in place from the bytes that spell it, so the records of
// a large export are read without building a document of them. The bytes
// must be JSON that was checked already (readJsonRecords does): a view finds
// its way through them and reads only what it is asked for.
#ifndef JSONVIEW_H
#define JSONVIEW_H

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>

#include <vector>

class JsonView
{
public:
    JsonView() = default;
    explicit JsonView(QByteArrayView text) : m_text(text) {}

    QByteArrayView text() const { return m_text; }
    bool isUndefined() const { return m_text.isEmpty(); }
    bool isString() const { return m_text.startsWith('"'); }
    bool isObject() const { return m_text.startsWith('{'); }
    bool isDouble() const;

    // An object's member, the last of that name as QJsonObject keeps it;
    // undefined for a value that is no object.
    JsonView value(QByteArrayView key) const;
    // A string's text, else empty.
    QString toString() const;
    // A number, else 0.
    double toDouble() const;
    QJsonValue toJsonValue() const;

private:
    QByteArrayView m_text;
};

// An object's members, found once for a record that is asked many things.
class JsonObjectView
{
public:
    // Reuses the members' storage: one per reader, not per record.
    void read(JsonView object);
    JsonView value(QByteArrayView key) const;
    bool contains(QByteArrayView key) const { return !value(key).isUndefined(); }
    // A dotted path into nested objects: "dose.total".
    JsonView walk(QByteArrayView path) const;

private:
    struct Member
    {
        QByteArrayView key, value;
    };
    std::vector<Member> m_members;
    std::vector<QByteArray> m_keys; // keys written with escapes, as read
    // An object of more members is asked in place: no record of an export
    // has them, and each would be kept.
    static constexpr size_t maxMembers = 1000;
    JsonView m_large;
};

#endif
