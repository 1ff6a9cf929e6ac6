// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rangebar.h"

#include "analysis/statisticstext.h"
#include "ui/chartpainter.h"

#include <QPainter>

#include <algorithm>

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
    // The widest label in either unit and in the session's language.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (GlucoseRange range : glucoseRanges) {
        for (GlucoseUnit unit : {GlucoseUnit::MgPerDl, GlucoseUnit::MmolPerL})
            widest = std::max(widest, metrics.horizontalAdvance(rangeLabel(range, unit) +
                                                                QStringLiteral("  ") +
                                                                formatPercent(100.0)));
    }
    return QSize(int(barRect().right()) + 32 + widest, 220);
}

void RangeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Charts::paintRangeBar(painter, barRect(), m_statistics, m_unit, Charts::widgetStyle(*this));
}
