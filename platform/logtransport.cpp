// The log receiver's socket path and the sending side of the log transport.
#include "logtransport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kReplyTimeoutMs = 1000;

// The runtime folder: $XDG_RUNTIME_DIR when it names a folder, else /tmp/velmora-<uid>,
// created private to this user. Empty when neither can be had safely.
std::string RuntimeFolder()
{
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (pszRuntime != nullptr && pszRuntime[0] == '/' && stat(pszRuntime, &st) == 0 &&
        S_ISDIR(st.st_mode))
        return pszRuntime;
    std::string folder = "/tmp/velmora-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    // Somebody else's folder, or one others may write to, is not used.
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 0077) != 0)
        return std::string();
    return folder;
}

std::string SocketName(const char* psz)
{
    std::string name = psz ? psz : "";
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

}  // namespace

std::string LogReceiverSocketPath(const char* pszClass, const char* pszTitle)
{
    const int saved = errno;
    std::string folder = RuntimeFolder();
    errno = saved;
    if (folder.empty())
        return std::string();
    if (folder.back() != '/')
        folder += '/';
    return folder + SocketName(pszClass) + "-" + SocketName(pszTitle) + ".sock";
}

bool FillSocketAddress(const std::string& path, sockaddr_un* pAddress)
{
    std::memset(pAddress, 0, sizeof *pAddress);
    pAddress->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof pAddress->sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(pAddress->sun_path, path.c_str(), path.size() + 1);
    return true;
}

LogReceiverLink::~LogReceiverLink()
{
    Disconnect();
}

bool LogReceiverLink::Connect(const char* pszClass, const char* pszTitle)
{
    const int saved = errno;
    Disconnect();
    sockaddr_un address{};
    if (FillSocketAddress(LogReceiverSocketPath(pszClass, pszTitle), &address)) {
        const int hSocket = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        if (hSocket >= 0) {
            if (connect(hSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
                m_hSocket = hSocket;
            else
                close(hSocket);
        }
    }
    errno = saved;
    return m_hSocket >= 0;
}

bool LogReceiverLink::Send(const void* pData, std::size_t cbData)
{
    if (m_hSocket < 0)
        return false;
    const int saved = errno;
    // A reply that came after an earlier time-out is dropped first.
    char reply = 0;
    while (recv(m_hSocket, &reply, 1, MSG_DONTWAIT) > 0) {
    }
    bool bOk = send(m_hSocket, pData, cbData, MSG_NOSIGNAL) == static_cast<ssize_t>(cbData);
    if (bOk) {
        pollfd pfd{m_hSocket, POLLIN, 0};
        int ready;
        do {
            ready = poll(&pfd, 1, kReplyTimeoutMs);
        } while (ready < 0 && errno == EINTR);
        bOk = ready > 0 && recv(m_hSocket, &reply, 1, MSG_DONTWAIT) == 1;
    } else if (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) {
        Disconnect();  // the receiver has gone
    }
    errno = saved;
    return bOk;
}

void LogReceiverLink::Disconnect()
{
    if (m_hSocket >= 0) {
        close(m_hSocket);
        m_hSocket = -1;
    }
}
