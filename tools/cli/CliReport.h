// What the commands say about a file: why it could not be read, and what became of each date.
#pragma once

#include "exif/Uexif.h"

#include <cstdio>
#include <string>

// Why a file gave no EXIF data: "no EXIF block", or the system's reason it cannot be opened.
std::string OpenFailureText(const char* pszPath);
// Opens the file; else names it with the reason on standard error.
bool OpenExif(CExif& exif, const char* pszPath, std::FILE* pUnknownTags = nullptr);
// "DateTime written (2 copies)", "DateTimeOriginal not found", or which copies were left alone.
std::string TagReport(const ExifWriteReport& report, int nDate, const char* pszName);
