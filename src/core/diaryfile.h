// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the diary file: one entry line per row, oldest (the
// bottom row) first, every line ended by a line feed.
#ifndef DIARYFILE_H
#define DIARYFILE_H

#include "core/regularfile.h"

#include <QString>

#include <functional>

class Diary;

namespace DiaryFile {

// Device, inode, size, modification and change time: when the file's stamp
// is no longer the one of the last read or write, another program changed
// it.
using Stamp = FileStamp;
inline Stamp stampOf(const QString &path)
{
    return RegularFile::stampOf(path);
}

struct LoadResult
{
    enum Status
    {
        Loaded,
        Missing,
        Failed
    };
    Status status = Missing;
    QString error;
    // The file holds exactly what saving the loaded rows would write.
    bool matchesSave = false;
    // Its lines end with a CR alone (old Mac files): read as lines all the
    // same, and kept as they are until a change is saved.
    bool crLineEnds = false;
    // What was read; exists is false when the file is missing or unread.
    Stamp stamp;
};

// Reads the file into an empty diary. A missing file leaves it empty; a file
// that cannot be read (also one that is not a regular file) leaves it empty
// too and says why. The file is read, not mapped, so one cut short meanwhile
// costs no crash; one that changes while read is read again. A large file is
// read in pieces side by side, one a core, or in the given number of pieces.
// The lines of an append that never finished (its journal says so) are left
// out.
LoadResult load(const QString &path, Diary &diary, int pieces = 0);

// Loads a whole file already in memory, as load() does.
void loadBytes(const char *data, qsizetype size, Diary &diary, bool *matchesSave = nullptr);

// Writes every row in place of whatever file is there now, as saveOver()
// does: the new file takes the old one's place only once all of it is on
// disk; on failure the old file is untouched. Symlinks are followed; anything
// but a regular file at the end is refused. written, when given, receives the
// stamp of the new file.
bool save(const QString &path, const Diary &diary, QString *error, Stamp *written = nullptr);

// Saves every row as save() does, but only over the file last read or
// written (expected). The new file takes the old one's place in one atomic
// exchange, and the old one is looked at after it: when another program had
// changed or replaced it meanwhile, it goes back at once, nothing is saved
// and ChangedOutside is returned, for the caller to read the file again and
// make its change anew. written receives the stamp of the file saved.
enum class SaveOutcome
{
    Saved,
    ChangedOutside,
    Failed
};
// (expected is taken by value: written may point at the same stamp.)
SaveOutcome saveOver(const QString &path, const Diary &diary, Stamp expected, Stamp *written,
                     QString *error);

// Appends the top count rows as the file's last lines (row 0 last) in one
// write and makes them durable; the file must already hold the other rows
// exactly as save() writes them. A last line without a line feed gets one
// first. On failure the file is cut back to what it held. Whatever stops the
// process, the file holds all of the lines or, once the next open has
// tidied up, none: an append longer than one write that lands whole is
// announced in a journal beside the diary (DiaryFolder::File::Journal:
// device, inode, size before and after) that goes once the lines are on
// disk; SIGINT, SIGTERM and SIGHUP wait until then. A read-only diary (see
// RegularFile::isReadOnly) is refused by this and by saveOver().
//
// stamp, when given, is the file as last read or written: nothing is written
// unless the file opened is still that one (a file that existed must still
// exist; one that did not may only have appeared empty). Then false is
// returned and *changedOutside set. On success *stamp describes the file now.
bool appendTopRows(const QString &path, const Diary &diary, int count, QString *error,
                   Stamp *stamp = nullptr, bool *changedOutside = nullptr);
inline bool appendTopRow(const QString &path, const Diary &diary, QString *error,
                         Stamp *stamp = nullptr, bool *changedOutside = nullptr)
{
    return appendTopRows(path, diary, 1, error, stamp, changedOutside);
}

// For tests: called just after saveOver() swapped its file in, with the
// name the file it replaced has then.
void setSwapHookForTesting(std::function<void(const QString &replaced)> hook);

// For the holder of the diary's lock, before its first write: cuts an
// append that never finished back to where the file ended before it, and
// removes the temporaries a stopped save left (only names of our own).
void tidyUp(const QString &path);

} // namespace DiaryFile

#endif
