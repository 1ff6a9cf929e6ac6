// SPDX-License-Identifier: GPL-3.0-or-later
// The report from the window: the period choice of the Graphic menu's
// "Report..." and "Print...", and the report's data for the main window's
// diary and limits. The menu's slots are Mellidor::saveReport and
// Mellidor::printReport.
#ifndef REPORTACTIONS_H
#define REPORTACTIONS_H

#include "analysis/reportdata.h"

#include <optional>

class Mellidor;
class QWidget;

namespace ReportActions {

// A modal dialog: 7, 14, 30 or 90 days up to today, or from/to dates, and
// the unit. It offers the 14 days up to lastDay (firstLookEnd), which are the
// last 14 unless those hold no reading. Empty when the user cancels.
std::optional<ReportRequest> askPeriod(QWidget *parent, const QString &title, GlucoseUnit unit,
                                       const QDate &lastDay);

// The report of the request's period and unit, with the main window's
// limits. Tells the user and returns nothing for a period that cannot be
// reported on (backwards, or longer than maxReportDays).
std::optional<ReportData> collect(QWidget *parent, const Mellidor &main, ReportRequest request);

} // namespace ReportActions

#endif
