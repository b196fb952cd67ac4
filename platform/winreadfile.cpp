#include "winreadfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadFileHead(const char* pszPath, std::size_t cbLimit, std::vector<std::uint8_t>* pData,
                  std::uint64_t* pqwFileSize)
{
    return ReadFileRange(pszPath, 0, cbLimit, pData, pqwFileSize);
}

bool ReadFileRange(const char* pszPath, std::uint64_t qwOffset, std::size_t cbLength,
                   std::vector<std::uint8_t>* pData, std::uint64_t* pqwFileSize)
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
    const std::uint64_t qwLeft = qwOffset < *pqwFileSize ? *pqwFileSize - qwOffset : 0;
    const std::size_t cbWanted = qwLeft < cbLength ? static_cast<std::size_t>(qwLeft) : cbLength;
    pData->resize(cbWanted);
    std::size_t cbDone = 0;
    while (cbDone < cbWanted) {
        const ssize_t cbRead = pread(hFile, pData->data() + cbDone, cbWanted - cbDone,
                                     static_cast<off_t>(qwOffset + cbDone));
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
