#include "UexifDateReader.h"

#include <chrono>
#include <utility>

namespace {

// A batch goes out after this many files or this long, whichever comes first, so that the
// window redraws a few times a second rather than once per file.
constexpr std::size_t kBatchFiles = 256;
constexpr auto kBatchTime = std::chrono::milliseconds(40);

}  // namespace

CExifDateReader::CExifDateReader(Deliver deliver, Reader reader)
    : m_deliver(std::move(deliver)), m_reader(reader), m_thread([this] { Run(); })
{
}

CExifDateReader::~CExifDateReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t CExifDateReader::Start(std::vector<ExifDateRequest> requests)
{
    std::uint64_t nGeneration = 0;
    {
        std::lock_guard lock(m_mutex);
        nGeneration = ++m_nGeneration;
        m_queue.assign(std::make_move_iterator(requests.begin()), std::make_move_iterator(requests.end()));
    }
    m_wake.notify_all();
    return nGeneration;
}

void CExifDateReader::Cancel()
{
    std::lock_guard lock(m_mutex);
    ++m_nGeneration;
    m_queue.clear();
    m_idle.notify_all();
}

std::uint64_t CExifDateReader::Generation() const
{
    std::lock_guard lock(m_mutex);
    return m_nGeneration;
}

void CExifDateReader::WaitIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_bStop || (m_queue.empty() && !m_bBusy); });
}

void CExifDateReader::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop)
            break;
        m_bBusy = true;
        const std::uint64_t nGeneration = m_nGeneration;
        std::vector<ExifDateResult> batch;
        const auto start = std::chrono::steady_clock::now();
        // Files are taken one at a time, so that a new scan or a cancel is seen at once.
        while (!m_queue.empty() && m_nGeneration == nGeneration && batch.size() < kBatchFiles &&
               std::chrono::steady_clock::now() - start < kBatchTime) {
            ExifDateRequest request = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            batch.push_back({request.nId, m_reader(request.strPath.c_str())});
            lock.lock();
        }
        if (!batch.empty() && !m_bStop) {
            lock.unlock();
            m_deliver(nGeneration, std::move(batch));
            lock.lock();
        }
        m_bBusy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
    m_bBusy = false;
    m_idle.notify_all();
}
