// SPDX-License-Identifier: GPL-3.0-or-later
// Where the report puts things, in points (1/72 inch) from the top left of a
// page, apart from any painting: the boxes of page 1, the rows of daily
// curves and how the logbook flows over the pages after. The charts map
// their values as the statistics window's do (see agpscale.h).
#ifndef REPORTLAYOUT_H
#define REPORTLAYOUT_H

#include <QRectF>
#include <QSizeF>

#include <vector>

namespace ReportLayout {

constexpr double margin = 36;
constexpr double footerSpace = 22; // below the content, above the bottom margin
constexpr double headingHeight = 20;

constexpr int curvesPerRow = 7;
constexpr double curveRowHeight = 62;
constexpr double curveLabelHeight = 10;
constexpr double curveMin = 40; // mg/dL at the bottom of a daily curve
constexpr double curveMax = 400;

constexpr int logbookColumns = 4;
constexpr double logbookLineHeight = 11;
constexpr double logbookBlockGap = 5;

// The part of a page that holds content: inside the margins, above the foot.
QRectF contentRect(const QSizeF &page);
// Baseline of the foot's text, so high that its descenders stay inside the
// margins: nothing is printed beyond them.
double footerBaseline(const QSizeF &page);

// The boxes of page 1. The range bar's labels go right of the bar, the AGP
// chart's value labels left of its plot and its hours below.
struct FirstPage
{
    QRectF title;      // the title, then the period and the warnings in up to four lines
    QRectF statistics; // the figures and their targets
    QRectF rangeBar;   // the stacked bar itself
    QRectF gri;        // the risk chart's plot, its heading above, the events below
    QRectF agp;        // the chart's plot area
    double curvesTop;  // heading of the daily curves
};
FirstPage firstPage(const QSizeF &page);

// Daily curves: a day's place counted back from the period's last day. Rows
// hold seven days, oldest left; row 0 is the most recent week.
int curveRow(int daysBeforeEnd);
int curveColumn(int daysBeforeEnd);
int curveRowCount(int days);
QRectF curveCell(const QRectF &content, double rowTop, int column);
// The plot inside a cell, below the date label.
QRectF curvePlot(const QRectF &cell);
double curveX(int minutes, const QRectF &plot);
double curveY(double mgPerDl, const QRectF &plot);

// Lines of entries a logbook block takes in columns, below the day's header.
int logbookEntryLines(int entries);

struct CurveRowPlace
{
    int page = 0; // 0-based
    double top = 0;
};

// A logbook block, or the part of one that fits on a page.
struct LogbookPiece
{
    int day = 0;       // index in the period, newest first
    int firstLine = 0; // first entry line of the day in this piece
    int lines = 0;     // entry lines in this piece
    int headerLines = 1;
    bool continued = false;
    int page = 0;
    double top = 0;
};

struct Plan
{
    int pageCount = 1;
    int firstLogbookPage = 1;
    std::vector<CurveRowPlace> curveRows;
    std::vector<LogbookPiece> logbook;
};

// entriesPerDay: the logbook entries of each day of the period, newest
// first; headerLines: the lines each day's header takes where its summary
// wraps (one where not given). A continued piece's header takes one.
Plan plan(const QSizeF &page, const std::vector<int> &entriesPerDay,
          const std::vector<int> &headerLines = {});

} // namespace ReportLayout

#endif
