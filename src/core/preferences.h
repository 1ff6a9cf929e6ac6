// SPDX-License-Identifier: GPL-3.0-or-later
// The person's preferences for this diary and their file of "key=value"
// lines. It lives beside the four-line settings file, which keeps its format
// for older copies.
#ifndef PREFERENCES_H
#define PREFERENCES_H

#include "core/glucoseconversion.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

enum class InsulinDoses
{
    WholeUnits,
    Fractions
};

// The consensus targets a person's figures are read against: for most
// people with type 1 or 2, for older or high-risk people, in a pregnancy
// with type 1, and in one with type 2 or gestational diabetes.
enum class TargetSet
{
    Standard,
    Older,
    PregnancyType1,
    PregnancyType2
};

inline constexpr TargetSet targetSets[] = {TargetSet::Standard, TargetSet::Older,
                                           TargetSet::PregnancyType1, TargetSet::PregnancyType2};

// Their names in the preferences file and on the command line: "standard",
// "older", "pregnancy-type-1", "pregnancy-type-2".
QByteArray targetSetKey(TargetSet set);
std::optional<TargetSet> targetSetFromKey(QByteArrayView key);

// The defaults show everything as it has always been shown.
struct Preferences
{
    GlucoseUnit glucoseUnit = GlucoseUnit::MgPerDl;
    InsulinDoses insulinDoses = InsulinDoses::WholeUnits;
    // An import of mmol/L readings offered that unit once; not again.
    bool mmolOffered = false;
    TargetSet targets = TargetSet::Standard;

    // Everything shows as it always has.
    bool showsDefaults() const
    {
        return glucoseUnit == GlucoseUnit::MgPerDl && insulinDoses == InsulinDoses::WholeUnits;
    }
    bool operator==(const Preferences &other) const
    {
        return glucoseUnit == other.glucoseUnit && insulinDoses == other.insulinDoses &&
               mmolOffered == other.mmolOffered && targets == other.targets;
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
