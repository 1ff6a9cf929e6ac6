// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests: a private working directory, file bytes, and
// answering modal dialogs from a timer.
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "ui/usermessage.h"

#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class Diary;
class QDialog;
class QSpinBox;
class Mellidor;

// Makes a fresh temporary directory the working directory for its lifetime.
class WorkDir
{
public:
    WorkDir();
    explicit WorkDir(const QByteArray &diary); // with a diary file of these bytes
    ~WorkDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString diary() const { return file(QStringLiteral("MellidorFile.txt")); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// The bytes of tests/data/name; a missing file fails the test.
QByteArray testData(const char *name);
// The diary that these bytes of a diary file load into.
Diary diaryOf(const QByteArray &bytes);
// The standard output of a program run to its end.
QString outputOf(const QString &program, const QStringList &arguments);

// A character device for a test to aim at: one made at name (root may, as
// in CI), else the system's /dev/null, which only root could replace.
QString makeDevice(const QString &name);

// Runs work with every file limited to the given size, as on a full disk.
void withFileSizeLimit(qint64 bytes, const std::function<void()> &work);

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

// Skips the running test when a program it starts is not installed.
#define SKIP_WITHOUT_TOOL(tool)                                                                    \
    do {                                                                                           \
        if (QStandardPaths::findExecutable(QStringLiteral(tool)).isEmpty())                        \
            QSKIP(tool " is not installed");                                                       \
    } while (false)

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
