// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importfile.h"
#include "import/importtext.h"

#include "core/regularfile.h"
#include "import/entrysink.h"
#include "import/exporttext.h"
#include "import/jsonrecords.h"
#include "import/readers.h"
#include "import/zipfile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

enum class ExportKind
{
    Text,
    Json,
    Zip,
};

// A format Mellidor imports: the kind of file it is, its reader, and how the
// list of formats for people names it (nullptr where an earlier row names
// it); product names stay as they are in every language.
struct ImportFormat
{
    ExportKind kind;
    bool (*read)(QByteArrayView data, EntrySink &sink);            // text and zip
    bool (*readJson)(const JsonRecords &records, EntrySink &sink); // JSON
    const char *listed;
};

// In the order they are tried: the first reader of the file's kind that
// knows the format reads it. The lenient ones come last.
const ImportFormat importFormats[] = {
    {ExportKind::Text, readDexcom, nullptr, QT_TRANSLATE_NOOP("Import", "Dexcom Clarity CSV")},
    {ExportKind::Text, readCareLink, nullptr,
     QT_TRANSLATE_NOOP("Import", "Medtronic CareLink CSV")},
    {ExportKind::Text, readLibreView, nullptr, QT_TRANSLATE_NOOP("Import", "LibreView CSV")},
    {ExportKind::Json, nullptr, readTidepoolJson,
     QT_TRANSLATE_NOOP("Import", "Tidepool JSON and CSV")},
    {ExportKind::Text, readTidepoolCsv, nullptr, nullptr},
    // It refuses broken JSON, so it is the last of the JSON readers.
    {ExportKind::Json, nullptr, readNightscoutJson,
     QT_TRANSLATE_NOOP("Import",
                       "Nightscout entries (JSON, CSV or TSV), Nightscout treatments JSON")},
    {ExportKind::Text, readResearchTable, nullptr,
     QT_TRANSLATE_NOOP("Import", "research tables (id, time, gl)")},
    {ExportKind::Text, readMySugr, nullptr, QT_TRANSLATE_NOOP("Import", "mySugr CSV")},
    {ExportKind::Zip, readGlookoZip, nullptr,
     QT_TRANSLATE_NOOP("Import", "Glooko export (zip or CSV)")},
    {ExportKind::Text, readGlooko, nullptr, nullptr},
    {ExportKind::Text, readMellidorCsv, nullptr,
     QT_TRANSLATE_NOOP("Import", "Mellidor's CSV export")},
    {ExportKind::Text, readNightscoutTable, nullptr, nullptr},
    {ExportKind::Text, readMellidorDiary, nullptr,
     QT_TRANSLATE_NOOP("Import", "Mellidor diary files")},
};

// Whether a reader knew the format; it read the file or refused it.
bool readKnownFormat(ExportKind kind, QByteArrayView data, EntrySink &sink)
{
    // The JSON readers look at the same records: the data is checked once.
    const JsonRecords records = kind == ExportKind::Json ? readJsonRecords(data) : JsonRecords();
    for (const ImportFormat &format : importFormats) {
        if (format.kind == kind &&
            (kind == ExportKind::Json ? format.readJson(records, sink) : format.read(data, sink)))
            return true;
    }
    return false;
}

QString refusal(const QString &name, const QString &why)
{
    return ImportText::tr("\"%1\" %2. Mellidor reads %3.").arg(name, why, knownImportFormats());
}

} // namespace

QString knownImportFormats()
{
    QStringList names;
    for (const ImportFormat &format : importFormats) {
        if (format.listed)
            names << ImportText::tr(format.listed);
    }
    const QString last = names.takeLast();
    return ImportText::tr("%1 and %2").arg(names.join(QStringLiteral(", ")), last);
}

