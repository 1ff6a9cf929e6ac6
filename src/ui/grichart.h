// SPDX-License-Identifier: GPL-3.0-or-later
// The glycaemia risk index as a small chart: the five zones as diagonal
// bands and the period's point on them.
#ifndef GRICHART_H
#define GRICHART_H

#include "analysis/statistics.h"

#include <QWidget>

class GriChart : public QWidget
{
    Q_OBJECT
public:
    explicit GriChart(QWidget *parent = nullptr);

    void setStatistics(const GlucoseStatistics &statistics);
    // The grid itself, inside the room for its labels.
    QRectF plotRect() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    GlucoseStatistics m_statistics;
};

#endif
