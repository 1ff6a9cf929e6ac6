// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/apptext.h"
#include "app/unixsignals.h"
#include "core/diarysession.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

int runMellidor(const std::function<void(Mellidor &)> &started)
{
    DiarySession session;
    switch (session.lock()) {
    case DiaryLock::Locked:
        break;
    case DiaryLock::HeldByOther:
        UserMessage::error(nullptr, QStringLiteral("Mellidor"),
                           AppText::tr("The diary \"%1\" is already open in another Mellidor%2.\n\n"
                                       "Use that window, or close it and start Mellidor again.")
                               .arg(DiarySession::shownPath(), session.lockHolder()));
        return 1;
    case DiaryLock::CannotLock:
        // The file itself may still be writable (a new entry is appended to
        // it), so say what is known: no lock yet, and when it is tried again.
        UserMessage::error(
            nullptr, QStringLiteral("Mellidor"),
            AppText::tr("Mellidor cannot create its lock file \"%1\" (%2), so it cannot yet "
                        "make sure that no other Mellidor writes this diary.\n\n"
                        "The diary opens. Before it saves a change, Mellidor tries the lock "
                        "again; it does not save while another Mellidor has the diary open, "
                        "and it tells you when a change cannot be saved.")
                .arg(QDir::toNativeSeparators(session.diaryLock().lockFilePath()),
                     session.diaryLock().errorText()));
        break;
    }

    Mellidor window(&session);
    window.setWindowTitle(QString::fromLatin1(mellidorCaption));
    window.resize(window.sizeHint().expandedTo(QSize(440, 480)));

    // A termination request closes the window as the user would, so it saves.
    UnixSignals termination;
    QObject::connect(&termination, &UnixSignals::terminationRequested, &window, [&window] {
        for (int open = 0; open < 16; ++open) {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                break;
            modal->close();
        }
        QTimer::singleShot(0, &window, &QWidget::close);
    });

    window.show();
    if (started)
        QTimer::singleShot(0, &window, [&window, &started] { started(window); });
    return QApplication::exec();
}
