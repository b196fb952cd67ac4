// exiftool as the maker and the judge of XMP and IPTC test files.
#include "TextDateFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace exiftest {

bool HaveExiftool() { return std::system("command -v exiftool >/dev/null 2>&1") == 0; }

std::string Exiftool(const std::string& args)
{
    std::string out;
    FILE* pipe = popen(("exiftool " + args + " 2>&1").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::map<std::string, std::string> ExiftoolDates(const std::string& path)
{
    std::map<std::string, std::string> dates;
    std::istringstream lines(Exiftool("-a -G1 -s -time:all -warning -IPTCDigest -CurrentIPTCDigest '" + path + "'"));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t close = line.find(']'), colon = line.find(" : ");
        if (line.empty() || line[0] != '[' || close == std::string::npos || colon == std::string::npos)
            continue;
        std::string group = line.substr(1, close - 1), tag = line.substr(close + 1, colon - close - 1);
        tag.erase(std::remove(tag.begin(), tag.end(), ' '), tag.end());
        if (group == "System")
            continue;
        const std::string value = line.substr(colon + 3);
        std::string& slot = dates[tag == "Warning" ? tag : group + ":" + tag];
        slot += (slot.empty() ? "" : "|") + value;
    }
    return dates;
}

std::string MakeDatedFile(const ScratchDir& dir, const std::string& name)
{
    const std::string path = dir.Write(name, Jpeg(Camera(false).Build()));
    Exiftool("-q -overwrite_original '-XMP-exif:DateTimeOriginal=2006:12:24 17:05:09+01:00' "
             "'-XMP-exif:DateTimeDigitized=2006:12:24 17:05:09' '-XMP-photoshop:DateCreated=2006:12:24' "
             "'-XMP-tiff:DateTime=2006:12:24 17:05:09Z' '-XMP-xmp:CreateDate=2006:12:24 17:05:09.25' "
             "'-XMP-xmp:ModifyDate=2006:12:24 17:05' -IPTC:DateCreated=2006:12:24 -IPTC:TimeCreated=17:05:09+01:00 "
             "-IPTC:DigitalCreationDate=2006:12:24 -IPTC:DigitalCreationTime=17:05:09 '" + path + "'");
    Exiftool("-q -overwrite_original -IPTCDigest=new '" + path + "'");
    return path;
}

std::string MakeFileWithXmp(const ScratchDir& dir, const std::string& name, const std::string& packet)
{
    const std::string path = dir.Write(name, Jpeg(Camera(false).Build()));
    const std::string xmp = dir.Write(name + ".xmp", Bytes(packet.begin(), packet.end()));
    Exiftool("-q -overwrite_original '-xmp<=" + xmp + "' '" + path + "'");
    return path;
}

bool OnlyDigitsDiffer(const Bytes& before, const Bytes& after, std::size_t* pnChanged)
{
    if (before.size() != after.size())
        return false;
    // The IPTC digest's 16 bytes change with the record.
    const std::size_t nDigest = Find(before, {'8', 'B', 'I', 'M', 0x04, 0x25, 0, 0, 0, 0, 0, 16});
    std::size_t nChanged = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i] || (nDigest != std::string::npos && i >= nDigest + 12 && i < nDigest + 28))
            continue;
        ++nChanged;
        if (!std::isdigit(before[i]) || !std::isdigit(after[i]))
            return false;
    }
    if (pnChanged)
        *pnChanged = nChanged;
    return true;
}

std::size_t Find(const Bytes& bytes, const Bytes& what)
{
    const auto it = std::search(bytes.begin(), bytes.end(), what.begin(), what.end());
    return it == bytes.end() ? std::string::npos : std::size_t(it - bytes.begin());
}

bool ReplaceOnce(Bytes& bytes, const std::string& what, const std::string& with)
{
    const std::size_t n = Find(bytes, Bytes(what.begin(), what.end()));
    if (n == std::string::npos || what.size() != with.size())
        return false;
    std::copy(with.begin(), with.end(), bytes.begin() + std::ptrdiff_t(n));
    return true;
}

}  // namespace exiftest
