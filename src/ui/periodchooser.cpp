// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/periodchooser.h"

#include "core/clock.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int periodDays[] = {7, 14, 30, 90};

} // namespace

PeriodChooser::PeriodChooser(bool offerAllEntries, QWidget *parent)
    : QWidget(parent), m_allEntries(offerAllEntries), m_periodBox(new QComboBox),
      m_fromEdit(new QDateEdit), m_toEdit(new QDateEdit)
{
    for (int days : periodDays)
        m_periodBox->addItem(tr("%1 days").arg(days));
    if (offerAllEntries)
        m_periodBox->addItem(tr("All entries"));
    m_periodBox->addItem(tr("From - to"));
    m_periodBox->setCurrentIndex(Last14Days);
    for (QDateEdit *edit : {m_fromEdit, m_toEdit}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
    }
    showDays(days());

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_periodBox);
    layout->addWidget(new QLabel(tr("from")));
    layout->addWidget(m_fromEdit);
    layout->addWidget(new QLabel(tr("to")));
    layout->addWidget(m_toEdit);
    setFocusProxy(m_periodBox);

    connect(m_periodBox, &QComboBox::currentIndexChanged, this, &PeriodChooser::periodChanged);
    connect(m_fromEdit, &QDateEdit::dateChanged, this, &PeriodChooser::dateEdited);
    connect(m_toEdit, &QDateEdit::dateChanged, this, &PeriodChooser::dateEdited);
}

PeriodChooser::Period PeriodChooser::period() const
{
    const int index = m_periodBox->currentIndex();
    return !m_allEntries && index == AllEntries ? Dates : Period(index);
}

void PeriodChooser::setPeriod(Period period)
{
    m_periodBox->setCurrentIndex(!m_allEntries && period == Dates ? AllEntries : period);
}

void PeriodChooser::setDates(const QDate &from, const QDate &to)
{
    const QSignalBlocker blockPeriod(m_periodBox);
    setPeriod(Dates);
    showDays({from, to});
}

PeriodChooser::Days PeriodChooser::days(const std::optional<Days> &entries) const
{
    const QDate today = Clock::today();
    switch (const Period chosen = period()) {
    case AllEntries:
        return entries ? *entries : Days{today, today};
    case Dates:
        return {m_fromEdit->date(), m_toEdit->date()};
    default:
        return {today.addDays(1 - periodDays[chosen]), today};
    }
}

void PeriodChooser::showDays(const Days &days)
{
    const QSignalBlocker blockFrom(m_fromEdit), blockTo(m_toEdit);
    m_fromEdit->setDate(days.first);
    m_toEdit->setDate(days.second);
}

void PeriodChooser::dateEdited()
{
    if (period() != Dates) {
        const QSignalBlocker block(m_periodBox);
        setPeriod(Dates);
    }
    emit periodChanged();
}
