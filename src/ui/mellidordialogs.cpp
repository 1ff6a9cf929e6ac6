// SPDX-License-Identifier: GPL-3.0-or-later
// The modal dialogs of the main window: a new entry, a corrected entry, the
// settings and the date the list goes to.
#include "core/clock.h"
#include "core/diarychange.h"
#include "core/diarysession.h"
#include "core/entrytext.h"
#include "core/glucoseconversion.h"
#include "ui/dayview.h"
#include "ui/entryvaluebox.h"
#include "ui/mellidor.h"
#include "ui/usermessage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

// A modal dialog whose fields go in a column at grid cell (1, 0). OK and
// Cancel come last (addButtons), so the tab order runs through the fields first.
QDialog *makeDialog(QWidget *parent, const QString &name, const QString &title, int margin,
                    QVBoxLayout **column)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(name);
    dialog->setModal(true);
    dialog->setWindowTitle(title);
    auto *grid = new QGridLayout(dialog);
    grid->setContentsMargins(margin, margin, margin, margin);
    grid->setSpacing(margin);
    *column = new QVBoxLayout;
    grid->addLayout(*column, 1, 0);
    return dialog;
}

// OK is the default button (Enter); Escape rejects.
void addButtons(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    static_cast<QGridLayout *>(dialog->layout())->addWidget(buttons, 2, 0, 1, -1);
}

QHBoxLayout *addLine(QVBoxLayout *column)
{
    auto *line = new QHBoxLayout;
    column->addLayout(line, 0);
    return line;
}

QSpinBox *makeSpinBox(QWidget *parent, int minimum, int maximum, int value)
{
    auto *box = new QSpinBox(parent);
    box->setRange(minimum, maximum); // range first: an odd value shows at the nearer bound
    box->setValue(value);
    return box;
}

// A limit in mmol/L with one decimal over the same range as in mg/dL.
QDoubleSpinBox *makeMmolBox(QWidget *parent, int minimum, int maximum, int mgPerDl)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" mmol/L"));
    box->setRange(double(mmolTenths(minimum)) / 10, double(mmolTenths(maximum)) / 10);
    box->setValue(double(mmolTenths(mgPerDl)) / 10);
    return box;
}

int tenthsIn(const QAbstractSpinBox *box)
{
    return qRound(static_cast<const QDoubleSpinBox *>(box)->value() * 10);
}

QComboBox *makeTypeChooser(QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(false);
    for (int i = 0; items[i]; ++i)
        combo->addItem(typeName(i));
    return combo;
}

// The box for an entry's value: the whole-number spin box, or once glucose
// shows in mmol/L, doses take fractions or the entry has one, a decimal box
// that follows the chosen type.
EntryValueBox *makeDecimalBox(QDialog *dialog, QComboBox *typeChooser,
                              const Preferences &preferences, const QString &storedText)
{
    auto *box =
        new EntryValueBox(preferences, typeIndex(typeChooser->currentText()), storedText, dialog);
    QObject::connect(typeChooser, &QComboBox::currentIndexChanged, box, [typeChooser, box] {
        box->followType(typeIndex(typeChooser->currentText()));
    });
    return box;
}

void nameBox(QSpinBox *box, const QString &name)
{
    box->setToolTip(name);
    box->setAccessibleName(name);
}

EntryTexts entryTexts(const QString &date, const QString &time, const QString &type,
                      const QString &value)
{
    return {date.toUtf8(), time.toUtf8(), type.toUtf8(), value.toUtf8()};
}

} // namespace

