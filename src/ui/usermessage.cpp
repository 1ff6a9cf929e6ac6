// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/usermessage.h"

#include <QMessageBox>
#include <QPushButton>

namespace UserMessage {

namespace {
std::function<SaveChoice(const Shown &)> &handler()
{
    static std::function<SaveChoice(const Shown &)> h;
    return h;
}
} // namespace

void error(QWidget *parent, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(Shown{title, text});
        return;
    }
    QMessageBox::critical(parent, title, text);
}

void information(QWidget *parent, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(Shown{title, text});
        return;
    }
    QMessageBox::information(parent, title, text);
}

SaveChoice saveFailed(QWidget *parent, const QString &text, bool offerDiscard)
{
    const QString title = QStringLiteral("Diary not saved");
    if (handler())
        return handler()(Shown{title, text});
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    QPushButton *retry = box.addButton(QMessageBox::Retry);
    QPushButton *discard = offerDiscard ? box.addButton(QStringLiteral("&Discard Unsaved Entries"),
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

void setHandlerForTesting(std::function<SaveChoice(const Shown &)> h)
{
    handler() = std::move(h);
}

} // namespace UserMessage
