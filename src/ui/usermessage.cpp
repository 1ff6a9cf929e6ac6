// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usermessage.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace UserMessage {

namespace {

struct MessageText
{
    Q_DECLARE_TR_FUNCTIONS(UserMessage)
};
std::function<SaveChoice(const Shown &)> &handler()
{
    static std::function<SaveChoice(const Shown &)> h;
    return h;
}

// Messages carry file names and file contents: never let them be read as
// markup.
void show(QMessageBox::Icon icon, QWidget *parent, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(Shown{title, text});
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
} // namespace

void error(QWidget *parent, const QString &title, const QString &text)
{
    show(QMessageBox::Critical, parent, title, text);
}

void information(QWidget *parent, const QString &title, const QString &text)
{
    show(QMessageBox::Information, parent, title, text);
}

SaveChoice saveFailed(QWidget *parent, const QString &text, bool offerDiscard)
{
    const QString title = MessageText::tr("Diary not saved");
    if (handler())
        return handler()(Shown{title, text});
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *retry = box.addButton(QMessageBox::Retry);
    QPushButton *discard = offerDiscard ? box.addButton(MessageText::tr("&Discard Unsaved Entries"),
                                                        QMessageBox::DestructiveRole)
                                        : nullptr;
    box.addButton(offerDiscard ? QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(retry);
    box.exec();
    if (box.clickedButton() == retry)
        return SaveChoice::Retry;
    if (discard && box.clickedButton() == discard)
        return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

bool informationWithQuestion(QWidget *parent, const QString &title, const QString &text,
                             const QString &question)
{
    if (handler())
        return handler()(Shown{title, text + QStringLiteral("\n\n") + question}) ==
               SaveChoice::Retry;
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(question);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void setHandlerForTesting(std::function<SaveChoice(const Shown &)> h)
{
    handler() = std::move(h);
}

} // namespace UserMessage
