// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the diary list, the menus and buttons, the four settings
// and the commands the user reaches through them.
#ifndef MELLIDOR_H
#define MELLIDOR_H

#include "core/diarychange.h"
#include "core/diaryfile.h"
#include "ui/listbox.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QWidget>

class DiaryLock;
class QButtonGroup;
class QFileSystemWatcher;
class QTimer;
class QSpinBox;
class QUndoStack;

// Type text and value of the last accepted entry dialog.
extern QString tableString;
extern int tableValue;

class Mellidor : public QWidget, private DiaryEditor
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

    QUndoStack *undoStack() const { return m_undoStack; }
    // The lock of this run, tried again before writing when it could not be
    // taken at start.
    void setDiaryLock(DiaryLock *lock);

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
    void checkOutsideChange();

    // Import, export, statistics and the report (mellidorimport.cpp,
    // reportactions.cpp).
private slots:
    void importFiles();
    void exportFile();
    void showStatistics();
    void saveReport();
    void printReport();

private:
    // DiaryEditor: the undo steps change the list through these.
    const Diary &diary() const override { return listBox->diary(); }
    void insertRows(const std::vector<int> &rows, const std::vector<EntryTexts> &texts) override;
    void removeRows(const std::vector<int> &rows) override;
    Diary::Order sortRows(bool ascending) override;
    void restoreOrder(const Diary::Order &order) override;
    void prepareChange() override;
    quint64 generation() const override { return m_generation; }
    void tell(const QString &problem) override
    {
        if (!m_problems.contains(problem))
            m_problems << problem;
    }
    bool changeMade(const DiaryChange &change, bool topRowAdded) override;
    void stepEnded() override;
    // Row of the entry that Edit and Delete act on, or -1 for an empty list.
    int chosenRow() const;

    void loadSettings(const QString &path);
    void loadDiary(const QString &path);
    // Saves the whole list; an outside change found meanwhile is kept too.
    bool saveDiary(QString *error);
    enum class StoreResult
    {
        Stored,
        ReadAgain, // the file had changed: the list now holds it instead
        Failed
    };
    StoreResult writeDiary(bool topRowAdded, QString *error);
    bool mayWrite(QString *error);
    // Replaces the list with the file, keeping the current entry where it
    // still is.
    bool readAgain();
    void watchDiary();
    // Entries in the list that the file does not hold (and that the user has
    // not given up).
    bool hasUnsavedEntries() const;
    // Makes a change durable; asks again on failure. True when the file had
    // changed outside and the change has to be applied to it anew.
    bool storeChange(bool topRowAdded);
    QString saveFailureText(const QString &reason) const;

    QSpinBox *valueBox;
    QSpinBox *dayBox;
    QSpinBox *monthBox;
    QSpinBox *yearBox;
    QSpinBox *hourBox;
    QSpinBox *minuteBox;
    QButtonGroup *buttonGroup;
    QUndoStack *m_undoStack;

    QString m_diaryPath;
    bool m_diaryUnreadable = false; // never written over in this run
    bool m_fileMatchesList = false; // the file holds exactly the list's rows
    bool m_unsavedDiscarded = false;
    QStringList m_problems;   // of the step being made, told once it is saved
    DiaryFile::Stamp m_stamp; // the file as last read or written
    quint64 m_generation = 0;
    bool m_fileVanished = false;
    bool m_saving = false;
    DiaryLock *m_lock = nullptr;
    QFileSystemWatcher *m_watcher;
    QTimer *m_outsideCheck;
};

#endif
