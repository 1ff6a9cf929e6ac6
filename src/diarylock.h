// A lock beside the diary, so that two copies of Mellidor never write over
// each other's entries. A lock left by a crashed copy is taken over.
#ifndef DIARYLOCK_H
#define DIARYLOCK_H

#include <QLockFile>
#include <QString>

class DiaryLock
{
public:
    explicit DiaryLock(const QString &diaryPath);
    bool tryLock();
    // Who holds the lock, for the message when tryLock() fails.
    QString holder() const;

private:
    QLockFile m_lock;
};

#endif
