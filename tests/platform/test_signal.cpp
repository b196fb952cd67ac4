// A program whose standard output is closed lives on: the write fails instead.
#include "platform/winsignal.h"

#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// Writes to a pipe whose reading end is closed, as "velmora | less" does after less has quit.
[[noreturn]] void WriteToClosedPipe()
{
    int fds[2];
    if (pipe(fds) != 0)
        _exit(2);
    close(fds[0]);
    errno = 0;
    const ssize_t n = write(fds[1], "x", 1);
    _exit(n == -1 && errno == EPIPE ? 0 : 1);
}

}  // namespace

TEST(BrokenPipe, IgnoredItFailsTheWriteAndTheProgramGoesOn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(WriteToClosedPipe(), ::testing::KilledBySignal(SIGPIPE), "") << "the system's default";
    EXPECT_EXIT((IgnoreBrokenPipe(), WriteToClosedPipe()), ::testing::ExitedWithCode(0), "");
}
