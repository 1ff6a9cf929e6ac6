#include "app/application.h"
#include "app/unixsignals.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mellidor"));
    QApplication::setApplicationVersion(QStringLiteral("0.3"));
    QApplication::setDesktopFileName(QStringLiteral("org.mellidor.Mellidor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.mellidor.Mellidor")));
    return runMellidor();
}
