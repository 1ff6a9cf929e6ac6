// SPDX-License-Identifier: GPL-3.0-or-later
// A small RFC 4180 reader: comma, semicolon or tab separated fields, quoted
// fields with separators, quotes ("") and line breaks inside, CRLF or LF.
// Fields are views into the data, so reading a large export copies nothing.
#ifndef CSVREADER_H
#define CSVREADER_H

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <vector>

class CsvReader
{
public:
    // No export writes a record this long; a longer one is not read, so
    // that a line of nothing but separators cannot take memory without end.
    static constexpr qsizetype maxRecordBytes = qsizetype(1) << 20;

    // data must outlive the reader.
    CsvReader(QByteArrayView data, char separator);

    // Reads the next record; false at the end of the data, and at a record
    // longer than maxRecordBytes. Its fields stay valid until the next call.
    bool next();
    const std::vector<QByteArrayView> &fields() const { return m_fields; }
    QByteArrayView field(size_t i) const
    {
        return i < m_fields.size() ? m_fields[i] : QByteArrayView();
    }
    // The line the record starts on, from 1.
    qsizetype line() const { return m_line; }
    // Bytes read so far, and where the record starts.
    qsizetype position() const { return m_pos; }
    qsizetype start() const { return m_start; }
    // False when the data ended inside a quoted field (a cut file).
    bool complete() const { return m_complete; }
    // False for a last record that the data ends without a line end.
    bool terminated() const { return m_terminated; }
    // Reading stopped at a record (starting on line()) longer than
    // maxRecordBytes.
    bool overlong() const { return m_overlong; }
    // A record of one empty field: a blank line.
    bool blank() const { return m_fields.size() == 1 && m_fields[0].isEmpty(); }

    // The separator that occurs most often outside quotes in a line.
    static char guessSeparator(QByteArrayView line);

private:
    QByteArrayView m_data;
    char m_separator;
    qsizetype m_pos = 0;
    qsizetype m_start = 0;
    qsizetype m_line = 0;
    qsizetype m_nextLine = 1;
    bool m_complete = true;
    bool m_terminated = true;
    bool m_overlong = false;
    std::vector<QByteArrayView> m_fields;
    std::deque<QByteArray> m_unquoted; // fields that held doubled quotes
};

#endif
