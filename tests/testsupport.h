// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the tests: a private working directory and file bytes.
// The window's tests have more in windowtestsupport.h.
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class Diary;

// Makes a fresh temporary directory the working directory for its lifetime.
class WorkDir
{
public:
    WorkDir();
    explicit WorkDir(const QByteArray &diary); // with a diary file of these bytes
    ~WorkDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString diary() const { return file(QStringLiteral("MellidorFile.txt")); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

void writeBytes(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
// The bytes of tests/data/name; a missing file fails the test.
QByteArray testData(const char *name);
// The diary that these bytes of a diary file load into.
Diary diaryOf(const QByteArray &bytes);
// The standard output of a program run to its end.
QString outputOf(const QString &program, const QStringList &arguments);

// A character device for a test to aim at: one made at name (root may, as
// in CI), else the system's /dev/null, which only root could replace.
QString makeDevice(const QString &name);

// Runs work with every file limited to the given size, as on a full disk.
void withFileSizeLimit(qint64 bytes, const std::function<void()> &work);

// Skips the running test when a program it starts is not installed.
#define SKIP_WITHOUT_TOOL(tool)                                                                    \
    do {                                                                                           \
        if (QStandardPaths::findExecutable(QStringLiteral(tool)).isEmpty())                        \
            QSKIP(tool " is not installed");                                                       \
    } while (false)

#endif
