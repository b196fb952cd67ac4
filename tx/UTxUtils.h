// The debug log channel: records go to the log receiver and, when opened, to a log file.
#pragma once

#include "../platform/logtransport.h"

#include <mutex>

struct TxLogSettings {
    const char* AppIdentifier;
    const char* LogFileName;
    bool SplitLines;
    int LineWidth;
    bool CreateNew;
    bool NoFlush;
    bool TimeStamp;
};

extern const TxLogSettings LogSettings;

constexpr int kLogBufferSize = 2048;

class CLog {
public:
    // Looks for the receiver once and opens the file sink when LogSettings names a file.
    explicit CLog(const TxLogSettings& settings = LogSettings);
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // The log call's body: formats into the message buffer under the lock and outputs it.
    // Texts longer than the buffer are cut.
    void Log(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    void Output(const char* pszTag);  // writes the message buffer (lock held by the caller)
    bool OpenFile(const char* pszName);
    void CloseFile();

    bool ReceiverFound() const { return m_bReceiverFound; }
    bool FileOpen() const { return m_bFileOpen; }

    // For tests and the receiver check: look for the receiver again, or stop sending to it.
    bool ConnectReceiver();
    void DisconnectReceiver();

    char m_szMessage[kLogBufferSize] = {};

private:
    void WriteWrapped(char* pszText, const char* pszTag);
    void WriteRecord(const char* pszText, const char* pszTag);
    void UpdateActive();

    std::recursive_mutex m_lock;
    LogReceiverLink m_receiver;
    int m_hLogFile = -1;
    bool m_bReceiverFound = false;
    bool m_bFileOpen = false;
    bool m_bLockInitialised = false;
    const TxLogSettings& m_settings;
};

extern CLog g_Log;
extern bool g_bLogActive;

// The log call: nothing is evaluated or formatted while no sink is open.
#define TX_LOG(...)                \
    do {                           \
        if (g_bLogActive)          \
            g_Log.Log(__VA_ARGS__); \
    } while (0)
