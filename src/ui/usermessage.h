// SPDX-License-Identifier: GPL-3.0-or-later
// The few messages Mellidor shows. Tests answer them in advance through a
// hook, so no test waits on a message box it cannot reach.
#ifndef USERMESSAGE_H
#define USERMESSAGE_H

#include <QString>

#include <functional>

class QWidget;

namespace UserMessage {

enum class SaveChoice
{
    Retry,
    Discard,
    Cancel
};

void error(QWidget *parent, const QString &title, const QString &text);
// A report of something done, such as an import's summary.
void information(QWidget *parent, const QString &title, const QString &text);
// A report that ends in a yes-or-no question; true for yes.
bool informationWithQuestion(QWidget *parent, const QString &title, const QString &text,
                             const QString &question);
// Saving failed: try again, give up the unsaved entries (where offered), or
// go back.
SaveChoice saveFailed(QWidget *parent, const QString &text, bool offerDiscard);

struct Shown
{
    QString title;
    QString text;
};
// While set, messages are passed here instead of being shown; the result
// answers saveFailed(), and a question with Retry for yes (ignored for errors
// and information).
void setHandlerForTesting(std::function<SaveChoice(const Shown &)> handler);

} // namespace UserMessage

#endif
