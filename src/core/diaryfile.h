// Reading and writing the diary file: one entry line per row, oldest (the
// bottom row) first, every line ended by a line feed.
#ifndef DIARYFILE_H
#define DIARYFILE_H

#include <QString>

class Diary;

namespace DiaryFile {

inline constexpr char fileName[] = "MellidorFile.txt";

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
};

// Reads the file into an empty diary. A missing file leaves it empty; a file
// that cannot be read leaves it empty too and says why.
LoadResult load(const QString &path, Diary &diary);

// Loads a whole file already in memory, as load() does.
void loadBytes(const char *data, qsizetype size, Diary &diary, bool *matchesSave = nullptr);

// Writes every row through a temporary file that replaces the old one only
// once all of it is on disk. On failure the old file is untouched.
bool save(const QString &path, const Diary &diary, QString *error);

// Appends row 0 as the file's last line and makes it durable; the file must
// already hold the other rows exactly as save() writes them. On failure the
// file is cut back to what it held.
bool appendTopRow(const QString &path, const Diary &diary, QString *error);

// Removes temporaries that an interrupted save left beside the file.
void removeStaleTemporaries(const QString &path);

} // namespace DiaryFile

#endif
