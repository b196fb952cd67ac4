#include "winsignal.h"

#include <csignal>

namespace {

void (*volatile s_pfnHandler)() = nullptr;

void Dispatch(int)
{
    if (s_pfnHandler != nullptr)
        s_pfnHandler();
}

}  // namespace

void OnTerminationSignal(void (*pfnHandler)())
{
    s_pfnHandler = pfnHandler;
    struct sigaction action {};
    action.sa_handler = Dispatch;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void IgnoreBrokenPipe()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}