void Mellidor::insertNewValue()
{
    // The entry carries the moment the dialog opened, not when it was accepted.
    const QDateTime stamp = Clock::now();
    const QDate date = stamp.date();
    const QTime time = stamp.time();

    QVBoxLayout *column = nullptr;
    QDialog *dialog = makeDialog(this, QStringLiteral("New"), tr("New"), 20, &column);
    addLine(column)->addWidget(new QLabel(tr("Value Input:"), dialog), 0);
    QHBoxLayout *choices = addLine(column);
    QComboBox *typeChooser = makeTypeChooser(dialog);
    EntryValueBox *decimalBox = nullptr;
    valueBox = nullptr;
    if (preferences().showsDefaults())
        valueBox = makeSpinBox(dialog, 1, 3000, 100);
    else
        decimalBox = makeDecimalBox(dialog, typeChooser, preferences(), formatValue(100));
    choices->addWidget(typeChooser, 0);
    choices->addWidget(valueBox ? static_cast<QWidget *>(valueBox) : decimalBox, 0);
    addButtons(dialog);
    typeChooser->setFocus();

    if (dialog->exec() == QDialog::Accepted) {
        tableValue = valueBox ? valueBox->value() : decimalBox->wholeValue();
        tableString = typeChooser->currentText();
        undoStack()->push(new InsertEntries(
            &m_session->document(), tr("New Entry"), {0},
            {entryTexts(formatDate(date.day(), date.month(), date.year()),
                        formatTime(time.hour(), time.minute()), tableString,
                        valueBox ? formatValue(tableValue) : decimalBox->storedText())}));
    }
    delete dialog;
}

void Mellidor::editValue()
{
    const int n = listBox->count() >> 2;
    const int line = chosenRow();
    // The entry the line shows: the diary's row.
    const int row = listBox->rowOfLine(line);
    if (row < 0)
        return;

    const QDate date = getDateFromListBox(line);
    const QTime time = getTimeFromListBox(line);
    const QString typeText = listBox->text(2 * n + line);
    const QString valueText = listBox->text(3 * n + line);
    const int value = parseValue(valueText);
    // An impossible date still shows its own numbers, brought into range.
    const DateParts parts = date.isValid() ? DateParts{date.day(), date.month(), date.year()}
                                           : parseDateParts(listBox->text(line));

    QVBoxLayout *column = nullptr;
    QDialog *dialog = makeDialog(this, QStringLiteral("Edit"), tr("Edit"), 5, &column);
    addLine(column);
    QHBoxLayout *dateLine = addLine(column);
    QHBoxLayout *timeLine = addLine(column);
    QHBoxLayout *choices = addLine(column);
    dayBox = makeSpinBox(dialog, 1, 31, parts.day);
    monthBox = makeSpinBox(dialog, 1, 12, parts.month);
    yearBox = makeSpinBox(dialog, 2000, 9999, parts.year);
    hourBox = makeSpinBox(dialog, 0, 23, time.isValid() ? time.hour() : 0);
    minuteBox = makeSpinBox(dialog, 0, 59, time.isValid() ? time.minute() : 0);
    QComboBox *typeChooser = makeTypeChooser(dialog);
    dateLine->addWidget(dayBox, 0);
    dateLine->addWidget(monthBox, 0);
    dateLine->addWidget(yearBox, 0);
    timeLine->addWidget(hourBox, 0);
    timeLine->addWidget(minuteBox, 0);
    choices->addWidget(typeChooser, 0);

    // The day never goes past the last day of the chosen month.
    QSpinBox *const days = dayBox, *const months = monthBox, *const years = yearBox;
    const auto limitDay = [days, months, years] {
        days->setMaximum(QDate(years->value(), months->value(), 1).daysInMonth());
    };
    limitDay();
    connect(monthBox, &QSpinBox::valueChanged, dialog, limitDay);
    connect(yearBox, &QSpinBox::valueChanged, dialog, limitDay);

    // A type that is not one of ours stays selectable, so accepting keeps it.
    int typePosition = typeIndex(typeText);
    if (typePosition < 0) {
        typeChooser->addItem(typeText);
        typePosition = typeChooser->count() - 1;
    }
    typeChooser->setCurrentIndex(typePosition);
    EntryValueBox *decimalBox = nullptr;
    valueBox = nullptr;
    if (preferences().showsDefaults() && !listBox->diary().hasFraction(row))
        valueBox = makeSpinBox(dialog, 1, 3000, value);
    else
        decimalBox = makeDecimalBox(dialog, typeChooser, preferences(), valueText);
    choices->addWidget(valueBox ? static_cast<QWidget *>(valueBox) : decimalBox, 0);
    const std::pair<QSpinBox *, const char *> names[] = {{dayBox, QT_TR_NOOP("Day")},
                                                         {monthBox, QT_TR_NOOP("Month")},
                                                         {yearBox, QT_TR_NOOP("Year")},
                                                         {hourBox, QT_TR_NOOP("Hour")},
                                                         {minuteBox, QT_TR_NOOP("Minute")}};
    for (const auto &[box, name] : names)
        nameBox(box, tr(name));
    addButtons(dialog);
    dayBox->setFocus();

    if (dialog->exec() == QDialog::Accepted) {
        tableValue = valueBox ? valueBox->value() : decimalBox->wholeValue();
        tableString = typeChooser->currentText();
        undoStack()->push(new CorrectEntry(
            &m_session->document(), row,
            entryTexts(formatDate(dayBox->value(), monthBox->value(), yearBox->value()),
                       formatTime(hourBox->value(), minuteBox->value()), tableString,
                       valueBox ? formatValue(tableValue) : decimalBox->storedText())));
    }
    delete dialog;
}

