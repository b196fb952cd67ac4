// velmora-cli run as a separate program, with its standard output, standard error and exit
// status; the undo journal goes into the scratch folder.
#pragma once

#include "ExifFiles.h"

#include <string>

namespace exiftest {

struct CliRun {
    int status;
    std::string out, err;
};

// Runs "velmora-cli ARGS" under LC_ALL=C.UTF-8 with XDG_STATE_HOME in dir, after the
// environment settings in env ("TZ=Europe/Prague", say).
CliRun Cli(const ScratchDir& dir, const std::string& args, const std::string& env = "");
// The exit status of a shell command line.
int Shell(const std::string& command);
std::string Quote(const std::string& path);

}  // namespace exiftest
