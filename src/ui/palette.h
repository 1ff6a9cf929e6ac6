// SPDX-License-Identifier: GPL-3.0-or-later
// Every colour Mellidor paints with, by name: the glucose diagram, the five
// consensus ranges, the ambulatory glucose profile, targets met and missed,
// and the report's paper. Widgets, the report and style sheets all take
// their colours from here, so a range looks the same wherever it is shown.
#ifndef PALETTE_H
#define PALETTE_H

#include "analysis/diagramscale.h"
#include "analysis/glucoserange.h"

#include <QColor>
#include <QString>

namespace Palette {

// The glucose diagram: a reading at or above the upper limit, between the
// limits, at or below the lower limit; the line that joins them.
inline constexpr QRgb diagramHigh = qRgb(0xff, 0x00, 0x00);
inline constexpr QRgb diagramBetween = qRgb(0x00, 0xff, 0x00);
inline constexpr QRgb diagramLow = qRgb(0x00, 0x00, 0xff);
inline constexpr QRgb diagramLine = qRgb(0xff, 0x00, 0xff);
inline constexpr QRgb diagramAxes = qRgb(0x00, 0x00, 0x00);
QColor diagramColor(DiagramScale::Level level);

// The consensus ranges, from warm to dark red as glucose falls.
inline constexpr QRgb veryHigh = qRgb(0xe6, 0x7e, 0x22);
inline constexpr QRgb high = qRgb(0xf6, 0xc3, 0x44);
inline constexpr QRgb inRange = qRgb(0x3f, 0xa3, 0x4d);
inline constexpr QRgb low = qRgb(0xe5, 0x39, 0x35);
inline constexpr QRgb veryLow = qRgb(0x8e, 0x1b, 0x1b);
QColor rangeColor(GlucoseRange range);

// The ambulatory glucose profile: the 5-95 and 25-75 % bands, the median,
// the consensus lines at 70 and 180 mg/dL and, lighter, the user's limits.
inline constexpr QRgb outerBand = qRgb(0xb4, 0xcd, 0xe8);
inline constexpr QRgb innerBand = qRgb(0x5b, 0x8f, 0xc9);
inline constexpr QRgb median = qRgb(0x12, 0x2e, 0x7a);
inline constexpr QRgb targetLine = qRgb(0x2e, 0x7d, 0x32);
inline constexpr QRgb lowerLimit = qRgb(0x8c, 0x9e, 0xff);
inline constexpr QRgb upperLimit = qRgb(0xff, 0x9a, 0x9a);

// The glycaemia risk zones A (lowest risk) to E.
inline constexpr QRgb griZones[] = {qRgb(0x8f, 0xc9, 0x8f), qRgb(0xd7, 0xe5, 0x7a),
                                    qRgb(0xf6, 0xc3, 0x44), qRgb(0xef, 0x8a, 0x4c),
                                    qRgb(0xd9, 0x3b, 0x36)};

// The day view: the band between the person's limits, a sensor's curve,
// carbs, and the rapid and the long insulins.
inline constexpr QRgb limitBand = qRgb(0xe8, 0xf5, 0xe9);
inline constexpr QRgb sensorCurve = qRgb(0x12, 0x2e, 0x7a);
inline constexpr QRgb carbs = qRgb(0xa8, 0x5c, 0x00);
inline constexpr QRgb rapidInsulin = qRgb(0x15, 0x65, 0xc0);
inline constexpr QRgb longInsulin = qRgb(0x8e, 0x24, 0xaa);

// A consensus target met or missed, and a warning that the figures may not
// stand for the period.
inline constexpr QRgb met = qRgb(0x2e, 0x7d, 0x32);
inline constexpr QRgb missed = qRgb(0xc6, 0x28, 0x28);
inline constexpr QRgb warning = qRgb(0xb3, 0x59, 0x00);

// The report on white paper: text, quieter text, grid lines, the range bar
// without readings, the band from 70 to 180 behind the daily curves.
inline constexpr QRgb paperText = qRgb(0x00, 0x00, 0x00);
inline constexpr QRgb paperQuiet = qRgb(0x66, 0x66, 0x66);
inline constexpr QRgb paperGrid = qRgb(0xdd, 0xdd, 0xdd);
inline constexpr QRgb paperEmptyBar = qRgb(0xf2, 0xf2, 0xf2);
inline constexpr QRgb paperTargetBand = qRgb(0xe3, 0xf2, 0xe4);

// "color: #2e7d32" for a style sheet.
QString styleSheetColor(QRgb color);

} // namespace Palette

#endif
