// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the day view, and its View menu: the list finds
// a date, hides a sensor's readings for this session, opens the day of an
// entry.
#include "ui/dayview.h"
#include "ui/mellidor.h"

#include <QMenu>

QMenu *Mellidor::makeViewMenu()
{
    auto *menu = new QMenu(tr("&View"), this);
    menu->addAction(tr("&Go to Date..."), this, &Mellidor::goToDate)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    // Not stored: the next start shows every entry again.
    QAction *sensor = menu->addAction(tr("Show &Sensor Readings"));
    sensor->setCheckable(true);
    sensor->setChecked(true);
    connect(sensor, &QAction::toggled, this, &Mellidor::showSensorReadings);
    menu->addAction(tr("Show &Day"), this, &Mellidor::showDay)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    return menu;
}

DayView *Mellidor::dayView()
{
    if (!m_dayView) {
        m_dayView = new DayView(listBox->diaryModel(), dayChartSettings());
        connect(m_dayView, &DayView::entryChosen, listBox, &ListBox::setCurrentRow);
    }
    return m_dayView;
}

DayChartSettings Mellidor::dayChartSettings() const
{
    return {lowerLimit, upperLimit, maxGluco, preferences().glucoseUnit};
}

void Mellidor::updateDayView()
{
    if (m_dayView)
        m_dayView->setSettings(dayChartSettings());
}

void Mellidor::showDayView()
{
    DayView *view = dayView();
    view->show();
    view->raise();
    view->activateWindow();
}

void Mellidor::showDay()
{
    const int row = listBox->rowOfLine(chosenRow());
    DayView *view = dayView();
    if (row >= 0)
        view->showEntry(row);
    showDayView();
}

void Mellidor::showSensorReadings(bool shown)
{
    listBox->setSensorReadingsShown(shown);
}
