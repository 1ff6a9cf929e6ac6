// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/jsonview.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <charconv>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

qsizetype skipSpace(QByteArrayView text, qsizetype i)
{
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return i;
}

// Past the closing quote of the string opening at i.
qsizetype endOfString(QByteArrayView text, qsizetype i, bool &escapes)
{
    for (++i; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return i + 1;
        if (c == '\\') {
            escapes = true;
            ++i;
        }
    }
    return text.size();
}

// Past the end of the value that starts at i.
qsizetype endOfValue(QByteArrayView text, qsizetype i)
{
    const qsizetype size = text.size();
    bool escapes = false;
    if (i < size && text[i] == '"')
        return endOfString(text, i, escapes);
    if (i < size && text[i] != '{' && text[i] != '[') {
        while (i < size && text[i] != ',' && text[i] != '}' && text[i] != ']' && !isSpace(text[i]))
            ++i;
        return i;
    }
    int depth = 0;
    for (; i < size; ++i) {
        const char c = text[i];
        if (c == '"') {
            i = endOfString(text, i, escapes) - 1;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return i + 1;
        }
    }
    return size;
}

// The text of what the parser makes of a value with escapes or unusual
// numbers: the rules of QJsonDocument, since it judged the file.
QJsonValue parsed(QByteArrayView text)
{
    return QJsonDocument::fromJson('[' + text.toByteArray() + ']').array().at(0);
}

// The next member of the object whose bytes are text, from i; key keeps
// its quotes.
bool nextMember(QByteArrayView text, qsizetype &i, QByteArrayView &key, bool &escapes,
                QByteArrayView &value)
{
    i = skipSpace(text, i);
    if (i >= text.size() || text[i] != '"')
        return false;
    escapes = false;
    const qsizetype keyEnd = endOfString(text, i, escapes);
    key = text.sliced(i, keyEnd - i);
    i = skipSpace(text, skipSpace(text, keyEnd) + 1); // past the colon
    const qsizetype valueEnd = endOfValue(text, i);
    value = text.sliced(i, valueEnd - i);
    i = skipSpace(text, valueEnd);
    if (i < text.size() && text[i] == ',')
        ++i;
    return true;
}

// A key with escapes, as the parser reads it.
QByteArray unescaped(QByteArrayView quoted)
{
    return parsed(quoted).toString().toUtf8();
}

bool keyIs(QByteArrayView quoted, bool escapes, QByteArrayView key)
{
    return escapes ? unescaped(quoted) == key : quoted.sliced(1, quoted.size() - 2) == key;
}

} // namespace

bool JsonView::isDouble() const
{
    if (m_text.isEmpty())
        return false;
    const char c = m_text[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

JsonView JsonView::value(QByteArrayView key) const
{
    JsonView found;
    if (!isObject())
        return found;
    QByteArrayView name, value;
    bool escapes;
    for (qsizetype i = 1; nextMember(m_text, i, name, escapes, value);) {
        if (keyIs(name, escapes, key))
            found = JsonView(value);
    }
    return found;
}

QString JsonView::toString() const
{
    if (!isString())
        return QString();
    const QByteArrayView inner = m_text.sliced(1, m_text.size() - 2);
    return inner.contains('\\') ? parsed(m_text).toString() : QString::fromUtf8(inner);
}

double JsonView::toDouble() const
{
    if (!isDouble())
        return 0;
    double number = 0;
    const char *end = m_text.data() + m_text.size();
    const auto [stop, error] = std::from_chars(m_text.data(), end, number);
    return stop == end && error == std::errc() ? number : parsed(m_text).toDouble();
}

QJsonValue JsonView::toJsonValue() const
{
    if (isUndefined())
        return QJsonValue(QJsonValue::Undefined);
    if (isString())
        return toString();
    if (isDouble())
        return toDouble();
    return parsed(m_text);
}

void JsonObjectView::read(JsonView object)
{
    m_members.clear();
    m_keys.clear();
    m_large = JsonView();
    if (!object.isObject())
        return;
    Member member;
    QByteArrayView quoted;
    bool escapes;
    for (qsizetype i = 1; nextMember(object.text(), i, quoted, escapes, member.value);) {
        if (m_members.size() == maxMembers) {
            m_members.clear();
            m_keys.clear();
            m_large = object;
            return;
        }
        member.key = quoted.sliced(1, quoted.size() - 2);
        if (escapes) {
            m_keys.push_back(unescaped(quoted));
            member.key = m_keys.back();
        }
        m_members.push_back(member);
    }
}

JsonView JsonObjectView::value(QByteArrayView key) const
{
    if (!m_large.isUndefined())
        return m_large.value(key);
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        if (it->key == key)
            return JsonView(it->value);
    }
    return JsonView();
}

JsonView JsonObjectView::walk(QByteArrayView path) const
{
    qsizetype dot = path.indexOf('.');
    JsonView value = JsonObjectView::value(dot < 0 ? path : path.first(dot));
    while (dot >= 0 && value.isObject()) {
        path = path.sliced(dot + 1);
        dot = path.indexOf('.');
        value = value.value(dot < 0 ? path : path.first(dot));
    }
    return dot < 0 ? value : JsonView();
}
