// SPDX-License-Identifier: GPL-3.0-or-later
// The one conversion between the stored whole mg/dL and mmol/L with one
// decimal. Both directions round halves up, and every one-decimal mmol/L
// value comes back unchanged from the mg/dL it is stored as.
#ifndef GLUCOSECONVERSION_H
#define GLUCOSECONVERSION_H

#include "core/glucosefacts.h"

#include <QString>
#include <QtGlobal>

enum class GlucoseUnit
{
    MgPerDl,
    MmolPerL
};

// A glucose in tenths of a mmol/L. Exact for whole mg/dL; for a figure
// between them (a mean, a percentile) as exact as a double allows.
qint64 mmolTenths(double mgPerDl);
// "5.5": one decimal, no padding.
QString mmolText(double mgPerDl);
// The whole mg/dL nearest to a glucose typed in tenths of a mmol/L.
int mgPerDlFromMmolTenths(int tenths);
// The same for a typed value such as 5.5, first taken to its nearest tenth.
int mgPerDlFromMmol(double mmol);

#endif
