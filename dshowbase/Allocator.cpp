#include "Allocator.h"

#include <new>

#include <vfwmsgs.h>

void CBaseAllocator::CSampleList::Add(CMediaSample* pSample)
{
    pSample->m_pNext = m_pHead;
    m_pHead = pSample;
    ++m_count;
}

CMediaSample* CBaseAllocator::CSampleList::RemoveHead()
{
    CMediaSample* pSample = m_pHead;
    if (pSample) {
        m_pHead = pSample->m_pNext;
        pSample->m_pNext = nullptr;
        --m_count;
    }
    return pSample;
}

CBaseAllocator::CBaseAllocator(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr)
    : CUnknown(pName, pUnk),
      m_hSem(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr))
{
    if (!m_hSem && phr && SUCCEEDED(*phr))
        *phr = E_OUTOFMEMORY;
}

CBaseAllocator::~CBaseAllocator()
{
    if (m_pNotify)
        m_pNotify->Release();
    if (m_hSem)
        CloseHandle(m_hSem);
}

STDMETHODIMP CBaseAllocator::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IMemAllocator || riid == IID_IMemAllocatorCallbackTemp)
        return GetInterface(static_cast<IMemAllocatorCallbackTemp*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    CheckPointer(pRequest, E_POINTER);
    CheckPointer(pActual, E_POINTER);
    CAutoLock lock(&m_Lock);
    if (m_bCommitted)
        return VFW_E_ALREADY_COMMITTED;
    if (m_lAllocated != m_lFree.GetCount())
        return VFW_E_BUFFERS_OUTSTANDING;
    if (pRequest->cBuffers < 0 || pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0)
        return E_INVALIDARG;
    pActual->cBuffers = m_lCount = pRequest->cBuffers;
    pActual->cbBuffer = m_lSize = pRequest->cbBuffer;
    pActual->cbAlign = m_lAlignment = pRequest->cbAlign;
    pActual->cbPrefix = m_lPrefix = pRequest->cbPrefix;
    m_bChanged = TRUE;
    return S_OK;
}

STDMETHODIMP CBaseAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps)
{
    CheckPointer(pProps, E_POINTER);
    CAutoLock lock(&m_Lock);
    pProps->cBuffers = m_lCount;
    pProps->cbBuffer = m_lSize;
    pProps->cbAlign = m_lAlignment;
    pProps->cbPrefix = m_lPrefix;
    return S_OK;
}

HRESULT CBaseAllocator::Alloc()
{
    if (m_lCount <= 0 || m_lSize <= 0 || m_lAlignment <= 0)
        return VFW_E_SIZENOTSET;
    m_bChanged = FALSE;
    return S_OK;
}

STDMETHODIMP CBaseAllocator::Commit()
{
    CAutoLock lock(&m_Lock);
    if (m_bCommitted)
        return S_OK;
    if (m_bDecommitInProgress) {
        // Samples and the self-reference are still there; call the decommit off.
        m_bDecommitInProgress = FALSE;
        m_bCommitted = TRUE;
        return S_OK;
    }
    const HRESULT hr = Alloc();
    if (FAILED(hr))
        return hr;
    m_bCommitted = TRUE;
    // Committed allocators keep themselves alive until every sample is back.
    AddRef();
    return S_OK;
}

STDMETHODIMP CBaseAllocator::Decommit()
{
    bool release = false;
    {
        CAutoLock lock(&m_Lock);
        if (!m_bCommitted)
            return S_OK;
        m_bCommitted = FALSE;
        if (m_lFree.GetCount() < m_lAllocated) {
            m_bDecommitInProgress = TRUE;
        } else {
            m_bDecommitInProgress = FALSE;
            Free();
            release = true;
        }
        // Waiters in GetBuffer now fail with VFW_E_NOT_COMMITTED.
        NotifySample();
    }
    if (release)
        Release();
    return S_OK;
}

STDMETHODIMP CBaseAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD dwFlags)
{
    CheckPointer(ppBuffer, E_POINTER);
    *ppBuffer = nullptr;
    CMediaSample* pSample = nullptr;
    for (;;) {
        {
            CAutoLock lock(&m_Lock);
            if (!m_bCommitted)
                return VFW_E_NOT_COMMITTED;
            pSample = m_lFree.RemoveHead();
            if (pSample)
                break;
            if (dwFlags & AM_GBF_NOWAIT)
                return VFW_E_TIMEOUT;
            ++m_lWaiting;
        }
        WaitForSingleObject(m_hSem, INFINITE);
    }
    pSample->m_cRef = 1;
    *ppBuffer = pSample;
    return S_OK;
}

