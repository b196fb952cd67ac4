// Reads the EXIF dates of a folder's files on a thread of its own, so that the list is shown
// and usable at once while the dates come in. Results go out in batches through a callback
// that runs on the reader's thread (the window posts them to itself); each batch carries the
// generation of the request it answers, so results of an earlier folder or scan are known for
// what they are and dropped.
#pragma once

#include "UexifDate.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ExifDateRequest {
    std::size_t nId;       // the caller's number for the file
    std::string strPath;
};

struct ExifDateResult {
    std::size_t nId;
    ExifDateInfo info;
};

class CExifDateReader {
public:
    using Deliver = std::function<void(std::uint64_t nGeneration, std::vector<ExifDateResult>&& results)>;
    using Reader = ExifDateInfo (*)(const char* pszPath);

    explicit CExifDateReader(Deliver deliver, Reader reader = ReadExifDate);
    ~CExifDateReader();  // stops the thread; nothing is delivered after it
    CExifDateReader(const CExifDateReader&) = delete;
    CExifDateReader& operator=(const CExifDateReader&) = delete;

    // Drops whatever is still queued and reads these files in this order; returns the new
    // generation, which the batches of these files carry.
    std::uint64_t Start(std::vector<ExifDateRequest> requests);
    // Drops what is queued; results still on their way carry an old generation.
    void Cancel();
    std::uint64_t Generation() const;
    // Blocks until every queued file has been read and delivered (tests and benchmarks).
    void WaitIdle();

private:
    void Run();

    Deliver m_deliver;
    Reader m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;   // work queued, or the end
    std::condition_variable m_idle;   // the queue ran empty and its last batch went out
    std::deque<ExifDateRequest> m_queue;
    std::uint64_t m_nGeneration = 0;
    bool m_bBusy = false;             // a batch is being read outside the lock
    bool m_bStop = false;
    std::thread m_thread;
};
