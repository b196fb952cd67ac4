// A manual-reset event and a wait on several of them. All events share one process-wide lock
// and condition, so a wait on several events needs no polling.
#pragma once

#include <cstdint>
#include <initializer_list>

constexpr std::uint32_t INFINITE_WAIT = 0xFFFFFFFFu;

class ManualResetEvent {
public:
    ManualResetEvent() = default;
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event was set within dwTimeoutMs (INFINITE_WAIT waits without limit).
    bool Wait(std::uint32_t dwTimeoutMs);

private:
    friend int WaitForAnyEvent(std::initializer_list<ManualResetEvent*>, std::uint32_t);
    bool m_bSet = false;  // guarded by the process-wide event lock
};

// Waits until one of the events is set; returns the index of the first set one in list order,
// or -1 on time-out.
int WaitForAnyEvent(std::initializer_list<ManualResetEvent*> events, std::uint32_t dwTimeoutMs);
