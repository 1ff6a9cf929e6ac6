// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the diary list, the menus and buttons, the four settings
// and the commands the person reaches through them. The diary itself, its
// files and the work on them are the session's (core/diarysession.h); each
// command here is a dialog and a call on it.
#ifndef MELLIDOR_H
#define MELLIDOR_H

#include "core/preferences.h"
#include "ui/listbox.h"

#include <memory>

#include <QDate>
#include <QPointer>
#include <QString>
#include <QTime>
#include <QWidget>

class DayView;
class DiarySession;
class MellidorPaint;
class NightscoutFetcher;
struct DayChartSettings;
class QAction;
class QButtonGroup;
class QMenu;
class QSpinBox;
class QUndoStack;
class WindowHost;

// Type text and value of the last accepted entry dialog.
extern QString tableString;
extern int tableValue;

class Mellidor : public QWidget
{
    Q_OBJECT
public:
    // On session, whose lock is taken already; without one, on a session of
    // its own.
    explicit Mellidor(DiarySession *session = nullptr);
    ~Mellidor() override;

    // Field of one row, read through the four column blocks of listBox. A row
    // outside the list reads an empty text.
    QDate getDateFromListBox(int row) const;
    QTime getTimeFromListBox(int row) const;
    QString getTypeFromListBox(int row) const;
    int getValueFromListBox(int row) const;

    ListBox *listBox;
    int upperLimit;
    int lowerLimit;
    int maxGluco;
    int daysBack;

    DiarySession &session() const { return *m_session; }
    QUndoStack *undoStack() const;

    // The unit, the doses and the targets this diary's person chose (Setup
    // menu). Setting them stores them and shows every open view in them.
    const Preferences &preferences() const;
    void setPreferences(const Preferences &preferences);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void setMultiSelection(bool on);
    void sortAscending();
    void sortDescending();
    void editValue();
    void insertNewValue();
    void paintLineDiagram();
    void setup();
    void deleteValue();

    // Import, export, statistics and the report.
private slots:
    void importFiles();
    void exportFile();
    void showStatistics();
    void saveReport();
    void printReport();

    // The Nightscout site and the fetches from it.
private slots:
    void fetchFromNightscout();
    void setupNightscout();

    // The day view and the View menu (mellidorview.cpp).
private slots:
    void showDayView();
    void goToDate();
    void showSensorReadings(bool shown);
    void showDay();

private:
    // Line of the entry that Edit and Delete act on, or -1 for an empty list.
    int chosenRow() const;

    void loadSettings();
    QMenu *choiceMenu(const QString &title, const QStringList &choices, QAction **actions,
                      void (Mellidor::*choose)(int));
    void chooseUnit(int choice);
    void chooseDoses(int choice);
    void chooseTargets(int choice);
    void applyPreferences(const Preferences &preferences);
    // The diagram windows of this window (mellidorpaint.cpp).
    QList<MellidorPaint *> diagrams() const;
    void updateDiagrams();
    void closeDiagrams();
    void loadDiary();
    // The Graphic menu's report: a PDF, or on paper.
    void makeReport(const QString &title, bool print);
    QMenu *makeViewMenu();
    // The one day view, opened when there is none.
    DayView *dayView();
    DayChartSettings dayChartSettings() const;
    // The limits or the unit changed.
    void updateDayView();

    QSpinBox *valueBox;
    QSpinBox *dayBox;
    QSpinBox *monthBox;
    QSpinBox *yearBox;
    QSpinBox *hourBox;
    QSpinBox *minuteBox;
    QButtonGroup *buttonGroup;
    std::unique_ptr<DiarySession> m_ownSession;
    DiarySession *m_session;
    WindowHost *m_host;
    NightscoutFetcher *m_fetcher;
    QAction *m_unitActions[2];
    QAction *m_doseActions[2];
    QAction *m_targetActions[std::size(targetSets)];
    QPointer<DayView> m_dayView;
};

#endif
