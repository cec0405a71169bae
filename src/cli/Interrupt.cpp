#include "cli/Interrupt.h"

#include "cli/ExitStatus.h"

#include <csignal>
#include <cstring>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#define QUARNEL_HAS_POSIX 1
#endif

namespace Cli::Interrupt {

namespace {
// Read and written by the signal handler: nothing but sig_atomic_t.
volatile std::sig_atomic_t flag = 0;
volatile std::sig_atomic_t deferredDepth = 0;

extern "C" void onInterrupt(int)
{
    if (deferredDepth > 0) {
        flag = 1;
        return;
    }
#ifdef QUARNEL_HAS_POSIX
    // Only what is safe in a signal handler: write and _exit.
    const ssize_t ignored = ::write(2, kInterruptedLine, std::strlen(kInterruptedLine));
    (void)ignored;
    ::_exit(code(ExitStatus::WriteFailed));
#else
    std::_Exit(code(ExitStatus::WriteFailed));
#endif
}
} // namespace

void install()
{
#ifdef QUARNEL_HAS_POSIX
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // A wait that is interrupted goes on waiting; the flag is read between blocks.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
#else
    std::signal(SIGINT, onInterrupt);
#endif
}

void request()
{
    flag = 1;
}

bool requested()
{
    return flag != 0;
}

void clear()
{
    flag = 0;
}

Deferred::Deferred()
{
    deferredDepth = deferredDepth + 1;
}

Deferred::~Deferred()
{
    deferredDepth = deferredDepth - 1;
}

} // namespace Cli::Interrupt
