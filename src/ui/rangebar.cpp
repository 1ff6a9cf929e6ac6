// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/rangebar.h"

#include "analysis/statisticstext.h"
#include "ui/chartpainter.h"

#include <QPainter>

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
    const QString widest =
        rangeLabel(GlucoseRange::High, GlucoseUnit::MmolPerL) + QStringLiteral("  100.0 %");
    return QSize(int(barRect().right()) + 32 + metrics.horizontalAdvance(widest), 220);
}

void RangeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Charts::paintRangeBar(painter, barRect(), m_statistics, m_unit, Charts::widgetStyle(*this));
}
