// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/deferredtermination.h"

#include <csignal>
#include <iterator>

namespace {

const int deferred[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(deferred)];
bool taken[std::size(deferred)];
int depth = 0; // the diary is only written from one thread
volatile sig_atomic_t caught = 0;

extern "C" void noteSignal(int number)
{
    caught = number;
}

} // namespace

DeferredTermination::DeferredTermination()
{
    if (depth++ > 0)
        return;
    caught = 0;
    for (size_t i = 0; i < std::size(deferred); ++i) {
        struct sigaction current = {};
        taken[i] = sigaction(deferred[i], nullptr, &current) == 0 &&
                   current.sa_handler == SIG_DFL && !(current.sa_flags & SA_SIGINFO);
        if (!taken[i])
            continue;
        struct sigaction note = {};
        note.sa_handler = noteSignal;
        sigemptyset(&note.sa_mask);
        note.sa_flags = SA_RESTART;
        sigaction(deferred[i], &note, &previous[i]);
    }
}

DeferredTermination::~DeferredTermination()
{
    if (--depth > 0)
        return;
    for (size_t i = 0; i < std::size(deferred); ++i) {
        if (taken[i])
            sigaction(deferred[i], &previous[i], nullptr);
    }
    if (caught)
        std::raise(caught);
}
