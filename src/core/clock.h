// SPDX-License-Identifier: GPL-3.0-or-later
// The program's "now". Tests can set it to a fixed moment.
#ifndef CLOCK_H
#define CLOCK_H

#include <QDateTime>

#include <functional>

namespace Clock {

QDateTime now();
QDate today();
// An empty function restores the system clock.
void setForTesting(std::function<QDateTime()> now);

} // namespace Clock

#endif
