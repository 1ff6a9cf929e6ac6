// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"
#include "app/commandline.h"
#include "app/translation.h"
#include "app/unixsignals.h"

#include <QApplication>
#include <QIcon>

#include <malloc.h>

int main(int argc, char **argv)
{
    // A write over a file-size limit must fail with an error, not kill us.
    ignoreFileSizeSignal();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (isCommandLine(arguments)) {
        // A command ends soon after its work: memory it frees stays with it
        // for its next buffer, sparing the fresh pages the system would
        // otherwise hand out (and clear) again.
        mallopt(M_MMAP_THRESHOLD, 256 << 20);
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
        // Its threads share one heap: what the readers free, the merge and
        // the save reuse.
        mallopt(M_ARENA_MAX, 1);
        // Without TZ the C library looks at /etc/localtime again for every
        // local time it works out; naming that same file spares an import a
        // file system call per reading.
        if (!qEnvironmentVariableIsSet("TZ"))
            qputenv("TZ", ":/etc/localtime");
        return commandLineMain(argc, argv);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mellidor"));
    QApplication::setApplicationVersion(QStringLiteral(MELLIDOR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.mellidor.Mellidor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.mellidor.Mellidor")));
    installTranslations();
    return runMellidor();
}
