// ThrowLastError and the message catalogue.
#include "ReceivedLog.h"
#include "platform/winerror.h"
#include "tx/UTxBase.h"
#include "tx/UTxLanguage.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>

namespace {
// Another unit's static initialisation may fill and read the catalogue, whichever unit the
// program initialises first.
const std::string s_strEarlyMessage = [] {
    TxLibInitializer init;
    return std::string(TxMessages[TXMSG_READ_ERROR].Text());
}();
}  // namespace

TEST(Exceptions, CatalogueIsUsableFromStaticInitialisation)
{
    EXPECT_EQ(s_strEarlyMessage, "Error reading file %s.");
}

TEST(Exceptions, ThrowLastError)
{
    ReceivedLog log;
    ASSERT_TRUE(log.Connected());
    SetLastError(0);
    EXPECT_NO_THROW(ThrowLastError(false));  // no error: nothing raised, nothing logged
    EXPECT_TRUE(log.Texts().empty());

    SetLastError(ENOENT);
    try {
        ThrowLastError(false);
        FAIL() << "nothing raised";
    } catch (const ExNormal& e) {
        EXPECT_STREQ(e.Message(), "No such file or directory");
    }
    SetLastError(EACCES);
    EXPECT_THROW(ThrowLastError(true), ExCritical);
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Throwing exception: No such file or directory",
                                                     "Throwing exception: Permission denied"}));
    // Handlers that catch the base class receive both kinds.
    for (bool bCritical : {false, true}) {
        SetLastError(EIO);
        try {
            ThrowLastError(bCritical);
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Input/output error");
        }
    }
    // An error without a text raises an empty message.
    SetLastError(987654);
    try {
        ThrowLastError(false);
    } catch (const ExNormal& e) {
        EXPECT_STREQ(e.Message(), "");
    }
}

TEST(Exceptions, CatalogueEntriesAndTheirMessages)
{
    EXPECT_STREQ(TxMessages[TXMSG_INTERNAL].Text(),
                 "Internal exception occured. Please read the Troubleshooting chapter in Help.");
    EXPECT_STREQ(TxMessages[TXMSG_READ_ERROR].Text(), "Error reading file %s.");
    EXPECT_STREQ(TxMessages[TXMSG_WRITE_ERROR].Text(), "Error writing to file %s.");
    EXPECT_STREQ(TxMessages[TXMSG_SEEK_ERROR].Text(), "Error seeking in file %s.");

    // A second initialiser changes nothing.
    const char* pBefore = TxMessages[TXMSG_READ_ERROR].Text();
    TxLibInitializer again;
    EXPECT_EQ(TxMessages[TXMSG_READ_ERROR].Text(), pBefore);

    // The path is filled in whole, however long, and a "%" in it is taken literally.
    const std::string path = "/photos/100%s/" + std::string(4000, 'p');
    try {
        ThrowCatalogueMessage(TXMSG_SEEK_ERROR, path.c_str());
    } catch (const ExNormal& e) {
        EXPECT_EQ(std::string(e.Message()), "Error seeking in file " + path + ".");
    }
    const ExNormal copy("text");
    const ExNormal copied(copy);
    EXPECT_STREQ(copied.Message(), "text");
}
