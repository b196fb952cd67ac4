// The log transport: socket path, sending blocks, replies, several senders, a vanished receiver.
#include "LogCapture.h"
#include "TempFolder.h"
#include "platform/logtransport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

// Sets XDG_RUNTIME_DIR for one test and back afterwards.
class RuntimeDir {
public:
    explicit RuntimeDir(const char* pszValue)
    {
        const char* pszOld = std::getenv("XDG_RUNTIME_DIR");
        m_bHad = pszOld != nullptr;
        if (m_bHad)
            m_strOld = pszOld;
        if (pszValue)
            setenv("XDG_RUNTIME_DIR", pszValue, 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }
    ~RuntimeDir()
    {
        if (m_bHad)
            setenv("XDG_RUNTIME_DIR", m_strOld.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }

private:
    bool m_bHad = false;
    std::string m_strOld;
};

}  // namespace

TEST(LogTransport, SocketPathFollowsTheRuntimeFolder)
{
    TempFolder folder;
    {
        RuntimeDir env(folder.Path().c_str());
        EXPECT_EQ(LogReceiverSocketPath(kLogReceiverClass, kLogReceiverTitle),
                  folder.Path() + "/TFormQzLog-Orvane Log Receiver.sock");
        EXPECT_EQ(LogReceiverSocketPath("a/b", "c"), folder.Path() + "/a_b-c.sock");
    }
    {
        RuntimeDir env(nullptr);
        const std::string path = LogReceiverSocketPath("K", "T");
        EXPECT_EQ(path.rfind("/tmp/velmora-", 0), 0u) << path;
        const auto perms = std::filesystem::status(std::filesystem::path(path).parent_path()).permissions();
        EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
    }
}

TEST(LogTransport, BlocksArriveWholeAndAreAnswered)
{
    LogCapture capture;
    ASSERT_TRUE(capture.Listening());
    LogReceiverLink first, second;
    ASSERT_TRUE(first.Connect(kLogReceiverClass, kLogReceiverTitle));
    ASSERT_TRUE(second.Connect(kLogReceiverClass, kLogReceiverTitle));
    EXPECT_TRUE(first.Send("one", 4));
    EXPECT_TRUE(second.Send("two", 4));
    const std::string big(3000, 'b');
    EXPECT_TRUE(first.Send(big.c_str(), big.size() + 1));
    const auto blocks = capture.Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], std::string("one\0", 4));
    EXPECT_EQ(blocks[1], std::string("two\0", 4));
    EXPECT_EQ(blocks[2].size(), 3001u);

    // A second receiver on the same socket is refused.
    LogReceiverServer other;
    EXPECT_FALSE(other.Listen(kLogReceiverClass, kLogReceiverTitle));
}

TEST(LogTransport, NoReceiverOrAGoneOneFailsQuietly)
{
    TempFolder folder;
    RuntimeDir env(folder.Path().c_str());
    LogReceiverLink link;
    EXPECT_FALSE(link.Connect(kLogReceiverClass, kLogReceiverTitle));
    EXPECT_FALSE(link.IsConnected());
    EXPECT_FALSE(link.Send("x", 2));

    {
        LogReceiverServer server;
        ASSERT_TRUE(server.Listen(kLogReceiverClass, kLogReceiverTitle));
        ASSERT_TRUE(link.Connect(kLogReceiverClass, kLogReceiverTitle));
        // Nobody serves: the reply does not come within the second, and the link ends.
        EXPECT_FALSE(link.Send("x", 2));
        EXPECT_FALSE(link.IsConnected());
        ASSERT_TRUE(link.Connect(kLogReceiverClass, kLogReceiverTitle));
    }
    // The receiver has ended: sending fails without a SIGPIPE ending this program.
    EXPECT_FALSE(link.Send("x", 2));
    EXPECT_FALSE(link.Send("x", 2));

    // The ended receiver removed its socket; a new one listens at the same place.
    LogReceiverServer next;
    ASSERT_TRUE(next.Listen(kLogReceiverClass, kLogReceiverTitle));
    EXPECT_TRUE(std::filesystem::exists(next.Path()));
}

TEST(LogTransport, PathsTooLongForASocketAreRefused)
{
    TempFolder folder;
    const std::string deep = folder.Path() + "/" + std::string(120, 'r');
    std::filesystem::create_directory(deep);
    RuntimeDir env(deep.c_str());
    LogReceiverServer server;
    EXPECT_FALSE(server.Listen(kLogReceiverClass, kLogReceiverTitle));
    LogReceiverLink link;
    EXPECT_FALSE(link.Connect(kLogReceiverClass, kLogReceiverTitle));
}
