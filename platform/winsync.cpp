// Manual-reset events sharing one process-wide lock and condition.
#include "winsync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// The lock and condition are never destroyed: a thread that is still running when the program
// ends (a preview decode that outlived the close) may test an event during exit.
std::mutex& EventLock()
{
    static std::mutex& s_lock = *new std::mutex;
    return s_lock;
}

std::condition_variable& EventCondition()
{
    static std::condition_variable& s_condition = *new std::condition_variable;
    return s_condition;
}

}  // namespace

void ManualResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> guard(EventLock());
        m_bSet = true;
    }
    EventCondition().notify_all();
}

void ManualResetEvent::Reset()
{
    std::lock_guard<std::mutex> guard(EventLock());
    m_bSet = false;
}

bool ManualResetEvent::IsSet() const
{
    std::lock_guard<std::mutex> guard(EventLock());
    return m_bSet;
}

bool ManualResetEvent::Wait(std::uint32_t dwTimeoutMs)
{
    return WaitForAnyEvent({this}, dwTimeoutMs) == 0;
}

int WaitForAnyEvent(std::initializer_list<ManualResetEvent*> events, std::uint32_t dwTimeoutMs)
{
    int found = -1;
    const auto firstSet = [&events, &found] {
        int index = 0;
        for (const ManualResetEvent* pEvent : events) {
            if (pEvent != nullptr && pEvent->m_bSet) {
                found = index;
                return true;
            }
            ++index;
        }
        return false;
    };
    std::unique_lock<std::mutex> lock(EventLock());
    if (dwTimeoutMs == INFINITE_WAIT)
        EventCondition().wait(lock, firstSet);
    else
        EventCondition().wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), firstSet);
    return found;
}
