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

// The three date tags: their names, and the options that choose them.
extern const char* const kDateTagNames[3];
// Sets abWanted for "--datetime", "--original" or "--digitized"; false for any other text.
bool TakeDateTagOption(const char* pszArg, bool abWanted[3]);
// No tag chosen: all three.
void AllDateTagsUnlessChosen(bool abWanted[3]);
