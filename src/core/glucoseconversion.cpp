// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/glucoseconversion.h"

#include <cmath>

namespace {

// 18.016 = 2252 / 125: with whole numbers the halves are found exactly
// (563 mg/dL is exactly 31.25 mmol/L), where a double may land beside them.
constexpr qint64 mgNumerator = 2252;
constexpr qint64 mgDenominator = 125;

// Floor of a / b for b > 0.
qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

qint64 mmolTenths(double mgPerDl)
{
    if (std::isfinite(mgPerDl) && std::fabs(mgPerDl) < 1e12 && mgPerDl == std::floor(mgPerDl)) {
        // tenths = mg * 10 / 18.016 = mg * 1250 / 2252; plus a half, floored.
        const qint64 mg = qint64(mgPerDl);
        return floorDiv(2 * mg * 10 * mgDenominator + mgNumerator, 2 * mgNumerator);
    }
    return qint64(std::floor(mgPerDl * 10.0 / mgPerDlPerMmolPerL + 0.5));
}

QString mmolText(double mgPerDl)
{
    const qint64 tenths = mmolTenths(mgPerDl);
    const qint64 magnitude = tenths < 0 ? -tenths : tenths;
    return QStringLiteral("%1%2.%3")
        .arg(tenths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10)
        .arg(magnitude % 10);
}

int mgPerDlFromMmolTenths(int tenths)
{
    // mg = tenths * 18.016 / 10 = tenths * 2252 / 1250; plus a half, floored.
    return int(
        floorDiv(2 * qint64(tenths) * mgNumerator + 10 * mgDenominator, 2 * 10 * mgDenominator));
}

int mgPerDlFromMmol(double mmol)
{
    return mgPerDlFromMmolTenths(int(std::floor(mmol * 10.0 + 0.5)));
}
