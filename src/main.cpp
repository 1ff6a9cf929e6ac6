#include "diaryfile.h"
#include "diarylock.h"
#include "mellidor.h"
#include "unixsignals.h"
#include "usermessage.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mellidor"));
    QApplication::setApplicationVersion(QStringLiteral("0.3"));
    QApplication::setDesktopFileName(QStringLiteral("mellidor"));

    const QString diaryPath = QString::fromLatin1(DiaryFile::fileName);
    DiaryLock lock(diaryPath);
    if (!lock.tryLock()) {
        const QString holder = lock.holder();
        UserMessage::error(
            nullptr, QStringLiteral("Mellidor"),
            QStringLiteral("The diary \"%1\" is already open in another Mellidor%2.\n\n"
                           "Use that window, or close it and start Mellidor again.")
                .arg(QDir::toNativeSeparators(QDir::current().absoluteFilePath(diaryPath)),
                     holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder)));
        return 1;
    }
    // Only the holder of the lock may tidy up after an interrupted save.
    DiaryFile::removeStaleTemporaries(diaryPath);

    Mellidor window;
    window.setWindowTitle(QStringLiteral("Mellidor 0.3"));

    // A termination request closes the window as the user would, so it saves.
    UnixSignals signals_;
    QObject::connect(&signals_, &UnixSignals::terminationRequested, &window, [&window] {
        for (int open = 0; open < 16; ++open) {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                break;
            modal->close();
        }
        QTimer::singleShot(0, &window, &QWidget::close);
    });

    window.show();
    return app.exec();
}
