// SPDX-License-Identifier: GPL-3.0-or-later
// The chart of the day view: one day with its labels, or the seven days of
// a week as strips, each with its curve, markers and time in range, the
// chosen day marked. A click on a strip asks for that day.
#ifndef DAYCHART_H
#define DAYCHART_H

#include "analysis/daycontent.h"
#include "ui/daychartpainter.h"

#include <QWidget>

#include <vector>

class DayChart : public QWidget
{
    Q_OBJECT
public:
    explicit DayChart(QWidget *parent = nullptr);

    // One day, or a week's seven from Monday on.
    void showDays(const std::vector<DayContent> &days, const QDate &chosen,
                  const DayChartSettings &settings);
    const std::vector<DayContent> &days() const { return m_days; }
    bool showsWeek() const { return m_days.size() == DayScale::weekDays; }

    QSize sizeHint() const override { return QSize(640, 320); }
    QSize minimumSizeHint() const override { return QSize(320, 200); }

signals:
    void dayClicked(const QDate &day);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void paintOneDay(QPainter &painter, const Charts::ChartStyle &style);
    void paintWeek(QPainter &painter, const Charts::ChartStyle &style);

    std::vector<DayContent> m_days;
    QDate m_chosen;
    DayChartSettings m_settings;
};

#endif
