// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outputfile.h"

#include "core/coretext.h"

#include "core/atomicfile.h"
#include "core/diaryfile.h"
#include "core/diarylock.h"
#include "core/regularfile.h"
#include "core/settings.h"

#include <QDir>

namespace OutputFile {

QString refusal(const QString &path)
{
    const QString diary = QString::fromLatin1(DiaryFile::fileName);
    const struct
    {
        QString path;
        QString what;
    } kept[] = {
        {diary, DiaryText::tr("the diary")},
        {QString::fromLatin1(SettingsFile::fileName), DiaryText::tr("the settings file")},
        {DiaryLock(diary).lockFilePath(), DiaryText::tr("the diary's lock file")},
    };
    // The same real path catches a file not there yet; the same inode a hard
    // link or a path through /proc.
    const QString real = RegularFile::realPath(path);
    const FileStamp target = RegularFile::stampOf(path);
    for (const auto &[keptPath, what] : kept) {
        const QString keptReal = RegularFile::realPath(keptPath);
        const FileStamp stamp = RegularFile::stampOf(keptPath);
        if (keptReal == real || (target.exists && stamp.exists && target.device == stamp.device &&
                                 target.inode == stamp.inode))
            return DiaryText::tr("it is %1 \"%2\"; choose another file.")
                .arg(what, QDir::toNativeSeparators(keptReal));
    }
    return RegularFile::notRegularReason(path);
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    *error = refusal(path);
    return error->isEmpty() && writeFileAtomically(path, bytes, error);
}

} // namespace OutputFile