ImportResult readImportData(const QByteArray &bytes, const QString &name,
                            const ImportProgress &progress)
{
    ImportResult result;
    result.path = name;
    QByteArrayView data(bytes);
    if (data.startsWith("\xef\xbb\xbf"))
        data = data.sliced(3);
    if (data.trimmed().isEmpty()) {
        result.error = refusal(name, ImportText::tr("is empty"));
        return result;
    }
    // Text exports hold no NUL byte; a binary file is not read further,
    // unless it is a zip archive of exports.
    const bool zip = ZipFile::isZip(data);
    if (!zip && data.contains('\0')) {
        result.error = refusal(name, ImportText::tr("is not a text file"));
        return result;
    }
    const bool json = !zip && looksLikeJson(data);
    QByteArray text; // the data as read, where it is not the file's bytes
    if (!zip && !json && decodeWindows1252(data, text)) {
        result.windows1252 = true;
        data = text;
    }
    // Old spreadsheet saves end lines with a carriage return alone.
    if (!zip && !data.contains('\n') && data.contains('\r')) {
        if (!result.windows1252)
            text = data.toByteArray();
        data = text.replace('\r', '\n');
    }
    EntrySink sink(result, progress, data.size());
    bool known = false;
    if (const qsizetype line = zip || json ? 0 : firstOverlongLine(data))
        sink.refuseOverlong(line);
    else
        known = readKnownFormat(zip    ? ExportKind::Zip
                                : json ? ExportKind::Json
                                       : ExportKind::Text,
                                data, sink);
    if (result.cancelled) {
        result.batch = ImportBatch();
        result.error = ImportText::tr("Reading \"%1\" was cancelled.").arg(name);
        return result;
    }
    if (!result.error.isEmpty()) {
        result.batch = ImportBatch();
        result.error = ImportText::tr("\"%1\" %2.").arg(name, result.error);
        return result;
    }
    if (!known) {
        result.error = refusal(name, ImportText::tr("is not in a format Mellidor knows"));
        return result;
    }
    sink.finish();
    if (result.batch.entries.empty())
        result.error =
            refusal(name, ImportText::tr("holds no entries (read as %1)").arg(result.format));
    return result;
}

namespace {

// A large export is read into fresh memory: large pages spare the thousands
// of page faults small ones would take (a hint the kernel may ignore).
void adviseLargePages(QByteArray &bytes)
{
    constexpr quintptr hugePage = quintptr(2) << 20;
    const quintptr begin = (quintptr(bytes.data()) + hugePage - 1) & ~(hugePage - 1);
    const quintptr end = (quintptr(bytes.data()) + quintptr(bytes.size())) & ~(hugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
}

// The whole file, or why not: never more than maxImportFileBytes, and never
// anything but a regular file (a FIFO or a device would block or never end).
QByteArray readWhole(const QString &path, QString *error)
{
    const int fd = RegularFile::open(path, O_RDONLY, error);
    if (fd < 0)
        return QByteArray();
    const qint64 size = RegularFile::stampOf(fd).size;
    QByteArray bytes;
    qint64 length = 0;
    if (size <= maxImportFileBytes) {
        // One byte more than the size shows a file that grows meanwhile.
        bytes.resize(qsizetype(size) + 1);
        adviseLargePages(bytes);
        for (;;) {
            if (length == bytes.size()) {
                if (length > maxImportFileBytes)
                    break;
                bytes.resize(qsizetype(std::min(length * 2, maxImportFileBytes + 1)));
            }
            const ssize_t n = ::read(fd, bytes.data() + length, size_t(bytes.size() - length));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *error = QString::fromLocal8Bit(std::strerror(errno));
                ::close(fd);
                return QByteArray();
            }
            if (n == 0)
                break;
            length += n;
        }
    }
    ::close(fd);
    if (size > maxImportFileBytes || length > maxImportFileBytes) {
        *error = ImportText::tr("it is too large to import (more than %1 GB)")
                     .arg(maxImportFileBytes >> 30);
        return QByteArray();
    }
    bytes.truncate(qsizetype(length));
    return bytes;
}

} // namespace

ImportResult readImportFile(const QString &path, const ImportProgress &progress)
{
    QString error;
    const QByteArray bytes = readWhole(path, &error);
    if (!error.isEmpty()) {
        ImportResult result;
        result.path = path;
        if (error.endsWith(u'.'))
            error.chop(1);
        result.error = ImportText::tr("\"%1\" cannot be read: %2.").arg(path, error);
        return result;
    }
    ImportResult result = readImportData(bytes, QFileInfo(path).fileName(), progress);
    result.path = path;
    return result;
}
