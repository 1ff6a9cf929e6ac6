// SPDX-License-Identifier: GPL-3.0-or-later
// What the diary document asks of the main window: its messages, the
// question whether to try a failed save again, the entry a step made
// current, and the current entry kept through a re-read of the file.
#ifndef WINDOWHOST_H
#define WINDOWHOST_H

#include "core/diarydocument.h"

#include <QObject>

class ListBox;
class QWidget;

class WindowHost : public QObject, public DocumentHost
{
    Q_OBJECT
public:
    WindowHost(QWidget *window, ListBox *list);

    void showError(const QString &title, const QString &text) override;
    bool retrySave(const QString &text) override;
    void showRow(int row) override;
    void rowsAboutToBeReadAgain() override;
    void rowsReadAgain() override;
    bool busy() const override;

signals:
    // The rows were read again from the file.
    void readAgain();

private:
    QWidget *m_window;
    ListBox *m_list;
    // The current entry while the file is read again.
    EntryTexts m_currentTexts;
    int m_currentRow = -1;
    int m_currentColumn = 0;
};

#endif
