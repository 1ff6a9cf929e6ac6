// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regularfile.h"

#include "core/coretext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString systemError(int number)
{
    QString text = QString::fromLocal8Bit(std::strerror(number));
    if (!text.endsWith(u'.'))
        text += u'.';
    return text;
}

QString systemError()
{
    return systemError(errno);
}

namespace RegularFile {

namespace {

FileStamp fromStat(const struct stat &st)
{
    FileStamp stamp;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.exists = true;
    return stamp;
}

QString kindError(mode_t mode)
{
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return DiaryText::tr("it is a directory, not a file.");
    if (S_ISFIFO(mode))
        return DiaryText::tr("it is a named pipe (FIFO), not a regular file.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return DiaryText::tr("it is a device, not a regular file.");
    if (S_ISSOCK(mode))
        return DiaryText::tr("it is a socket, not a regular file.");
    return DiaryText::tr("it is not a regular file.");
}

} // namespace

FileStamp stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return FileStamp();
    return fromStat(st);
}

FileStamp stampOf(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return FileStamp();
    return fromStat(st);
}

QString notRegularReason(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        // Nothing there yet is fine; a loop of symlinks is not, or a link of
        // it would be replaced by a file.
        return errno == ELOOP ? systemError() : QString();
    }
    return kindError(st.st_mode);
}

bool isReadOnly(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // Root may write anywhere: the mode still says what the owner wants.
    return (st.st_mode & 0222) == 0 ||
           (::access(name.constData(), W_OK) != 0 && (errno == EACCES || errno == EROFS));
}

int open(const QString &path, int flags, QString *error, bool *missing)
{
    if (missing)
        *missing = false;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    // Looked at before opening: opening some devices already does something.
    if (::stat(name.constData(), &st) == 0) {
        *error = kindError(st.st_mode);
        if (!error->isEmpty())
            return -1;
    }
    // O_NONBLOCK: whatever took the path's place since, the open returns.
    // A file made here holds health data: the person's alone.
    const int fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        const int saved = errno;
        if (missing)
            *missing = saved == ENOENT;
        *error = systemError(saved);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !(*error = kindError(st.st_mode)).isEmpty()) {
        if (error->isEmpty())
            *error = systemError();
        ::close(fd);
        return -1;
    }
    return fd;
}

QByteArray readSmall(const QString &path, qint64 maxBytes)
{
    QString error;
    const int fd = open(path, O_RDONLY, &error);
    if (fd < 0)
        return QByteArray();
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QByteArray();
    }
    return file.read(maxBytes);
}

QString realPath(const QString &path)
{
    QFileInfo info(QDir::current().absoluteFilePath(path));
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? info.absoluteFilePath() : QDir(dir).filePath(info.fileName());
}

} // namespace RegularFile
