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

// from and to are inclusive; a null date leaves that end open. Entries
// without a readable date (years 1 to 9999), time or value are left out;
// *skipped (where given) tells how many of those the range may hold.
QByteArray exportCsv(const Diary &diary, const QDate &from = QDate(), const QDate &to = QDate(),
                     qsizetype *skipped = nullptr);
// "N entries without a readable date, time or value were not exported"
QString notExportedText(qsizetype skipped);

// Whether a value text reads as a whole number the way the diary reads it,
// blanks around it allowed: "12x", "1e308" and numbers beyond int do not.
bool readableValue(const QByteArray &text);
// Whether a time text reads as a time with a number for the hour and the
// minute: the diary reads letters as 0, so "ab:cd" would be 00:00.
bool readableTime(const QByteArray &text);

// A CSV field, quoted where needed.
QByteArray csvField(const QByteArray &text);

#endif
