// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the fields of export files: timestamps, numbers and the names of
// columns.
#ifndef FIELDPARSING_H
#define FIELDPARSING_H

#include "core/importmerge.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

#include <initializer_list>

// A timestamp as written. Dates with the year last are ambiguous until the
// whole file is seen.
struct ReadingTime
{
    int year = 0;
    int first = 0;  // month when the year comes first, else day or month
    int second = 0; // day when the year comes first, else month or day
    int minutes = 0;
    bool yearFirst = true;
    bool twelveHour = false; // written with AM or PM
    // Where the file gave an instant: milliseconds since the epoch, and the
    // local clock's offset from UTC then, in seconds.
    qint64 instant = ImportEntry::noInstant;
    int utcOffset = 0;
};

// Reads "2024-03-05T14:07:33", "05.03.2024 14:07", "3/5/2024 2:07 PM" and the
// like; seconds and fractions are cut off. False for anything else, and for
// years before firstImportYear.
bool parseReadingTime(QByteArrayView text, ReadingTime &when);
// The local date and time of an instant given in milliseconds since the
// epoch, cut to the minute. False (and nothing converted) where it lies
// outside the years firstImportYear to lastImportYear, or is no number.
bool readingTimeOfInstant(double msSinceEpoch, ReadingTime &when);
// The same for a parsed date and time: an instant where it has a zone or an
// offset, else a wall-clock time taken as it is.
bool readingTimeOfDateTime(const QDateTime &dateTime, ReadingTime &when);

// A number with a decimal point or comma; blanks around it are allowed.
bool parseNumber(QByteArrayView text, double &number);

QByteArrayView trimmed(QByteArrayView text);
// Lower case letters and digits only: "Fast-Acting" gives "fastacting".
QByteArray foldWord(QByteArrayView text);
// Whether text starts with, or holds, one of the words: column names
// matched against their known spellings.
bool startsWithAny(QByteArrayView text, std::initializer_list<const char *> words);
bool containsAny(QByteArrayView text, std::initializer_list<const char *> words);

#endif
