// Locks, events and the worker thread with synchronous requests.
#pragma once

#include <windows.h>

class CCritSec {
public:
    CCritSec() { InitializeCriticalSection(&m_section); }
    ~CCritSec() { DeleteCriticalSection(&m_section); }
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;

    void Lock() { EnterCriticalSection(&m_section); }
    void Unlock() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Holds a lock for the lifetime of the object.
class CAutoLock {
public:
    explicit CAutoLock(CCritSec* pLock) : m_pLock(pLock) { m_pLock->Lock(); }
    ~CAutoLock() { m_pLock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* m_pLock;
};

class CAMEvent {
public:
    explicit CAMEvent(BOOL fManualReset = FALSE, HRESULT* phr = nullptr);
    ~CAMEvent();
    CAMEvent(const CAMEvent&) = delete;
    CAMEvent& operator=(const CAMEvent&) = delete;

    operator HANDLE() const { return m_hEvent; }
    void Set() { SetEvent(m_hEvent); }
    void Reset() { ResetEvent(m_hEvent); }
    BOOL Wait(DWORD dwTimeout = INFINITE) { return WaitForSingleObject(m_hEvent, dwTimeout) == WAIT_OBJECT_0; }
    BOOL Check() { return Wait(0); }

private:
    HANDLE m_hEvent;
};

// A worker thread that takes one request at a time. CallWorker blocks until the
// worker calls Reply; the request stays visible to CheckRequest until then.
class CAMThread {
public:
    explicit CAMThread(HRESULT* phr = nullptr);
    virtual ~CAMThread();
    CAMThread(const CAMThread&) = delete;
    CAMThread& operator=(const CAMThread&) = delete;

    // Starts the thread; FALSE when it already runs or cannot start.
    BOOL Create();
    // Sends a request and waits for the reply; E_FAIL (as a DWORD) when there is no
    // thread or it ends without replying.
    DWORD CallWorker(DWORD dwParam);
    // Waits for the thread to end and closes its handle.
    void Close();
    BOOL ThreadExists() const { return m_hThread != nullptr; }

    // Worker side: wait for a request, look for one without waiting, answer it.
    DWORD GetRequest();
    BOOL CheckRequest(DWORD* pParam);
    void Reply(DWORD dw);

    HANDLE GetRequestHandle() const { return m_EventSend; }
    DWORD GetRequestParam() const { return m_dwParam; }

    static HRESULT CoInitializeHelper() { return CoInitializeEx(nullptr, COINIT_DISABLE_OLE1DDE); }

    CCritSec m_AccessLock;  // serialises callers
    CCritSec m_WorkerLock;  // for the worker's own use

protected:
    virtual DWORD ThreadProc() = 0;

private:
    static DWORD WINAPI InitialThreadProc(LPVOID pv);

    CAMEvent m_EventSend{TRUE};  // manual reset: the request stays posted until Reply
    CAMEvent m_EventComplete;
    DWORD m_dwParam = 0;
    DWORD m_dwReturnVal = 0;
    HANDLE m_hThread = nullptr;
};
