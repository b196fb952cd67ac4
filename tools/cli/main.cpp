// velmora-cli: lists the EXIF tags of photographs, prints their dates and every copy of them,
// rewrites and shifts their date tags in place, sets their time stamps from them, and undoes
// any of its writes, with the same engine as the desktop program.
#include "CliCommands.h"
#include "CliHelp.h"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

using Command = int (*)(int argc, char** argv);

struct Entry {
    const char* pszName;
    Command command;
};

const Entry kCommands[] = {
    {"dump", CommandDump},       {"date", CommandDate},         {"dates", CommandDates},
    {"set-exif", CommandSetExif}, {"shift", CommandShift},      {"file-time", CommandFileTime},
    {"history", CommandHistory}, {"undo", CommandUndo},
};

bool IsHelp(const char* pszArg) { return std::strcmp(pszArg, "--help") == 0 || std::strcmp(pszArg, "-h") == 0; }

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc >= 2 && IsHelp(argv[1])) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (argc >= 2) {
        for (const Entry& entry : kCommands) {
            if (std::strcmp(argv[1], entry.pszName) != 0)
                continue;
            if (argc >= 3 && IsHelp(argv[2])) {
                std::fputs(CommandHelp(entry.pszName), stdout);
                return kExitOk;
            }
            return entry.command(argc - 2, argv + 2);
        }
        std::fprintf(stderr, "velmora-cli: unknown command %s\n", argv[1]);
    }
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
