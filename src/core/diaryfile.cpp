// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diaryfile.h"

#include "core/coretext.h"

#include "core/atomicfile.h"
#include "core/deferredtermination.h"
#include "core/diary.h"
#include "core/diaryfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace DiaryFile {

namespace {

constexpr qsizetype chunkSize = 1 << 20;
// Below this much a core, a thread of its own costs more than it saves.
constexpr qint64 piecePerCore = qint64(8) << 20;
constexpr int maxPieces = 8;

// Room for the rows to come: new entries, and an import of a year into a
// decade, which would otherwise copy all rows to a larger place. Untouched,
// it costs address space only.
qsizetype withRoom(qsizetype lines)
{
    return lines + 1 + 1024 + lines / 8;
}

qsizetype countLines(const char *data, qsizetype size)
{
    qsizetype lines = 0;
    for (const char *p = data, *end = data + size;
         (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)))); ++p)
        ++lines;
    return lines;
}

using Marks = std::vector<Diary::FileMark>;

// Adds every line of data that a line feed ends and that starts before
// limit as a row; returns where the first line not added begins. data lies
// at offset in the file: marks get where every fileMarkEvery-th row ends.
qsizetype prependLines(const char *data, qsizetype size, qsizetype limit, Diary &diary, bool &exact,
                       qint64 offset, Marks &marks)
{
    qsizetype start = 0;
    auto rows = size_t(diary.rowCount());
    while (start < limit) {
        const void *newline = std::memchr(data + start, '\n', size_t(size - start));
        if (!newline)
            break;
        qsizetype end = static_cast<const char *>(newline) - data;
        const qsizetype next = end + 1;
        if (end > start && data[end - 1] == '\r') {
            --end; // a CR before the line feed is not part of the entry
            exact = false;
        }
        if (!diary.prependLine(data + start, end - start))
            exact = false;
        start = next;
        if (++rows % Diary::fileMarkEvery == 0)
            marks.push_back(Diary::FileMark{qsizetype(rows), offset + next});
    }
    return start;
}

void prependLastLine(const char *data, qsizetype size, Diary &diary, bool &exact)
{
    if (size == 0)
        return;
    exact = false; // saving adds the missing line feed
    diary.prependLine(data, size);
}

