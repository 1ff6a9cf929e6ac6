// SPDX-License-Identifier: GPL-3.0-or-later
// The four numeric settings and their file: four lines of "%3d", lower
// limit, upper limit, top of the value scale, days shown.
#ifndef SETTINGS_H
#define SETTINGS_H

#include <QString>

struct Settings
{
    int lowerLimit = 100;
    int upperLimit = 130;
    int maxGluco = 200;
    int daysBack = 3;
};

namespace SettingsFile {

// A file that cannot be opened gives the defaults; lines that are missing
// keep their defaults; lines after the fourth are ignored.
Settings read(const QString &path);
Settings parse(const QByteArray &bytes);
QByteArray toBytes(const Settings &settings);
// Creates the file's directory when it is missing.
bool write(const QString &path, const Settings &settings, QString *error);

} // namespace SettingsFile

#endif
