// SPDX-License-Identifier: GPL-3.0-or-later
// The day view: any day of the diary as a chart with its figures and its
// entries, or the week around it as seven strips. It reads the list's model
// whenever it shows a day and follows every change of the model, showing it
// anew only when the change touches what it shows; it keeps no copy of the
// diary.
//
// Keys: Left and Right a day, Page Up and Page Down a week, Ctrl+Left and
// Ctrl+Right the nearest day with entries, Home the first and End the
// newest day with entries.
#ifndef DAYVIEW_H
#define DAYVIEW_H

#include "analysis/daycontent.h"
#include "ui/daychartpainter.h"

#include <QDate>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

class DayChart;
class DayEntriesModel;
class DiaryModel;
class QAction;
class QCalendarWidget;
class QDateEdit;
class QLabel;
class QTableView;

class DayView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QDate day READ day WRITE showDay NOTIFY dayChanged)
    Q_PROPERTY(bool weekMode READ weekMode WRITE setWeekMode NOTIFY weekModeChanged)
public:
    // Opens on the newest day with an entry (today in an empty diary).
    DayView(DiaryModel *list, const DayChartSettings &settings, QWidget *parent = nullptr);
    ~DayView() override;

    QDate day() const { return m_day; }
    bool weekMode() const { return m_weekMode; }
    const DayChartSettings &settings() const { return m_settings; }
    // The limits, the top of the scale or the unit changed.
    void setSettings(const DayChartSettings &settings);

    DayChart *chart() const { return m_chart; }
    QTableView *entriesView() const { return m_entriesView; }
    QDateEdit *dateEdit() const { return m_dateEdit; }
    QCalendarWidget *calendar() const { return m_calendar; }
    // The values of the day's figures, in their order on screen.
    QStringList figureTexts() const;

    // "Tue 30.09.2025": the day in the locale's short format with the whole year.
    static QString dayText(const QDate &day);
    // That format without the weekday, for a date field.
    static QString dateFormat();

public slots:
    void showDay(const QDate &day);
    void setWeekMode(bool on);
    // Shows the day of a list row and makes it the current entry of the table
    // (none for a sensor's reading).
    void showEntry(int row);

    void showPreviousDay();
    void showNextDay();
    void showPreviousWeek();
    void showNextWeek();
    void showFirstDay();
    void showNewestDay();
    void showPreviousDayWithEntries();
    void showNextDayWithEntries();

signals:
    void dayChanged(const QDate &day);
    void weekModeChanged(bool on);
    // A person chose an entry in the table: its row in the list.
    void entryChosen(int row);

private:
    QAction *addStep(const QString &label, const QString &name, const QKeySequence &key,
                     void (DayView::*step)());
    // Reads the shown days; with force false, shows them anew only when
    // something shown differs.
    void present(bool force);
    void listChanged();
    void showFigures(const GlucoseStatistics &figures);
    void markMonth(int year, int month);
    std::vector<QDate> shownDays() const;
    const DayContent &chosenContent() const;

    QPointer<DiaryModel> m_list;
    DayChartSettings m_settings;
    QDate m_day;
    bool m_weekMode = false;
    bool m_choosing = false; // the table's current row is set, not chosen
    std::vector<DayContent> m_contents;

    DayChart *m_chart;
    DayEntriesModel *m_entries;
    QTableView *m_entriesView;
    QDateEdit *m_dateEdit;
    QCalendarWidget *m_calendar;
    QAction *m_weekAction = nullptr;
    std::vector<QLabel *> m_figureLabels;
    std::vector<QLabel *> m_figureValues;
};

#endif
