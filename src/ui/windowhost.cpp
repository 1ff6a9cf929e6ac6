// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windowhost.h"

#include "ui/listbox.h"
#include "ui/usermessage.h"

#include <QApplication>

WindowHost::WindowHost(QWidget *window, ListBox *list)
    : QObject(window), m_window(window), m_list(list)
{}

void WindowHost::showError(const QString &title, const QString &text)
{
    UserMessage::error(m_window, title, text);
}

bool WindowHost::retrySave(const QString &text)
{
    return UserMessage::saveFailed(m_window, text, false) == UserMessage::SaveChoice::Retry;
}

void WindowHost::showRow(int row)
{
    m_list->setCurrentRow(row);
}

bool WindowHost::busy() const
{
    return QApplication::activeModalWidget() != nullptr;
}

void WindowHost::rowsAboutToBeReadAgain()
{
    m_currentRow = m_list->currentRow();
    m_currentColumn = m_list->currentIndex().column();
    m_currentTexts = m_currentRow >= 0 ? m_list->diary().entryTexts(m_currentRow) : EntryTexts();
}

void WindowHost::rowsReadAgain()
{
    // The current entry stays current where it still is.
    if (m_currentRow >= 0) {
        const int row = m_list->diary().findRow(m_currentTexts, m_currentRow);
        if (row >= 0)
            m_list->setCurrentCell(row, m_currentColumn);
    }
    emit readAgain();
}
