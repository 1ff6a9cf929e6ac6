#include "ui/listbox.h"

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
    QString text = m_diary.text(index.row(), index.column());
    if (text.size() > shown) {
        text.truncate(shown);
        text += QChar(0x2026);
    }
    return text;
}

void DiaryModel::insertEntry(int row, const EntryTexts &texts)
{
    beginInsertRows(QModelIndex(), row, row);
    m_diary.insertRow(row, texts);
    endInsertRows();
}

void DiaryModel::removeEntry(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    m_diary.removeRow(row);
    endRemoveRows();
}

void DiaryModel::sortByDateTime(bool ascending)
{
    emit layoutAboutToBeChanged();
    m_diary.sortByDateTime(ascending);
    // Cells keep no identity across a sort: the current cell stays where it is.
    emit layoutChanged();
}

ListBox::ListBox(QWidget *parent) : QTableView(parent), m_model(new DiaryModel(this))
{
    setModel(m_model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
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

int ListBox::currentItem() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return -1;
    return current.column() * rowCount() + current.row();
}

void ListBox::setCurrentItem(int index)
{
    const int n = rowCount();
    if (index < 0 || n == 0 || index >= 4 * n) {
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentIndex(m_model->index(index % n, index / n));
}
