// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the diary list, the menus and buttons, the four settings
// and the commands the user reaches through them.
#ifndef MELLIDOR_H
#define MELLIDOR_H

#include "core/diarydocument.h"
#include "core/preferences.h"
#include "ui/listbox.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QWidget>

class DiaryLock;
class QAction;
class QButtonGroup;
class QMenu;
class QSpinBox;
class QUndoStack;

// Type text and value of the last accepted entry dialog.
extern QString tableString;
extern int tableValue;

class Mellidor : public QWidget, private DocumentHost
{
    Q_OBJECT
public:
    Mellidor();
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

    DiaryDocument *document() const { return m_document; }
    QUndoStack *undoStack() const { return m_document->undoStack(); }
    // The lock of this run, tried again before writing when it could not be
    // taken at start.
    void setDiaryLock(DiaryLock *lock) { m_document->setLock(lock); }

    // The unit and the doses this diary's person chose (Setup menu). Setting
    // them stores them and shows every open view in them.
    const Preferences &preferences() const { return m_preferences; }
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

    // Import, export, statistics and the report (mellidorimport.cpp,
    // reportactions.cpp).
private slots:
    void importFiles();
    void exportFile();
    void showStatistics();
    void saveReport();
    void printReport();

private:
    // DocumentHost
    void showError(const QString &title, const QString &text) override;
    bool retrySave(const QString &text) override;
    void showRow(int row) override { listBox->setCurrentRow(row); }
    void rowsAboutToBeReadAgain() override;
    void rowsReadAgain() override;
    bool busy() const override;

    // Row of the entry that Edit and Delete act on, or -1 for an empty list.
    int chosenRow() const;

    void loadSettings(const QString &path);
    QMenu *choiceMenu(const QString &title, const QStringList &choices, QAction **actions,
                      void (Mellidor::*choose)(int));
    void chooseUnit(int choice);
    void chooseDoses(int choice);
    void applyPreferences(const Preferences &preferences);
    void updateDiagrams();
    void loadDiary(const QString &path);

    QSpinBox *valueBox;
    QSpinBox *dayBox;
    QSpinBox *monthBox;
    QSpinBox *yearBox;
    QSpinBox *hourBox;
    QSpinBox *minuteBox;
    QButtonGroup *buttonGroup;
    DiaryDocument *m_document;
    Preferences m_preferences;
    QAction *m_unitActions[2];
    QAction *m_doseActions[2];
    // The current entry while the file is read again.
    EntryTexts m_currentTexts;
    int m_currentRow = -1;
    int m_currentColumn = 0;
};

#endif
