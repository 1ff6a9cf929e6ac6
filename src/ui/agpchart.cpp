// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/agpchart.h"

#include "analysis/agpscale.h"

#include <QPainter>
#include <QPainterPath>

using namespace AgpScale;

AgpChart::AgpChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void AgpChart::setStatistics(const GlucoseStatistics &statistics, GlucoseUnit unit, int lowerLimit,
                             int upperLimit)
{
    m_statistics = statistics;
    m_unit = unit;
    m_lowerLimit = lowerLimit;
    m_upperLimit = upperLimit;
    update();
}

void AgpChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const QRectF plot = plotArea(size());
    if (plot.isEmpty())
        return;
    const double top = topValue(m_statistics);
    const QColor text = palette().text().color();
    const QFontMetricsF metrics(font());
    const auto toPixels = [&](const std::vector<QPointF> &points) {
        QPolygonF polygon;
        polygon.reserve(qsizetype(points.size()));
        for (const QPointF &p : points)
            polygon << QPointF(hourX(p.x(), plot), valueY(p.y(), top, plot));
        return polygon;
    };

    // Hours across, every three hours a light line, every six a label.
    for (int hour = 0; hour <= 24; hour += 3) {
        const double x = std::floor(hourX(hour, plot)) + 0.5;
        painter.setPen(QPen(palette().mid().color(), 1, hour % 6 ? Qt::DotLine : Qt::SolidLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        if (hour % 6 == 0) {
            const QString label = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
            painter.setPen(text);
            painter.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2,
                                     plot.bottom() + metrics.ascent() + 4),
                             label);
        }
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(outerBandColor());
    for (const auto &polygon : bandPolygons(m_statistics.agp, &AgpBin::p5, &AgpBin::p95))
        painter.drawPolygon(toPixels(polygon));
    painter.setBrush(innerBandColor());
    for (const auto &polygon : bandPolygons(m_statistics.agp, &AgpBin::p25, &AgpBin::p75))
        painter.drawPolygon(toPixels(polygon));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(medianColor(), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const auto &run : percentileRuns(m_statistics.agp, &AgpBin::p50)) {
        const QPolygonF line = toPixels(run);
        if (line.size() == 1)
            painter.drawPoint(line.front());
        else
            painter.drawPolyline(line);
    }

    // The user's limits, lighter and dashed, then the consensus lines on top.
    const auto horizontal = [&](int mgPerDl, const QPen &pen, bool labelled) {
        const double y = crispY(valueY(mgPerDl, top, plot));
        painter.setPen(pen);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        if (labelled) {
            const QString label = formatGlucose(double(mgPerDl), m_unit);
            painter.setPen(text);
            painter.drawText(QPointF(plot.left() - metrics.horizontalAdvance(label) - 4,
                                     y + metrics.ascent() / 2 - 1),
                             label);
        }
    };
    horizontal(m_lowerLimit, QPen(lowerLimitColor(), 1, Qt::DashLine), false);
    horizontal(m_upperLimit, QPen(upperLimitColor(), 1, Qt::DashLine), false);
    horizontal(70, QPen(targetLineColor(), 1), true);
    horizontal(180, QPen(targetLineColor(), 1), true);
    horizontal(qRound(top), QPen(palette().mid().color(), 1), true);
    horizontal(0, QPen(palette().mid().color(), 1), true);
    painter.setPen(text);
    painter.drawText(QPointF(plot.left() + 4, plot.top() + metrics.ascent() + 2), unitName(m_unit));
}
