// SPDX-License-Identifier: GPL-3.0-or-later
// Files the user names for an output (an export, a report): never a file
// of the diary's folder (the diary, its settings, its lock ...), whatever
// path leads there, and only ever a regular file.
#ifndef OUTPUTFILE_H
#define OUTPUTFILE_H

#include <QByteArray>
#include <QString>

namespace OutputFile {

// Why path must not receive an output, empty when it may. The diary is the
// one in the working directory.
QString refusal(const QString &path);

// Writes bytes as writeFileAtomically() does, unless refusal() objects.
bool write(const QString &path, const QByteArray &bytes, QString *error);

} // namespace OutputFile

#endif
