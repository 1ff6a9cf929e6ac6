// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/daychart.h"

#include "analysis/statisticstext.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

DayChart::DayChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(tr("Glucose, carbs and insulin of the day"));
    // The keys of the view act here; the date field keeps its own.
    setFocusPolicy(Qt::StrongFocus);
}

void DayChart::showDays(const std::vector<DayContent> &days, const QDate &chosen,
                        const DayChartSettings &settings)
{
    m_days = days;
    m_chosen = chosen;
    m_settings = settings;
    update();
}

void DayChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const Charts::ChartStyle style = Charts::widgetStyle(*this);
    if (showsWeek())
        paintWeek(painter, style);
    else if (!m_days.empty())
        paintOneDay(painter, style);
}

void DayChart::paintOneDay(QPainter &painter, const Charts::ChartStyle &style)
{
    const DayContent &day = m_days.front();
    const DayScale::Areas areas = DayScale::dayAreas(rect());
    DayCharts::paintDay(painter, areas, day, m_settings, style, true);
    if (day.readings.empty() && day.entries.empty()) {
        painter.setPen(style.text);
        painter.drawText(areas.plot, Qt::AlignCenter, tr("No entries on this day"));
    }
}

void DayChart::paintWeek(QPainter &painter, const Charts::ChartStyle &style)
{
    const QFontMetricsF metrics(style.font);
    const QLocale locale;
    painter.setFont(style.font);
    for (int i = 0; i < DayScale::weekDays; ++i) {
        const DayContent &day = m_days[size_t(i)];
        const QRectF strip = DayScale::stripRect(rect(), i);
        if (day.day == m_chosen) {
            QColor chosen = palette().highlight().color();
            chosen.setAlpha(48);
            painter.fillRect(strip, chosen);
        }
        const DayScale::Areas areas = DayScale::stripAreas(strip);
        const double middle = strip.center().y() + metrics.ascent() / 2 - 1;
        painter.setPen(style.text);
        painter.drawText(QPointF(strip.left() + style.gap, middle),
                         locale.toString(day.day, QStringLiteral("ddd d")));
        DayCharts::paintDay(painter, areas, day, m_settings, style, false);
        painter.setPen(style.text);
        painter.drawText(QPointF(areas.plot.right() + 2 * style.gap, middle),
                         formatPercent(day.figures.inRangePercent));
    }
    // The hours once, under the seven strips.
    const QRectF plot = DayScale::stripAreas(DayScale::stripRect(rect(), 0)).plot;
    const double baseline =
        DayScale::stripRect(rect(), DayScale::weekDays - 1).bottom() + metrics.ascent() + 2;
    for (int hour = 0; hour <= 24; hour += 6) {
        const QString label = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
        painter.drawText(
            QPointF(plot.left() + plot.width() * hour / 24 - metrics.horizontalAdvance(label) / 2,
                    baseline),
            label);
    }
}

void DayChart::mousePressEvent(QMouseEvent *event)
{
    if (showsWeek() && event->button() == Qt::LeftButton) {
        const int strip = DayScale::stripAt(rect(), event->position().y());
        if (strip >= 0) {
            // A copy: showing the day replaces the days held here.
            const QDate day = m_days[size_t(strip)].day;
            emit dayClicked(day);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}
