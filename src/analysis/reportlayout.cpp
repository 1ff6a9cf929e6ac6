// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/reportlayout.h"

#include <algorithm>
#include <cmath>

namespace ReportLayout {

QRectF contentRect(const QSizeF &page)
{
    return QRectF(margin, margin, page.width() - 2 * margin,
                  page.height() - 2 * margin - footerSpace);
}

double footerBaseline(const QSizeF &page)
{
    return page.height() - margin - 3;
}

FirstPage firstPage(const QSizeF &page)
{
    const QRectF c = contentRect(page);
    FirstPage p;
    p.title = QRectF(c.left(), c.top(), c.width(), 66);
    // Up to 34 lines of figures at 8 pt.
    p.statistics = QRectF(c.left(), p.title.bottom() + 8, c.width() * 0.64, 318);
    p.rangeBar = QRectF(c.left() + c.width() * 0.67, p.statistics.top() + 8, 28, 184);
    p.gri = QRectF(p.rangeBar.left(), p.rangeBar.bottom() + 16, 84, 48);
    // Room for the value labels at the left, the hours below and half of
    // "24:00" at the right.
    p.agp = QRectF(c.left() + 30, p.statistics.bottom() + 8 + headingHeight, c.width() - 44, 150);
    p.curvesTop = p.agp.bottom() + 18;
    return p;
}

int curveRow(int daysBeforeEnd)
{
    return daysBeforeEnd / curvesPerRow;
}

int curveColumn(int daysBeforeEnd)
{
    return curvesPerRow - 1 - daysBeforeEnd % curvesPerRow;
}

int curveRowCount(int days)
{
    return (std::max(0, days) + curvesPerRow - 1) / curvesPerRow;
}

QRectF curveCell(const QRectF &content, double rowTop, int column)
{
    const double width = content.width() / curvesPerRow;
    return QRectF(content.left() + column * width, rowTop, width, curveRowHeight);
}

QRectF curvePlot(const QRectF &cell)
{
    return cell.adjusted(2, curveLabelHeight + 2, -2, -6);
}

double curveX(int minutes, const QRectF &plot)
{
    return plot.left() + plot.width() * std::clamp(minutes, 0, 1440) / 1440.0;
}

double curveY(double mgPerDl, const QRectF &plot)
{
    const double v = std::clamp(mgPerDl, curveMin, curveMax);
    return plot.bottom() - plot.height() * (v - curveMin) / (curveMax - curveMin);
}

int logbookEntryLines(int entries)
{
    return (std::max(0, entries) + logbookColumns - 1) / logbookColumns;
}

namespace {
double blockHeight(int headerLines, int entryLines)
{
    return (headerLines + entryLines) * logbookLineHeight + logbookBlockGap;
}
} // namespace

Plan plan(const QSizeF &page, const std::vector<int> &entriesPerDay,
          const std::vector<int> &headerLines)
{
    Plan result;
    const QRectF c = contentRect(page);
    const double top = c.top() + headingHeight;

    int p = 0;
    double y = firstPage(page).curvesTop + headingHeight;
    const int rows = curveRowCount(int(entriesPerDay.size()));
    for (int r = 0; r < rows; ++r) {
        if (y + curveRowHeight > c.bottom()) {
            ++p;
            y = top;
        }
        result.curveRows.push_back({p, y});
        y += curveRowHeight;
    }

    result.firstLogbookPage = ++p;
    y = top;
    for (int day = 0; day < int(entriesPerDay.size()); ++day) {
        int remaining = logbookEntryLines(entriesPerDay[size_t(day)]);
        int first = 0;
        for (;;) {
            const int header = first > 0 || size_t(day) >= headerLines.size()
                                   ? 1
                                   : std::max(1, headerLines[size_t(day)]);
            if (y + blockHeight(header, remaining) <= c.bottom()) {
                result.logbook.push_back({day, first, remaining, header, first > 0, p, y});
                y += blockHeight(header, remaining);
                break;
            }
            // A block that fits on a page of its own is not split.
            if (y > top && top + blockHeight(header, remaining) <= c.bottom()) {
                ++p;
                y = top;
                continue;
            }
            int fit =
                int(std::floor((c.bottom() - y - logbookBlockGap) / logbookLineHeight)) - header;
            if (y <= top)
                fit = std::max(fit, 1); // always progress, however small the page
            if (fit >= 1) {
                result.logbook.push_back({day, first, fit, header, first > 0, p, y});
                first += fit;
                remaining -= fit;
            }
            ++p;
            y = top;
        }
    }
    result.pageCount = p + 1;
    return result;
}

} // namespace ReportLayout
