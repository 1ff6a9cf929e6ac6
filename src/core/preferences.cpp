// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preferences.h"

#include "core/atomicfile.h"
#include "core/keyvaluelines.h"
#include "core/regularfile.h"

#include <QList>

namespace {
// In the order of TargetSet.
constexpr const char *targetSetKeys[] = {"standard", "older", "pregnancy-type-1",
                                         "pregnancy-type-2"};
} // namespace

QByteArray targetSetKey(TargetSet set)
{
    return targetSetKeys[size_t(set)];
}

std::optional<TargetSet> targetSetFromKey(QByteArrayView key)
{
    for (size_t i = 0; i < std::size(targetSetKeys); ++i) {
        if (key == targetSetKeys[i])
            return TargetSet(i);
    }
    return std::nullopt;
}

namespace PreferencesFile {

namespace {

constexpr char unitKey[] = "glucose_unit";
constexpr char dosesKey[] = "insulin_doses";
constexpr char mgPerDl[] = "mg/dL";
constexpr char mmolPerL[] = "mmol/L";
constexpr char wholeUnits[] = "whole";
constexpr char fractions[] = "fractions";
constexpr char offeredKey[] = "mmol_offered";
constexpr char yes[] = "yes";
constexpr char targetsKey[] = "targets";

} // namespace

Preferences read(const QString &path)
{
    return parse(RegularFile::readSmall(path));
}

Preferences parse(const QByteArray &bytes)
{
    Preferences preferences;
    forEachKeyValue(bytes, [&preferences](const QByteArray &key, const QByteArray &value) {
        if (key == unitKey && value == mgPerDl)
            preferences.glucoseUnit = GlucoseUnit::MgPerDl;
        else if (key == unitKey && value == mmolPerL)
            preferences.glucoseUnit = GlucoseUnit::MmolPerL;
        else if (key == dosesKey && value == wholeUnits)
            preferences.insulinDoses = InsulinDoses::WholeUnits;
        else if (key == dosesKey && value == fractions)
            preferences.insulinDoses = InsulinDoses::Fractions;
        else if (key == offeredKey)
            preferences.mmolOffered = value == yes;
        else if (key == targetsKey && targetSetFromKey(value))
            preferences.targets = *targetSetFromKey(value);
    });
    return preferences;
}

QByteArray toBytes(const Preferences &preferences)
{
    QByteArray bytes;
    appendKeyValue(bytes, unitKey,
                   preferences.glucoseUnit == GlucoseUnit::MmolPerL ? mmolPerL : mgPerDl);
    appendKeyValue(bytes, dosesKey,
                   preferences.insulinDoses == InsulinDoses::Fractions ? fractions : wholeUnits);
    if (preferences.mmolOffered)
        appendKeyValue(bytes, offeredKey, yes);
    // Written only when chosen, so the defaults' file stays as it was.
    if (preferences.targets != TargetSet::Standard)
        appendKeyValue(bytes, targetsKey, targetSetKey(preferences.targets));
    return bytes;
}

bool write(const QString &path, const Preferences &preferences, QString *error)
{
    return writeFileInFolder(path, toBytes(preferences), error);
}

} // namespace PreferencesFile
