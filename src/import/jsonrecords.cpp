// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/jsonrecords.h"
#include "import/importtext.h"

#include <QJsonDocument>

#include <algorithm>
#include <map>
#include <string>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNumberChar(char c)
{
    return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]{1,2})?: what std::from_chars
// reads as QJsonDocument does. Other numbers are left to QJsonDocument.
bool isPlainNumber(QByteArrayView text)
{
    const char *c = text.begin(), *end = text.end();
    const auto digits = [&] {
        const char *first = c;
        while (c != end && isDigit(*c))
            ++c;
        return c - first;
    };
    if (c != end && *c == '-')
        ++c;
    if (c == end || (*c == '0' && c + 1 != end && isDigit(c[1])) || !digits())
        return false;
    if (c != end && *c == '.' && (++c, !digits()))
        return false;
    if (c != end && (*c == 'e' || *c == 'E')) {
        ++c;
        if (c != end && (*c == '+' || *c == '-'))
            ++c;
        const auto exponent = digits();
        if (exponent < 1 || exponent > 2)
            return false;
    }
    return c == end && text.size() <= 32;
}

// QJsonDocument refuses deeper nesting.
constexpr size_t maxDepth = 1024;
// An export's top level object holds its array of records and a few more
// members; far more is no export, and each one would be kept here.
constexpr size_t maxTopMembers = 10000;

// An array that may hold the records: the top level one, or one a member
// of the top level object holds.
struct Candidate
{
    QByteArrayView key; // with its quotes; empty at the top level
    bool array = false;
    qsizetype start = 0, line = 0; // where the value starts, and its line
    // Where each element starts, four bytes each (the data is less than
    // 4 GB), and where the closing bracket is.
    std::vector<quint32> starts;
    qsizetype close = -1;
    qsizetype lastObjectEnd = -1; // of its last whole object or array
    qsizetype lastObjectLine = 0; // the line it ends on
};

// Checks the data as JSON without building it. What this leaves to
// QJsonDocument (escapes, bytes beyond ASCII, unusual numbers) is checked
// by it one string or number at a time, so that the data is read as
// QJsonDocument would read it.
class Checker
{
public:
    enum Outcome
    {
        Whole,
        EndsEarly,
        Broken
    };

    explicit Checker(QByteArrayView data) : m_data(data) {}
    Outcome run();

    std::vector<Candidate> candidates;
    qsizetype brokenAt = -1;
    // A record closed by the wrong bracket is broken even at the end.
    bool recordClosedWrongly = false;
    bool tooManyMembers = false;
    // The data ends between the keys and values of the top level object or
    // the elements of the records' array, not inside one.
    bool endsBetween = false;
    // What QJsonDocument reports for the data where the check stopped, its
    // offset in the data.
    QJsonParseError parserError() const;

private:
    bool isRecordLevel(size_t depth) const
    {
        return (depth == 1 && m_stack[0] == '[') ||
               (depth == 2 && m_stack[0] == '{' && m_stack[1] == '[');
    }
    bool isRecordLevel() const { return isRecordLevel(m_stack.size()); }
    bool isTopObject() const { return m_stack.size() == 1 && m_stack[0] == '{'; }
    // A value ends at end; start for a string, number or word.
    void endValue(qsizetype end, qsizetype start = -1);
    qsizetype endOfString(qsizetype i);
    // Whether QJsonDocument reads the string or number from start to end.
    bool parses(qsizetype start, qsizetype end) const
    {
        QJsonParseError error;
        QJsonDocument::fromJson('[' + m_data.sliced(start, end - start).toByteArray() + ']',
                                &error);
        return error.error == QJsonParseError::NoError;
    }
    QJsonParseError parse(const QByteArray &prefix, qsizetype from, qsizetype to) const;
    qsizetype skipSpace(qsizetype i)
    {
        for (; i < m_data.size() && isSpace(m_data[i]); ++i)
            m_line += m_data[i] == '\n';
        return i;
    }

