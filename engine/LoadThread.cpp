#include "LoadThread.h"

bool LoadThread::Start()
{
    if (thread_ != INVALID_HANDLE_VALUE)
        return true;
    InterlockedExchange(&stop_, 0);
    HANDLE thread = CreateThread(nullptr, 0, Body, this, 0, nullptr);
    if (!thread)
        return false;
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    thread_ = thread;
    return true;
}

void LoadThread::Stop()
{
    if (thread_ == INVALID_HANDLE_VALUE)
        return;
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = INVALID_HANDLE_VALUE;
}

DWORD WINAPI LoadThread::Body(void* self)
{
    auto* record = static_cast<LoadThread*>(self);
    while (InterlockedCompareExchange(&record->stop_, 0, 0) == 0)
        Sleep(0);
    return 0;
}
