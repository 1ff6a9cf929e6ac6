// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of a period for the statistics and the report: the last 7, 14,
// 30 or 90 days up to today, all entries (where offered), or the days from
// one date to another. The date boxes show the period's first and last day;
// editing one chooses "From - to".
#ifndef PERIODCHOOSER_H
#define PERIODCHOOSER_H

#include <QDate>
#include <QWidget>

#include <optional>
#include <utility>

class QComboBox;
class QDateEdit;

class PeriodChooser : public QWidget
{
    Q_OBJECT
public:
    // The choices of the box, in its order.
    enum Period
    {
        Last7Days,
        Last14Days,
        Last30Days,
        Last90Days,
        AllEntries,
        Dates
    };
    using Days = std::pair<QDate, QDate>;

    explicit PeriodChooser(bool offerAllEntries, QWidget *parent = nullptr);

    Period period() const;
    void setPeriod(Period period);
    // Chooses Dates, from and to both included; no periodChanged.
    void setDates(const QDate &from, const QDate &to);
    // The first and last day of the period chosen, up to today; "all
    // entries" are those of entries (today alone without any).
    Days days(const std::optional<Days> &entries = std::nullopt) const;
    // Shows these as the period's days without choosing Dates.
    void showDays(const Days &days);
    // The box, for a label's buddy.
    QComboBox *periodBox() const { return m_periodBox; }

signals:
    // The person chose another period or edited a date.
    void periodChanged();

private:
    void dateEdited();

    bool m_allEntries;
    QComboBox *m_periodBox;
    QDateEdit *m_fromEdit;
    QDateEdit *m_toEdit;
};

#endif
