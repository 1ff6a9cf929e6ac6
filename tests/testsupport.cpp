// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "core/diary.h"
#include "core/diaryfile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

WorkDir::WorkDir() : m_previous(QDir::currentPath())
{
    QVERIFY2(m_dir.isValid(), "no temporary directory");
    QDir::setCurrent(m_dir.path());
}

WorkDir::WorkDir(const QByteArray &diary) : WorkDir()
{
    writeBytes(this->diary(), diary);
}

WorkDir::~WorkDir()
{
    QDir::setCurrent(m_previous);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray testData(const char *name)
{
    QFile file(QStringLiteral(MELLIDOR_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        QTest::qFail(qPrintable(file.fileName()), __FILE__, __LINE__);
    return file.readAll();
}

Diary diaryOf(const QByteArray &bytes)
{
    Diary diary;
    DiaryFile::loadBytes(bytes.constData(), bytes.size(), diary);
    return diary;
}

QString outputOf(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString makeDevice(const QString &name)
{
    if (::mknod(QFile::encodeName(name).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        return name;
    return QStringLiteral("/dev/null");
}

void withFileSizeLimit(qint64 bytes, const std::function<void()> &work)
{
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = rlim_t(bytes);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}
