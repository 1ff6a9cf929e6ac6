// SPDX-License-Identifier: GPL-3.0-or-later
// A lock beside the diary, so that two copies of Mellidor never write over
// each other's entries. It sits beside the real file, symlinks resolved, so
// every path to one diary shares it. A lock left by a crashed copy is taken
// over.
#ifndef DIARYLOCK_H
#define DIARYLOCK_H

#include <QLockFile>
#include <QString>

class DiaryLock
{
public:
    enum Result
    {
        Locked,
        HeldByOther,
        CannotLock
    };

    explicit DiaryLock(const QString &diaryPath);
    // May be called again after a failure (a full disk, a folder not
    // writable at start); Locked at once while this object holds the lock.
    Result tryLock();
    bool isLocked() const { return m_lock.isLocked(); }
    QString lockFilePath() const { return m_path; }
    // Who holds the lock, for the message when another copy has it.
    QString holder() const;
    QString errorText() const;

private:
    QString m_path;
    QLockFile m_lock;
};

#endif
