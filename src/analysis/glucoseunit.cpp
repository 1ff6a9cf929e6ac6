// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/glucoseunit.h"

#include <cmath>

QString formatGlucose(std::optional<double> mgPerDl, GlucoseUnit unit)
{
    if (!mgPerDl || !std::isfinite(*mgPerDl))
        return QStringLiteral("\u2013");
    // Halves go up, never to the even neighbour.
    if (unit == GlucoseUnit::MgPerDl)
        return QString::number(std::floor(*mgPerDl + 0.5), 'f', 0);
    const double tenths = std::floor(*mgPerDl / mgPerDlPerMmolPerL * 10.0 + 0.5);
    return QString::number(tenths / 10.0, 'f', 1);
}

QString unitName(GlucoseUnit unit)
{
    return unit == GlucoseUnit::MgPerDl ? QStringLiteral("mg/dL") : QStringLiteral("mmol/L");
}
