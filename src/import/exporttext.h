// SPDX-License-Identifier: GPL-3.0-or-later
// The text of an export file before a reader sees it: UTF-8, as the readers
// read it, in lines of a size an export can have.
#ifndef EXPORTTEXT_H
#define EXPORTTEXT_H

#include <QByteArray>
#include <QByteArrayView>

// Text that is not valid UTF-8 is taken as Windows-1252, the code page a
// spreadsheet saves in on Western systems (Latin-1 and 32 more characters):
// its UTF-8 goes to utf8. False, and utf8 left alone, for valid UTF-8.
bool decodeWindows1252(QByteArrayView text, QByteArray &utf8);

// The first line (from 1) longer than CsvReader::maxRecordBytes; 0 when
// there is none.
qsizetype firstOverlongLine(QByteArrayView text);

#endif
