// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window: the consensus figures read against the chosen
// targets, the range bar and the ambulatory glucose profile of a chosen
// period, each figure with its change against the period before when asked.
// Non-modal like the diagram; it reads the session's diary, limits and
// targets afresh whenever it is shown, activated, or they change.
#ifndef STATISTICSWINDOW_H
#define STATISTICSWINDOW_H

#include "analysis/glucoseunit.h"
#include "analysis/statistics.h"
#include "ui/periodchooser.h"

#include <QPointer>
#include <QWidget>

#include <vector>

class AgpChart;
class DiarySession;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class GriChart;
class RangeBar;
struct StatisticsLine;

class StatisticsWindow : public QWidget
{
    Q_OBJECT
public:
    using Period = PeriodChooser::Period;

    explicit StatisticsWindow(DiarySession *session);
    ~StatisticsWindow() override;

    Period period() const;
    void setPeriod(Period period);
    // Chooses the period Dates, from and to both included.
    void setDates(const QDate &from, const QDate &to);
    GlucoseUnit unit() const;
    void setUnit(GlucoseUnit unit);
    // "Compare with the period before".
    QCheckBox *compareBox() const { return m_compareBox; }

    // What the window shows, for a report of the same period.
    const GlucoseStatistics &statistics() const { return m_statistics; }
    int lowerLimit() const { return m_lowerLimit; }
    int upperLimit() const { return m_upperLimit; }
    AgpChart *chart() const { return m_chart; }
    RangeBar *rangeBar() const { return m_rangeBar; }
    GriChart *griChart() const { return m_griChart; }
    // The hypoglycaemia events under the risk chart; empty without a sensor.
    QString eventsText() const;
    // The row at the bottom: a stretch on its left, then "Save PDF..." and
    // "Print...".
    QHBoxLayout *buttonRow() const { return m_buttonRow; }
    // The value texts of the figures, in the order of statisticsLines() and
    // then riskLines(); and their changes against the period before.
    QStringList figureTexts() const;
    QStringList changeTexts() const;
    QString warningText() const;

public slots:
    // Reads the diary and the limits again and shows the figures.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    void diaryChanged();
    void present();
    // One line of figures in the grid: its label, value, target and change.
    struct FigureRow
    {
        QLabel *label, *value, *target, *change;
    };
    // Shows lines in rows from column on, with as many rows as lines.
    void showLines(std::vector<FigureRow> &rows, const std::vector<StatisticsLine> &lines,
                   int column);
    // The report of the period and unit shown: a PDF, or on paper.
    enum class ReportOutput
    {
        PdfFile,
        Printer
    };
    void makeReport(ReportOutput output);

    QPointer<DiarySession> m_session;
    GlucoseStatistics m_statistics;
    // Said above the figures while the window shows the newest readings
    // instead of an empty last 14 days.
    QString m_firstLookNote;
    int m_lowerLimit = 0;
    int m_upperLimit = 0;
    bool m_refreshQueued = false;

    PeriodChooser *m_chooser;
    QComboBox *m_unitBox;
    QCheckBox *m_compareBox;
    QLabel *m_periodLabel;
    QLabel *m_warningLabel;
    QGridLayout *m_figureGrid;
    std::vector<FigureRow> m_coreRows, m_riskRows;
    RangeBar *m_rangeBar;
    GriChart *m_griChart;
    QLabel *m_eventsLabel;
    AgpChart *m_chart;
    QHBoxLayout *m_buttonRow;
};

#endif
