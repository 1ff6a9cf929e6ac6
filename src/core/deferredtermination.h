// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps SIGINT, SIGTERM and SIGHUP from ending the process in the middle of
// writing the diary: while one of these objects lives, such a signal is only
// noted, and it ends the process as it would have once the last one goes.
// Signals someone already handles (the window's own handler) are left alone.
#ifndef DEFERREDTERMINATION_H
#define DEFERREDTERMINATION_H

class DeferredTermination
{
public:
    DeferredTermination();
    ~DeferredTermination();
    DeferredTermination(const DeferredTermination &) = delete;
    DeferredTermination &operator=(const DeferredTermination &) = delete;
};

#endif
