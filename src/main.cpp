#include "application.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mellidor"));
    QApplication::setApplicationVersion(QStringLiteral("0.3"));
    QApplication::setDesktopFileName(QStringLiteral("mellidor"));
    return runMellidor();
}
