// SPDX-License-Identifier: GPL-3.0-or-later
// Diaries shaped like years of sensor use: a glucose reading every five
// minutes up to now, carbs and a bolus at three meals a day, and now and then
// a line someone edited by hand.
#ifndef SYNTHETICDIARY_H
#define SYNTHETICDIARY_H

#include <QByteArray>
#include <QDateTime>

// With fractionalDoses, half the boluses have a fraction (" 4.5", "6.25").
QByteArray syntheticDiary(qsizetype entries, const QDateTime &end, bool fractionalDoses = false);

#endif
