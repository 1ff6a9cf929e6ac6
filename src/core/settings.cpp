// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include "core/atomicfile.h"
#include "core/regularfile.h"

#include <QTextStream>

namespace SettingsFile {

Settings read(const QString &path)
{
    return parse(RegularFile::readSmall(path));
}

Settings parse(const QByteArray &bytes)
{
    Settings settings;
    QTextStream in(bytes);
    int *const targets[] = {&settings.lowerLimit, &settings.upperLimit, &settings.maxGluco,
                            &settings.daysBack};
    for (int line = 0; !in.atEnd(); ++line) {
        const QString text = in.readLine();
        if (line < 4)
            *targets[line] = text.toInt();
    }
    return settings;
}

QByteArray toBytes(const Settings &settings)
{
    QByteArray bytes;
    for (int value :
         {settings.lowerLimit, settings.upperLimit, settings.maxGluco, settings.daysBack})
        bytes += QString::asprintf("%3d\n", value).toLatin1();
    return bytes;
}

bool write(const QString &path, const Settings &settings, QString *error)
{
    return writeFileInFolder(path, toBytes(settings), error);
}

} // namespace SettingsFile
