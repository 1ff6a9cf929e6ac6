// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/clock.h"

namespace Clock {

namespace {
std::function<QDateTime()> & override()
{
    static std::function<QDateTime()> now;
    return now;
}
} // namespace

QDateTime now()
{
    return override() ? override()() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setForTesting(std::function<QDateTime()> now)
{
    override() = std::move(now);
}

} // namespace Clock