qsizetype readAt(int fd, char *into, qsizetype size, qint64 offset)
{
    for (;;) {
        const ssize_t got = ::pread(fd, into, size_t(size), off_t(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

// Reads the lines that start from begin up to end into diary, in chunks
// through a buffer that is reused, so the file is never held whole; a line
// longer than the buffer grows it. Nothing from stop on is read. A piece
// that does not start the file begins one byte early, to see whether a line
// starts at begin or runs over it from the piece before.
bool readPiece(int fd, qint64 begin, qint64 end, qint64 stop, Diary &diary, bool &exact,
               Marks &marks)
{
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qint64 base = begin > 0 ? begin - 1 : 0; // the file offset of buffer[0]
    bool seeking = begin > 0;
    qsizetype kept = 0;
    for (;;) {
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2);
        const qsizetype room =
            qsizetype(std::min<qint64>(buffer.size() - kept, stop - base - kept));
        const qsizetype got = room > 0 ? readAt(fd, buffer.data() + kept, room, base + kept) : 0;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const qsizetype filled = kept + got;
        qsizetype first = 0;
        if (seeking) {
            const void *newline = std::memchr(buffer.constData(), '\n', size_t(filled));
            if (!newline) {
                base += filled;
                kept = 0;
                continue;
            }
            first = static_cast<const char *>(newline) - buffer.constData() + 1;
            seeking = false;
        }
        const qsizetype limit = qsizetype(std::min<qint64>(filled, end - base));
        const qsizetype rest =
            first + prependLines(buffer.constData() + first, filled - first, limit - first, diary,
                                 exact, base + first, marks);
        if (base + rest >= end)
            return true;
        kept = filled - rest;
        std::memmove(buffer.data(), buffer.constData() + rest, size_t(kept));
        base += rest;
    }
    if (!seeking)
        prependLastLine(buffer.constData(), kept, diary, exact);
    return true;
}

// Reads the file up to stop in pieces side by side, one a core for a large
// file; the rows of each piece go on top of those before it.
bool readLines(int fd, qint64 stop, Diary &diary, bool &exact, int pieces, Marks &marks)
{
    const qint64 size = std::min(RegularFile::stampOf(fd).size, stop);
    // About the shortest line the dialogs write: room for every line without
    // counting them first (for a file of sane size: beyond, rows grow as read).
    constexpr qint64 shortLine = 24;
    diary.reserve(withRoom(qsizetype(std::clamp<qint64>(size / shortLine, 0, 1 << 26))));
    if (pieces <= 0) {
        const int cores = std::clamp(int(std::thread::hardware_concurrency()), 1, maxPieces);
        pieces = int(std::clamp<qint64>(size / piecePerCore, 1, cores));
    }
    std::vector<Diary> above(size_t(pieces - 1));
    std::vector<char> done(above.size()), same(above.size(), true);
    std::vector<Marks> aboveMarks(above.size());
    std::vector<std::thread> threads;
    const auto boundary = [size, pieces](int piece) {
        return piece == pieces ? std::numeric_limits<qint64>::max() : size / pieces * piece;
    };
    const auto readAbove = [&](int piece) {
        Diary &part = above[size_t(piece - 1)];
        part.reserve(qsizetype(std::clamp<qint64>(size / pieces / shortLine, 0, 1 << 26)));
        bool pieceExact = true;
        done[size_t(piece - 1)] = readPiece(fd, boundary(piece), boundary(piece + 1), stop, part,
                                            pieceExact, aboveMarks[size_t(piece - 1)]);
        same[size_t(piece - 1)] = pieceExact;
    };
    for (int piece = 1; piece < pieces; ++piece) {
        try {
            threads.emplace_back(readAbove, piece);
        } catch (const std::system_error &) {
            readAbove(piece); // no thread to spare: this one reads it
        }
    }
    bool ok = readPiece(fd, 0, boundary(1), stop, diary, exact, marks);
    for (std::thread &thread : threads)
        thread.join();
    for (size_t i = 0; i < above.size(); ++i) {
        ok = ok && done[i];
        exact = exact && same[i];
        const int below = diary.rowCount();
        for (Diary::FileMark mark : aboveMarks[i])
            marks.push_back(Diary::FileMark{below + mark.rows, mark.bytes});
        diary.placeOnTop(std::move(above[i]));
    }
    return ok;
}

bool readFully(int fd, char *into, qint64 size)
{
    for (qint64 done = 0; done < size;) {
        const qsizetype got = readAt(fd, into + done, qsizetype(size - done), done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

// A file saved with old Mac line ends holds no line feed at all: its lines
// end at the CRs, as the import reads them. False for any other file.
bool readCrLines(int fd, qint64 size, Diary &diary)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!readFully(fd, bytes.data(), size) || bytes.contains('\n') || !bytes.contains('\r'))
        return false;
    bytes.replace('\r', '\n');
    diary.clear();
    loadBytes(bytes.constData(), bytes.size(), diary);
    return true;
}

// The journal of an append: which file it went to and where that file
// ended before and after it. It exists only while an append of more than a
// page is on its way.
struct Journal
{
    quint64 device = 0, inode = 0;
    qint64 before = 0, after = 0;
    bool valid = false;

    // The append to this file did not finish: what lies beyond before is
    // not the diary's.
    bool unfinishedIn(const Stamp &stamp) const
    {
        return valid && stamp.exists && stamp.device == device && stamp.inode == inode &&
               stamp.size > before && stamp.size < after;
    }
};

QByteArray journalName(const QString &path)
{
    return QFile::encodeName(DiaryFolder::pathBeside(DiaryFolder::File::Journal, path));
}

Journal readJournal(const QString &path)
{
    Journal journal;
    const QByteArray text = RegularFile::readSmall(QFile::decodeName(journalName(path)), 256);
    unsigned long long device = 0, inode = 0;
    long long before = 0, after = 0;
    journal.valid =
        std::sscanf(text.constData(), "%llu %llu %lld %lld", &device, &inode, &before, &after) == 4;
    journal.device = device;
    journal.inode = inode;
    journal.before = before;
    journal.after = after;
    return journal;
}

bool writeJournal(const QString &path, const Stamp &file, qint64 after, QString *error)
{
    const QByteArray name = journalName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    const QByteArray text = QByteArray::number(file.device) + ' ' + QByteArray::number(file.inode) +
                            ' ' + QByteArray::number(file.size) + ' ' + QByteArray::number(after) +
                            '\n';
    const bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size() &&
                    ::fsync(fd) == 0 && syncDirectoryOf(QFile::decodeName(name));
    if (!ok)
        *error = systemError();
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        ::unlink(name.constData());
    return ok;
}

bool writeAll(int fd, const QByteArray &bytes, qsizetype *done)
{
    while (*done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + *done, size_t(bytes.size() - *done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        *done += put;
    }
    return true;
}

} // namespace

void loadBytes(const char *data, qsizetype size, Diary &diary, bool *matchesSave)
{
    diary.reserve(withRoom(countLines(data, size)));
    bool exact = true;
    Marks marks; // of no file
    const qsizetype rest = prependLines(data, size, size, diary, exact, 0, marks);
    prependLastLine(data + rest, size - rest, diary, exact);
    if (matchesSave)
        *matchesSave = exact;
}

LoadResult load(const QString &path, Diary &diary, int pieces)
{
    LoadResult result;
    bool missing = false;
    const int fd = RegularFile::open(path, O_RDONLY, &result.error, &missing);
    if (fd < 0) {
        result.status = missing ? LoadResult::Missing : LoadResult::Failed;
        if (missing)
            result.error.clear();
        return result;
    }
    // Read, not mapped: a mapped file that another program cuts short kills
    // the reader with SIGBUS. A file that changed while it was read is read
    // again; if it never holds still, the stamp from before the read makes
    // the next save see the change.
    const Journal journal = readJournal(path);
    Stamp before;
    for (int attempt = 0;; ++attempt) {
        before = RegularFile::stampOf(fd);
        // The lines of an append that never finished are not read, and the
        // next save writes the file whole without them.
        const bool unfinished = journal.unfinishedIn(before);
        bool exact = !unfinished;
        result.crLineEnds = false;
        Marks marks;
        if (!readLines(fd, unfinished ? journal.before : std::numeric_limits<qint64>::max(), diary,
                       exact, pieces, marks)) {
            result.status = LoadResult::Failed;
            result.error = systemError();
            diary.clear();
            ::close(fd);
            return result;
        }
        if (diary.rowCount() == 1 && !unfinished && readCrLines(fd, before.size, diary)) {
            exact = false;
            result.crLineEnds = true;
        }
        result.matchesSave = exact;
        const bool still = RegularFile::stampOf(fd) == before;
        if (still && exact)
            diary.setFileLayout(Diary::FileLayout{before, std::move(marks)});
        if (still || attempt == 2)
            break;
        diary.clear();
    }
    ::close(fd);
    result.stamp = before;
    result.status = LoadResult::Loaded;
    return result;
}

bool save(const QString &path, const Diary &diary, QString *error, Stamp *written)
{
    Stamp ours;
    for (int round = 0; round < 20; ++round) {
        // Whatever is there now is what gets replaced.
        switch (saveOver(path, diary, stampOf(path), &ours, error)) {
        case SaveOutcome::Saved:
            if (written)
                *written = ours;
            return true;
        case SaveOutcome::Failed:
            return false;
        case SaveOutcome::ChangedOutside:
            break;
        }
    }
    *error = DiaryText::tr("another program keeps changing it.");
    return false;
}

namespace {

// Copies the first bytes of the file at target into out, while that is
// still the file of stamp. (The swap sees only the file at the path by
// then; the bytes must come from the one the marks describe.) False when it
// is not, or cannot be copied: out may then hold part of it.
bool copyStart(const QByteArray &target, const Stamp &stamp, qint64 bytes, int out)
{
    const int in = ::open(target.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return false;
    bool ok = RegularFile::stampOf(in) == stamp;
    for (loff_t from = 0; ok && from < bytes;) {
        const ssize_t copied = ::copy_file_range(in, &from, out, nullptr, size_t(bytes - from), 0);
        ok = copied > 0 || (copied < 0 && errno == EINTR);
    }
    ok = ok && RegularFile::stampOf(in) == stamp;
    ::close(in);
    return ok;
}

// Writes the rows above the bottom `written.rows` ones into fd, which holds
// those already, oldest first, and makes them durable. marks, holding those
// of the rows in fd, get those of the rows written.
bool writeRows(int fd, const Diary &diary, Diary::FileMark written, Marks &marks, QString *error)
{
    QByteArray chunk;
    chunk.reserve(chunkSize + 4096);
    const int rows = diary.rowCount();
    for (int row = rows - 1 - int(written.rows); row >= -1; --row) {
        if (row >= 0) {
            diary.appendLine(row, chunk);
            const auto below = size_t(rows - row);
            if (below % Diary::fileMarkEvery == 0)
                marks.push_back(Diary::FileMark{qsizetype(below), written.bytes + chunk.size()});
        }
        if (chunk.size() >= chunkSize || (row < 0 && !chunk.isEmpty())) {
            qsizetype done = 0;
            if (!writeAll(fd, chunk, &done)) {
                *error = systemError();
                return false;
            }
            written.bytes += chunk.size();
            chunk.clear();
        }
    }
    if (::fsync(fd) != 0) {
        *error = systemError();
        return false;
    }
    return true;
}

// Our temporaries are named "." + the diary's name + "." + eight hex
// digits: a name no backup of the person's has, so a later save may remove
// one that a stopped save left.
QString temporaryName(const QString &real)
{
    const QFileInfo info(real);
    return info.absolutePath() +
           QStringLiteral("/.%1.%2")
               .arg(info.fileName())
               .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

bool isTemporaryName(const QString &name, const QString &diaryName)
{
    const QString prefix = u'.' + diaryName + u'.';
    if (name.size() != prefix.size() + 8 || !name.startsWith(prefix))
        return false;
    return std::all_of(name.cbegin() + prefix.size(), name.cend(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
    });
}

// A file of another program's that must stay, under a name no save removes.
void keepBeside(const QByteArray &file, const QString &real)
{
    const QByteArray kept = QFile::encodeName(
        real + QStringLiteral(".conflict-%1")
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    ::renameat2(AT_FDCWD, file.constData(), AT_FDCWD, kept.constData(), RENAME_NOREPLACE);
}

// Appends bytes from of ours to target.
bool appendFrom(int ours, qint64 from, qint64 to, const QByteArray &target)
{
    QByteArray tail(qsizetype(to - from), Qt::Uninitialized);
    for (qint64 done = 0; done < tail.size();) {
        const qsizetype got = readAt(ours, tail.data() + done, tail.size() - done, from + done);
        if (got <= 0)
            return false;
        done += got;
    }
    const int out = ::open(target.constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (out < 0)
        return false;
    qsizetype done = 0;
    const bool ok = writeAll(out, tail, &done) && ::fsync(out) == 0;
    ::close(out);
    return ok;
}

// Lines another program appended to ours while it stood at the path belong
// to its file, which is back there now. A writer that opened ours just
// before may not have written yet: what comes is moved until ours has held
// still for a while (a few times a busy system's scheduling delay).
bool handBackLines(int ours, qint64 from, const QByteArray &target)
{
    using Clock = std::chrono::steady_clock;
    using namespace std::chrono_literals;
    const Clock::time_point start = Clock::now();
    for (Clock::time_point moved = start; Clock::now() - moved < 25ms && Clock::now() - start < 2s;
         std::this_thread::sleep_for(1ms)) {
        const qint64 size = RegularFile::stampOf(ours).size;
        if (size > from) {
            if (!appendFrom(ours, from, size, target))
                return false;
            from = size;
            moved = Clock::now();
        }
    }
    return true;
}

std::function<void(const QString &)> swapHook;

QString readOnlyText()
{
    return DiaryText::tr("the diary is read-only.");
}

} // namespace

SaveOutcome saveOver(const QString &path, const Diary &diary, const Stamp expected, Stamp *written,
                     QString *error)
{
    if (const QString reason = RegularFile::notRegularReason(path); !reason.isEmpty()) {
        *error = reason;
        return SaveOutcome::Failed;
    }
    // Its mode says keep it as it is, also to root.
    if (RegularFile::isReadOnly(path)) {
        *error = readOnlyText();
        return SaveOutcome::Failed;
    }
    const DeferredTermination deferred;
    // Work beside the real file: exchanging a symlink would leave it behind.
    const QString real = RegularFile::realPath(path);
    const QByteArray target = QFile::encodeName(real);
    const QString folder = QFileInfo(real).absolutePath();
    QByteArray temporary;
    // An unnamed file first, so that a crash while writing leaves nothing
    // behind; it gets a name only just before the swap.
    int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    for (int attempt = 0; !unnamed && fd < 0 && attempt < 10; ++attempt) {
        temporary = QFile::encodeName(temporaryName(real));
        fd = ::open(temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *error = systemError();
        return SaveOutcome::Failed;
    }
    // The new file keeps the old one's permissions.
    struct stat old;
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    const auto fail = [&] {
        ::close(fd);
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return SaveOutcome::Failed;
    };
    // Rows unchanged since the file was read or written are copied from it.
    const Diary::FileLayout &layout = diary.fileLayout();
    Marks marks;
    Diary::FileMark copied{0, 0};
    if (layout.stamp == expected && !layout.marks.empty()) {
        if (copyStart(target, expected, layout.marks.back().bytes, fd)) {
            copied = layout.marks.back();
            marks = layout.marks;
        } else if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
            *error = systemError();
            return fail();
        }
    }
    if (!writeRows(fd, diary, copied, marks, error))
        return fail();
    for (int attempt = 0; unnamed && temporary.isEmpty(); ++attempt) {
        const QByteArray name = QFile::encodeName(temporaryName(real));
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
            0)
            temporary = name;
        else if (errno != EEXIST || attempt == 10) {
            *error = systemError();
            return fail();
        }
    }
    const Stamp ours = RegularFile::stampOf(fd);
    const char *from = temporary.constData();
    const char *to = target.constData();
    // The swap moves the change time of both files, so an edit in place
    // whose modification time was put back shows only before it.
    if (const Stamp there = RegularFile::stampOf(real);
        expected.exists && there.exists && there != expected) {
        ::unlink(from);
        ::close(fd);
        return SaveOutcome::ChangedOutside;
    }

    // Swap in one step, then see what was there: a change made just before
    // the swap is in the file that comes out, and that file goes straight
    // back, so ours is seen only for that moment.
    int swapped = ::renameat2(AT_FDCWD, from, AT_FDCWD, to,
                              expected.exists ? RENAME_EXCHANGE : RENAME_NOREPLACE);
    if (swapped != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without these: compare, then rename over.
        if (RegularFile::stampOf(real) == expected)
            swapped = ::rename(from, to);
        else
            errno = EEXIST;
    }
    if (swapped != 0) {
        const int reason = errno;
        ::unlink(from);
        ::close(fd);
        if (reason == ENOENT && expected.exists) {
            // Gone meanwhile: not an empty diary; write the list in its place.
            return saveOver(path, diary, Stamp(), written, error);
        }
        if (reason == EEXIST)
            return SaveOutcome::ChangedOutside; // created or changed by someone else
        errno = reason;
        *error = systemError();
        return SaveOutcome::Failed;
    }
    if (swapHook)
        swapHook(QFile::decodeName(temporary));
    if (expected.exists &&
        !RegularFile::stampOf(QFile::decodeName(temporary)).sameContentAs(expected)) {
        ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        // What comes out now is ours, unless yet another file took the place
        // meanwhile: then that one goes back, and theirs stays beside it.
        const Stamp out = RegularFile::stampOf(QFile::decodeName(temporary));
        if (out.device != ours.device || out.inode != ours.inode) {
            ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
            keepBeside(temporary, real);
        } else if (!handBackLines(fd, ours.size, target)) {
            keepBeside(temporary, real); // with the lines that could not be moved
        } else {
            ::unlink(from);
        }
        ::close(fd);
        syncDirectoryOf(real);
        return SaveOutcome::ChangedOutside;
    }
    if (expected.exists)
        ::unlink(from);
    // Only ours changed its change time since: unless another program wrote
    // to it already, that is the stamp of the file saved.
    const Stamp now = RegularFile::stampOf(fd);
    ::close(fd);
    *written = now.sameContentAs(ours) ? now : ours;
    diary.setFileLayout(Diary::FileLayout{*written, std::move(marks)});
    syncDirectoryOf(real);
    return SaveOutcome::Saved;
}

namespace {

// Lines appended to the file of before, which is after now, leave the
// others, and so the marks, where they were.
void layoutGrew(const Diary &diary, const Stamp &before, const Stamp &after)
{
    if (diary.fileLayout().stamp == before)
        diary.setFileLayout(Diary::FileLayout{after, diary.fileLayout().marks});
}

} // namespace

bool appendTopRows(const QString &path, const Diary &diary, int count, QString *error, Stamp *stamp,
                   bool *changedOutside)
{
    if (changedOutside)
        *changedOutside = false;
    count = std::min(count, diary.rowCount());
    if (count <= 0)
        return true;
    if (RegularFile::isReadOnly(path)) {
        *error = readOnlyText();
        return false;
    }
    // A file known to exist is never created again: a vanished diary is not
    // an empty one.
    const bool mayCreate = !stamp || !stamp->exists;
    bool missing = false;
    const int fd =
        RegularFile::open(path, O_RDWR | O_APPEND | (mayCreate ? O_CREAT : 0), error, &missing);
    const auto changed = [&] {
        *error = DiaryText::tr("it was changed by another program since Mellidor read it.");
        if (changedOutside)
            *changedOutside = true;
        return false;
    };
    if (fd < 0)
        return stamp && missing ? changed() : false;
    const Stamp found = RegularFile::stampOf(fd);
    if (stamp && (stamp->exists ? found != *stamp : found.size != 0)) {
        ::close(fd);
        return changed();
    }

    QByteArray line;
    char last = '\n';
    if (found.size > 0 && ::pread(fd, &last, 1, found.size - 1) != 1) {
        *error = systemError();
        ::close(fd);
        return false;
    }
    line.reserve(qsizetype(count) * 32 + 1);
    if (last != '\n')
        line += '\n'; // complete the last line first, or the entry joins it
    for (int row = count - 1; row >= 0; --row)
        diary.appendLine(row, line);

    const DeferredTermination deferred;
    // One write within a page lands whole, whatever stops the process; a
    // longer one can be cut short (a kill, a power cut), so a journal first
    // says where the file ended, for the next open to cut it back there.
    constexpr qint64 page = 4096;
    const bool journaled = found.size / page != (found.size + line.size() - 1) / page;
    if (journaled && !writeJournal(path, found, found.size + line.size(), error)) {
        ::close(fd);
        return false;
    }
    qsizetype done = 0;
    bool ok = writeAll(fd, line, &done) && ::fsync(fd) == 0;
    bool whole = true; // the file holds all of the lines or none
    if (!ok) {
        *error = systemError();
        // Leave no half line behind, but only cut what this write added.
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        if (done > 0 && end >= done && RegularFile::stampOf(fd).size == qint64(end) &&
            (::ftruncate(fd, end - done) != 0 || ::fsync(fd) != 0)) {
            whole = false;
            *error +=
                DiaryText::tr(" What was written of the entry stays at the end of the file (%1).")
                    .arg(systemError());
        }
    } else {
        if (found.size == 0)
            syncDirectoryOf(path);
        const Stamp after = RegularFile::stampOf(fd);
        const Stamp now = RegularFile::stampOf(path);
        if (stamp && (now.device != after.device || now.inode != after.inode)) {
            // Another program put a new file in its place while we wrote:
            // the line went to the old one.
            ::unlink(journalName(path).constData());
            ::close(fd);
            return changed();
        }
        // Another program's append just after ours must not pass for ours:
        // then keep the old stamp, so the next look reads it.
        const bool onlyOurs = after.size == found.size + line.size();
        if (stamp)
            *stamp = onlyOurs ? after : found;
        if (onlyOurs)
            layoutGrew(diary, found, after);
    }
    if (journaled && whole)
        ::unlink(journalName(path).constData());
    ::close(fd);
    return ok;
}

void setSwapHookForTesting(std::function<void(const QString &)> hook)
{
    swapHook = std::move(hook);
}

void tidyUp(const QString &path)
{
    const QString real = RegularFile::realPath(path);
    const Journal journal = readJournal(real);
    if (journal.valid) {
        QString error;
        const int fd = RegularFile::open(real, O_RDWR, &error);
        if (fd >= 0) {
            if (journal.unfinishedIn(RegularFile::stampOf(fd)) &&
                ::ftruncate(fd, off_t(journal.before)) == 0)
                ::fsync(fd);
            ::close(fd);
        }
        ::unlink(journalName(real).constData());
    }
    const QFileInfo info(real);
    QDir folder(info.absolutePath());
    const QStringList names = folder.entryList(
        {u'.' + info.fileName() + QStringLiteral(".????????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        struct stat st;
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        if (isTemporaryName(name, info.fileName()) && ::lstat(file.constData(), &st) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(file.constData());
    }
}

} // namespace DiaryFile
