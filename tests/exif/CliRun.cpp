// Running velmora-cli and other programs from the tests.
#include "CliRun.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace exiftest {

CliRun Cli(const ScratchDir& dir, const std::string& args, const std::string& env)
{
    const std::string errPath = dir.Path("stderr.txt");
    const std::string command = "LC_ALL=C.UTF-8 XDG_STATE_HOME='" + dir.Path("state") + "' " + env + " '" VELMORA_CLI
                                "' " + args + " 2>'" + errPath + "'";
    CliRun run{};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        run.out.append(buffer, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes err = ReadAll(errPath);
    run.err.assign(err.begin(), err.end());
    return run;
}

int Shell(const std::string& command)
{
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

}  // namespace exiftest