STDMETHODIMP CBaseAllocator::ReleaseBuffer(IMediaSample* pBuffer)
{
    CheckPointer(pBuffer, E_POINTER);
    bool release = false;
    IMemAllocatorNotifyCallbackTemp* pNotify = nullptr;
    {
        CAutoLock lock(&m_Lock);
        m_lFree.Add(static_cast<CMediaSample*>(pBuffer));
        if (m_lWaiting != 0)
            NotifySample();
        if (m_pNotify) {
            pNotify = m_pNotify;
            pNotify->AddRef();
        }
        if (m_bDecommitInProgress && m_lFree.GetCount() == m_lAllocated) {
            m_bDecommitInProgress = FALSE;
            Free();
            release = true;
        }
    }
    if (pNotify) {
        pNotify->NotifyRelease();
        pNotify->Release();
    }
    if (release)
        Release();
    return S_OK;
}

void CBaseAllocator::NotifySample()
{
    if (m_lWaiting != 0) {
        ReleaseSemaphore(m_hSem, m_lWaiting, nullptr);
        m_lWaiting = 0;
    }
}

STDMETHODIMP CBaseAllocator::SetNotify(IMemAllocatorNotifyCallbackTemp* pNotify)
{
    CAutoLock lock(&m_Lock);
    if (pNotify)
        pNotify->AddRef();
    if (m_pNotify)
        m_pNotify->Release();
    m_pNotify = pNotify;
    return S_OK;
}

STDMETHODIMP CBaseAllocator::GetFreeCount(LONG* plBuffersFree)
{
    CheckPointer(plBuffersFree, E_POINTER);
    CAutoLock lock(&m_Lock);
    *plBuffersFree = m_lFree.GetCount();
    return S_OK;
}

CMemAllocator::CMemAllocator(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr) : CBaseAllocator(pName, pUnk, phr) {}

CMemAllocator::~CMemAllocator()
{
    ReallyFree();
}

CUnknown* WINAPI CMemAllocator::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    CUnknown* pObject = new (std::nothrow) CMemAllocator(L"CMemAllocator", pUnk, phr);
    if (!pObject && phr)
        *phr = E_OUTOFMEMORY;
    return pObject;
}

HRESULT CMemAllocator::Create(IMemAllocator** ppAlloc)
{
    HRESULT hr = S_OK;
    CUnknown* pObject = CreateInstance(nullptr, &hr);
    if (!pObject)
        return E_OUTOFMEMORY;
    pObject->NonDelegatingAddRef();
    if (SUCCEEDED(hr))
        hr = pObject->NonDelegatingQueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(ppAlloc));
    pObject->NonDelegatingRelease();
    return hr;
}

STDMETHODIMP CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual)
{
    CheckPointer(pRequest, E_POINTER);
    CheckPointer(pActual, E_POINTER);
    const LONG align = pRequest->cbAlign;
    if (align <= 0 || (align & (align - 1)) != 0)
        return VFW_E_BADALIGN;
    if (pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0)
        return E_INVALIDARG;
    ALLOCATOR_PROPERTIES adjusted = *pRequest;
    const LONGLONG whole = static_cast<LONGLONG>(pRequest->cbBuffer) + pRequest->cbPrefix;
    const LONGLONG rounded = (whole + align - 1) / align * align;
    if (rounded - pRequest->cbPrefix > 0x7FFFFFFF)
        return E_OUTOFMEMORY;
    adjusted.cbBuffer = static_cast<LONG>(rounded - pRequest->cbPrefix);
    return CBaseAllocator::SetProperties(&adjusted, pActual);
}

HRESULT CMemAllocator::Alloc()
{
    CAutoLock lock(&m_Lock);
    const BOOL changed = m_bChanged;
    HRESULT hr = CBaseAllocator::Alloc();
    if (FAILED(hr))
        return hr;
    if (m_pBuffer && !changed)
        return S_OK;  // same properties as last time: keep the samples
    ReallyFree();

    const SIZE_T stride = static_cast<SIZE_T>(m_lSize) + m_lPrefix;
    const SIZE_T total = stride * static_cast<SIZE_T>(m_lCount);
    if (total / stride != static_cast<SIZE_T>(m_lCount))
        return E_OUTOFMEMORY;
    // Page-aligned memory satisfies any power-of-two alignment up to the page size.
    m_pBuffer = static_cast<LPBYTE>(VirtualAlloc(nullptr, total, MEM_COMMIT, PAGE_READWRITE));
    if (!m_pBuffer)
        return E_OUTOFMEMORY;

    for (LONG i = 0; i < m_lCount; ++i) {
        hr = S_OK;
        auto* pSample = new (std::nothrow)
            CMediaSample(L"Default memory media sample", this, &hr, m_pBuffer + i * stride + m_lPrefix, m_lSize);
        if (!pSample) {
            ReallyFree();
            return E_OUTOFMEMORY;
        }
        m_lFree.Add(pSample);
        ++m_lAllocated;
    }
    return S_OK;
}

void CMemAllocator::Free()
{
    // Memory is kept for the next Commit with unchanged properties.
    if (m_bChanged)
        ReallyFree();
}

void CMemAllocator::ReallyFree()
{
    while (CMediaSample* pSample = m_lFree.RemoveHead())
        delete pSample;
    m_lAllocated = 0;
    if (m_pBuffer) {
        VirtualFree(m_pBuffer, 0, MEM_RELEASE);
        m_pBuffer = nullptr;
    }
}
