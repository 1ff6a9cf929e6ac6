// SPDX-License-Identifier: GPL-3.0-or-later
// The files of a diary folder, in one table: the only place their names are
// spelled. Paths are relative to the folder (the working directory); the lock
// and the journal sit beside the diary's real file, symlinks resolved, so
// every path to one diary finds the same ones.
#ifndef DIARYFOLDER_H
#define DIARYFOLDER_H

#include <QString>

#include <vector>

namespace DiaryFolder {

enum class File
{
    Diary,
    Settings,
    Preferences,
    Nightscout,
    Lock,
    Journal
};

// Every file of the table, in its order.
std::vector<File> files();

// The file's path in the folder.
QString path(File file);
// The path of a file that sits beside the diary at diaryPath (the lock,
// the journal); the others' path as above.
QString pathBeside(File file, const QString &diaryPath);
// What the file is, for messages: "the diary", "the settings file", ...
QString description(File file);

} // namespace DiaryFolder

#endif
