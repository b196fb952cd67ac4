// velmora-cli: lists the EXIF tags of JPEG files, prints their picture dates and every copy of
// them, and rewrites their date tags in place, with the same engine as the desktop program.
#include "CliCommands.h"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  velmora-cli dump FILE\n"
    "      List every EXIF tag of FILE as the EXIF window shows it.\n"
    "  velmora-cli date FILE...\n"
    "      Print the picture date of each FILE (DateTimeOriginal, else DateTime) as\n"
    "      \"YYYY:MM:DD HH:MM:SS<tab>FILE\"; a file without a usable date is named on\n"
    "      standard error.\n"
    "  velmora-cli dates FILE...\n"
    "      List every copy of a date in each FILE, one line each: the file, where the copy\n"
    "      stands (IFD0, IFD1, ExifIFD, XMP, IPTC), its name, its text, and whether it agrees\n"
    "      with the picture's DateTimeOriginal, separated by tabs.\n"
    "  velmora-cli set-exif [--datetime] [--original] [--digitized] [--allow-hard-links]\n"
    "                       \"YYYY:MM:DD HH:MM:SS\" FILE...\n"
    "      Rewrite every copy of the chosen date tags (all three when none is chosen) of\n"
    "      each FILE in place and report per file and copy what was written. A copy is left\n"
    "      alone when it cannot hold a full date, when its bytes are not a date text, or when\n"
    "      the file changed meanwhile; the copies of these dates in XMP and IPTC move with\n"
    "      them, each keeping its shape; a file is left alone when it has other hard links\n"
    "      (unless allowed) or when its time stamp cannot be set by this user. Each file\n"
    "      keeps its time stamp.\n"
    "  velmora-cli --help\n"
    "\n"
    "Exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.\n"
    "dump names the tags the engine does not know on standard error.\n"
    "\"--\" ends the options, for file names that begin with \"-\".\n";

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (argc >= 2) {
        const char* pszCommand = argv[1];
        if (std::strcmp(pszCommand, "dump") == 0)
            return CommandDump(argc - 2, argv + 2);
        if (std::strcmp(pszCommand, "date") == 0)
            return CommandDate(argc - 2, argv + 2);
        if (std::strcmp(pszCommand, "dates") == 0)
            return CommandDates(argc - 2, argv + 2);
        if (std::strcmp(pszCommand, "set-exif") == 0)
            return CommandSetExif(argc - 2, argv + 2);
        std::fprintf(stderr, "velmora-cli: unknown command %s\n", pszCommand);
    }
    std::fputs(kUsage, stderr);
    return kExitUsage;
}
