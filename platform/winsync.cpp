// Manual-reset events sharing one process-wide lock and condition.
#include "winsync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

std::mutex& EventLock()
{
    static std::mutex s_lock;
    return s_lock;
}

std::condition_variable& EventCondition()
{
    static std::condition_variable s_condition;
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
