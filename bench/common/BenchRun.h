// Timing and reporting for the benchmarks: our code and the other tools on the same files in
// the same run, figures printed as times, rates and ratios.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start);
// Runs a shell command; its standard output's line count, or -1 when it failed. seconds gets
// how long it took.
int RunLines(const std::string& command, double& seconds);
bool Installed(const char* pszTool);
// Writes the paths one per line into folder/name; returns that file's path.
std::string ArgFile(const std::string& folder, const std::vector<std::string>& paths,
                    const std::string& name = "files.txt");
void Report(const char* pszWhat, int nOk, int nFiles, double seconds);
// Prints other / ours and whether it reaches the target.
void Ratio(const char* pszWhat, double other, double ours, double target);
// A bare read of each file as a baseline: open, read of the first 64 KiB, close. The number
// that could be read.
int BareReads(const std::vector<std::string>& paths);
// A new folder below the temporary folder, or the one given.
std::string BenchFolder(const std::string& given, const char* pszPrefix);

}  // namespace bench
