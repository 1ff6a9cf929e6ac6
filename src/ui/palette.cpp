// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/palette.h"

namespace Palette {

QColor diagramColor(DiagramScale::Level level)
{
    switch (level) {
    case DiagramScale::Level::AtOrAboveUpper:
        return diagramHigh;
    case DiagramScale::Level::BetweenLimits:
        return diagramBetween;
    case DiagramScale::Level::AtOrBelowLower:
        break;
    }
    return diagramLow;
}

QColor rangeColor(GlucoseRange range)
{
    switch (range) {
    case GlucoseRange::VeryHigh:
        return veryHigh;
    case GlucoseRange::High:
        return high;
    case GlucoseRange::InRange:
        return inRange;
    case GlucoseRange::Low:
        return low;
    case GlucoseRange::VeryLow:
        break;
    }
    return veryLow;
}

QString styleSheetColor(QRgb color)
{
    return QStringLiteral("color: ") + QColor(color).name();
}

} // namespace Palette
