// How debug records travel to the log receiver: a Unix-domain SOCK_SEQPACKET socket in the
// user's runtime folder ($XDG_RUNTIME_DIR, else a private folder under /tmp), named after the
// receiver's window class and title. One message is the record text and its terminating zero;
// the sender waits at most one second for a one-byte reply.
#pragma once

#include <cstddef>
#include <string>

constexpr const char* kLogReceiverClass = "TFormQzLog";
constexpr const char* kLogReceiverTitle = "Orvane Log Receiver";

// The socket path for a receiver of that class and title (the folder is created if needed).
std::string LogReceiverSocketPath(const char* pszClass, const char* pszTitle);

struct sockaddr_un;
// Fills a Unix socket address; false (ENAMETOOLONG) when the path does not fit.
bool FillSocketAddress(const std::string& path, sockaddr_un* pAddress);

// The sender side: finds a running receiver once; sends blocks to it.
class LogReceiverLink {
public:
    LogReceiverLink() = default;
    ~LogReceiverLink();
    LogReceiverLink(const LogReceiverLink&) = delete;
    LogReceiverLink& operator=(const LogReceiverLink&) = delete;

    bool Connect(const char* pszClass, const char* pszTitle);  // true when a receiver answers
    bool IsConnected() const { return m_hSocket >= 0; }
    // Sends cbData bytes (the text and its zero) and waits for the reply; false on failure.
    // A failed send or a missing reply ends the link: a hung receiver costs one second once.
    bool Send(const void* pData, std::size_t cbData);
    void Disconnect();

private:
    int m_hSocket = -1;
};

// The receiver side: listens, hands each record to the callback, replies one byte.
class LogReceiverServer {
public:
    LogReceiverServer() = default;
    ~LogReceiverServer();
    LogReceiverServer(const LogReceiverServer&) = delete;
    LogReceiverServer& operator=(const LogReceiverServer&) = delete;

    bool Listen(const char* pszClass, const char* pszTitle);
    // Serves connections until Stop is called (from another thread or a signal handler);
    // pfnRecord gets each record's text without its terminating zero.
    void Serve(void (*pfnRecord)(const char* pText, std::size_t cchText, void* pContext),
               void* pContext);
    // The same, handing over each block exactly as it arrived (the text and its zero).
    void ServeBlocks(void (*pfnBlock)(const char* pBlock, std::size_t cbBlock, void* pContext),
                     void* pContext);
    void Stop();
    const std::string& Path() const { return m_strPath; }

private:
    int m_hListen = -1;
    int m_hWake[2] = {-1, -1};
    std::string m_strPath;
};
