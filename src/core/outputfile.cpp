// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outputfile.h"

#include "core/coretext.h"

#include "core/atomicfile.h"
#include "core/diaryfolder.h"
#include "core/regularfile.h"

#include <QDir>

namespace OutputFile {

QString refusal(const QString &path)
{
    // The same real path catches a file not there yet; the same inode a hard
    // link or a path through /proc.
    const QString real = RegularFile::realPath(path);
    const FileStamp target = RegularFile::stampOf(path);
    for (const DiaryFolder::File file : DiaryFolder::files()) {
        const QString kept = DiaryFolder::path(file);
        const QString keptReal = RegularFile::realPath(kept);
        const FileStamp stamp = RegularFile::stampOf(kept);
        if (keptReal == real || (target.exists && stamp.exists && target.device == stamp.device &&
                                 target.inode == stamp.inode))
            return DiaryText::tr("it is %1 \"%2\"; choose another file.")
                .arg(DiaryFolder::description(file), QDir::toNativeSeparators(keptReal));
    }
    return RegularFile::notRegularReason(path);
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    *error = refusal(path);
    return error->isEmpty() && writeFileAtomically(path, bytes, error);
}

} // namespace OutputFile
