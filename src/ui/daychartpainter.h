// SPDX-License-Identifier: GPL-3.0-or-later
// One day of the diary as a chart: the band between the person's limits,
// the consensus lines, a sensor's readings as a curve and single readings
// as dots, carbs and insulin as markers in lanes under the plot. The same
// painting serves the day and, smaller and without labels, each strip of a
// week.
#ifndef DAYCHARTPAINTER_H
#define DAYCHARTPAINTER_H

#include "analysis/daycontent.h"
#include "analysis/dayscale.h"
#include "analysis/glucoseunit.h"
#include "ui/chartpainter.h"

#include <QString>

#include <utility>
#include <vector>

class QPainter;

// What the day view takes from the person's settings and preferences.
struct DayChartSettings
{
    int lowerLimit = 100;
    int upperLimit = 130;
    int top = 200; // the top of the value scale in mg/dL; the default where not positive
    GlucoseUnit unit = GlucoseUnit::MgPerDl;
    bool operator==(const DayChartSettings &o) const
    {
        return lowerLimit == o.lowerLimit && upperLimit == o.upperLimit && top == o.top &&
               unit == o.unit;
    }
};

namespace DayCharts {

int scaleTop(const DayChartSettings &settings);
// The value axis of a labelled day: 0, the consensus bounds below the top,
// the top; each as mg/dL and its text in the unit.
std::vector<std::pair<int, QString>> valueLabels(const DayChartSettings &settings);
// "6.5 U" or "45 g": a marker's amount in the locale's numbers.
QString amountText(const DayMarker &marker);

// labelled: the value axis, the hours and the markers' amounts too.
void paintDay(QPainter &painter, const DayScale::Areas &areas, const DayContent &content,
              const DayChartSettings &settings, const Charts::ChartStyle &style, bool labelled);

} // namespace DayCharts

#endif