    QByteArrayView m_data;
    std::string m_stack;            // the open containers' brackets
    std::vector<qsizetype> m_opens; // where each starts
    enum State
    {
        FirstValue,
        Value,
        FirstKey,
        Key,
        Colon,
        Next,
        Done
    } m_state = Value;
    qsizetype m_recordStart = -1;
    qsizetype m_line = 1; // counted as the data is read
    bool m_unusual = false;
    QByteArrayView m_lastKey;
    // The end of the last key or value read whole, and which it was; where
    // it starts when it is a string, number or word.
    qsizetype m_lastEnd = -1, m_lastStart = -1;
    bool m_lastWasKey = false;
};

// A value ends at end: a record when it is an element of a candidate.
void Checker::endValue(qsizetype end, qsizetype start)
{
    m_state = m_stack.empty() ? Done : Next;
    m_lastEnd = end;
    m_lastStart = start;
    m_lastWasKey = false;
    if (!isRecordLevel() || candidates.empty())
        return;
    Candidate &candidate = candidates.back();
    candidate.starts.push_back(quint32(m_recordStart));
    if (m_data[m_recordStart] == '{' || m_data[m_recordStart] == '[') {
        candidate.lastObjectEnd = end;
        candidate.lastObjectLine = m_line;
    }
}

// Past the closing quote of the string opening at i; -1 when the data ends.
qsizetype Checker::endOfString(qsizetype i)
{
    m_unusual = false;
    const qsizetype n = m_data.size();
    for (++i; i < n; ++i) {
        const char c = m_data[i];
        if (c == '"')
            return i + 1;
        if (c == '\n') {
            ++m_line;
        } else if (uchar(c) >= 0x80) {
            m_unusual = true;
        } else if (c == '\\') {
            if (++i == n)
                return -1;
            const char escaped = m_data[i];
            m_line += escaped == '\n';
            if (escaped == 'u') {
                for (int k = 1; k <= 4; ++k) {
                    const char hex = i + k < n ? m_data[i + k] : '\0';
                    if (!isDigit(hex) && !(hex >= 'a' && hex <= 'f') && !(hex >= 'A' && hex <= 'F'))
                        m_unusual = true;
                }
            } else if (!QByteArrayView("\"\\/bfnrt").contains(escaped)) {
                m_unusual = true;
            }
        }
    }
    return -1;
}

