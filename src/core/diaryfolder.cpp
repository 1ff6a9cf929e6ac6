// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/diaryfolder.h"

#include "core/coretext.h"
#include "core/regularfile.h"

namespace DiaryFolder {

namespace {

struct Entry
{
    File file;
    const char *name;
    bool besideDiary; // name is a suffix to the diary's real path
    const char *description;
};

const Entry table[] = {
    {File::Diary, "MellidorFile.txt", false, QT_TRANSLATE_NOOP("Diary", "the diary")},
    {File::Settings, "Settings/Mellidor.conf", false,
     QT_TRANSLATE_NOOP("Diary", "the settings file")},
    {File::Preferences, "Settings/Preferences.conf", false,
     QT_TRANSLATE_NOOP("Diary", "the preferences file")},
    {File::Nightscout, "Settings/Nightscout.conf", false,
     QT_TRANSLATE_NOOP("Diary", "the Nightscout settings file")},
    {File::Lock, ".lock", true, QT_TRANSLATE_NOOP("Diary", "the diary's lock file")},
    {File::Journal, ".journal", true, QT_TRANSLATE_NOOP("Diary", "the diary's journal")},
};

const Entry &entry(File file)
{
    return table[int(file)];
}

} // namespace

std::vector<File> files()
{
    std::vector<File> all;
    for (const Entry &e : table)
        all.push_back(e.file);
    return all;
}

QString path(File file)
{
    return pathBeside(file, QString::fromLatin1(entry(File::Diary).name));
}

QString pathBeside(File file, const QString &diaryPath)
{
    const Entry &e = entry(file);
    return e.besideDiary ? RegularFile::realPath(diaryPath) + QLatin1String(e.name)
                         : QString::fromLatin1(e.name);
}

QString description(File file)
{
    return DiaryText::tr(entry(file).description);
}

} // namespace DiaryFolder
