// SPDX-License-Identifier: GPL-3.0-or-later
// The value box of the entry dialogs once glucose shows in mmol/L or doses
// take fractions: a decimal box that follows the chosen type. The diary
// keeps whole mg/dL and doses in hundredths, and a value the person leaves
// alone is kept exactly as it was stored.
#ifndef ENTRYVALUEBOX_H
#define ENTRYVALUEBOX_H

#include "core/preferences.h"

#include <QDoubleSpinBox>
#include <QString>

class EntryValueBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    // storedText is the value as the diary holds it for the type (-1: a type
    // that is not one of ours). A dose with a fraction keeps two decimals
    // whatever the preference.
    EntryValueBox(const Preferences &preferences, int typeIndex, const QString &storedText,
                  QWidget *parent = nullptr);

    // Keeps the value (in the diary's terms) and shows it as the type wants.
    void followType(int typeIndex);
    // The diary text of the value shown; the stored text while neither the
    // type nor the value has changed.
    QString storedText() const;
    // The value in whole units (mg/dL for glucose).
    int wholeValue() const;

private:
    bool showsMmol(int typeIndex) const;
    bool showsFraction(int typeIndex) const;
    qint64 shownHundredths() const { return qRound64(value() * 100); }

    Preferences m_preferences;
    bool m_fractionEntry = false;
    int m_type;
    int m_storedType;
    QString m_storedText;
    qint64 m_storedShown = 0; // the value first shown, in hundredths
    // The value in the diary's terms while the person has not changed the
    // one shown since (a change of type alone does not round it).
    qint64 m_hundredths = 0;
    qint64 m_lastShown = 0;
};

#endif
