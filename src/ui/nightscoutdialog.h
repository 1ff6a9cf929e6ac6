// SPDX-License-Identifier: GPL-3.0-or-later
// Setup > Nightscout...: the site's address, its access token or API secret
// (of a secret only the SHA-1 is kept), a test of both, the fetch every five
// minutes, and how far back the first fetch from the site goes.
#ifndef NIGHTSCOUTDIALOG_H
#define NIGHTSCOUTDIALOG_H

#include "core/nightscoutsettings.h"

#include <optional>

class QWidget;

namespace NightscoutDialog {

// The site as the person left it, the rest of stored kept; nothing when
// cancelled. An address Mellidor would not ask is refused with the reason
// before the dialog closes.
std::optional<NightscoutSettings> ask(QWidget *parent, const NightscoutSettings &stored);

} // namespace NightscoutDialog

#endif
