// SPDX-License-Identifier: GPL-3.0-or-later
// Everything main() does once the application object exists: the lock, the
// main window, the termination signals and the event loop.
#ifndef APPLICATION_H
#define APPLICATION_H

#include "app/version.h"

#include <functional>

class Mellidor;

inline constexpr char mellidorCaption[] = "Mellidor " MELLIDOR_VERSION;

// Returns the exit status. started, when given, runs once the window shows.
int runMellidor(const std::function<void(Mellidor &)> &started = {});

#endif
