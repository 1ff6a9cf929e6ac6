// SPDX-License-Identifier: GPL-3.0-or-later
// The report for the diabetes team, painted on any paged device: QPdfWriter
// for a PDF, QPrinter for paper. Page 1 holds the figures, the range bar, the
// AGP chart and the daily curves; the logbook follows. Charts are vector
// paths, text stays text.
#ifndef REPORTRENDERER_H
#define REPORTRENDERER_H

#include "analysis/reportdata.h"
#include "analysis/reportlayout.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace Report {

// A4 portrait, in points.
QSizeF defaultPageSize();

// The layout for a page size: where everything goes and the page count.
ReportLayout::Plan planFor(const ReportData &data, const QSizeF &page);

// Paints one page (0-based) on a painter whose units are points of the page.
void paintPage(QPainter &painter, const ReportData &data, const ReportLayout::Plan &plan,
               const QSizeF &page, int pageIndex);

// Paints every page at the device's page size, its origin at the paper's
// corner (set full page on a printer). Returns the page count, 0 when the
// device cannot be painted on.
int render(QPagedPaintDevice &device, const ReportData &data);

// The whole report as PDF bytes on A4.
QByteArray pdfBytes(const ReportData &data, int *pageCount = nullptr);

// Writes the PDF so that the file is either complete or not there at all,
// and never over the diary, its settings or its lock (OutputFile::write).
bool writePdf(const QString &path, const ReportData &data, QString *error,
              int *pageCount = nullptr);

// Asks where to save (a file dialog), writes the PDF, tells the user when it
// fails. Returns whether a file was written.
bool savePdfAs(QWidget *parent, const ReportData &data);

// The print dialog, then the report on the chosen printer and paper.
void printReport(QWidget *parent, const ReportData &data);

} // namespace Report

#endif
