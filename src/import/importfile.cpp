// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importfile.h"

#include "import/entrysink.h"

#include <QFile>
#include <QFileInfo>

QString knownImportFormats()
{
    return QStringLiteral("Dexcom Clarity CSV, LibreView CSV, Nightscout entries (JSON, CSV or "
                          "TSV), Nightscout treatments JSON, Mellidor's CSV export and Mellidor "
                          "diary files");
}

namespace {

QString refusal(const QString &name, const QString &why)
{
    return QStringLiteral("\"%1\" %2. Mellidor reads %3.").arg(name, why, knownImportFormats());
}

} // namespace

ImportResult readImportData(const QByteArray &bytes, const QString &name,
                            const ImportProgress &progress)
{
    ImportResult result;
    result.path = name;
    QByteArrayView data(bytes);
    if (data.startsWith("\xef\xbb\xbf"))
        data = data.sliced(3);
    if (data.trimmed().isEmpty()) {
        result.error = refusal(name, QStringLiteral("is empty"));
        return result;
    }
    // Text exports hold no NUL byte; a binary file is not read further.
    if (data.first(std::min<qsizetype>(data.size(), 1 << 16)).contains('\0')) {
        result.error = refusal(name, QStringLiteral("is not a text file"));
        return result;
    }
    EntrySink sink(result, progress, data.size());
    const bool known = readDexcom(data, sink) || readLibreView(data, sink) ||
                       readNightscoutJson(data, sink) || readMellidorCsv(data, sink) ||
                       readNightscoutTable(data, sink) || readMellidorDiary(data, sink);
    if (result.cancelled) {
        result.batch = ImportBatch();
        result.error = QStringLiteral("Reading \"%1\" was cancelled.").arg(name);
        return result;
    }
    if (!known) {
        result.error = refusal(name, QStringLiteral("is not in a format Mellidor knows"));
        return result;
    }
    sink.finish();
    if (result.batch.entries.empty())
        result.error =
            refusal(name, QStringLiteral("holds no entries (read as %1)").arg(result.format));
    return result;
}

ImportResult readImportFile(const QString &path, const ImportProgress &progress)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        ImportResult result;
        result.path = path;
        result.error = QStringLiteral("\"%1\" cannot be read: %2.")
                           .arg(path, QFileInfo(path).isDir() ? QStringLiteral("it is a folder")
                                                              : file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ImportResult result;
        result.path = path;
        result.error = QStringLiteral("\"%1\" cannot be read: %2.").arg(path, file.errorString());
        return result;
    }
    file.close();
    ImportResult result = readImportData(bytes, name, progress);
    result.path = path;
    return result;
}
