// What the commands say about a file: why it could not be read, and what became of each date.
#include "CliReport.h"

#include "platform/winerror.h"
#include "platform/winfile.h"

#include <cstring>

// Why a file gave no EXIF data: one that cannot be opened at all (missing, a folder, not
// readable) is named with the system's reason, so that it is not taken for a photograph that
// merely lacks EXIF data.
std::string OpenFailureText(const char* pszPath)
{
    const int hFile = FileOpen(pszPath, FileOpenMode::ReadExisting);
    if (hFile != INVALID_FILE_HANDLE) {
        FileClose(hFile);
        return "no EXIF block";
    }
    const std::string reason = FormatErrorText(GetLastError());
    return reason.empty() ? "cannot be opened" : reason;
}

bool OpenExif(CExif& exif, const char* pszPath, std::FILE* pUnknownTags)
{
    exif.SetUnknownTagStream(pUnknownTags);
    if (exif.Open(pszPath))
        return true;
    std::fprintf(stderr, "%s: %s\n", pszPath, OpenFailureText(pszPath).c_str());
    return false;
}

// "DateTime written (2 copies)", "DateTimeOriginal not found", or which copies were left alone
// and why: "DateTime written (IFD0), left alone (IFD1: not a date text)".
std::string TagReport(const ExifWriteReport& report, int nDate, const char* pszName)
{
    std::string text = pszName;
    const int nCopies = report.CopiesOf(nDate);
    const int nWritten = report.CopiesWith(nDate, ExifWriteResult::Written);
    if (nCopies == 0)
        return text + " " + ExifWriteResultText(report.aResult[nDate]);
    bool bAsText = false;  // copies in XMP or IPTC are named
    for (const ExifCopyReport& c : report.copies)
        bAsText = bAsText || (c.nDate == nDate && c.szName[0] != 0);
    if (nWritten == nCopies && !bAsText)
        return text + " written" + (nCopies > 1 ? " (" + std::to_string(nCopies) + " copies)" : "");
    std::string written, alone;
    for (const ExifCopyReport& c : report.copies) {
        if (c.nDate != nDate)
            continue;
        std::string& list = c.result == ExifWriteResult::Written ? written : alone;
        list += (list.empty() ? "" : ", ") + std::string(c.szWhere) + (c.szName[0] ? " " : "") + c.szName;
        if (c.result != ExifWriteResult::Written)
            list += std::string(": ") + (c.pszNote ? c.pszNote : ExifWriteResultText(c.result));
    }
    if (!written.empty())
        text += " written (" + written + ")" + (alone.empty() ? "" : ",");
    return alone.empty() ? text : text + " left alone (" + alone + ")";
}


const char* const kDateTagNames[3] = {"DateTime", "DateTimeOriginal", "DateTimeDigitized"};

bool TakeDateTagOption(const char* pszArg, bool abWanted[3])
{
    static const char* const kOptions[3] = {"--datetime", "--original", "--digitized"};
    for (int k = 0; k < 3; ++k) {
        if (std::strcmp(pszArg, kOptions[k]) == 0) {
            abWanted[k] = true;
            return true;
        }
    }
    return false;
}

void AllDateTagsUnlessChosen(bool abWanted[3])
{
    if (!abWanted[0] && !abWanted[1] && !abWanted[2])
        abWanted[0] = abWanted[1] = abWanted[2] = true;
}
