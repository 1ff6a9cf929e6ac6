// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/atomicfile.h"

#include "core/coretext.h"

#include "core/regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool syncDirectoryOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // QSaveFile renames over whatever is at its path, a device or a FIFO
    // too; and the file next to a symlink is the target's, not the link's.
    const QString real = RegularFile::realPath(path);
    if (const QString reason = RegularFile::notRegularReason(real); !reason.isEmpty()) {
        *error = reason;
        return false;
    }
    const QFileInfo folder(QFileInfo(real).absolutePath());
    if (!folder.exists()) {
        *error = DiaryText::tr("the folder %1 does not exist.").arg(folder.filePath());
        return false;
    }
    if (!folder.isDir()) {
        *error = DiaryText::tr("%1 is not a folder.").arg(folder.filePath());
        return false;
    }
    const bool existed = QFileInfo::exists(real);
    QSaveFile file(real);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    // An existing file keeps its mode; a new one holds health data and is
    // the person's alone.
    if (!existed)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // QSaveFile's commit can pass a short write on a full disk and ignores
    // fsync errors: check each step ourselves and cancel on any failure.
    errno = 0;
    const bool ok =
        file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
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
    // Some file systems cannot sync a folder at all; that loses nothing.
    if (!syncDirectoryOf(real) && errno != EINVAL && errno != ENOTSUP) {
        *error = DiaryText::tr("it was written, but its folder cannot be synced to disk (%1).")
                     .arg(systemError());
        return false;
    }
    return true;
}

bool writeFileInFolder(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString dir = QFileInfo(path).path();
    // A folder made here is the person's alone, as its files are.
    if (!QFileInfo(dir).isDir() && ::mkdir(QFile::encodeName(dir).constData(), 0700) != 0 &&
        !QDir().mkpath(dir)) {
        *error = DiaryText::tr("The folder \"%1\" cannot be created.").arg(dir);
        return false;
    }
    return writeFileAtomically(path, bytes, error);
}
