// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/importsummary.h"
#include "import/importtext.h"

#include "core/entrytext.h"

#include <QLocale>

#include <algorithm>

namespace {

QString count(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(QLocale::c().toString(qint64(n)), n == 1 ? one : many);
}

// A kind's name as the reader gave it, marked for translation there.
QString translatedKind(const QString &name)
{
    return ImportText::tr(name.toUtf8().constData());
}

// "118 basal rate rows, 77 sensor exceptions, 3 other rows": the most
// frequent kind first.
QString skippedKinds(const ImportResult &result)
{
    std::vector<SkippedKind> kinds = result.skippedKinds;
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](const SkippedKind &a, const SkippedKind &b) { return a.count > b.count; });
    QStringList parts;
    qsizetype named = 0;
    for (const SkippedKind &kind : kinds) {
        parts << count(kind.count, translatedKind(kind.one), translatedKind(kind.many));
        named += kind.count;
    }
    if (result.rowsSkipped > named)
        parts << count(result.rowsSkipped - named, ImportText::tr("other row"),
                       ImportText::tr("other rows"));
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString importSummary(const QString &name, const ImportResult &result, const MergeCounts &counts)
{
    QString text = QStringLiteral("%1 (%2): ").arg(name, result.format);
    text += count(counts.added, ImportText::tr("entry added"), ImportText::tr("entries added"));
    if (!counts.addedByType.empty()) {
        // Glucose, Carbs, the insulins in the order of the type list, then
        // other types by name.
        QStringList parts;
        for (int type = 0; type < itemCount; ++type) {
            const auto it = counts.addedByType.find(typeName(type));
            if (it != counts.addedByType.end())
                parts << QStringLiteral("%1 %2").arg(QLocale::c().toString(qint64(it->second)),
                                                     it->first);
        }
        for (const auto &[type, n] : counts.addedByType) {
            if (typeIndex(type) < 0)
                parts << QStringLiteral("%1 %2").arg(QLocale::c().toString(qint64(n)), type);
        }
        text += QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", ")));
    }
    const qsizetype duplicates = counts.duplicates + result.copiesSkipped;
    if (duplicates)
        text += QStringLiteral(", ") + count(duplicates, ImportText::tr("duplicate skipped"),
                                             ImportText::tr("duplicates skipped"));
    if (result.rowsSkipped) {
        text += QStringLiteral(", ") + count(result.rowsSkipped, ImportText::tr("row skipped"),
                                             ImportText::tr("rows skipped"));
        if (!result.skippedKinds.empty())
            text += QStringLiteral(" (%1)").arg(skippedKinds(result));
    }
    if (result.valuesRounded)
        text += QStringLiteral(", ") + count(result.valuesRounded, ImportText::tr("value rounded"),
                                             ImportText::tr("values rounded"));
    if (result.dateOrder == DateOrder::DayFirst)
        text += ImportText::tr(", dates read day first");
    else if (result.dateOrder == DateOrder::MonthFirst)
        text += ImportText::tr(", dates read month first");
    if (result.windows1252)
        text += ImportText::tr(", text read as Windows-1252");
    QStringList changes;
    for (const ClockChange &change : result.clockChanges) {
        changes << ImportText::tr("%1 to %2 on %3 %4")
                       .arg(formatTime(change.startMinutes / 60, change.startMinutes % 60),
                            formatTime(change.endMinutes / 60 % 24, change.endMinutes % 60),
                            change.date.toString(u"dd.MM.yyyy"),
                            change.repeated ? ImportText::tr("occurs twice")
                                            : ImportText::tr("does not occur"));
    }
    if (!changes.isEmpty())
        text += ImportText::tr("; the clock changes: ") + changes.join(QStringLiteral(", "));
    if (result.unreadCount) {
        QStringList rows;
        for (const UnreadRow &row : result.unread)
            rows << ImportText::tr("line %1 (%2)").arg(row.line).arg(row.reason);
        text += QStringLiteral("; %1: %2")
                    .arg(count(result.unreadCount, ImportText::tr("row not read"),
                               ImportText::tr("rows not read")),
                         rows.join(QStringLiteral(", ")));
        if (result.unreadCount > qsizetype(result.unread.size()))
            text += QStringLiteral(", ...");
    }
    return text + u'.';
}
