// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/jsonrecords.h"
#include "import/importtext.h"

#include <QJsonDocument>

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

// An array that may hold the records: the top level one, or one a member
// of the top level object holds.
struct Candidate
{
    QByteArrayView key; // with its quotes; empty at the top level
    bool array = false;
    std::vector<qsizetype> starts, ends, lines;
    qsizetype lastObjectEnd = -1; // of its last whole object or array
    qsizetype lastObjectLine = 0; // the line it ends on
};

// Checks the data as JSON without building it. The keys and values of the
// top level container and the elements of the arrays a top level object
// holds are units: a unit with what this leaves to QJsonDocument (escapes,
// bytes beyond ASCII, unusual numbers, deep nesting) is parsed alone by it,
// so that the data is read as QJsonDocument would read it.
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
    // Where QJsonDocument stops in the data when it ends early.
    qsizetype stopsAt() const;

private:
    // In the top level container, or in an array of the top level object.
    bool isUnitLevel() const { return m_stack.size() == 1 || isMemberArray(); }
    bool isRecordLevel() const
    {
        return (m_stack.size() == 1 && m_stack[0] == '[') || isMemberArray();
    }
    bool isTopObject() const { return m_stack.size() == 1 && m_stack[0] == '{'; }
    bool isMemberArray() const
    {
        return m_stack.size() == 2 && m_stack[0] == '{' && m_stack[1] == '[';
    }
    void startUnit(qsizetype at, bool key);
    bool endUnit(qsizetype end);
    bool endValue(qsizetype end);
    qsizetype endOfString(qsizetype i);
    qsizetype skipSpace(qsizetype i)
    {
        for (; i < m_data.size() && isSpace(m_data[i]); ++i)
            m_line += m_data[i] == '\n';
        return i;
    }
    QByteArray unitPrefix() const;

    QByteArrayView m_data;
    std::string m_stack;
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
    qsizetype m_unitStart = -1, m_recordStart = -1;
    qsizetype m_line = 1, m_recordLine = 1; // counted as the data is read
    std::string m_unitStack;
    bool m_unitIsKey = false, m_unusual = false;
    QByteArrayView m_lastKey;
};

QByteArray Checker::unitPrefix() const
{
    if (m_unitIsKey)
        return "{";
    QByteArray prefix;
    for (char open : m_unitStack)
        prefix += open == '[' ? "[" : "{\"\":";
    return prefix;
}

void Checker::startUnit(qsizetype at, bool key)
{
    m_unitStart = at;
    m_unitStack = m_stack;
    m_unitIsKey = key;
    m_unusual = false;
}

bool Checker::endUnit(qsizetype end)
{
    const qsizetype start = m_unitStart;
    m_unitStart = -1;
    if (!m_unusual)
        return true;
    QByteArray suffix = m_unitIsKey ? ":0}" : "";
    for (auto open = m_unitStack.rbegin(); !m_unitIsKey && open != m_unitStack.rend(); ++open)
        suffix += *open == '[' ? ']' : '}';
    QJsonParseError error;
    QJsonDocument::fromJson(unitPrefix() + m_data.sliced(start, end - start).toByteArray() + suffix,
                            &error);
    if (error.error == QJsonParseError::NoError)
        return true;
    brokenAt = start;
    return false;
}

// A value ends at end: a record when it is an element of a candidate.
bool Checker::endValue(qsizetype end)
{
    m_state = m_stack.empty() ? Done : Next;
    if (isRecordLevel() && !candidates.empty()) {
        Candidate &candidate = candidates.back();
        candidate.starts.push_back(m_recordStart);
        candidate.lines.push_back(m_recordLine);
        candidate.ends.push_back(end);
        if (m_data[m_recordStart] == '{' || m_data[m_recordStart] == '[') {
            candidate.lastObjectEnd = end;
            candidate.lastObjectLine = m_line;
        }
    }
    if (m_unitStart >= 0 && m_stack.size() == m_unitStack.size())
        return endUnit(end);
    return true;
}

