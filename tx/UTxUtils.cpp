// The debug log channel: records to the log receiver and, when opened, to a log file.
#include "UTxUtils.h"

#include "../platform/winfile.h"
#include "../platform/wintime.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

const TxLogSettings LogSettings = {
    "Morvessain",  // AppIdentifier
    "",            // LogFileName: no log file in this build
    false,         // SplitLines
    80,            // LineWidth
    false,         // CreateNew
    true,          // NoFlush
    true,          // TimeStamp
};

// Zero-initialised, so it reads false until g_Log is constructed: a log call made during
// static initialisation before that simply does nothing.
bool g_bLogActive = false;
CLog g_Log;

namespace {

// The narrowest width with which wrapping still makes progress on every text.
constexpr int kMinLineWidth = 4;

// The record buffer; used only under the log lock.
char s_szRecord[kLogBufferSize];

unsigned ThreadId()
{
    return static_cast<unsigned>(gettid());
}

bool IsBreakChar(char c)
{
    return c == ' ' || c == ',' || c == '-' || c == ';';
}

}  // namespace

CLog::CLog(const TxLogSettings& settings) : m_settings(settings)
{
    const int saved = errno;
    m_bReceiverFound = m_receiver.Connect(kLogReceiverClass, kLogReceiverTitle);
    if (m_settings.LogFileName != nullptr && m_settings.LogFileName[0] != '\0')
        OpenFile("");
    UpdateActive();
    m_bLockInitialised = m_bReceiverFound || m_bFileOpen;
    errno = saved;
}

CLog::~CLog()
{
    CloseFile();
    if (this == &g_Log)
        g_bLogActive = false;
    m_receiver.Disconnect();
    m_bReceiverFound = false;
}

void CLog::UpdateActive()
{
    // Only the program's own channel drives the flag; a channel built by a test does not.
    if (this == &g_Log)
        g_bLogActive = m_bFileOpen || m_bReceiverFound;
}

void CLog::Log(const char* pszFormat, ...)
{
    if (!m_bReceiverFound && !m_bFileOpen)
        return;
    const int saved = errno;  // the caller may report its own error right after logging
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        va_list args;
        va_start(args, pszFormat);
        std::vsnprintf(m_szMessage, sizeof m_szMessage, pszFormat, args);
        va_end(args);
        Output(nullptr);
    }
    errno = saved;
}

void CLog::Output(const char* pszTag)
{
    m_szMessage[kLogBufferSize - 1] = '\0';
    if (!m_settings.SplitLines) {
        WriteRecord(m_szMessage, pszTag);
        return;
    }
    // A carriage return before a line feed becomes a blank, a lone one a line feed; then
    // every line goes out on its own, the (possibly empty) one after the last break included.
    for (char* p = m_szMessage; *p; ++p) {
        if (*p == '\r')
            *p = p[1] == '\n' ? ' ' : '\n';
    }
    char* pLine = m_szMessage;
    for (;;) {
        char* pBreak = std::strchr(pLine, '\n');
        if (pBreak == nullptr) {
            WriteWrapped(pLine, pszTag);
            return;
        }
        *pBreak = '\0';
        WriteWrapped(pLine, pszTag);
        pLine = pBreak + 1;
    }
}

void CLog::WriteWrapped(char* pszText, const char* pszTag)
{
    const int width = m_settings.LineWidth < kMinLineWidth ? kMinLineWidth : m_settings.LineWidth;
    char* pText = pszText;
    while (static_cast<int>(std::strlen(pText)) > width) {
        int cut = width - 2;
        for (int i = width - 2; i >= 2 * width / 3; --i) {
            if (IsBreakChar(pText[i])) {
                cut = i;
                break;
            }
        }
        // The record runs through the cut index; the rest follows, indented by two blanks
        // written over the two characters before it.
        const char kept = pText[cut + 1];
        pText[cut + 1] = '\0';
        WriteRecord(pText, pszTag);
        pText[cut + 1] = kept;
        pText[cut - 1] = ' ';
        pText[cut] = ' ';
        pText += cut - 1;
    }
    WriteRecord(pText, pszTag);
}

void CLog::WriteRecord(const char* pszText, const char* pszTag)
{
    const unsigned tid = ThreadId();
    const char* pszApp = m_settings.AppIdentifier ? m_settings.AppIdentifier : "";
    if (m_bReceiverFound) {
        const int n = pszTag
            ? std::snprintf(s_szRecord, sizeof s_szRecord, "%s %08x %4s  %s", pszApp, tid, pszTag, pszText)
            : std::snprintf(s_szRecord, sizeof s_szRecord, "%s %08x       %s", pszApp, tid, pszText);
        if (n >= 0) {
            const std::size_t len = std::strlen(s_szRecord);  // cut to the buffer when longer
            m_receiver.Send(s_szRecord, len + 1);
        }
    }
    if (m_bFileOpen) {
        char szStamp[64] = "";
        if (m_settings.TimeStamp) {
            SYSTEMTIME st{};
            GetLocalTime(&st);
            std::snprintf(szStamp, sizeof szStamp, "%d.%d.%02d %d:%02d:%02d ", st.wDay, st.wMonth,
                          st.wYear % 2000, st.wHour, st.wMinute, st.wSecond);
        }
        // Two characters are kept free for the line end, so a cut record still ends with it.
        const std::size_t room = sizeof s_szRecord - 2;
        if (pszTag)
            std::snprintf(s_szRecord, room, "%s%08x %4s  %s", szStamp, tid, pszTag, pszText);
        else
            std::snprintf(s_szRecord, room, "%s%08x       %s", szStamp, tid, pszText);
        std::size_t len = std::strlen(s_szRecord);
        s_szRecord[len++] = '\r';
        s_szRecord[len++] = '\n';
        std::uint32_t written = 0;
        FileWrite(m_hLogFile, s_szRecord, static_cast<std::uint32_t>(len), &written);
        if (!m_settings.NoFlush)
            FileFlush(m_hLogFile);
    }
}

bool CLog::OpenFile(const char* pszName)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    CloseFile();
    std::string path;
    if (pszName != nullptr && pszName[0] != '\0') {
        path = pszName;
    } else {
        if (m_settings.LogFileName == nullptr || m_settings.LogFileName[0] == '\0')
            return false;
        path = GetModuleFileNameA();
        path.erase(path.rfind('/') + 1);  // npos + 1 = 0: the whole path goes
        path += m_settings.LogFileName;
    }
    const int saved = errno;
    m_hLogFile = ::FileOpen(path.c_str(), m_settings.CreateNew ? FileOpenMode::ReadWriteCreate
                                                             : FileOpenMode::AppendOpenAlways);
    m_bFileOpen = m_hLogFile != INVALID_FILE_HANDLE;
    if (m_bFileOpen && !m_settings.CreateNew)
        FileSeekEnd(m_hLogFile, nullptr);
    errno = saved;
    UpdateActive();
    return m_bFileOpen;
}

void CLog::CloseFile()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_hLogFile != INVALID_FILE_HANDLE)
        FileClose(m_hLogFile);
    m_hLogFile = INVALID_FILE_HANDLE;
    m_bFileOpen = false;
    UpdateActive();
}

bool CLog::ConnectReceiver()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_bReceiverFound = m_receiver.Connect(kLogReceiverClass, kLogReceiverTitle);
    UpdateActive();
    return m_bReceiverFound;
}

void CLog::DisconnectReceiver()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_receiver.Disconnect();
    m_bReceiverFound = false;
    UpdateActive();
}
