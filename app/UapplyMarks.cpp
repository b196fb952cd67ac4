#include "UapplyMarks.h"

#include "../exif/Uexif_batch.h"
#include "UlangList.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const char* const kDateNames[3] = {"DateTime", "DateTimeOriginal", "DateTimeDigitized"};

class Lines {
public:
    void Add(const char* pszFormat, const char* pszA = "", const char* pszB = "")
    {
        char szLine[256];
        std::snprintf(szLine, sizeof szLine, pszFormat, pszA, pszB);
        if (std::find(m_lines.begin(), m_lines.end(), szLine) == m_lines.end())
            m_lines.emplace_back(szLine);
    }
    std::string Text() const
    {
        std::string strText;
        for (const std::string& strLine : m_lines)
            strText += (strText.empty() ? "" : "\n") + strLine;
        return strText;
    }

private:
    std::vector<std::string> m_lines;
};

// What a copy's result says about the whole file, when it says anything.
const char* FileReason(ExifWriteResult result)
{
    switch (result) {
    case ExifWriteResult::Changed: return kMarkChanged;
    case ExifWriteResult::HardLinked: return kMarkHardLinked;
    case ExifWriteResult::TimeNotSettable: return kMarkTimeNotSettable;
    case ExifWriteResult::FlushFailed: return kMarkFlushFailed;
    case ExifWriteResult::Failed: return kMarkExifFailed;
    default: return nullptr;
    }
}

void AddExifReasons(const ExifDateJob& job, Lines& lines)
{
    const bool bAnyWanted = job.abWanted[0] || job.abWanted[1] || job.abWanted[2];
    if (!job.bOpened) {
        if (bAnyWanted)
            lines.Add(kMarkNoExif);
        return;
    }
    for (const ExifCopyReport& copy : job.report.copies) {
        const char* pszName = kDateNames[std::clamp(copy.nDate, 0, 2)];
        if (copy.result == ExifWriteResult::TooShort)
            lines.Add(kMarkCopyTooShort, pszName, copy.szWhere);
        else if (copy.result == ExifWriteResult::NotDateText)
            lines.Add(kMarkCopyNotDate, pszName, copy.szWhere);
        else if (const char* pszReason = FileReason(copy.result))
            lines.Add(pszReason);
    }
    for (int d = 0; d < 3; ++d) {
        if (!job.abWanted[d])
            continue;
        if (job.report.aResult[d] == ExifWriteResult::NotFound)
            lines.Add(kMarkTagMissing, kDateNames[d]);
        else if (job.report.aResult[d] == ExifWriteResult::Failed && job.report.CopiesOf(d) == 0)
            lines.Add(kMarkExifFailed);
    }
}

}  // namespace

std::string ApplyMarkText(const ExifDateJob* pJob, const ApplyRowEnd& end)
{
    Lines lines;
    if (pJob != nullptr)
        AddExifReasons(*pJob, lines);
    if (end.bLeftAsItWas)
        lines.Add(kMarkLeftAsItWas);
    if (end.bPartly)
        lines.Add(kMarkPartly);
    if (end.bTimeFailed)
        lines.Add(kMarkTimeNotWritten);
    return lines.Text();
}
