// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the diary reader as a diary file and as a settings
// file, and checks that saving gives every line back: byte for byte where it
// holds its three commas, expanded by the piece rule where it does not.
#include "core/diary.h"
#include "core/diaryfile.h"
#include "core/entrytext.h"
#include "core/settings.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// The line as saving writes it, worked out apart from the diary code.
QByteArray expectedLine(const QByteArray &line)
{
    QByteArray rest = line;
    QByteArray out;
    for (int i = 0; i < 3; ++i) {
        const qsizetype comma = rest.indexOf(',');
        out += (comma < 0 ? rest : rest.left(comma)) + ',';
        if (comma >= 0)
            rest = rest.mid(comma + 1);
    }
    return out + rest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    Diary diary;
    DiaryFile::loadBytes(input.constData(), input.size(), diary);
    QList<QByteArray> lines = input.split('\n');
    if (input.isEmpty() || input.endsWith('\n'))
        lines.removeLast();
    check(diary.rowCount() == lines.size(), "one row per line");

    QByteArray saved;
    for (int row = diary.rowCount() - 1; row >= 0; --row)
        diary.appendLine(row, saved);
    QByteArray expected;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        const bool terminated = i + 1 < lines.size() || input.endsWith('\n');
        if (terminated && line.endsWith('\r'))
            line.chop(1);
        expected += expectedLine(line) + '\n';
    }
    check(saved == expected, "save gives the lines back");

    // The values kept for a row are the ones its texts parse to.
    for (int row = 0; row < diary.rowCount(); ++row) {
        const QString date = diary.text(row, Diary::DateColumn);
        const QString time = diary.text(row, Diary::TimeColumn);
        const QString value = diary.text(row, Diary::ValueColumn);
        check(diary.date(row) == parseDate(date) &&
                  diary.date(row).isValid() == parseDate(date).isValid(),
              "date");
        check(diary.time(row) == parseTime(time) &&
                  diary.time(row).isValid() == parseTime(time).isValid(),
              "time");
        // A dose may carry hundredths; every other value is a whole number.
        const int type = typeIndex(diary.text(row, Diary::TypeColumn));
        qint32 hundredths = 0;
        if (type >= 0 && takesFraction(type) && parseDecimal(value, hundredths))
            check(diary.hundredths(row) == hundredths, "dose");
        else
            check(diary.value(row) == parseValue(value), "value");
        check(diary.type(row) == QString::fromUtf8(diary.bytes(row, Diary::TypeColumn)), "type");
    }

    // Taking a row out and putting its texts back must give the same rows.
    if (diary.rowCount() > 0 && diary.rowCount() < 64) {
        const int middle = diary.rowCount() / 2;
        const EntryTexts kept = diary.entryTexts(middle);
        diary.removeRows({middle});
        diary.insertRows({middle}, {kept});
        QByteArray again;
        for (int row = diary.rowCount() - 1; row >= 0; --row)
            diary.appendLine(row, again);
        check(QString::fromUtf8(again) == QString::fromUtf8(saved), "item edits");
    }

    const Settings settings = SettingsFile::parse(input);
    check(SettingsFile::toBytes(settings).size() >= 16, "settings lines");
    return 0;
}
