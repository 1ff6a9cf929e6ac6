// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rangebar.h"

#include "analysis/agpscale.h"
#include "analysis/statisticstext.h"

#include <QPainter>

using namespace AgpScale;

RangeBar::RangeBar(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void RangeBar::setStatistics(const GlucoseStatistics &statistics, GlucoseUnit unit)
{
    m_statistics = statistics;
    m_unit = unit;
    update();
}

QRectF RangeBar::barRect() const
{
    return QRectF(8, 8, 36, std::max(0, height() - 16));
}

QSize RangeBar::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QString widest = rangeLabel(High, GlucoseUnit::MmolPerL) + QStringLiteral("  100.0 %");
    return QSize(int(barRect().right()) + 32 + metrics.horizontalAdvance(widest), 220);
}

void RangeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bar = barRect();
    painter.fillRect(bar, palette().alternateBase());
    const std::array<QRectF, rangeCount> segments = rangeSegments(m_statistics, bar);
    for (int range = 0; range < rangeCount; ++range)
        painter.fillRect(segments[size_t(range)], rangeColor(range));

    // Labels spaced evenly, so a thin segment never hides its neighbour's.
    const QFontMetricsF metrics(font());
    const double step = bar.height() / rangeCount;
    for (int range = 0; range < rangeCount; ++range) {
        const double middle = bar.top() + step * (range + 0.5);
        painter.fillRect(QRectF(bar.right() + 8, middle - 5, 10, 10), rangeColor(range));
        painter.setPen(palette().text().color());
        painter.drawText(QPointF(bar.right() + 24, middle + metrics.ascent() / 2 - 1),
                         rangeLabel(range, m_unit) + QStringLiteral("  ") +
                             formatPercent(rangePercent(m_statistics, range)));
    }
}
