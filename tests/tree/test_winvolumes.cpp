// The folder chooser's roots: the mounts table parser, the choice of removable and network
// mounts, and the labels found through the label links.
#include "platform/winvolumes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const kSampleMounts =
    "/dev/full / ext4 rw,relatime 0 0\n"
    "proc /proc proc rw,nosuid 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n"
    "/dev/sda2 /home ext4 rw 0 0\n"
    "/dev/null /media/anna/STICK vfat rw,uid=1000 0 0\n"
    "/dev/zero /run/media/anna/My\\040Photos exfat rw 0 0\n"
    "//nas/photos /mnt/nas cifs rw 0 0\n"
    "server:/export /mnt/nfs nfs4 rw 0 0\n"
    "tmpfs /mnt/scratch tmpfs rw 0 0\n"
    "systemd-1 /mnt/auto autofs rw 0 0\n"
    "/dev/sdc1 /media ext4 rw 0 0\n"
    "/dev/sdd1 /mediaextra/x vfat rw 0 0\n"
    "broken-line-with-two fields\n"
    "\n";

class TempFolder {
public:
    TempFolder()
    {
        char pattern[] = "/tmp/velmora-volumes-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

}  // namespace

TEST(Volumes, ParsesFieldsAndDecodesOctalEscapes)
{
    std::vector<MountEntry> entries = ParseMounts(kSampleMounts);
    ASSERT_EQ(entries.size(), 12u);  // the two-field line and the empty line are skipped
    EXPECT_EQ(entries[0].strSource, "/dev/full");
    EXPECT_EQ(entries[0].strMountPoint, "/");
    EXPECT_EQ(entries[0].strType, "ext4");
    EXPECT_EQ(entries[5].strMountPoint, "/run/media/anna/My Photos");

    std::vector<MountEntry> odd = ParseMounts("/dev/sdb1 /media/a\\134b\\011c\\12x\\0009 vfat rw 0 0");
    ASSERT_EQ(odd.size(), 1u);
    // Backslash and tab decoded; a short or zero escape is kept as written.
    EXPECT_EQ(odd[0].strMountPoint, "/media/a\\b\tc\\12x\\0009");
}

TEST(Volumes, ChoosesRemovableAndNetworkMountsBelowTheMediaFolders)
{
    std::vector<std::string> chosen;
    for (const MountEntry& entry : ParseMounts(kSampleMounts)) {
        if (IsRemovableOrNetworkMount(entry))
            chosen.push_back(entry.strMountPoint);
    }
    // Not "/" or /home (not below a media folder), not tmpfs or autofs, not /media itself,
    // not /mediaextra (a different folder that merely starts with the same letters).
    EXPECT_EQ(chosen, (std::vector<std::string>{"/media/anna/STICK", "/run/media/anna/My Photos", "/mnt/nas",
                                                "/mnt/nfs"}));
}

TEST(Volumes, LabelLinkNamesAreDecoded)
{
    EXPECT_EQ(DecodeLabelLinkName("My\\x20Photos"), "My Photos");
    EXPECT_EQ(DecodeLabelLinkName("A\\x2fB"), "A/B");
    EXPECT_EQ(DecodeLabelLinkName("bad\\xZZ\\x2"), "bad\\xZZ\\x2");
}

TEST(Volumes, RootsComeSlashFirstThenSortedWithLabels)
{
    TempFolder temp;
    fs::path mounts = temp.Path() / "mounts";
    fs::path labels = temp.Path() / "by-label";
    fs::create_directory(labels);
    // The test's "devices" are device nodes every machine has.
    fs::create_symlink("/dev/null", labels / "STICK");
    fs::create_symlink("/dev/zero", labels / "My\\x20Photos");
    fs::create_symlink("/dev/full", labels / "system");
    std::ofstream(mounts) << kSampleMounts
                          << "/dev/random /media/anna/STICK vfat rw 0 0\n";  // mounted over

    std::vector<VolumeRoot> roots = GetVolumeRoots(mounts.c_str(), labels.c_str());
    ASSERT_EQ(roots.size(), 5u);
    EXPECT_EQ(roots[0].strPath, "/");
    EXPECT_EQ(roots[0].strLabel, "system");
    EXPECT_EQ(roots[1].strPath, "/media/anna/STICK");
    EXPECT_EQ(roots[1].strLabel, "");  // the later mount over it has no label link
    EXPECT_EQ(roots[2].strPath, "/mnt/nas");
    EXPECT_EQ(roots[2].strLabel, "");  // network shares have no label
    EXPECT_EQ(roots[3].strPath, "/mnt/nfs");
    EXPECT_EQ(roots[4].strPath, "/run/media/anna/My Photos");
    EXPECT_EQ(roots[4].strLabel, "My Photos");

    // Without a readable mounts table or label folder: "/" alone, unlabelled labels.
    std::vector<VolumeRoot> bare = GetVolumeRoots((temp.Path() / "missing").c_str(), labels.c_str());
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].strPath, "/");
    EXPECT_EQ(bare[0].strLabel, "");
    std::vector<VolumeRoot> noLabels = GetVolumeRoots(mounts.c_str(), (temp.Path() / "none").c_str());
    ASSERT_EQ(noLabels.size(), 5u);
    EXPECT_EQ(noLabels[4].strLabel, "");
}
