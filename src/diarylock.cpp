#include "diarylock.h"

DiaryLock::DiaryLock(const QString &diaryPath) : m_lock(diaryPath + QStringLiteral(".lock"))
{
    // Never time out a live holder: a diary may stay open for days.
    m_lock.setStaleLockTime(0);
}

bool DiaryLock::tryLock()
{
    return m_lock.tryLock(0);
}

QString DiaryLock::holder() const
{
    qint64 pid = 0;
    QString host, application;
    if (!m_lock.getLockInfo(&pid, &host, &application))
        return QString();
    return QStringLiteral("process %1 on %2").arg(pid).arg(host);
}
