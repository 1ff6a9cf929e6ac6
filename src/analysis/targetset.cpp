// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/targetset.h"

#include <QCoreApplication>

namespace {

struct TargetText
{
    Q_DECLARE_TR_FUNCTIONS(Statistics)
};

} // namespace

const TargetGoals &targetGoals(TargetSet set)
{
    // In the order of TargetSet; pregnancy with type 2 or gestational
    // diabetes has no goals yet, only its range.
    static const TargetGoals goals[] = {
        {70, 180, 70, 4, 1, 25, 5},
        {70, 180, 50, 1, {}, {}, 10},
        {63, 140, 70, 4, 1, 25, {}},
        {63, 140, {}, {}, {}, {}, {}},
    };
    return goals[size_t(set)];
}

QString targetSetName(TargetSet set)
{
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("Statistics", "Standard (type 1 and type 2)"),
        QT_TRANSLATE_NOOP("Statistics", "Older or high-risk"),
        QT_TRANSLATE_NOOP("Statistics", "Pregnancy, type 1"),
        QT_TRANSLATE_NOOP("Statistics", "Pregnancy, type 2 or gestational")};
    return TargetText::tr(names[size_t(set)]);
}