void Mellidor::setup()
{
    QVBoxLayout *column = nullptr;
    QDialog *dialog = makeDialog(this, QStringLiteral("Setup"), tr("Setup"), 10, &column);
    const bool mmol = preferences().glucoseUnit == GlucoseUnit::MmolPerL;
    struct Field
    {
        const char *label;
        int minimum;
        int maximum;
        int *setting;
        bool glucose;
        QAbstractSpinBox *box;
        int shownTenths; // of an mmol/L box, to keep an untouched value exactly
    } fields[] = {{QT_TR_NOOP("Lower Gluco Limit:"), 0, 999, &lowerLimit, true, nullptr, 0},
                  {QT_TR_NOOP("Upper Gluco Limit:"), 0, 999, &upperLimit, true, nullptr, 0},
                  {QT_TR_NOOP("Max Gluco:"), 0, 999, &maxGluco, true, nullptr, 0},
                  {QT_TR_NOOP("Show days back from today:"), 1, 30, &daysBack, false, nullptr, 0}};
    for (Field &field : fields) {
        QHBoxLayout *line = addLine(column);
        line->addWidget(new QLabel(tr(field.label), dialog), 0);
        if (mmol && field.glucose) {
            field.box = makeMmolBox(dialog, field.minimum, field.maximum, *field.setting);
            field.shownTenths = tenthsIn(field.box);
        } else
            field.box = makeSpinBox(dialog, field.minimum, field.maximum, *field.setting);
        line->addWidget(field.box, 0);
    }
    addButtons(dialog);
    fields[0].box->setFocus();

    if (dialog->exec() == QDialog::Accepted) {
        for (const Field &field : fields) {
            if (auto *box = qobject_cast<QSpinBox *>(field.box))
                *field.setting = box->value();
            else if (const int tenths = tenthsIn(field.box); tenths != field.shownTenths)
                *field.setting = std::min(field.maximum, mgPerDlFromMmolTenths(tenths));
        }
        QString error;
        if (!m_session->setSettings({lowerLimit, upperLimit, maxGluco, daysBack}, &error)) {
            UserMessage::error(
                this, tr("Settings not saved"),
                tr("The settings file \"%1\" cannot be written: %2\n\n"
                   "The new settings hold until Mellidor ends.")
                    .arg(DiarySession::shownPath(DiaryFolder::File::Settings), error));
        }
        updateDayView();
    }
    delete dialog;
}

void Mellidor::goToDate()
{
    const int row = listBox->rowOfLine(chosenRow());
    const QDate shown = row >= 0 ? listBox->diary().date(row) : QDate();
    QVBoxLayout *column = nullptr;
    QDialog *dialog = makeDialog(this, QStringLiteral("GoToDate"), tr("Go to Date"), 10, &column);
    QHBoxLayout *line = addLine(column);
    auto *label = new QLabel(tr("Date:"), dialog);
    line->addWidget(label, 0);
    auto *dateEdit = new QDateEdit(shown.isValid() ? shown : Clock::today(), dialog);
    // Screen readers name the field by its label.
    label->setBuddy(dateEdit);
    dateEdit->setCalendarPopup(true);
    dateEdit->setDisplayFormat(DayView::dateFormat());
    line->addWidget(dateEdit, 0);
    addButtons(dialog);
    dateEdit->setFocus();

    if (dialog->exec() == QDialog::Accepted) {
        if (const int found = listBox->newestRowFrom(dateEdit->date()); found >= 0) {
            listBox->setCurrentRow(found);
            // The day's newest entry at the top, the older ones below it.
            listBox->scrollTo(listBox->currentIndex(), QAbstractItemView::PositionAtTop);
        }
    }
    delete dialog;
}