Checker::Outcome Checker::run()
{
    const qsizetype n = m_data.size();
    qsizetype i = 0;
    i = skipSpace(i);
    if (i == n || (m_data[i] != '[' && m_data[i] != '{')) {
        brokenAt = i;
        return Broken;
    }
    const auto broken = [&] {
        brokenAt = i;
        return Broken;
    };
    const auto endsEarly = [&] {
        brokenAt = n;
        return EndsEarly;
    };
    for (;; ++i) {
        i = skipSpace(i);
        if (i == n) {
            endsBetween = m_stack.size() == 1 ||
                          (m_stack.size() == 2 && m_stack[0] == '{' && m_stack[1] == '[');
            return m_state == Done ? Whole : endsEarly();
        }
        const char c = m_data[i];
        switch (m_state) {
        case Done:
            return broken();
        case Colon:
            if (c != ':')
                return broken();
            m_state = Value;
            continue;
        case Next:
            if (c == ',') {
                m_state = m_stack.back() == '[' ? Value : Key;
                continue;
            }
            [[fallthrough]];
        case FirstKey:
        case FirstValue:
            if ((c == ']' || c == '}') && m_state != (c == ']' ? FirstKey : FirstValue)) {
                if (m_stack.back() != (c == ']' ? '[' : '{')) {
                    recordClosedWrongly = isRecordLevel(m_stack.size() - 1);
                    return broken();
                }
                if (isRecordLevel())
                    candidates.back().close = i;
                m_stack.pop_back();
                m_opens.pop_back();
                endValue(i + 1);
                continue;
            }
            if (m_state == Next)
                return broken();
            break;
        default:
            break;
        }
        if (m_state == FirstKey || m_state == Key) {
            if (c != '"')
                return broken();
            const qsizetype end = endOfString(i);
            if (end < 0)
                return endsEarly();
            if (m_unusual && !parses(i, end))
                return broken();
            m_lastKey = m_data.sliced(i, end - i);
            m_lastEnd = end;
            m_lastWasKey = true;
            m_state = Colon;
            i = end - 1;
            continue;
        }
        // A value.
        if (isRecordLevel())
            m_recordStart = i;
        if (isTopObject() || (m_stack.empty() && c == '[')) {
            if (candidates.size() == maxTopMembers) {
                tooManyMembers = true;
                return broken();
            }
            Candidate &candidate = candidates.emplace_back();
            candidate.key = m_stack.empty() ? QByteArrayView() : m_lastKey;
            candidate.array = c == '[';
            candidate.start = i;
            candidate.line = m_line;
        }
        if (c == '[' || c == '{') {
            if (m_stack.size() == maxDepth)
                return broken();
            m_stack += c;
            m_opens.push_back(i);
            m_state = c == '[' ? FirstValue : FirstKey;
            continue;
        }
        qsizetype end = i;
        if (c == '"') {
            end = endOfString(i);
            if (end < 0)
                return endsEarly();
            if (m_unusual && !parses(i, end))
                return broken();
        } else if (isNumberChar(c) && c != 'e' && c != 'E') {
            while (end < n && isNumberChar(m_data[end]))
                ++end;
            if (end == n)
                return endsEarly();
            if (!isPlainNumber(m_data.sliced(i, end - i)) && !parses(i, end))
                return broken();
        } else {
            const QByteArrayView word = c == 't' ? "true" : c == 'f' ? "false" : "null";
            if (n - i < word.size() && word.startsWith(m_data.sliced(i)))
                return endsEarly();
            if (!m_data.sliced(i).startsWith(word))
                return broken();
            end = i + word.size();
        }
        endValue(end, i);
        i = end - 1;
    }
}

// The parser's error for prefix followed by the data from from to to, its
// offset moved to the data.
QJsonParseError Checker::parse(const QByteArray &prefix, qsizetype from, qsizetype to) const
{
    QJsonParseError error;
    QJsonDocument::fromJson(prefix + m_data.sliced(from, to - from).toByteArray(), &error);
    error.offset = int(std::max<qsizetype>(error.offset - prefix.size(), 0) + from);
    return error;
}

QJsonParseError Checker::parserError() const
{
    // The parser's state where the check stopped, rebuilt in a few bytes
    // instead of parsing all that came before: the open containers, and in
    // the innermost one its last key or value read whole, a key or a
    // container as an empty one. (A string, number or word is kept: where
    // the data ends after one, the parser's error depends on it.) The
    // parser's error is then that of the data.
    QByteArray prefix;
    qsizetype from = 0;
    if (!m_stack.empty() || m_lastEnd >= 0) {
        for (size_t depth = 0; depth + 1 < m_stack.size(); ++depth)
            prefix += m_stack[depth] == '[' ? "[" : "{\"\":";
        const qsizetype open = m_stack.empty() ? -1 : m_opens.back();
        const bool element = m_lastEnd > open;
        if (!m_stack.empty())
            prefix += m_stack.back() == '[' ? "[" : element && !m_lastWasKey ? "{\"\":" : "{";
        if (!element) {
            from = open + 1;
        } else if (!m_lastWasKey && m_lastStart >= 0) {
            from = m_lastStart;
        } else {
            prefix += m_lastWasKey ? "\"\"" : "[]";
            from = m_lastEnd;
        }
    }
    // The parser stops near where the check did; a window that ends too
    // close to its stop is widened.
    const qsizetype size = m_data.size();
    for (qsizetype window = 4096;; window *= 16) {
        const qsizetype to = std::min(size, std::max(from, brokenAt) + window);
        const QJsonParseError error = parse(prefix, from, to);
        if (to == size || (error.error != QJsonParseError::NoError && error.offset + 16 < to))
            return error;
    }
}

