// A thread that spins at below-normal priority so the processor keeps its clock up.
#pragma once

#include <windows.h>

class LoadThread {
public:
    LoadThread() = default;
    LoadThread(const LoadThread&) = delete;
    LoadThread& operator=(const LoadThread&) = delete;
    ~LoadThread() { Stop(); }

    // Returns true when the thread runs afterwards (started now or already running).
    bool Start();
    void Stop();
    bool IsRunning() const { return thread_ != INVALID_HANDLE_VALUE; }

private:
    static DWORD WINAPI Body(void* self);

    HANDLE thread_ = INVALID_HANDLE_VALUE;
    volatile LONG stop_ = 0;
};
