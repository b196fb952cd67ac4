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
// private to this user (created when bCreate). Empty when neither can be had safely.
std::string RuntimeFolder(bool bCreate)
{
    const char* pszRuntime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (pszRuntime != nullptr && pszRuntime[0] == '/' && stat(pszRuntime, &st) == 0 &&
        S_ISDIR(st.st_mode))
        return pszRuntime;
    std::string folder = "/tmp/velmora-" + std::to_string(getuid());
    if (bCreate && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
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

std::string SocketPath(const char* pszClass, const char* pszTitle, bool bCreate)
{
    const int saved = errno;
    std::string folder = RuntimeFolder(bCreate);
    errno = saved;
    if (folder.empty())
        return std::string();
    if (folder.back() != '/')
        folder += '/';
    return folder + SocketName(pszClass) + "-" + SocketName(pszTitle) + ".sock";
}

}  // namespace

std::string LogReceiverSocketPath(const char* pszClass, const char* pszTitle)
{
    return SocketPath(pszClass, pszTitle, true);
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
    // A sender creates nothing: without the folder there is no receiver either.
    if (FillSocketAddress(SocketPath(pszClass, pszTitle, false), &address)) {
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
    char reply = 0;
    bool bOk = send(m_hSocket, pData, cbData, MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(cbData);
    if (bOk) {
        pollfd pfd{m_hSocket, POLLIN, 0};
        int ready;
        do {
            ready = poll(&pfd, 1, kReplyTimeoutMs);
        } while (ready < 0 && errno == EINTR);
        bOk = ready > 0 && recv(m_hSocket, &reply, 1, MSG_DONTWAIT) == 1;
    }
    // A receiver that has gone, or has not answered within the second, gets nothing more:
    // otherwise a hung receiver would hold up every log call for a second.
    if (!bOk)
        Disconnect();
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
