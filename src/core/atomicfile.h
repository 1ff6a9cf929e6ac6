// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a whole file at once: the new bytes replace the old file only when
// all of them are on disk; on failure nothing is left behind.
#ifndef ATOMICFILE_H
#define ATOMICFILE_H

#include <QByteArray>
#include <QString>

// error says why it failed.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

#endif
