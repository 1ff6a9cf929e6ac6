// SPDX-License-Identifier: GPL-3.0-or-later
// Facts about glucose that every layer relies on: the diary keeps whole
// mg/dL, readers and views convert from and to mmol/L.
#ifndef GLUCOSEFACTS_H
#define GLUCOSEFACTS_H

// 1 mmol/L of glucose in mg/dL.
inline constexpr double mgPerDlPerMmolPerL = 18.016;

#endif
