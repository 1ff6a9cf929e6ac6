// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <unistd.h>

namespace SettingsFile {

Settings read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Settings();
    return parse(file.readAll());
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
    const QString dir = QFileInfo(path).path();
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("The folder \"%1\" cannot be created.").arg(dir);
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = toBytes(settings);
    // Checked at every step, and on disk before it replaces the old file.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        ::fsync(file.handle()) != 0 || !file.commit()) {
        *error = file.errorString();
        if (file.isOpen())
            file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace SettingsFile
