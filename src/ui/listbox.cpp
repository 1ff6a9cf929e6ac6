// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/listbox.h"

#include "analysis/glucoseunit.h"
#include "ui/sensorfiltermodel.h"

#include <QHeaderView>

DiaryModel::DiaryModel(QObject *parent) : QAbstractTableModel(parent) {}

int DiaryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_diary.rowCount();
}

int DiaryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant DiaryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == Diary::ValueColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    // A hand-edited line can be megabytes long: show its start only, the
    // entry itself keeps every byte.
    constexpr qsizetype shown = 200;
    if (m_unit == GlucoseUnit::MmolPerL && index.column() == Diary::ValueColumn) {
        if (const int mgPerDl = m_diary.plainGlucose(index.row()); mgPerDl >= 0)
            return shownDecimal(mmolText(mgPerDl));
    }
    QString text = m_diary.text(index.row(), index.column());
    if (text.size() > shown) {
        text.truncate(shown);
        text += QChar(0x2026);
    }
    return text;
}

void DiaryModel::setGlucoseUnit(GlucoseUnit unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    if (const int rows = rowCount(); rows > 0)
        emit dataChanged(index(0, Diary::ValueColumn), index(rows - 1, Diary::ValueColumn),
                         {Qt::DisplayRole});
}

void DiaryModel::insertEntries(const std::vector<int> &rows, const std::vector<EntryTexts> &texts)
{
    if (rows.empty())
        return;
    if (rows.size() != 1) {
        reset([&](Diary &d) { d.insertRows(rows, texts); });
        return;
    }
    beginInsertRows(QModelIndex(), rows.front(), rows.front());
    m_diary.insertRows(rows, texts);
    endInsertRows();
}

void DiaryModel::removeEntries(const std::vector<int> &rows)
{
    if (rows.empty())
        return;
    if (rows.size() != 1) {
        reset([&](Diary &d) { d.removeRows(rows); });
        return;
    }
    beginRemoveRows(QModelIndex(), rows.front(), rows.front());
    m_diary.removeRows(rows);
    endRemoveRows();
}

Diary::Order DiaryModel::sortByDateTime(bool ascending)
{
    emit layoutAboutToBeChanged();
    Diary::Order order = m_diary.sortByDateTime(ascending);
    // Cells keep no identity across a sort: the current cell stays where it is.
    emit layoutChanged();
    return order;
}

void DiaryModel::restoreOrder(const Diary::Order &order)
{
    emit layoutAboutToBeChanged();
    m_diary.restoreOrder(order);
    emit layoutChanged();
}

ListBox::ListBox(QWidget *parent) : QTableView(parent), m_model(new DiaryModel(this))
{
    setModel(m_model);
    setAccessibleName(tr("Diary entries"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The current cell is one item, but the whole entry shows as selected.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Fixed row heights and column widths: nothing is measured per row, so a
    // million rows scroll as smoothly as ten.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int pad = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 2;
    setColumnWidth(Diary::DateColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + pad);
    setColumnWidth(Diary::TimeColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + pad);
    setColumnWidth(Diary::TypeColumn,
                   fontMetrics().horizontalAdvance(QStringLiteral("Insuman Rapid")) + pad);
    horizontalHeader()->setStretchLastSection(true);
}

int ListBox::count() const
{
    return m_filter ? 4 * lineCount() : int(diary().itemCount());
}

QString ListBox::text(int index) const
{
    if (!m_filter)
        return diary().itemText(index);
    const int n = lineCount();
    if (index < 0 || index >= 4 * n)
        return QString();
    return diary().text(rowOfLine(index % n), index / n);
}

int ListBox::currentItem() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return -1;
    return current.column() * lineCount() + current.row();
}

void ListBox::setCurrentItem(int index)
{
    const int n = lineCount();
    if (index < 0 || n == 0 || index >= 4 * n) {
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model()->index(index % n, index / n));
}

int ListBox::lineCount() const
{
    return m_filter ? m_filter->rowCount() : rowCount();
}

int ListBox::rowOfLine(int line) const
{
    if (m_filter)
        return m_filter->listRow(line);
    return line >= 0 && line < rowCount() ? line : -1;
}

int ListBox::lineOfRow(int row) const
{
    if (m_filter)
        return m_filter->lineOfRow(row);
    return row >= 0 && row < rowCount() ? row : -1;
}

int ListBox::currentRow() const
{
    return rowOfLine(currentIndex().isValid() ? currentIndex().row() : -1);
}

void ListBox::setCurrentRow(int row)
{
    const QModelIndex current = currentIndex();
    setCurrentCell(row, current.isValid() ? current.column() : 0);
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void ListBox::setCurrentCell(int row, int column)
{
    if (row < 0 || row >= rowCount()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(model()->index(m_filter ? m_filter->lineAtOrBelow(row) : row, column));
}

int ListBox::newestRowFrom(const QDate &day) const
{
    const Diary &d = diary();
    const DayIndex &days = d.days();
    const auto newestShown = [&](const QDate &on) {
        int newest = -1;
        for (const int row : d.rowsOn(on)) {
            // Top first: at one time the upper row wins.
            if (lineOfRow(row) >= 0 && (newest < 0 || d.dateTimeKey(row) > d.dateTimeKey(newest)))
                newest = row;
        }
        return newest;
    };
    for (QDate on = day; on.isValid(); on = days.before(on)) {
        if (const int row = newestShown(on); row >= 0)
            return row;
    }
    for (QDate on = days.after(day); on.isValid(); on = days.after(on)) {
        if (const int row = newestShown(on); row >= 0)
            return row;
    }
    return -1;
}

void ListBox::setSensorReadingsShown(bool shown)
{
    if (shown == showsSensorReadings())
        return;
    const QModelIndex current = currentIndex();
    const int row = currentRow();
    int widths[Diary::ValueColumn];
    for (int column = 0; column < Diary::ValueColumn; ++column)
        widths[column] = columnWidth(column);
    SensorFilterModel *filter = shown ? nullptr : new SensorFilterModel(m_model, this);
    // A new model brings a new selection model; the old one goes.
    QItemSelectionModel *selection = selectionModel();
    setModel(filter ? static_cast<QAbstractItemModel *>(filter) : m_model);
    delete selection;
    delete m_filter;
    m_filter = filter;
    for (int column = 0; column < Diary::ValueColumn; ++column)
        setColumnWidth(column, widths[column]);
    if (current.isValid()) {
        setCurrentCell(row, current.column());
        scrollTo(currentIndex(), PositionAtCenter);
    }
}
