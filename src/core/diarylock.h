// A lock beside the diary, so that two copies of Mellidor never write over
// each other's entries. A lock left by a crashed copy is taken over.
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
    Result tryLock();
    // Who holds the lock, for the message when another copy has it.
    QString holder() const;
    QString errorText() const;

private:
    QLockFile m_lock;
};

#endif
