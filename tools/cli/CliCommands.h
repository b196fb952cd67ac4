// The commands of velmora-cli. Each returns the exit status: 0 when every file succeeded,
// 1 when any failed, 2 for a usage error.
#pragma once

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int CommandDump(int argc, char** argv);
int CommandDate(int argc, char** argv);
int CommandDates(int argc, char** argv);
int CommandSetExif(int argc, char** argv);
int CommandShift(int argc, char** argv);
int CommandFileTime(int argc, char** argv);
int CommandHistory(int argc, char** argv);
int CommandUndo(int argc, char** argv);
