// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mellidorpaint.h"

#include "analysis/diagramscale.h"
#include "core/clock.h"
#include "ui/mellidor.h"
#include "ui/palette.h"

#include <QApplication>
#include <QPainter>

using namespace DiagramScale;

MellidorPaint::MellidorPaint(Mellidor *main) : QWidget(nullptr), mainWindow(main)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFixedHeight(200);
    setFixedWidth(220);
    setWindowTitle(tr("Glucose"));
    QFont font(QStringLiteral("helvetica"), 8, QFont::Normal, false);
    setFont(font);
    // Closing deletes the window; it never keeps the program running.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
}

MellidorPaint::~MellidorPaint() = default;

// The main window's side of its diagrams.

QList<MellidorPaint *> Mellidor::diagrams() const
{
    QList<MellidorPaint *> diagrams;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        auto *diagram = qobject_cast<MellidorPaint *>(window);
        if (diagram && diagram->mainWindow == this)
            diagrams << diagram;
    }
    return diagrams;
}

void Mellidor::paintLineDiagram()
{
    auto *diagram = new MellidorPaint(this);
    diagram->show();
}

void Mellidor::updateDiagrams()
{
    // Diagrams read the list and the preferences when they paint.
    for (MellidorPaint *diagram : diagrams())
        diagram->update();
}

void Mellidor::closeDiagrams()
{
    // Diagram windows read this window's list: none may outlive it.
    qDeleteAll(diagrams());
}

void MellidorPaint::paintEvent(QPaintEvent *)
{
    if (!mainWindow)
        return;
    const Mellidor &main = *mainWindow;
    const int lower = main.lowerLimit;
    const int upper = main.upperLimit;
    const int top = main.maxGluco;
    const int days = main.daysBack;

    QPainter painter(this);
    painter.setFont(font());
    QPen readingPen(QColor(Palette::diagramAxes), 0);
    // Only the labels follow the unit; the scale stays in the diary's mg/dL.
    const GlucoseUnit unit = main.preferences().glucoseUnit;
    const auto label = [&painter, unit](int x, int y, int value) {
        painter.drawText(x, y, valueLabel(value, unit));
    };

    axisPoints = {QPoint(left, bottom), QPoint(left, DiagramScale::top), QPoint(right, bottom)};
    dataSegment.assign(2, QPoint());
    const bool valueScale = hasValueScale(top);
    if (valueScale) {
        lowerLimitLine = {QPoint(left, valueY(lower, top)), QPoint(right, valueY(lower, top))};
        upperLimitLine = {QPoint(left, valueY(upper, top)), QPoint(right, valueY(upper, top))};
    } else {
        lowerLimitLine.assign(2, QPoint());
        upperLimitLine.assign(2, QPoint());
    }

    painter.setPen(QPen(QColor(Palette::diagramAxes), 0));
    painter.drawLine(axisPoints[0], axisPoints[1]);
    painter.drawLine(axisPoints[0], axisPoints[2]);
    label(0, bottom, 0);
    // Without a positive top value there is no value scale: no limits, no readings.
    if (valueScale) {
        label(0, valueY(top, top), top);
        painter.setPen(QPen(QColor(Palette::diagramLow), 0));
        painter.drawLine(lowerLimitLine[0], lowerLimitLine[1]);
        label(0, lowerLimitLine[0].y(), lower);
        painter.setPen(QPen(QColor(Palette::diagramHigh), 0));
        painter.drawLine(upperLimitLine[0], upperLimitLine[1]);
        label(0, upperLimitLine[0].y(), upper);
    }

    // Without a day to show there is no time scale: no grid, no readings.
    dayLineBottoms.clear();
    dayLineTops.clear();
    if (!hasTimeScale(days))
        return;
    const QDate today = Clock::today();
    const qint64 startDay = today.toJulianDay() - (qint64(days) - 1);
    const QDate startDate = QDate::fromJulianDay(startDay);
    pixelsPerDay = DiagramScale::pixelsPerDay(days);
    painter.setPen(QPen(QColor(Palette::diagramAxes), 0, Qt::DotLine));
    const std::vector<qint64> grid = gridDays(days);
    dayLineBottoms.reserve(grid.size());
    dayLineTops.reserve(grid.size());
    for (const qint64 i : grid) {
        const QDate date = startDate.addDays(i);
        const int x = left + int(i * pixelsPerDay);
        dayLineBottoms.emplace_back(x, bottom);
        dayLineTops.emplace_back(x, DiagramScale::top);
        painter.drawLine(dayLineBottoms.back(), dayLineTops.back());
        const QString text = QString::asprintf("%2d.%2d.", date.day(), date.month());
        if (labelsEveryDay(days))
            painter.drawText(x + labelOffset(days), 190, text);
        else if (i == 0 || i == days - 1)
            painter.drawText(x, 190, text);
    }

    if (!valueScale)
        return;
    bool plotted = false;
    main.listBox->diary().forEachGlucoseFrom(
        startDay, [&](int, qint64 julianDay, int minutes, int value) {
            const qint64 seconds = (julianDay - startDay) * 86400 + qint64(minutes) * 60;
            dataSegment[1] = QPoint(timeX(seconds, days), readingY(value, top));
            readingPen.setColor(Palette::diagramColor(readingLevel(value, lower, upper)));
            readingPen.setWidth(2);
            painter.setPen(readingPen);
            painter.drawRect(dataSegment[1].x(), dataSegment[1].y(), 2, 2);
            readingPen.setColor(Palette::diagramLine);
            readingPen.setWidth(1);
            painter.setPen(readingPen);
            if (plotted)
                painter.drawLine(dataSegment[0], dataSegment[1]);
            dataSegment[0] = dataSegment[1];
            plotted = true;
        });
}
