// SPDX-License-Identifier: GPL-3.0-or-later
// A window that draws the glucose readings of the last days as a line
// diagram against the two limits. It reads the main window's list and
// settings afresh at every paint.
#ifndef MELLIDORPAINT_H
#define MELLIDORPAINT_H

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <vector>

class Mellidor;

class MellidorPaint : public QWidget
{
    Q_OBJECT
public:
    explicit MellidorPaint(Mellidor *mainWindow);
    ~MellidorPaint() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    friend class Mellidor;

    int pixelsPerDay = 0;
    QPointer<Mellidor> mainWindow;
    // Geometry of the last paint.
    std::vector<QPoint> axisPoints;
    std::vector<QPoint> lowerLimitLine;
    std::vector<QPoint> upperLimitLine;
    std::vector<QPoint> dayLineBottoms;
    std::vector<QPoint> dayLineTops;
    std::vector<QPoint> dataSegment;
};

#endif
