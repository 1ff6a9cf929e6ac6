// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/jsonrecords.h"
#include "import/importtext.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <string>

namespace {

// Where each element of the first array starts, where the last complete one
// ends and which brackets are open there, so a cut file still gives its
// whole elements and line numbers can be told.
struct ArrayShape
{
    std::vector<qsizetype> starts;
    qsizetype lastEnd = -1;
    std::string closing; // the brackets that close the data at lastEnd
};

ArrayShape shapeOf(QByteArrayView data)
{
    ArrayShape shape;
    std::string open;
    size_t arrayDepth = 0; // the depth inside the records' array, 0 before it
    bool inString = false, expecting = false;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
            continue;
        if (c == ',') {
            expecting = arrayDepth && open.size() == arrayDepth;
            continue;
        }
        if (expecting && c != ']') {
            shape.starts.push_back(i);
            expecting = false;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            open += c;
            if (c == '[' && !arrayDepth) {
                arrayDepth = open.size();
                expecting = true;
            }
        } else if ((c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
            if (arrayDepth && open.size() == arrayDepth) {
                shape.lastEnd = i + 1;
                shape.closing.assign(open.rbegin(), open.rend());
                for (char &bracket : shape.closing)
                    bracket = bracket == '[' ? ']' : '}';
            } else if (open.size() < arrayDepth) {
                break; // the records' array is closed
            }
        }
    }
    return shape;
}

// The array itself, or the first member of an object that is an array.
QJsonArray recordsOf(const QJsonDocument &document)
{
    if (document.isArray())
        return document.array();
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it->isArray())
            return it->toArray();
    }
    return QJsonArray();
}

} // namespace

qsizetype JsonRecords::startOf(qsizetype i) const
{
    return size_t(i) < starts.size() ? starts[size_t(i)] : m_counted;
}

qsizetype JsonRecords::lineOf(QByteArrayView data, qsizetype i)
{
    const qsizetype start = std::max(startOf(i), m_counted);
    m_line += data.sliced(m_counted, start - m_counted).count('\n');
    m_counted = start;
    return m_line;
}

qsizetype JsonRecords::cutLine(QByteArrayView data)
{
    const qsizetype end = std::max(cutAt, m_counted);
    m_line += data.sliced(m_counted, end - m_counted).count('\n');
    m_counted = end;
    return m_line + 1;
}

JsonRecords readJsonRecords(QByteArrayView data)
{
    JsonRecords records;
    ArrayShape shape = shapeOf(data);
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(data.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
        // Cut off where the parser ran out of data, not broken before.
        qsizetype end = data.size();
        while (end > 0 && (data[end - 1] == ' ' || data[end - 1] == '\t' || data[end - 1] == '\r' ||
                           data[end - 1] == '\n'))
            --end;
        QJsonParseError cutError;
        if (shape.lastEnd >= 0 && error.offset >= end) {
            // A cut file: keep the elements that are whole.
            document = QJsonDocument::fromJson(data.first(shape.lastEnd).toByteArray() +
                                                   QByteArray::fromStdString(shape.closing),
                                               &cutError);
        }
        if (shape.lastEnd < 0 || error.offset < end || cutError.error != QJsonParseError::NoError) {
            records.error =
                ImportText::tr("%1 at offset %2").arg(error.errorString()).arg(error.offset);
            return records;
        }
        records.cutAt = shape.lastEnd;
    }
    records.array = recordsOf(document);
    // Elements of another array than the records' cannot tell their lines;
    // a cut file has one more start than whole records.
    const qsizetype extra = qsizetype(shape.starts.size()) - records.array.size();
    if (extra == 0 || (extra == 1 && records.cutAt >= 0))
        records.starts = std::move(shape.starts);
    return records;
}
