// The receiving side of the log transport: one listening socket, any number of senders.
#include "logtransport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kMaxRecord = 65536;

// True when something already answers at that address (another receiver is running).
bool SomeoneListens(const sockaddr_un& address)
{
    const int hProbe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (hProbe < 0)
        return false;
    const bool bAnswers =
        connect(hProbe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(hProbe);
    return bAnswers;
}

}  // namespace

LogReceiverServer::~LogReceiverServer()
{
    if (m_hListen >= 0) {
        close(m_hListen);
        unlink(m_strPath.c_str());
    }
    for (int& h : m_hWake) {
        if (h >= 0)
            close(h);
        h = -1;
    }
}

bool LogReceiverServer::Listen(const char* pszClass, const char* pszTitle)
{
    if (m_hListen >= 0)
        return true;
    const std::string path = LogReceiverSocketPath(pszClass, pszTitle);
    sockaddr_un address{};
    if (!FillSocketAddress(path, &address))
        return false;
    if (SomeoneListens(address)) {
        errno = EADDRINUSE;
        return false;
    }
    unlink(path.c_str());  // a socket left behind by a receiver that did not end cleanly
    const int hListen = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (hListen < 0)
        return false;
    if (bind(hListen, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(hListen, 16) != 0) {
        const int saved = errno;
        close(hListen);
        errno = saved;
        return false;
    }
    if (m_hWake[0] < 0 && pipe2(m_hWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int saved = errno;
        close(hListen);
        unlink(path.c_str());
        errno = saved;
        return false;
    }
    m_hListen = hListen;
    m_strPath = path;
    return true;
}

namespace {

struct RecordSink {
    void (*pfnRecord)(const char*, std::size_t, void*);
    void* pContext;
};

// The record is the text up to its terminating zero (or the whole block when it has none).
void BlockToRecord(const char* pBlock, std::size_t cbBlock, void* pContext)
{
    const auto* pSink = static_cast<const RecordSink*>(pContext);
    std::size_t cch = 0;
    while (cch < cbBlock && pBlock[cch] != '\0')
        ++cch;
    if (pSink->pfnRecord != nullptr)
        pSink->pfnRecord(pBlock, cch, pSink->pContext);
}

}  // namespace

void LogReceiverServer::Serve(void (*pfnRecord)(const char* pText, std::size_t cchText, void* pContext),
                              void* pContext)
{
    RecordSink sink{pfnRecord, pContext};
    ServeBlocks(BlockToRecord, &sink);
}

void LogReceiverServer::ServeBlocks(void (*pfnBlock)(const char* pBlock, std::size_t cbBlock, void* pContext),
                                    void* pContext)
{
    if (m_hListen < 0)
        return;
    std::vector<pollfd> fds{{m_hWake[0], POLLIN, 0}, {m_hListen, POLLIN, 0}};
    std::vector<char> buffer(kMaxRecord);
    for (;;) {
        for (pollfd& fd : fds)
            fd.revents = 0;
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;  // Stop was called
        if (fds[1].revents & POLLIN) {
            const int hClient = accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
            if (hClient >= 0)
                fds.push_back({hClient, POLLIN, 0});
        }
        for (std::size_t i = 2; i < fds.size();) {
            if (fds[i].revents == 0) {
                ++i;
                continue;
            }
            const ssize_t n = recv(fds[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                ++i;
                continue;
            }
            if (n <= 0) {  // the sender has gone
                close(fds[i].fd);
                fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            if (pfnBlock != nullptr)
                pfnBlock(buffer.data(), static_cast<std::size_t>(n), pContext);
            const char reply = 1;
            send(fds[i].fd, &reply, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ++i;
        }
    }
    for (std::size_t i = 2; i < fds.size(); ++i)
        close(fds[i].fd);
}

void LogReceiverServer::Stop()
{
    // Only write(): Stop may run in a signal handler.
    if (m_hWake[1] >= 0) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = write(m_hWake[1], &wake, 1);
    }
}
