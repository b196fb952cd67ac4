// The help texts of velmora-cli.
#include "CliHelp.h"

#include <cstring>

const char kUsage[] =
    "Usage:\n"
    "  velmora-cli dump FILE                  list every EXIF tag of FILE\n"
    "  velmora-cli date FILE...               print the picture date of each FILE\n"
    "  velmora-cli dates FILE...              list every copy of a date in each FILE\n"
    "  velmora-cli set-exif [TAGS] DATE FILE...\n"
    "                                         set the date tags to one date\n"
    "  velmora-cli shift [TAGS] [--file-time] [--zone +HH:MM] [-n] [-r] OFFSET PATH...\n"
    "                                         shift each file's own dates by OFFSET\n"
    "  velmora-cli file-time [-n] [-r] PATH...\n"
    "                                         set each file's time stamp from its EXIF date\n"
    "  velmora-cli history [--prune DAYS]     list the undo journal, or drop old records\n"
    "  velmora-cli undo [N] [--record ID] [-n]\n"
    "                                         undo the last N writes, or the record ID\n"
    "\n"
    "velmora-cli COMMAND --help describes a command. Every command that writes first records\n"
    "what it changes in the undo journal ($XDG_STATE_HOME/velmora/journal, else\n"
    "~/.local/state/velmora/journal); a journal that cannot be written stops the command\n"
    "before any file changes.\n"
    "\n"
    "Exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.\n"
    "\"--\" ends the options, for file names that begin with \"-\".\n";

namespace {

struct Help {
    const char* pszCommand;
    const char* pszText;
};

const Help kHelp[] = {
    {"dump", "Usage: velmora-cli dump FILE\n"
             "List every EXIF tag of FILE as the EXIF window shows it; tags the engine does not\n"
             "know are named on standard error.\n"},
    {"date", "Usage: velmora-cli date FILE...\n"
             "Print the picture date of each FILE (DateTimeOriginal, else DateTime) as\n"
             "\"YYYY:MM:DD HH:MM:SS<tab>FILE\"; a file without a usable date is named on standard\n"
             "error.\n"},
    {"dates", "Usage: velmora-cli dates FILE...\n"
              "List every copy of a date in each FILE, one line each: the file, where the copy\n"
              "stands (IFD0, IFD1, ExifIFD, XMP, IPTC), its name, its text, and whether it agrees\n"
              "with the picture's DateTimeOriginal, separated by tabs.\n"},
    {"set-exif", "Usage: velmora-cli set-exif [--datetime] [--original] [--digitized]\n"
                 "                            [--allow-hard-links] \"YYYY:MM:DD HH:MM:SS\" FILE...\n"
                 "Rewrite every copy of the chosen date tags (all three when none is chosen) of each\n"
                 "FILE in place and report per file and copy what was written. A copy is left alone\n"
                 "when it cannot hold a full date, when its bytes are not a date text, or when the\n"
                 "file changed meanwhile; the copies of these dates in XMP and IPTC move with them,\n"
                 "each keeping its shape; a file is left alone when it has other hard links (unless\n"
                 "allowed) or when its time stamp cannot be set by this user. Each file keeps its\n"
                 "time stamp. The write is recorded in the undo journal first.\n"},
    {"shift", "Usage: velmora-cli shift [--datetime] [--original] [--digitized] [--file-time]\n"
              "                         [--zone +HH:MM] [-n|--dry-run] [-r] [--allow-hard-links]\n"
              "                         OFFSET PATH...\n"
              "Shift each file's own dates by OFFSET, each date from its own value, with every\n"
              "copy of it (IFD0, IFD1, XMP, IPTC). OFFSET is [+|-][[Y:]M:D ]H:M[:S]:\n"
              "  +1:00           one hour later        -0:30        half an hour earlier\n"
              "  \"-0:0:1 0:00\"   one day earlier       \"+1:0:0 0:00\" one year later\n"
              "  \"+0:2 0:00\"     two months later      +1           one hour later\n"
              "Years and months are calendar steps: a date they would make that does not exist\n"
              "(31 January plus one month) is refused, as is a date outside 1601-9999; the file\n"
              "is then left as it is.\n"
              "  --datetime, --original, --digitized  the dates to shift (all three by default)\n"
              "  --file-time   also set the file's time stamp to the new DateTimeOriginal (else\n"
              "                the time stamp is kept)\n"
              "  --zone +HH:MM the camera was set to another time zone than the one it was in:\n"
              "                each date also moves by the difference between this zone and its\n"
              "                own OffsetTime tag (OffsetTimeOriginal's when it has none), and\n"
              "                the OffsetTime tags of the chosen dates take this zone; give 0:00\n"
              "                as OFFSET for nothing more. A file without OffsetTime tags is\n"
              "                left as it is.\n"
              "  -n, --dry-run print what would change and write nothing\n"
              "  -r            work on the files in the folders given and their subfolders\n"
              "  --allow-hard-links  also write files that have other hard links\n"
              "A folder without -r, a file without EXIF data or without a chosen date is named\n"
              "on standard error and the exit status is 1; the other files are still shifted.\n"},
    {"file-time", "Usage: velmora-cli file-time [-n|--dry-run] [-r] PATH...\n"
                  "Set each file's time stamp from its EXIF date (DateTimeOriginal, else DateTime), as\n"
                  "local time with the offset in force at that date. The bytes of the file are not\n"
                  "changed. -n prints what would change; -r works on the files in the folders given\n"
                  "and their subfolders.\n"},
    {"history", "Usage: velmora-cli history [--prune DAYS]\n"
                "List the records of the undo journal, oldest first: the record's number, when it\n"
                "was written, how many files it changed and the command (\"(undone)\" when a later\n"
                "undo played it backwards). A damaged part of the journal is skipped and said so\n"
                "(exit status 1). --prune DAYS removes the records older than DAYS days and the\n"
                "damaged parts.\n"},
    {"undo", "Usage: velmora-cli undo [N] [--record ID] [-n|--dry-run] [--allow-hard-links]\n"
             "Undo the last N writes (1 by default) that were not undone yet, newest first, or\n"
             "the record ID that history lists (an undo too, which is then done again). Each\n"
             "file gets back its old bytes and its old time stamp, through the same write path.\n"
             "A file that was changed since the write, or that was replaced by another file of\n"
             "the same name, is named on standard error and left as it is (exit status 1). The\n"
             "undo is itself recorded in the journal, so that it can be undone in turn.\n"},
};

}  // namespace

const char* CommandHelp(const char* pszCommand)
{
    for (const Help& help : kHelp)
        if (std::strcmp(help.pszCommand, pszCommand) == 0)
            return help.pszText;
    return nullptr;
}