// The key's text, in the order QJsonObject sorts members in.
QString keyOf(QByteArrayView quoted)
{
    return JsonView(quoted).toString();
}

// The records: the top level array, or the array the top level object
// holds, as QJsonObject keeps it: the last member of a name, the first
// array by name. In a cut file, the first array in it.
Candidate *recordsOf(std::vector<Candidate> &candidates, bool cut)
{
    if (cut || candidates.empty() || candidates.front().key.isEmpty()) {
        for (Candidate &candidate : candidates) {
            if (candidate.array)
                return &candidate;
        }
        return nullptr;
    }
    std::map<QString, Candidate *> members;
    for (Candidate &candidate : candidates)
        members[keyOf(candidate.key)] = &candidate;
    for (const auto &[key, candidate] : members) {
        if (candidate->array)
            return candidate;
    }
    return nullptr;
}

} // namespace

JsonRecords readJsonRecords(QByteArrayView data)
{
    JsonRecords records;
    records.data = data;
    Checker checker(data);
    const Checker::Outcome outcome = checker.run();
    if (checker.tooManyMembers) {
        records.error = ImportText::tr("its top level object has more than %1 members, and an "
                                       "export keeps its records in one array")
                            .arg(maxTopMembers);
        return records;
    }
    Candidate *found = recordsOf(checker.candidates, outcome != Checker::Whole);
    if (outcome != Checker::Whole) {
        // Cut off where the parser ran out of data, not broken before: the
        // whole records are kept.
        qsizetype end = data.size();
        while (end > 0 && isSpace(data[end - 1]))
            --end;
        const QJsonParseError error = checker.parserError();
        const qsizetype stop = checker.endsBetween ? data.size() : error.offset;
        if (found && found->lastObjectEnd >= 0 && stop >= end && !checker.recordClosedWrongly) {
            records.cutAt = found->lastObjectEnd;
            records.cutLine = found->lastObjectLine + 1;
        } else {
            records.error =
                error.error == QJsonParseError::NoError
                    ? ImportText::tr("unexpected character at offset %1").arg(checker.brokenAt)
                    : ImportText::tr("%1 at offset %2").arg(error.errorString()).arg(error.offset);
            return records;
        }
    }
    if (found) {
        records.arrayStart = found->start;
        records.arrayLine = found->line;
        records.close = found->close;
        records.starts = std::move(found->starts);
        // A cut file keeps the records up to its last whole object.
        while (records.cutAt >= 0 && !records.starts.empty() &&
               qsizetype(records.starts.back()) >= records.cutAt)
            records.starts.pop_back();
    }
    return records;
}

JsonRecordCursor::JsonRecordCursor(const JsonRecords &records)
    : m_records(records), m_start(records.arrayStart), m_line(records.arrayLine)
{}

bool JsonRecordCursor::next()
{
    const std::vector<quint32> &starts = m_records.starts;
    if (m_index >= starts.size())
        return false;
    const QByteArrayView data = m_records.data;
    const qsizetype start = starts[m_index];
    m_line += std::count(data.begin() + m_start, data.begin() + start, '\n');
    m_start = start;
    ++m_index;
    // The record ends where the blanks and the comma before the next one
    // begin, or those before the array's closing bracket.
    if (m_index == starts.size() && m_records.cutAt >= 0) {
        m_end = m_records.cutAt;
        return true;
    }
    qsizetype end = m_index < starts.size() ? qsizetype(starts[m_index]) : m_records.close;
    while (end > start && isSpace(data[end - 1]))
        --end;
    if (m_index < starts.size() && data[end - 1] == ',')
        --end;
    while (end > start && isSpace(data[end - 1]))
        --end;
    m_end = end;
    return true;
}
