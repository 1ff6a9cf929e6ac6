#include "core/diaryfile.h"

#include "core/diary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace DiaryFile {

namespace {

constexpr qsizetype chunkSize = 1 << 20;

bool syncDirectoryOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Every write is checked: a short write on a full disk must not pass. The
// device's own error text is often empty here, so the system's is kept.
bool writeAll(QFileDevice &file, const QByteArray &bytes, QString *error)
{
    errno = 0;
    if (file.write(bytes) == bytes.size())
        return true;
    *error = errno ? systemError() : file.errorString();
    return false;
}

bool flushAndSync(QFileDevice &file, QString *error)
{
    errno = 0;
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        *error = errno ? systemError() : file.errorString();
        return false;
    }
    return true;
}

QString isDirectoryError()
{
    return QStringLiteral("it is a directory, not a file.");
}

} // namespace

void loadBytes(const char *data, qsizetype size, Diary &diary, bool *matchesSave)
{
    qsizetype lines = 0;
    for (const char *p = data, *end = data + size;
         (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p)
        ++lines;
    diary.reserve(lines + 1 + 1024);

    bool exact = true;
    qsizetype start = 0;
    while (start < size) {
        const void *newline = std::memchr(data + start, '\n', size_t(size - start));
        qsizetype end = newline ? static_cast<const char *>(newline) - data : size;
        const qsizetype next = newline ? end + 1 : size;
        if (!newline)
            exact = false; // saving adds the missing line feed
        else if (end > start && data[end - 1] == '\r') {
            --end; // a CR before the line feed is not part of the entry
            exact = false;
        }
        if (!diary.prependLine(data + start, end - start))
            exact = false;
        start = next;
    }
    if (matchesSave)
        *matchesSave = exact;
}

LoadResult load(const QString &path, Diary &diary)
{
    LoadResult result;
    if (!QFileInfo::exists(path)) {
        result.status = LoadResult::Missing;
        return result;
    }
    result.status = LoadResult::Failed;
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        result.error = isDirectoryError();
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    // Mapping spares copying a diary of decades; a file that cannot be
    // mapped (empty, or not a regular file) is read instead.
    const qint64 size = file.size();
    uchar *mapped = size > 0 ? file.map(0, size, QFileDevice::MapPrivateOption) : nullptr;
    QByteArray bytes;
    if (!mapped) {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            result.error = file.errorString();
            return result;
        }
    }
    const char *data = mapped ? reinterpret_cast<const char *>(mapped) : bytes.constData();
    loadBytes(data, mapped ? size : bytes.size(), diary, &result.matchesSave);
    if (mapped)
        file.unmap(mapped);
    result.status = LoadResult::Loaded;
    return result;
}

bool save(const QString &path, const Diary &diary, QString *error)
{
    QSaveFile file(path);
    if (QFileInfo(path).isDir()) {
        *error = isDirectoryError();
        return false;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    QByteArray chunk;
    chunk.reserve(chunkSize + 4096);
    bool ok = true;
    for (int row = diary.rowCount() - 1; row >= 0 && ok; --row) {
        diary.appendLine(row, chunk);
        if (chunk.size() >= chunkSize) {
            ok = writeAll(file, chunk, error);
            chunk.clear();
        }
    }
    ok = ok && writeAll(file, chunk, error) && flushAndSync(file, error);
    if (!ok) {
        file.cancelWriting();
        file.commit(); // only removes the temporary
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

bool appendTopRow(const QString &path, const Diary &diary, QString *error)
{
    if (diary.rowCount() == 0)
        return true;
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    const qint64 oldSize = file.size();
    QByteArray line;
    diary.appendLine(0, line);
    if (!writeAll(file, line, error) || !flushAndSync(file, error)) {
        // Leave no half line behind.
        file.resize(oldSize);
        ::fsync(file.handle());
        return false;
    }
    if (!existed)
        syncDirectoryOf(path);
    return true;
}

void removeStaleTemporaries(const QString &path)
{
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    const QRegularExpression temporary(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(info.fileName())));
    const QStringList names = dir.entryList({info.fileName() + QStringLiteral(".*")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    // A random suffix has digits or mixed case; a word such as "backup" is
    // the user's own file and stays.
    const QRegularExpression oneWord(QStringLiteral("\\.([a-z]{6}|[A-Z]{6})$"));
    for (const QString &name : names) {
        if (temporary.match(name).hasMatch() && !oneWord.match(name).hasMatch())
            dir.remove(name);
    }
}

} // namespace DiaryFile
