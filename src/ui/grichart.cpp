// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/grichart.h"

#include "ui/chartpainter.h"

#include <QPainter>

GriChart::GriChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void GriChart::setStatistics(const GlucoseStatistics &statistics)
{
    m_statistics = statistics;
    update();
}

QRectF GriChart::plotRect() const
{
    const QFontMetrics metrics(font());
    return QRectF(8, 4, width() - 16, height() - 12 - metrics.height());
}

QSize GriChart::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int side = 12 * metrics.height();
    return QSize(side, side * 3 / 4);
}

void GriChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Charts::paintGri(painter, plotRect(), m_statistics, Charts::widgetStyle(*this));
}
