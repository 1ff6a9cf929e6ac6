// SPDX-License-Identifier: GPL-3.0-or-later
// Glucose is stored in mg/dL; people may read it in mmol/L.
#ifndef GLUCOSEUNIT_H
#define GLUCOSEUNIT_H

#include "core/glucoseconversion.h"

#include <QString>

#include <optional>

// "112" in mg/dL, "6.2" in mmol/L (one decimal); a dash for no figure.
QString formatGlucose(std::optional<double> mgPerDl, GlucoseUnit unit);
QString unitName(GlucoseUnit unit); // "mg/dL" or "mmol/L"

// Numbers that are only shown take the locale's decimal mark ("6,2" in
// German); files, CSV and JSON never do. No group separators: "1234.5".
QString shownNumber(double value, int decimals);
// The same for a number already written with a point: "6.2".
QString shownDecimal(QString number);

#endif
