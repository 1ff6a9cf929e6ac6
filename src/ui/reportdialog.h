// SPDX-License-Identifier: GPL-3.0-or-later
// The question before a report from the Graphic menu ("Report...",
// "Print..."): its period, its unit and whether it compares with the period
// before.
#ifndef REPORTDIALOG_H
#define REPORTDIALOG_H

#include "analysis/reportdata.h"

#include <optional>

class QWidget;

namespace ReportDialog {

// A modal dialog: 7, 14, 30 or 90 days up to today, or from/to dates; the
// unit; and "Compare with the period before", unchecked. It offers the 14
// days up to lastDay (firstLookEnd), which are the last 14 unless those hold
// no reading. Empty when the person cancels. The targets are the caller's.
std::optional<ReportRequest> ask(QWidget *parent, const QString &title, GlucoseUnit unit,
                                 const QDate &lastDay);

} // namespace ReportDialog

#endif
