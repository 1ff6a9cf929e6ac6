// SPDX-License-Identifier: GPL-3.0-or-later
// The share of readings in the five consensus ranges as one stacked bar,
// very high at the top, with each range's name and percentage beside it.
#ifndef RANGEBAR_H
#define RANGEBAR_H

#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"

#include <QWidget>

class RangeBar : public QWidget
{
    Q_OBJECT
public:
    explicit RangeBar(QWidget *parent = nullptr);

    void setStatistics(const GlucoseStatistics &statistics, GlucoseUnit unit);
    // The bar itself, left of the labels.
    QRectF barRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return QSize(sizeHint().width(), 140); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GlucoseStatistics m_statistics;
    GlucoseUnit m_unit = GlucoseUnit::MgPerDl;
};

#endif
