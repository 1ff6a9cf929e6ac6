// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/daychartpainter.h"

#include "analysis/agpscale.h"
#include "analysis/glucoserange.h"
#include "core/entrytext.h"
#include "core/settings.h"
#include "ui/palette.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

using DayScale::glucoseY;
using DayScale::timeX;

namespace DayCharts {

namespace {

GlucoseRange rangeOf(int mgPerDl)
{
    for (GlucoseRange range : glucoseRanges) {
        const RangeBounds bounds = rangeBounds(range);
        if (mgPerDl >= bounds.lowest && mgPerDl <= bounds.highest)
            return range;
    }
    return GlucoseRange::VeryLow;
}

// Rapid insulin points down like a drop; long insulin is a diamond.
QPainterPath markerShape(const DayMarker &marker, const QPointF &at, double half)
{
    QPainterPath path;
    if (marker.type == carbsType) {
        path.addEllipse(at, half, half);
        return path;
    }
    if (insulinKind(marker.type) == InsulinKind::Rapid) {
        path.moveTo(at.x() - half, at.y() - half);
        path.lineTo(at.x() + half, at.y() - half);
        path.lineTo(at.x(), at.y() + half);
    } else {
        path.moveTo(at.x(), at.y() - half);
        path.lineTo(at.x() + half, at.y());
        path.lineTo(at.x(), at.y() + half);
        path.lineTo(at.x() - half, at.y());
    }
    path.closeSubpath();
    return path;
}

QColor markerColor(const DayMarker &marker)
{
    if (marker.type == carbsType)
        return Palette::carbs;
    return insulinKind(marker.type) == InsulinKind::Rapid ? Palette::rapidInsulin
                                                          : Palette::longInsulin;
}

} // namespace

int scaleTop(const DayChartSettings &settings)
{
    return settings.top > 0 ? settings.top : Settings().maxGluco;
}

std::vector<std::pair<int, QString>> valueLabels(const DayChartSettings &settings)
{
    const int top = scaleTop(settings);
    std::vector<std::pair<int, QString>> labels{{0, formatGlucose(0, settings.unit)}};
    const RangeBounds target = rangeBounds(GlucoseRange::InRange);
    for (const int bound : {target.lowest, target.highest}) {
        if (bound < top)
            labels.emplace_back(bound, formatGlucose(bound, settings.unit));
    }
    labels.emplace_back(top, formatGlucose(top, settings.unit));
    return labels;
}

QString amountText(const DayMarker &marker)
{
    if (marker.type == carbsType)
        return QString::number(marker.amount) + QStringLiteral(" g");
    return shownDecimal(QString::fromLatin1(decimalText(marker.amount))) + QStringLiteral(" U");
}

void paintDay(QPainter &painter, const DayScale::Areas &areas, const DayContent &content,
              const DayChartSettings &settings, const Charts::ChartStyle &style, bool labelled)
{
    const QRectF &plot = areas.plot;
    if (plot.isEmpty())
        return;
    painter.save();
    painter.setFont(style.font);
    const QFontMetricsF metrics(style.font);
    const DayTimeline timeline(content.day);
    const int top = scaleTop(settings);
    const auto x = [&](int minutes) { return timeX(timeline, minutes, plot); };
    const auto y = [&](int mgPerDl) { return glucoseY(mgPerDl, top, plot); };

    if (settings.lowerLimit < settings.upperLimit)
        painter.fillRect(QRectF(QPointF(plot.left(), y(settings.upperLimit)),
                                QPointF(plot.right(), y(settings.lowerLimit))),
                         QColor(Palette::limitBand));

    // The hours as the day lived them: every three a line, every six a label.
    const double width = style.lineWidth;
    for (int hour = 0; hour <= 24; hour += 3) {
        const double hx = AgpScale::crisp(x(hour * 60));
        painter.setPen(QPen(style.grid, width, hour % 6 ? Qt::DotLine : Qt::SolidLine));
        painter.drawLine(QPointF(hx, plot.top()), QPointF(hx, areas.carbsLane.bottom()));
        if (labelled && hour % 6 == 0) {
            const QString label = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
            painter.setPen(style.text);
            // Centred under its line; the last one ends at the margin's edge.
            const double labelWidth = metrics.horizontalAdvance(label);
            painter.drawText(QPointF(std::min(hx - labelWidth / 2,
                                              plot.right() + DayScale::marginRight - labelWidth),
                                     areas.carbsLane.bottom() + metrics.ascent() + 2),
                             label);
        }
    }
    painter.setPen(QPen(style.grid, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    const RangeBounds target = rangeBounds(GlucoseRange::InRange);
    painter.setPen(QPen(QColor(Palette::targetLine), width));
    for (const int bound : {target.lowest, target.highest}) {
        if (bound < top) {
            const double by = AgpScale::crisp(y(bound));
            painter.drawLine(QPointF(plot.left(), by), QPointF(plot.right(), by));
        }
    }
    if (labelled) {
        painter.setPen(style.text);
        for (const auto &[mgPerDl, text] : valueLabels(settings))
            painter.drawText(QPointF(plot.left() - metrics.horizontalAdvance(text) - style.gap,
                                     y(mgPerDl) + metrics.ascent() / 2 - 1),
                             text);
        painter.drawText(QPointF(plot.left() + style.gap, plot.top() + metrics.ascent() + 2),
                         unitName(settings.unit));
    }

    // A sensor's readings as a curve, broken where they pause; a neighbour's
    // readings lead it to the day's edge.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = labelled ? 4 : 2.5;
    painter.setClipRect(plot.adjusted(0, -radius - 1, 0, radius + 1));
    // As single segments with flat ends: Qt strokes a wide polyline of a
    // noisy sensor's day, or round ends, many times slower.
    painter.setPen(
        QPen(QColor(Palette::sensorCurve), labelled ? 2 : 1.5, Qt::SolidLine, Qt::FlatCap));
    QVector<QLineF> curve;
    const DayReading *previous = nullptr;
    for (const DayReading &reading : content.readings) {
        if (!reading.inSeries)
            continue;
        if (previous && reading.minutes - previous->minutes <= sensorSeriesMinutes)
            curve << QLineF(x(previous->minutes), y(previous->value), x(reading.minutes),
                            y(reading.value));
        previous = &reading;
    }
    painter.drawLines(curve);
    painter.setPen(Qt::NoPen);
    for (const DayReading &reading : content.readings) {
        if (reading.inSeries)
            continue;
        painter.setBrush(Palette::rangeColor(rangeOf(reading.value)));
        painter.drawEllipse(QPointF(x(reading.minutes), y(reading.value)), radius, radius);
    }
    painter.restore();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double half = labelled ? 5 : 3;
    for (const DayMarker &marker : content.markers) {
        const QRectF &lane = marker.type == carbsType ? areas.carbsLane : areas.insulinLane;
        const QPointF at(x(marker.minutes), lane.center().y());
        painter.setPen(Qt::NoPen);
        painter.setBrush(markerColor(marker));
        painter.drawPath(markerShape(marker, at, half));
        if (labelled) {
            painter.setPen(style.text);
            painter.drawText(QPointF(at.x() + half + 2, at.y() + metrics.ascent() / 2 - 1),
                             amountText(marker));
        }
    }
    painter.restore();
    painter.restore();
}

} // namespace DayCharts