// Past the closing quote of the string opening at i; -1 when the data ends.
qsizetype Checker::endOfString(qsizetype i)
{
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
    for (;; ++i) {
        i = skipSpace(i);
        if (i == n)
            return m_state == Done ? Whole : EndsEarly;
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
                    m_stack.pop_back();
                    recordClosedWrongly = isRecordLevel();
                    return broken();
                }
                m_stack.pop_back();
                if (!endValue(i + 1))
                    return Broken;
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
            const bool unit = isTopObject();
            if (unit)
                startUnit(i, true);
            const qsizetype end = endOfString(i);
            if (end < 0)
                return EndsEarly;
            m_lastKey = m_data.sliced(i, end - i);
            m_state = Colon;
            if (unit && !endUnit(end))
                return Broken;
            i = end - 1;
            continue;
        }
        // A value.
        if (isUnitLevel() && !(isTopObject() && c == '['))
            startUnit(i, false);
        if (isRecordLevel()) {
            m_recordStart = i;
            m_recordLine = m_line;
        }
        if (isTopObject() || (m_stack.empty() && c == '[')) {
            candidates.emplace_back();
            candidates.back().key = m_stack.empty() ? QByteArrayView() : m_lastKey;
            candidates.back().array = c == '[';
        }
        if (c == '[' || c == '{') {
            m_stack += c;
            m_state = c == '[' ? FirstValue : FirstKey;
            m_unusual = m_unusual || m_stack.size() > 500;
            continue;
        }
        qsizetype end = i;
        if (c == '"') {
            end = endOfString(i);
            if (end < 0)
                return EndsEarly;
        } else if (isNumberChar(c) && c != 'e' && c != 'E') {
            while (end < n && isNumberChar(m_data[end]))
                ++end;
            if (end == n)
                return EndsEarly;
            m_unusual = m_unusual || !isPlainNumber(m_data.sliced(i, end - i));
        } else {
            const QByteArrayView word = c == 't' ? "true" : c == 'f' ? "false" : "null";
            if (n - i < word.size() && word.startsWith(m_data.sliced(i)))
                return EndsEarly;
            if (!m_data.sliced(i).startsWith(word))
                return broken();
            end = i + word.size();
        }
        if (!endValue(end))
            return Broken;
        i = end - 1;
    }
}

qsizetype Checker::stopsAt() const
{
    if (m_unitStart < 0)
        return m_data.size();
    // The unit's start is the first byte the parser reads as the data does.
    const QByteArray prefix = unitPrefix();
    QJsonParseError error;
    QJsonDocument::fromJson(prefix + m_data.sliced(m_unitStart).toByteArray(), &error);
    return error.offset - prefix.size() + m_unitStart;
}

// The key's text, in the order QJsonObject sorts members in.
QString keyOf(QByteArrayView quoted)
{
    return JsonView(quoted).toString();
}

// The records: the top level array, or the array the top level object
// holds, as QJsonObject keeps it: the last member of a name, the first
// array by name. In a cut file, the first array in it.
const Candidate *recordsOf(const std::vector<Candidate> &candidates, bool cut)
{
    if (cut || candidates.empty() || candidates.front().key.isEmpty()) {
        for (const Candidate &candidate : candidates) {
            if (candidate.array)
                return &candidate;
        }
        return nullptr;
    }
    std::map<QString, const Candidate *> members;
    for (const Candidate &candidate : candidates)
        members[keyOf(candidate.key)] = &candidate;
    for (const auto &[key, candidate] : members) {
        if (candidate->array)
            return candidate;
    }
    return nullptr;
}

} // namespace

JsonView JsonRecords::at(qsizetype i) const
{
    const qsizetype start = starts[size_t(i)];
    return JsonView(data.sliced(start, ends[size_t(i)] - start));
}

JsonRecords readJsonRecords(QByteArrayView data)
{
    JsonRecords records;
    records.data = data;
    Checker checker(data);
    const Checker::Outcome outcome = checker.run();
    const Candidate *found = recordsOf(checker.candidates, outcome != Checker::Whole);
    if (outcome != Checker::Whole) {
        // Cut off where the parser ran out of data, not broken before: the
        // whole records are kept.
        qsizetype end = data.size();
        while (end > 0 && isSpace(data[end - 1]))
            --end;
        QJsonParseError error;
        error.offset = outcome == Checker::EndsEarly ? int(checker.stopsAt()) : -1;
        if (outcome == Checker::Broken)
            QJsonDocument::fromJson(QByteArray::fromRawData(data.data(), data.size()), &error);
        if (found && found->lastObjectEnd >= 0 && error.offset >= end &&
            !checker.recordClosedWrongly) {
            records.cutAt = found->lastObjectEnd;
            records.cutLine = found->lastObjectLine + 1;
        } else {
            if (outcome == Checker::EndsEarly)
                QJsonDocument::fromJson(QByteArray::fromRawData(data.data(), data.size()), &error);
            records.error =
                error.error == QJsonParseError::NoError
                    ? ImportText::tr("unexpected character at offset %1").arg(checker.brokenAt)
                    : ImportText::tr("%1 at offset %2").arg(error.errorString()).arg(error.offset);
            return records;
        }
    }
    if (found) {
        records.starts = found->starts;
        records.ends = found->ends;
        records.lines = found->lines;
        if (records.cutAt >= 0) {
            while (!records.ends.empty() && records.ends.back() > records.cutAt) {
                records.starts.pop_back();
                records.ends.pop_back();
                records.lines.pop_back();
            }
        }
    }
    return records;
}
