// CBaseAllocator: the IMemAllocator contract (properties, commit and decommit, a pool
// of samples with blocking GetBuffer); CMemAllocator: samples in one block of memory.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "ComBase.h"
#include "MediaSample.h"
#include "Threads.h"

class CBaseAllocator : public CUnknown, public IMemAllocatorCallbackTemp {
public:
    CBaseAllocator(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr);
    ~CBaseAllocator() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMemAllocator
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                           DWORD dwFlags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* pBuffer) override;

    // IMemAllocatorCallbackTemp
    STDMETHODIMP SetNotify(IMemAllocatorNotifyCallbackTemp* pNotify) override;
    STDMETHODIMP GetFreeCount(LONG* plBuffersFree) override;

protected:
    // Makes the samples for the current properties; called by Commit.
    virtual HRESULT Alloc();
    // Frees the samples; called when decommitted and every sample is back.
    virtual void Free() = 0;

    // The free samples, a stack linked through CMediaSample::m_pNext.
    class CSampleList {
    public:
        CMediaSample* Head() const { return m_pHead; }
        int GetCount() const { return m_count; }
        void Add(CMediaSample* pSample);
        CMediaSample* RemoveHead();
        static CMediaSample* Next(CMediaSample* pSample) { return pSample->m_pNext; }

    private:
        CMediaSample* m_pHead = nullptr;
        int m_count = 0;
    };

    BOOL IsCommitted() const { return m_bCommitted; }
    // Wakes every thread waiting in GetBuffer.
    void NotifySample();

    CCritSec m_Lock;
    CSampleList m_lFree;
    HANDLE m_hSem;  // waiters for a free sample
    LONG m_lWaiting = 0;
    LONG m_lCount = 0;      // properties as set
    LONG m_lAllocated = 0;  // samples made
    LONG m_lSize = 0;
    LONG m_lAlignment = 0;
    LONG m_lPrefix = 0;
    BOOL m_bChanged = FALSE;  // properties changed since the last Alloc
    BOOL m_bCommitted = FALSE;
    BOOL m_bDecommitInProgress = FALSE;
    IMemAllocatorNotifyCallbackTemp* m_pNotify = nullptr;
};

class CMemAllocator : public CBaseAllocator {
public:
    CMemAllocator(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr);
    ~CMemAllocator() override;

    // Rounds the buffer size up so that every buffer (with its prefix) stays aligned.
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;

    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);
    // A new allocator, as its IMemAllocator (one reference, the caller's).
    static HRESULT Create(IMemAllocator** ppAlloc);

protected:
    HRESULT Alloc() override;
    void Free() override;

private:
    void ReallyFree();

    LPBYTE m_pBuffer = nullptr;
};
