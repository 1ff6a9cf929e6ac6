// SPDX-License-Identifier: GPL-3.0-or-later
// The ambulatory glucose profile: the readings of a period folded onto one
// day, as the 5-95 and 25-75 percentile bands and the median by hour, over
// the consensus lines and the user's own limits. Drawn in floating point, so
// it fills any size sharply at any device pixel ratio.
#ifndef AGPCHART_H
#define AGPCHART_H

#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"

#include <QWidget>

class AgpChart : public QWidget
{
    Q_OBJECT
public:
    explicit AgpChart(QWidget *parent = nullptr);

    void setStatistics(const GlucoseStatistics &statistics, GlucoseUnit unit, int lowerLimit,
                       int upperLimit);
    QSize sizeHint() const override { return QSize(560, 300); }
    QSize minimumSizeHint() const override { return QSize(240, 160); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GlucoseStatistics m_statistics;
    GlucoseUnit m_unit = GlucoseUnit::MgPerDl;
    int m_lowerLimit = 0;
    int m_upperLimit = 0;
};

#endif
