// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowtestsupport.h"

#include "core/diary.h"
#include "ui/mellidor.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {
int unanswered = 0; // since the last verification
int verifications = 0;
} // namespace

void whenDialogOpens(std::function<void(QDialog *)> handle)
{
    ++unanswered;
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=, tries = 0, since = verifications]() mutable {
        // A verification ends the wait: a later dialog is another's.
        const bool waiting = since == verifications;
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (waiting && !dialog && ++tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (waiting && dialog) {
            --unanswered;
            handle(dialog);
        }
    });
    timer->start(10);
}

void verifyDialogsAnswered()
{
    ++verifications;
    QVERIFY2(std::exchange(unanswered, 0) == 0, "a dialog waited for did not open");
}

void chooseFiles(const QStringList &names)
{
    whenDialogOpens([names](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        if (!files) {
            dialog->reject();
            QFAIL("not a file dialog");
        }
        // Mellidor's own refusals are tested, not the dialog's question.
        files->setOption(QFileDialog::DontConfirmOverwrite);
        files->setDirectory(QDir::currentPath());
        files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(u'"' + names.join(QStringLiteral("\" \"")) + u'"');
        dialog->accept(); // QFileDialog::accept reads the names
    });
}

void triggerMenuItem(const QWidget &window, int menu, const QString &text)
{
    for (QAction *action : window.findChild<QMenuBar *>()->actions()[menu]->menu()->actions()) {
        if (action->text().startsWith(text))
            return action->trigger();
    }
    QFAIL(qPrintable(text));
}

void enterValue(const QWidget &window, const QString &item, int box, int value)
{
    whenDialogOpens([box, value](QDialog *dialog) {
        spinBoxes(dialog).at(box)->setValue(value);
        pressOk(dialog);
    });
    triggerMenuItem(window, 0, item);
    verifyDialogsAnswered();
}

void answerDialog(QObject *window, const char *slot, std::function<void(QDialog *)> handle)
{
    whenDialogOpens(std::move(handle));
    QVERIFY(QMetaObject::invokeMethod(window, slot));
    verifyDialogsAnswered();
}

void recordMessages(QList<UserMessage::Shown> *messages)
{
    messages->clear();
    UserMessage::setHandlerForTesting([messages](const UserMessage::Shown &shown) {
        messages->append(shown);
        return UserMessage::SaveChoice::Cancel;
    });
}

QStringList rowLines(const Mellidor &window)
{
    QStringList lines;
    const Diary &diary = window.listBox->diary();
    for (int r = 0; r < diary.rowCount(); ++r) {
        QStringList fields;
        for (int c = 0; c < 4; ++c)
            fields << diary.text(r, c);
        lines << fields.join(u',');
    }
    return lines;
}

QList<int> limits(const Mellidor &window)
{
    return {window.lowerLimit, window.upperLimit, window.maxGluco, window.daysBack};
}

void pressOk(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

void pressCancel(QDialog *dialog)
{
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
}

QList<QSpinBox *> spinBoxes(QDialog *dialog)
{
    return dialog->findChildren<QSpinBox *>();
}
