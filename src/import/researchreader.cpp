// SPDX-License-Identifier: GPL-3.0-or-later
// Research tables of glucose readings, the layout of the CGM analysis tools:
// the columns id, time and gl, perhaps after an unnamed row-number column
// (R's write.csv, pandas). Times are local, readings in mg/dL.
#include "import/csvreader.h"
#include "import/entrysink.h"
#include "import/importtext.h"
#include "import/readers.h"

#include <QStringList>

namespace {

bool isName(QByteArrayView field, const char *name)
{
    return trimmed(field).compare(name, Qt::CaseInsensitive) == 0;
}

// Ids listed in a refusal; a table of a whole study holds hundreds.
constexpr int maxIdsShown = 10;

} // namespace

bool readResearchTable(QByteArrayView data, EntrySink &sink)
{
    const qsizetype lineEnd = data.indexOf('\n');
    CsvReader csv(data, CsvReader::guessSeparator(data.first(lineEnd < 0 ? data.size() : lineEnd)));
    if (!csv.next())
        return false;
    const std::vector<QByteArrayView> &header = csv.fields();
    const size_t first = header.size() == 4 && trimmed(header[0]).isEmpty() ? 1 : 0;
    if (header.size() != first + 3 || !isName(header[first], "id") ||
        !isName(header[first + 1], "time") || !isName(header[first + 2], "gl"))
        return false;
    sink.setFormat(QStringLiteral("Research table CSV"));

    QList<QByteArray> ids;
    while (sink.nextRow(csv)) {
        const qsizetype line = csv.line();
        // A last row cut off before its reading: its id may be cut too.
        if (csv.fields().size() < first + 3 && !csv.terminated()) {
            sink.unread(line, ImportText::tr("the file ends inside this row"));
            continue;
        }
        const QByteArrayView id = trimmed(csv.field(first));
        if (!ids.contains(id) && ids.size() <= maxIdsShown)
            ids.append(id.toByteArray());
        ReadingTime when;
        if (!parseReadingTime(csv.field(first + 1), when)) {
            sink.unread(line, ImportText::tr("no readable time"));
            continue;
        }
        // R and pandas write a missing reading as NA or nothing.
        const QByteArrayView gl = trimmed(csv.field(first + 2));
        if (gl.isEmpty() || gl == "NA" || gl == "NaN")
            sink.skip(QT_TRANSLATE_NOOP("Import", "missing reading"),
                      QT_TRANSLATE_NOOP("Import", "missing readings"));
        else
            sink.glucoseText(when, gl, false, line);
    }
    if (ids.size() > 1) {
        QStringList shown;
        for (qsizetype i = 0; i < std::min<qsizetype>(ids.size(), maxIdsShown); ++i)
            shown << ImportText::tr("\"%1\"").arg(QString::fromUtf8(ids[i]));
        if (ids.size() > maxIdsShown)
            shown << ImportText::tr("more");
        sink.refuse(ImportText::tr("holds the readings of more than one person (ids %1), and a "
                                   "diary is one person's: import a table of one id")
                        .arg(shown.join(QStringLiteral(", "))));
    }
    return true;
}
