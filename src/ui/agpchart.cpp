// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/agpchart.h"

#include "analysis/agpscale.h"
#include "ui/chartpainter.h"

#include <QPainter>

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
    Charts::paintAgp(painter, AgpScale::plotArea(size()), m_statistics, m_unit,
                     {m_lowerLimit, m_upperLimit}, Charts::widgetStyle(*this));
}
