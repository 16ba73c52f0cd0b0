#include "Threads.h"

#include <objbase.h>

CAMEvent::CAMEvent(BOOL fManualReset, HRESULT* phr) : m_hEvent(CreateEventW(nullptr, fManualReset, FALSE, nullptr))
{
    if (!m_hEvent && phr && SUCCEEDED(*phr))
        *phr = HRESULT_FROM_WIN32(GetLastError());
}

CAMEvent::~CAMEvent()
{
    if (m_hEvent)
        CloseHandle(m_hEvent);
}

CAMThread::CAMThread(HRESULT* phr)
{
    if (phr && SUCCEEDED(*phr) && (!m_EventSend || !m_EventComplete))
        *phr = E_OUTOFMEMORY;
}

CAMThread::~CAMThread()
{
    Close();
}

BOOL CAMThread::Create()
{
    CAutoLock lock(&m_AccessLock);
    if (ThreadExists())
        return FALSE;
    DWORD threadId = 0;
    m_hThread = CreateThread(nullptr, 0, InitialThreadProc, this, 0, &threadId);
    return m_hThread != nullptr;
}

DWORD WINAPI CAMThread::InitialThreadProc(LPVOID pv)
{
    // Workers talk to COM objects; give the thread a multithreaded apartment.
    const HRESULT hrCoInit = CoInitializeHelper();
    const DWORD result = static_cast<CAMThread*>(pv)->ThreadProc();
    if (SUCCEEDED(hrCoInit))
        CoUninitialize();
    return result;
}

DWORD CAMThread::CallWorker(DWORD dwParam)
{
    CAutoLock lock(&m_AccessLock);
    if (!ThreadExists())
        return static_cast<DWORD>(E_FAIL);
    m_dwParam = dwParam;
    m_EventSend.Set();
    // A thread that ended without answering would leave the caller waiting forever.
    const HANDLE handles[2] = {m_EventComplete, m_hThread};
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
        m_EventSend.Reset();
        return static_cast<DWORD>(E_FAIL);
    }
    return m_dwReturnVal;
}

void CAMThread::Close()
{
    HANDLE thread = static_cast<HANDLE>(InterlockedExchangePointer(&m_hThread, nullptr));
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

DWORD CAMThread::GetRequest()
{
    m_EventSend.Wait();
    return m_dwParam;
}

BOOL CAMThread::CheckRequest(DWORD* pParam)
{
    if (!m_EventSend.Check())
        return FALSE;
    if (pParam)
        *pParam = m_dwParam;
    return TRUE;
}

void CAMThread::Reply(DWORD dw)
{
    m_dwReturnVal = dw;
    // Take the request down before the caller may post the next one.
    m_EventSend.Reset();
    m_EventComplete.Set();
}
