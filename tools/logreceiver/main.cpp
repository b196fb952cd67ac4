// velmora-logreceiver: listens where the program's debug log looks for its receiver and prints
// every record it receives on its own line.
#include "platform/logtransport.h"
#include "platform/winerror.h"
#include "platform/winsignal.h"

#include <cstdio>
#include <cstring>

namespace {

LogReceiverServer* s_pServer = nullptr;

void OnSignal()
{
    if (s_pServer != nullptr)
        s_pServer->Stop();
}

void PrintRecord(const char* pText, std::size_t cchText, void*)
{
    std::fwrite(pText, 1, cchText, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintHelp(const char* pszProgram)
{
    std::printf(
        "Usage: %s [--help]\n"
        "\n"
        "Receives the debug records of Velmora programs started after it and prints each on\n"
        "its own line to standard output. It listens on the socket\n"
        "  %s\n"
        "($XDG_RUNTIME_DIR, else a private folder under /tmp). Stop it with Ctrl+C.\n",
        pszProgram, LogReceiverSocketPath(kLogReceiverClass, kLogReceiverTitle).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintHelp(argv[0]);
            return 0;
        }
        std::fprintf(stderr, "%s: unknown argument '%s' (try --help)\n", argv[0], argv[i]);
        return 2;
    }

    LogReceiverServer server;
    if (!server.Listen(kLogReceiverClass, kLogReceiverTitle)) {
        const std::string error = FormatErrorText(GetLastError());
        std::fprintf(stderr, "%s: cannot listen on %s: %s\n", argv[0],
                     LogReceiverSocketPath(kLogReceiverClass, kLogReceiverTitle).c_str(),
                     error.c_str());
        return 1;
    }
    s_pServer = &server;
    OnTerminationSignal(OnSignal);

    std::fprintf(stderr, "Listening on %s\n", server.Path().c_str());
    server.Serve(PrintRecord, nullptr);
    s_pServer = nullptr;
    return 0;
}
