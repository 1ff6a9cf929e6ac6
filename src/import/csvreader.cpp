// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/csvreader.h"

#include <algorithm>
#include <cstring>

CsvReader::CsvReader(QByteArrayView data, char separator) : m_data(data), m_separator(separator) {}

bool CsvReader::next()
{
    m_fields.clear();
    m_unquoted.clear();
    m_complete = true;
    m_terminated = true;
    const char *data = m_data.data();
    const qsizetype size = m_data.size();
    if (m_pos >= size || m_overlong)
        return false;
    m_line = m_nextLine;
    m_start = m_pos;
    // Nothing is looked at beyond the first byte too many for a record.
    const qsizetype stop = std::min(size, m_pos + maxRecordBytes + 1);
    qsizetype pos = m_pos;
    for (;;) {
        if (pos < stop && data[pos] == '"') {
            // Quoted field: runs to the next lone quote.
            const qsizetype start = ++pos;
            bool doubled = false;
            for (;;) {
                const void *quote =
                    pos < stop ? std::memchr(data + pos, '"', size_t(stop - pos)) : nullptr;
                if (!quote) {
                    m_complete = stop < size; // else it is overlong
                    pos = stop;
                    break;
                }
                pos = static_cast<const char *>(quote) - data;
                if (pos + 1 < size && data[pos + 1] == '"') {
                    doubled = true;
                    pos += 2;
                    continue;
                }
                break;
            }
            const qsizetype end = pos;
            for (qsizetype i = start; i < end; ++i)
                m_nextLine += data[i] == '\n';
            if (pos < stop)
                ++pos; // the closing quote
            QByteArrayView text(data + start, end - start);
            if (doubled && pos - m_pos <= maxRecordBytes) {
                QByteArray plain = text.toByteArray();
                plain.replace("\"\"", "\"");
                m_unquoted.push_back(plain);
                text = m_unquoted.back();
            }
            // Text after the closing quote is not RFC 4180; keep the field
            // and drop the stray text up to the separator.
            while (pos < stop && data[pos] != m_separator && data[pos] != '\n')
                ++pos;
            m_fields.push_back(text);
        } else {
            const qsizetype start = pos;
            while (pos < stop && data[pos] != m_separator && data[pos] != '\n')
                ++pos;
            qsizetype end = pos;
            if (end > start && data[end - 1] == '\r' && (pos == size || data[pos] == '\n'))
                --end;
            m_fields.push_back(QByteArrayView(data + start, end - start));
        }
        if (pos - m_pos > maxRecordBytes) {
            m_fields.clear();
            m_unquoted.clear();
            m_overlong = true;
            return false;
        }
        if (pos >= size) {
            m_pos = size;
            m_terminated = false;
            return true;
        }
        if (data[pos] == '\n') {
            m_pos = pos + 1;
            ++m_nextLine;
            return true;
        }
        ++pos; // separator
    }
}

char CsvReader::guessSeparator(QByteArrayView line)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            comma += c == ',', semicolon += c == ';', tab += c == '\t';
    }
    if (tab > comma && tab > semicolon)
        return '\t';
    return semicolon > comma ? ';' : ',';
}
