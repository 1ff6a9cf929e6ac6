// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diarylock.h"

#include "core/coretext.h"

#include "core/diaryfolder.h"

#include <QFile>

#include <sys/stat.h>

DiaryLock::DiaryLock(const QString &diaryPath)
    : m_path(DiaryFolder::pathBeside(DiaryFolder::File::Lock, diaryPath)), m_lock(m_path)
{
    // Never time out a live holder: a diary may stay open for days. A lock
    // whose process is gone is still recognised as stale.
    m_lock.setStaleLockTime(0);
}

DiaryLock::Result DiaryLock::tryLock()
{
    // QLockFile would see its own lock as another's.
    if (m_lock.isLocked())
        return Locked;
    if (m_lock.tryLock(0)) {
        // Made anew by every holder: only the person may read who holds it.
        ::chmod(QFile::encodeName(m_path).constData(), 0600);
        return Locked;
    }
    return m_lock.error() == QLockFile::LockFailedError ? HeldByOther : CannotLock;
}

QString DiaryLock::holder() const
{
    qint64 pid = 0;
    QString host, application;
    if (!m_lock.getLockInfo(&pid, &host, &application))
        return QString();
    return DiaryText::tr("process %1 on %2").arg(pid).arg(host);
}

QString DiaryLock::errorText() const
{
    return m_lock.error() == QLockFile::PermissionError
               ? DiaryText::tr("permission denied")
               : DiaryText::tr("the lock file cannot be created");
}
