// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the tests of the windows: answering modal dialogs from a
// timer, the menus, the messages shown, the list's rows.
#ifndef WINDOWTESTSUPPORT_H
#define WINDOWTESTSUPPORT_H

#include "testsupport.h"
#include "ui/usermessage.h"

#include <QList>
#include <QStringList>

#include <functional>

class Mellidor;
class QDialog;
class QSpinBox;
class QWidget;
class QObject;

// Runs handle(dialog) on the next modal dialog as soon as it is open. The
// handler accepts, rejects or changes it; nothing here blocks. A handler may
// wait for the dialog that follows its own.
void whenDialogOpens(std::function<void(QDialog *)> handle);
// Fails the test when a dialog waited for above did not open; called after
// the step that should have opened it. Stops waiting in any case.
void verifyDialogsAnswered();
// Invokes the slot that opens a dialog, answers it with handle and verifies.
void answerDialog(QObject *window, const char *slot, std::function<void(QDialog *)> handle);

// Answers the next dialog, which must be a file dialog (Qt's own), with these
// names in the working directory.
void chooseFiles(const QStringList &names);

// Answers the dialog of the Input menu's item (New, Edit): sets spin box box
// (0 the first) to value and presses OK.
void enterValue(const QWidget &window, const QString &item, int box, int value);

// Triggers the item of the window's menu (0 Input, 1 Graphic) whose text
// starts with text.
void triggerMenuItem(const QWidget &window, int menu, const QString &text);

// Clears the list and records every message shown from now on in it; a
// failed save is answered with Cancel.
void recordMessages(QList<UserMessage::Shown> *messages);

// The list's rows, top first, each as "date,time,type,value".
QStringList rowLines(const Mellidor &window);
// The window's settings: lower limit, upper limit, top of the scale, days.
QList<int> limits(const Mellidor &window);

// Presses OK or Cancel of a dialog with a button box.
void pressOk(QDialog *dialog);
void pressCancel(QDialog *dialog);
QList<QSpinBox *> spinBoxes(QDialog *dialog);

#endif
