// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/glucoseunit.h"

#include <QLocale>

#include <cmath>

QString formatGlucose(std::optional<double> mgPerDl, GlucoseUnit unit)
{
    if (!mgPerDl || !std::isfinite(*mgPerDl))
        return QStringLiteral("\u2013");
    // Halves go up, never to the even neighbour.
    if (unit == GlucoseUnit::MgPerDl)
        return QString::number(std::floor(*mgPerDl + 0.5), 'f', 0);
    return shownDecimal(mmolText(*mgPerDl));
}

QString unitName(GlucoseUnit unit)
{
    return unit == GlucoseUnit::MgPerDl ? QStringLiteral("mg/dL") : QStringLiteral("mmol/L");
}

QString shownNumber(double value, int decimals)
{
    return shownDecimal(QString::number(value, 'f', decimals));
}

QString shownDecimal(QString number)
{
    const QString mark = QLocale().decimalPoint();
    if (mark != u".")
        number.replace(u'.', mark);
    return number;
}
