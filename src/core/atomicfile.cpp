// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/atomicfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncDirectoryOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        *error = QStringLiteral("it is a directory, not a file.");
        return false;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists()) {
        *error = QStringLiteral("the folder %1 does not exist.").arg(folder.filePath());
        return false;
    }
    if (!folder.isDir()) {
        *error = QStringLiteral("%1 is not a folder.").arg(folder.filePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    // QSaveFile's commit can pass a short write on a full disk and ignores
    // fsync errors: check each step ourselves and cancel on any failure.
    errno = 0;
    bool ok = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
    if (!ok) {
        *error = errno ? systemError() : file.errorString();
        file.cancelWriting();
        file.commit(); // only removes the temporary
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    syncDirectoryOf(path);
    return true;
}
