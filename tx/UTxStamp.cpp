// The time stamp of a file, set through a handle on the very file that was read.
#include "UTxStamp.h"

#include "../platform/winfile.h"
#include "UTxUtils.h"

TxStampResult TxSetWriteTime(const std::string& strPath, const FileStamp& stampRead, std::int64_t nSec,
                             std::int64_t nNsec)
{
    const int hFile = FileOpen(strPath.c_str(), FileOpenMode::ReadExisting);
    if (hFile == INVALID_FILE_HANDLE)
        return TxStampResult::Failed;
    FileStamp now{};
    if (!FileGetStamp(hFile, &now) || !now.SameFile(stampRead)) {
        FileClose(hFile);
        TX_LOG("TxSetWriteTime: another file stands under the name %s", strPath.c_str());
        return TxStampResult::Replaced;
    }
    now.nWriteSec = nSec;
    now.nWriteNsec = nNsec;
    const bool bSet = FileSetStampTimes(hFile, now);
    FileClose(hFile);
    return bSet ? TxStampResult::Set : TxStampResult::Failed;
}
