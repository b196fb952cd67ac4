#include "winreadfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadFileHead(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                  std::uint64_t* pqwFileSize)
{
    pData->clear();
    *pqwFileSize = 0;
    if (pszPath == nullptr) {
        errno = EINVAL;
        return false;
    }
    // O_NONBLOCK: opening a pipe that happens to carry a picture's name must not hang.
    const int hFile = open(pszPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (hFile < 0)
        return false;
    struct stat st {};
    int nError = 0;
    if (fstat(hFile, &st) != 0)
        nError = errno;
    else if (S_ISDIR(st.st_mode))
        nError = EISDIR;
    else if (!S_ISREG(st.st_mode))
        nError = EINVAL;
    if (nError != 0) {
        close(hFile);
        errno = nError;
        return false;
    }
    *pqwFileSize = static_cast<std::uint64_t>(st.st_size);
    const std::size_t cbWanted =
        *pqwFileSize < cbLimit ? static_cast<std::size_t>(*pqwFileSize) : cbLimit;
    pData->resize(cbWanted);
    std::size_t cbDone = 0;
    while (cbDone < cbWanted) {
        const ssize_t cbRead = read(hFile, pData->data() + cbDone, cbWanted - cbDone);
        if (cbRead < 0 && errno == EINTR)
            continue;
        if (cbRead < 0) {
            nError = errno;
            close(hFile);
            pData->clear();
            errno = nError;
            return false;
        }
        if (cbRead == 0)
            break;  // the file shrank since it was opened
        cbDone += static_cast<std::size_t>(cbRead);
    }
    pData->resize(cbDone);
    close(hFile);
    return true;
}
