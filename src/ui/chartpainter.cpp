// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/chartpainter.h"

#include "analysis/agpscale.h"
#include "analysis/glucoserange.h"
#include "analysis/statisticstext.h"
#include "analysis/targetset.h"
#include "ui/palette.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>

#include <cmath>

using namespace AgpScale;

namespace Charts {

namespace {
struct ChartText
{
    Q_DECLARE_TR_FUNCTIONS(Chart)
};
} // namespace

ChartStyle widgetStyle(const QWidget &widget)
{
    ChartStyle style;
    style.font = widget.font();
    style.text = widget.palette().text().color();
    style.grid = widget.palette().mid().color();
    style.emptyBar = widget.palette().alternateBase().color();
    return style;
}

void paintAgp(QPainter &painter, const QRectF &plot, const GlucoseStatistics &statistics,
              GlucoseUnit unit, AgpLimits limits, const ChartStyle &style)
{
    if (plot.isEmpty())
        return;
    painter.save();
    painter.setFont(style.font);
    const double top = topValue(statistics);
    const double width = style.lineWidth;
    const QFontMetricsF metrics(style.font);
    const auto toPlot = [&](const std::vector<QPointF> &points) {
        QPolygonF polygon;
        polygon.reserve(qsizetype(points.size()));
        for (const QPointF &p : points)
            polygon << QPointF(hourX(p.x(), plot), valueY(p.y(), top, plot));
        return polygon;
    };

    // Hours across, every three hours a light line, every six a label.
    for (int hour = 0; hour <= 24; hour += 3) {
        const double x = crisp(hourX(hour, plot));
        painter.setPen(QPen(style.grid, width, hour % 6 ? Qt::DotLine : Qt::SolidLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        if (hour % 6 == 0) {
            const QString label = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
            painter.setPen(style.text);
            painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2,
                                     plot.bottom() + metrics.ascent() + style.gap),
                             label);
        }
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Palette::outerBand));
    for (const auto &polygon : bandPolygons(statistics.agp, &AgpBin::p5, &AgpBin::p95))
        painter.drawPolygon(toPlot(polygon));
    painter.setBrush(QColor(Palette::innerBand));
    for (const auto &polygon : bandPolygons(statistics.agp, &AgpBin::p25, &AgpBin::p75))
        painter.drawPolygon(toPlot(polygon));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(QColor(Palette::median), 2 * width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const auto &run : percentileRuns(statistics.agp, &AgpBin::p50)) {
        const QPolygonF line = toPlot(run);
        if (line.size() == 1)
            painter.drawPoint(line.front());
        else
            painter.drawPolyline(line);
    }

    // The user's limits, lighter and dashed, then the consensus lines on top.
    const auto line = [&](int mgPerDl, const QPen &pen) {
        const double y = crisp(valueY(mgPerDl, top, plot));
        painter.setPen(pen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        return y;
    };
    const auto labelledLine = [&](int mgPerDl, const QPen &pen) {
        const double y = line(mgPerDl, pen);
        const QString label = formatGlucose(double(mgPerDl), unit);
        painter.setPen(style.text);
        painter.drawText(QPointF(plot.left() - metrics.horizontalAdvance(label) - style.gap,
                                 y + metrics.ascent() / 2 - 1),
                         label);
    };
    const TargetGoals &target = targetGoals(statistics.targetSet);
    line(limits.lower, QPen(QColor(Palette::lowerLimit), width, Qt::DashLine));
    line(limits.upper, QPen(QColor(Palette::upperLimit), width, Qt::DashLine));
    labelledLine(target.low, QPen(QColor(Palette::targetLine), width));
    labelledLine(target.high, QPen(QColor(Palette::targetLine), width));
    labelledLine(qRound(top), QPen(style.grid, width));
    labelledLine(0, QPen(style.grid, width));
    painter.setPen(style.text);
    painter.drawText(QPointF(plot.left() + style.gap, plot.top() + metrics.ascent() + 2),
                     unitName(unit));
    painter.restore();
}

void paintRangeBar(QPainter &painter, const QRectF &bar, const GlucoseStatistics &statistics,
                   GlucoseUnit unit, const ChartStyle &style)
{
    painter.save();
    painter.setFont(style.font);
    painter.fillRect(bar, style.emptyBar);
    const auto segments = rangeSegments(statistics, bar);
    for (GlucoseRange range : glucoseRanges)
        painter.fillRect(segments[size_t(range)], Palette::rangeColor(range));

    const QFontMetricsF metrics(style.font);
    const double swatchLeft = bar.right() + 2 * style.gap;
    const double textLeft = rangeBarTextLeft(bar, style);
    for (GlucoseRange range : glucoseRanges) {
        const double middle = rangeLabelY(range, bar);
        painter.fillRect(QRectF(swatchLeft, middle - style.swatch / 2, style.swatch, style.swatch),
                         Palette::rangeColor(range));
        painter.setPen(style.text);
        painter.drawText(QPointF(textLeft, middle + metrics.ascent() / 2 - 1),
                         rangeBarLabel(statistics, range, unit));
    }
    painter.restore();
}

QString rangeBarLabel(const GlucoseStatistics &statistics, GlucoseRange range, GlucoseUnit unit)
{
    return rangeLabel(range, unit) + QStringLiteral("  ") +
           formatPercent(rangePercent(statistics, range));
}

double rangeBarTextLeft(const QRectF &bar, const ChartStyle &style)
{
    return bar.right() + 3.5 * style.gap + style.swatch;
}

void paintGri(QPainter &painter, const QRectF &plot, const GlucoseStatistics &statistics,
              const ChartStyle &style)
{
    if (plot.isEmpty())
        return;
    painter.save();
    painter.setClipRect(plot);
    painter.fillRect(plot, QColor(Palette::griZones[4]));
    // Each zone ends where 3 hypo + 1.6 hyper reaches its upper bound: the
    // triangles from the origin, widest first.
    for (int zone = 3; zone >= 0; --zone) {
        const double bound = 20.0 * (zone + 1);
        const QPolygonF triangle(
            {griPoint(0, 0, plot),
             QPointF(plot.left() + plot.width() * bound / 3.0 / griHypoMax, plot.bottom()),
             QPointF(plot.left(), plot.bottom() - plot.height() * bound / 1.6 / griHyperMax)});
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(Palette::griZones[zone]));
        painter.drawPolygon(triangle);
    }
    painter.setClipping(false);
    painter.setPen(QPen(style.grid, style.lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    if (statistics.griHypo && statistics.griHyper) {
        const double radius = 2.5 * style.lineWidth + 1;
        painter.setPen(QPen(style.text, style.lineWidth));
        painter.setBrush(QColor(Palette::median));
        painter.drawEllipse(griPoint(*statistics.griHypo, *statistics.griHyper, plot), radius,
                            radius);
    }
    painter.setFont(style.font);
    painter.setPen(style.text);
    const QFontMetricsF metrics(style.font);
    const double below = plot.bottom() + style.gap + metrics.ascent();
    painter.drawText(QPointF(plot.left(), below), QStringLiteral("0"));
    const QString across = ChartText::tr("hypo %1 %").arg(griHypoMax);
    painter.drawText(QPointF(plot.right() - metrics.horizontalAdvance(across), below), across);
    const QString up = ChartText::tr("hyper %1 %").arg(griHyperMax);
    painter.drawText(QPointF(plot.left() + style.gap, plot.top() + metrics.ascent() + 1), up);
    painter.restore();
}

} // namespace Charts
