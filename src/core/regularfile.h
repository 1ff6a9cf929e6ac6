// SPDX-License-Identifier: GPL-3.0-or-later
// The diary is only ever a regular file: a FIFO, a device or a directory at
// its path is refused before anything could block on it. A stamp tells
// whether the file is still the one last read or written.
#ifndef REGULARFILE_H
#define REGULARFILE_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0; // modification time, nanoseconds since the epoch
    // Change time: a program can put the modification time back after an
    // edit in place (touch -d), never this one.
    qint64 ctimeNs = 0;
    bool exists = false;

    // The same file with the same bytes as far as size and mtime tell; a
    // rename also moves the change time, so after one only this holds.
    bool sameContentAs(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && mtimeNs == other.mtimeNs;
    }
    friend bool operator==(const FileStamp &a, const FileStamp &b)
    {
        return a.sameContentAs(b) && a.ctimeNs == b.ctimeNs;
    }
    friend bool operator!=(const FileStamp &a, const FileStamp &b) { return !(a == b); }
};

// The text of an error number (errno by default) as a sentence, for
// messages that go on after it.
QString systemError(int number);
QString systemError();

namespace RegularFile {

// Through symlinks; a missing or unreachable file has exists false.
FileStamp stampOf(const QString &path);
FileStamp stampOf(int fd);

// Why path (through symlinks) cannot be read or written as the diary: empty
// for a regular file or none at all (a loop of symlinks is refused).
QString notRegularReason(const QString &path);

// Whether the regular file at path is one that must not be written: no
// write permission in its mode, or none for this user.
bool isReadOnly(const QString &path);

// Opens path with flags (O_RDONLY, O_RDWR, O_APPEND, O_CREAT) so that it
// never blocks, and only when it is a regular file. Returns the descriptor,
// or -1 with *error set; *missing tells a file that does not exist.
// A file it creates gets mode 0600.
int open(const QString &path, int flags, QString *error, bool *missing = nullptr);

// The bytes of a small regular file such as the settings, at most maxBytes
// of them; empty when there is none or it cannot be read (a FIFO there
// never blocks the start).
QByteArray readSmall(const QString &path, qint64 maxBytes = 1 << 20);

// The file a path stands for, every symlink resolved, also when the file
// itself does not exist (yet).
QString realPath(const QString &path);

} // namespace RegularFile

#endif
