// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/entryvaluebox.h"

#include "core/entrytext.h"
#include "core/glucoseconversion.h"

namespace {

// The dialogs' whole-number range, in every unit.
constexpr int lowestValue = 1;
constexpr int highestValue = 3000;

} // namespace

EntryValueBox::EntryValueBox(const Preferences &preferences, int typeIndex,
                             const QString &storedText, QWidget *parent)
    : QDoubleSpinBox(parent), m_preferences(preferences), m_type(typeIndex),
      m_storedType(typeIndex), m_storedText(storedText)
{
    qint32 hundredths = 0;
    const bool decimal = takesFraction(typeIndex) && parseDecimal(storedText, hundredths);
    m_fractionEntry = decimal && hundredths % 100 != 0;
    if (!decimal)
        hundredths = qint64(parseValue(storedText)) * 100;
    m_hundredths = hundredths;
    followType(typeIndex);
    m_storedShown = shownHundredths();
}

bool EntryValueBox::showsMmol(int typeIndex) const
{
    return typeIndex == glucoseType && m_preferences.glucoseUnit == GlucoseUnit::MmolPerL;
}

bool EntryValueBox::showsFraction(int typeIndex) const
{
    return takesFraction(typeIndex) &&
           (m_fractionEntry || m_preferences.insulinDoses == InsulinDoses::Fractions);
}

void EntryValueBox::followType(int typeIndex)
{
    if (shownHundredths() != m_lastShown)
        m_hundredths =
            showsMmol(m_type) ? qint64(mgPerDlFromMmol(value())) * 100 : shownHundredths();
    m_type = typeIndex;

    if (showsMmol(typeIndex)) {
        setDecimals(1);
        setRange(double(mmolTenths(lowestValue)) / 10, double(mmolTenths(highestValue)) / 10);
        setSingleStep(0.1);
    } else if (showsFraction(typeIndex)) {
        setDecimals(2);
        setRange(0.01, highestValue);
        setSingleStep(0.5);
    } else {
        setDecimals(0);
        setRange(lowestValue, highestValue);
        setSingleStep(1);
    }
    // Units show once the person has chosen other than the diary's own.
    if (m_preferences.showsDefaults())
        setSuffix(QString());
    else
        setSuffix(showsMmol(typeIndex) ? QStringLiteral(" mmol/L") : unitSuffix(typeIndex));
    setValue(showsMmol(typeIndex) ? double(mmolTenths(qRound64(m_hundredths / 100.0))) / 10
                                  : double(m_hundredths) / 100);
    m_lastShown = shownHundredths();
}

QString EntryValueBox::storedText() const
{
    if (m_type == m_storedType && shownHundredths() == m_storedShown)
        return m_storedText;
    if (showsMmol(m_type))
        return formatValue(mgPerDlFromMmol(value()));
    if (showsFraction(m_type))
        return formatDose(shownHundredths());
    return formatValue(qRound(value()));
}

int EntryValueBox::wholeValue() const
{
    return showsMmol(m_type) ? mgPerDlFromMmol(value()) : qRound(value());
}
