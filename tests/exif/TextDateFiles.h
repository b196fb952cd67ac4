// Files with XMP and IPTC dates, made by exiftool, and what exiftool reads back from them.
#pragma once

#include "ExifFiles.h"

#include <map>
#include <string>

namespace exiftest {

bool HaveExiftool();
// Runs exiftool with the arguments (already quoted); its standard output.
std::string Exiftool(const std::string& args);

// Every date exiftool reads, keyed "Group:Tag" (the file's own time stamps aside), and its
// warnings under "Warning".
std::map<std::string, std::string> ExiftoolDates(const std::string& path);

// A camera file (ExifFiles' Camera, dates 2006:12:24 17:05:09) into which exiftool wrote an XMP
// packet and an IPTC record with its digest holding the same time in every shape the engine
// knows: exif:DateTimeOriginal with a zone, exif:DateTimeDigitized without, photoshop:DateCreated
// a date alone, tiff:DateTime in UTC, xmp:CreateDate with a fraction, xmp:ModifyDate to the
// minute; IPTC DateCreated/TimeCreated with a zone, DigitalCreationDate/Time.
std::string MakeDatedFile(const ScratchDir& dir, const std::string& name);
// The same from the XMP packet given, written as it is, and no IPTC record.
std::string MakeFileWithXmp(const ScratchDir& dir, const std::string& name, const std::string& packet);

// Whether two files of the same length differ only in digits (and in the IPTC digest's bytes).
bool OnlyDigitsDiffer(const Bytes& before, const Bytes& after, std::size_t* pnChanged = nullptr);
// Replaces the first occurrence of what by with (of the same length) in the bytes.
bool ReplaceOnce(Bytes& bytes, const std::string& what, const std::string& with);
std::size_t Find(const Bytes& bytes, const Bytes& what);

}  // namespace exiftest
