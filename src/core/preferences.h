// SPDX-License-Identifier: GPL-3.0-or-later
// The person's preferences for this diary and their file of "key=value"
// lines. It lives beside the four-line settings file, which keeps its format
// for older copies.
#ifndef PREFERENCES_H
#define PREFERENCES_H

#include "core/glucoseconversion.h"

#include <QByteArray>
#include <QString>

enum class InsulinDoses
{
    WholeUnits,
    Fractions
};

// The defaults show everything as it has always been shown.
struct Preferences
{
    GlucoseUnit glucoseUnit = GlucoseUnit::MgPerDl;
    InsulinDoses insulinDoses = InsulinDoses::WholeUnits;
    // An import of mmol/L readings offered that unit once; not again.
    bool mmolOffered = false;

    // Everything shows as it always has.
    bool showsDefaults() const
    {
        return glucoseUnit == GlucoseUnit::MgPerDl && insulinDoses == InsulinDoses::WholeUnits;
    }
    bool operator==(const Preferences &other) const
    {
        return glucoseUnit == other.glucoseUnit && insulinDoses == other.insulinDoses &&
               mmolOffered == other.mmolOffered;
    }
    bool operator!=(const Preferences &other) const { return !(*this == other); }
};

namespace PreferencesFile {

// A file that cannot be read gives the defaults. Unknown keys, unknown
// values and lines without "=" are skipped; each preference keeps its
// default until a line sets it.
Preferences read(const QString &path);
Preferences parse(const QByteArray &bytes);
QByteArray toBytes(const Preferences &preferences);
// Creates the file's directory when it is missing.
bool write(const QString &path, const Preferences &preferences, QString *error);

} // namespace PreferencesFile

#endif
