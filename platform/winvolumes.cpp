// The folder chooser's roots, read from the kernel's table of mounts.
#include "winvolumes.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace {

// A mounts table is a few kilobytes; anything larger than this is not one.
constexpr std::size_t kMaxMountsSize = 4u << 20;

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// Decodes the \NNN escapes the kernel writes for blanks, tabs, newlines and backslashes.
std::string DecodeOctalEscapes(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value > 0 && value < 256) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

bool IsStrictlyBelow(const std::string& strPath, std::string_view prefix)
{
    return strPath.size() > prefix.size() + 1 && strPath.compare(0, prefix.size(), prefix) == 0 &&
           strPath[prefix.size()] == '/';
}

bool IsNetworkType(const std::string& strType)
{
    static constexpr std::array<std::string_view, 14> kTypes = {
        "nfs",  "nfs4",      "cifs",       "smb3",        "smbfs", "9p",          "afs",
        "ceph", "glusterfs", "fuse.sshfs", "fuse.davfs2", "davfs", "fuse.rclone", "fuse.glusterfs"};
    return std::find(kTypes.begin(), kTypes.end(), strType) != kTypes.end();
}

std::string RealPath(const std::string& strPath)
{
    char buffer[PATH_MAX];
    if (realpath(strPath.c_str(), buffer) == nullptr)
        return std::string();
    return std::string(buffer);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ReadSmallFile(const char* pszPath, std::string& strText)
{
    std::ifstream in(pszPath, std::ios::binary);
    if (!in)
        return false;
    std::string text;
    std::array<char, 65536> chunk;
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxMountsSize)
            return false;
    }
    strText = std::move(text);
    return true;
}

}  // namespace

std::vector<MountEntry> ParseMounts(const std::string& strText)
{
    std::vector<MountEntry> entries;
    std::istringstream lines(strText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint, type;
        if (!(fields >> source >> mountPoint >> type))
            continue;
        entries.push_back(MountEntry{DecodeOctalEscapes(source), DecodeOctalEscapes(mountPoint),
                                     DecodeOctalEscapes(type)});
    }
    return entries;
}

bool IsRemovableOrNetworkMount(const MountEntry& entry)
{
    const std::string& p = entry.strMountPoint;
    if (!IsStrictlyBelow(p, "/media") && !IsStrictlyBelow(p, "/run/media") && !IsStrictlyBelow(p, "/mnt"))
        return false;
    return entry.strSource.rfind("/dev/", 0) == 0 || IsNetworkType(entry.strType);
}

std::string DecodeLabelLinkName(const std::string& strName)
{
    std::string out;
    out.reserve(strName.size());
    for (std::size_t i = 0; i < strName.size(); ++i) {
        if (strName[i] == '\\' && i + 3 < strName.size() && strName[i + 1] == 'x') {
            int hi = HexValue(strName[i + 2]);
            int lo = HexValue(strName[i + 3]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 3;
                continue;
            }
        }
        out.push_back(strName[i]);
    }
    return out;
}

std::string FindVolumeLabel(const std::string& strSource, const char* pszLabelFolder)
{
    if (strSource.rfind("/dev/", 0) != 0)
        return std::string();
    std::string device = RealPath(strSource);
    if (device.empty())
        return std::string();
    DIR* pDir = opendir(pszLabelFolder);
    if (pDir == nullptr)
        return std::string();
    std::string label;
    while (const dirent* pEntry = readdir(pDir)) {
        std::string name = pEntry->d_name;
        if (name == "." || name == "..")
            continue;
        if (RealPath(std::string(pszLabelFolder) + "/" + name) == device) {
            label = DecodeLabelLinkName(name);
            break;
        }
    }
    closedir(pDir);
    return label;
}

std::vector<VolumeRoot> GetVolumeRoots(const char* pszMountsFile, const char* pszLabelFolder)
{
    std::string text;
    std::vector<MountEntry> mounts;
    if (ReadSmallFile(pszMountsFile, text))
        mounts = ParseMounts(text);

    // A later mount over the same point hides the earlier one: the last entry per point counts.
    std::string rootSource;
    std::vector<MountEntry> chosen;
    for (const MountEntry& entry : mounts) {
        if (entry.strMountPoint == "/")
            rootSource = entry.strSource;
        chosen.erase(std::remove_if(chosen.begin(), chosen.end(),
                                    [&](const MountEntry& e) { return e.strMountPoint == entry.strMountPoint; }),
                     chosen.end());
        if (IsRemovableOrNetworkMount(entry))
            chosen.push_back(entry);
    }
    std::sort(chosen.begin(), chosen.end(),
              [](const MountEntry& a, const MountEntry& b) { return a.strMountPoint < b.strMountPoint; });

    std::vector<VolumeRoot> roots;
    roots.push_back(VolumeRoot{"/", FindVolumeLabel(rootSource, pszLabelFolder)});
    for (const MountEntry& entry : chosen)
        roots.push_back(VolumeRoot{entry.strMountPoint, FindVolumeLabel(entry.strSource, pszLabelFolder)});
    return roots;
}
