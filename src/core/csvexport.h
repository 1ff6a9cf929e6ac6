// SPDX-License-Identifier: GPL-3.0-or-later
// The diary as CSV for spreadsheets and other programs: a header line
// "date,time,type,value", then one line per entry, oldest first, dates as
// YYYY-MM-DD, times as HH:MM, values as plain numbers ("112", a dose "2.35").
// Fields are quoted as RFC 4180 asks where they hold a separator, a quote or
// a line break.
#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include <QByteArray>
#include <QDate>

class Diary;

inline constexpr char csvExportHeader[] = "date,time,type,value";

// from and to are inclusive; a null date leaves that end open. With either
// end given, entries whose date cannot be read are left out; without a
// range they come first with their texts as stored.
QByteArray exportCsv(const Diary &diary, const QDate &from = QDate(), const QDate &to = QDate());

// A CSV field, quoted where needed.
QByteArray csvField(const QByteArray &text);

#endif
