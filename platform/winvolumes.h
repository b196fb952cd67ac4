// The roots of the folder chooser: the file-system root and the mount points of removable and
// network media, with their volume labels where known.
#pragma once

#include <string>
#include <vector>

struct VolumeRoot {
    std::string strPath;   // mount point, for example "/" or "/media/anna/STICK"
    std::string strLabel;  // volume label, empty when none is known
};

// One line of a mounts table (fstab format), its fields with the octal escapes decoded.
struct MountEntry {
    std::string strSource;      // device or share, for example "/dev/sdb1" or "//nas/photos"
    std::string strMountPoint;  // where it is mounted
    std::string strType;        // file-system type, for example "vfat" or "nfs4"
};

constexpr const char* kDefaultMountsFile = "/proc/self/mounts";
constexpr const char* kDefaultLabelFolder = "/dev/disk/by-label";

// Splits a mounts table into entries; lines with fewer than three fields are skipped.
// Escapes of the form \NNN (three octal digits, as in "\040" for a blank) are decoded.
std::vector<MountEntry> ParseMounts(const std::string& strText);

// True for a mount that the folder chooser lists besides "/": its mount point lies strictly
// below /media, /run/media or /mnt, and it is either a block device (a source under /dev/) or
// a network file system. Pseudo file systems (tmpfs, autofs, proc and the like) are not.
bool IsRemovableOrNetworkMount(const MountEntry& entry);

// Decodes the \xNN escapes udev uses in the names of the label links ("My\x20Photos").
std::string DecodeLabelLinkName(const std::string& strName);

// The label of a device: the name of the link in pszLabelFolder that resolves to the same
// device node as strSource; empty when none does or the folder cannot be read.
std::string FindVolumeLabel(const std::string& strSource, const char* pszLabelFolder);

// "/" first, then the removable and network mount points in byte order of their paths (a mount
// point mounted over several times is listed once). A mounts table that cannot be read gives
// "/" alone. Both locations can be replaced, for tests.
std::vector<VolumeRoot> GetVolumeRoots(const char* pszMountsFile = kDefaultMountsFile,
                                       const char* pszLabelFolder = kDefaultLabelFolder);
