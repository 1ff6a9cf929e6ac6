// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/reportdialog.h"

#include "core/clock.h"
#include "ui/periodchooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace ReportDialog {

namespace {

struct DialogText
{
    Q_DECLARE_TR_FUNCTIONS(ReportDialog)
};

} // namespace

std::optional<ReportRequest> ask(QWidget *parent, const QString &title, GlucoseUnit unit,
                                 const QDate &lastDay)
{
    QDialog dialog(parent);
    dialog.setObjectName(title);
    dialog.setWindowTitle(title);
    auto *chooser = new PeriodChooser(false, &dialog);
    if (lastDay == Clock::today())
        chooser->setPeriod(PeriodChooser::Last14Days);
    else
        chooser->setDates(lastDay.addDays(-13), lastDay);
    auto *unitBox = new QComboBox(&dialog);
    unitBox->addItems({unitName(GlucoseUnit::MgPerDl), unitName(GlucoseUnit::MmolPerL)});
    unitBox->setCurrentIndex(unit == GlucoseUnit::MmolPerL ? 1 : 0);

    auto *compare = new QCheckBox(DialogText::tr("&Compare with the period before"), &dialog);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *form = new QFormLayout(&dialog);
    form->addRow(DialogText::tr("&Period:"), chooser);
    form->addRow(DialogText::tr("&Unit:"), unitBox);
    form->addRow(compare);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    ReportRequest request;
    std::tie(request.from, request.to) = chooser->days();
    request.unit = unitBox->currentIndex() == 1 ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl;
    request.compare = compare->isChecked();
    return request;
}

} // namespace ReportDialog
