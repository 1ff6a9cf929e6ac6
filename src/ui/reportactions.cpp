// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportactions.h"

#include "analysis/statistics.h"
#include "core/clock.h"
#include "ui/mellidor.h"
#include "ui/reportrenderer.h"
#include "ui/statisticswindow.h"
#include "ui/usermessage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ReportActions {

std::optional<ReportRequest> askPeriod(QWidget *parent, const QString &title, GlucoseUnit unit,
                                       const QDate &lastDay)
{
    constexpr int days[] = {7, 14, 30, 90};
    const QDate today = Clock::today();
    QDialog dialog(parent);
    dialog.setObjectName(title);
    dialog.setWindowTitle(title);
    auto *periodBox = new QComboBox(&dialog);
    for (int n : days)
        periodBox->addItem(Mellidor::tr("%1 days").arg(n));
    periodBox->addItem(Mellidor::tr("From - to"));
    periodBox->setCurrentIndex(1);
    const int datesChoice = periodBox->count() - 1;
    auto *fromEdit = new QDateEdit(lastDay.addDays(-13), &dialog);
    auto *toEdit = new QDateEdit(lastDay, &dialog);
    auto *dates = new QHBoxLayout;
    for (QDateEdit *edit : {fromEdit, toEdit}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        dates->addWidget(edit);
    }
    dates->insertWidget(1, new QLabel(Mellidor::tr("to"), &dialog));
    auto *unitBox = new QComboBox(&dialog);
    unitBox->addItems({unitName(GlucoseUnit::MgPerDl), unitName(GlucoseUnit::MmolPerL)});
    unitBox->setCurrentIndex(unit == GlucoseUnit::MmolPerL ? 1 : 0);
    QObject::connect(periodBox, &QComboBox::currentIndexChanged, &dialog, [=](int choice) {
        fromEdit->setEnabled(choice == datesChoice);
        toEdit->setEnabled(choice == datesChoice);
    });
    if (lastDay != today)
        periodBox->setCurrentIndex(datesChoice);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *form = new QFormLayout(&dialog);
    form->addRow(Mellidor::tr("&Period:"), periodBox);
    form->addRow(QString(), dates);
    form->addRow(Mellidor::tr("&Unit:"), unitBox);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    ReportRequest request;
    const int choice = periodBox->currentIndex();
    request.to = choice == datesChoice ? toEdit->date() : today;
    request.from = choice == datesChoice ? fromEdit->date() : today.addDays(1 - days[choice]);
    request.unit = unitBox->currentIndex() == 1 ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
    return request;
}

std::optional<ReportData> collect(QWidget *parent, const Mellidor &main, ReportRequest request)
{
    QString problem;
    if (!request.from.isValid() || !request.to.isValid() || request.from > request.to)
        problem = Mellidor::tr("The period ends before it starts.");
    else if (request.from.daysTo(request.to) + 1 > maxReportDays)
        problem = Mellidor::tr("A report covers at most %1 days; choose a shorter period.")
                      .arg(maxReportDays);
    if (!problem.isEmpty()) {
        UserMessage::error(parent, Mellidor::tr("Report"), problem);
        return std::nullopt;
    }
    request.lowerLimit = main.lowerLimit;
    request.upperLimit = main.upperLimit;
    request.madeOn = Clock::today();
    return collectReportData(main.listBox->diary(), request);
}

} // namespace ReportActions

void Mellidor::showStatistics()
{
    auto *window = new StatisticsWindow(this);
    window->setUnit(m_preferences.glucoseUnit);
    window->show();
}

void Mellidor::saveReport()
{
    if (const auto request =
            ReportActions::askPeriod(this, Mellidor::tr("Report"), m_preferences.glucoseUnit,
                                     firstLookEnd(listBox->diary(), Clock::today(), 14))) {
        if (const auto data = ReportActions::collect(this, *this, *request))
            Report::savePdfAs(this, *data);
    }
}

void Mellidor::printReport()
{
    if (const auto request =
            ReportActions::askPeriod(this, Mellidor::tr("Print"), m_preferences.glucoseUnit,
                                     firstLookEnd(listBox->diary(), Clock::today(), 14))) {
        if (const auto data = ReportActions::collect(this, *this, *request))
            Report::printReport(this, *data);
    }
}
