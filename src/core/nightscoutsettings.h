// SPDX-License-Identifier: GPL-3.0-or-later
// The Nightscout site this diary fetches from and how far it got: a file of
// the diary folder (DiaryFolder::File::Nightscout), "key=value" lines. It
// holds what lets anyone read the site, so a new file is readable by its
// owner only.
#ifndef NIGHTSCOUTSETTINGS_H
#define NIGHTSCOUTSETTINGS_H

#include "core/clock.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The newest record fetched from each of the site's collections; null where
// nothing came from there yet.
struct NightscoutMarks
{
    QDateTime entries;
    QDateTime treatments;

    bool operator==(const NightscoutMarks &other) const
    {
        return entries == other.entries && treatments == other.treatments;
    }
};

struct NightscoutSettings
{
    QString url;
    // Either an access token, or the SHA-1 of the API secret in hex: what
    // the site checks. The secret itself is never kept.
    QString token;
    QString secretHash;
    NightscoutMarks marks;
    bool autoFetch = false;
    // Where a diary that holds nothing from the site starts.
    int firstDaysBack = 90;

    QDate firstDay() const { return Clock::today().addDays(-firstDaysBack); }
    // The site at address as typed: its marks are these.
    bool isSite(const QString &address) const { return address.trimmed() == url.trimmed(); }
};

namespace NightscoutFile {

// A file that cannot be read gives the defaults; unknown keys are skipped.
NightscoutSettings read(const QString &path);
NightscoutSettings parse(const QByteArray &bytes);
QByteArray toBytes(const NightscoutSettings &settings);
// Creates the folder when missing (0700), and a missing file with mode
// 0600; an existing file keeps its mode.
bool write(const QString &path, const NightscoutSettings &settings, QString *error);

// The SHA-1 in hex of an API secret as typed, or as a file's first line:
// the line end after it is no part of it.
QString secretHash(QByteArrayView secret);

} // namespace NightscoutFile

#endif
