// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/preferences.h"

#include "core/atomicfile.h"
#include "core/regularfile.h"

#include <QList>

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

} // namespace

Preferences read(const QString &path)
{
    return parse(RegularFile::readSmall(path));
}

Preferences parse(const QByteArray &bytes)
{
    Preferences preferences;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype at = line.indexOf('=');
        if (at < 0)
            continue;
        const QByteArray key = line.left(at).trimmed();
        const QByteArray value = line.mid(at + 1).trimmed();
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
    }
    return preferences;
}

QByteArray toBytes(const Preferences &preferences)
{
    QByteArray bytes;
    bytes += unitKey;
    bytes += '=';
    bytes += preferences.glucoseUnit == GlucoseUnit::MmolPerL ? mmolPerL : mgPerDl;
    bytes += '\n';
    bytes += dosesKey;
    bytes += '=';
    bytes += preferences.insulinDoses == InsulinDoses::Fractions ? fractions : wholeUnits;
    bytes += '\n';
    if (preferences.mmolOffered) {
        bytes += offeredKey;
        bytes += '=';
        bytes += yes;
        bytes += '\n';
    }
    return bytes;
}

bool write(const QString &path, const Preferences &preferences, QString *error)
{
    return writeFileInFolder(path, toBytes(preferences), error);
}

} // namespace PreferencesFile
