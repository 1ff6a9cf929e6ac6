// SPDX-License-Identifier: GPL-3.0-or-later
// Writing files durably. A whole file is written at once: the new bytes
// replace the old file only when all of them are on disk, and on failure
// nothing is left behind. Every file Mellidor writes whole goes through here.
#ifndef ATOMICFILE_H
#define ATOMICFILE_H

#include <QByteArray>
#include <QString>

// Writes bytes as the whole new content of path. Only a regular file is
// replaced; a symlink to one stays and its target gets the bytes. A device,
// FIFO, socket or folder at path is refused. error says why it failed.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

// The same, first making path's folder (the settings folder) when it is
// missing.
bool writeFileInFolder(const QString &path, const QByteArray &bytes, QString *error);

// Makes a file created, renamed or replaced in path's folder last through a
// crash. False when the folder cannot be synced; errno tells why.
bool syncDirectoryOf(const QString &path);

#endif
