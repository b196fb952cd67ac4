#include "BenchRun.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace bench {

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int RunLines(const std::string& command, double& seconds)
{
    const auto start = Clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    int nLines = 0;
    char buffer[4096];
    while (std::fgets(buffer, sizeof(buffer), pipe))
        ++nLines;
    const int status = pclose(pipe);
    seconds = Seconds(start);
    return status == 0 ? nLines : -1;
}

bool Installed(const char* pszTool)
{
    return std::system((std::string("command -v ") + pszTool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ArgFile(const std::string& folder, const std::vector<std::string>& paths, const std::string& name)
{
    const std::string list = folder + "/" + name;
    std::ofstream f(list);
    for (const std::string& p : paths)
        f << p << '\n';
    return list;
}

void Report(const char* pszWhat, int nOk, int nFiles, double seconds)
{
    std::printf("  %-56s %7.3f s  %9.1f files/s  (%d/%d ok)\n", pszWhat, seconds, nFiles / seconds, nOk, nFiles);
}

void Ratio(const char* pszWhat, double other, double ours, double target)
{
    std::printf("  %-56s %7.2fx  (target %gx: %s)\n", pszWhat, other / ours, target,
                other / ours >= target ? "met" : "NOT met");
}

int BareReads(const std::vector<std::string>& paths)
{
    int nOk = 0;
    std::vector<char> chunk(64 * 1024);
    for (const std::string& p : paths) {
        const int hFile = open(p.c_str(), O_RDONLY | O_CLOEXEC);
        nOk += hFile >= 0 && read(hFile, chunk.data(), chunk.size()) > 0;
        if (hFile >= 0)
            close(hFile);
    }
    return nOk;
}

std::string BenchFolder(const std::string& given, const char* pszPrefix)
{
    std::string folder = given;
    if (folder.empty()) {
        std::random_device rd;
        folder = (std::filesystem::temp_directory_path() / (std::string(pszPrefix) + std::to_string(rd()))).string();
    }
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace bench
