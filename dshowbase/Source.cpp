#include "Source.h"

#include <new>

#include <evcode.h>
#include <vfwmsgs.h>

CSource::CSource(LPCTSTR pName, LPUNKNOWN lpunk, CLSID clsid, HRESULT* phr)
    : CBaseFilter(pName, lpunk, &m_cStateLock, clsid, phr)
{
}

CSource::~CSource()
{
    while (m_iPins != 0)
        delete m_paStreams[m_iPins - 1];  // detaches itself
    delete[] m_paStreams;
}

int CSource::GetPinCount()
{
    CAutoLock lock(&m_cStateLock);
    return m_iPins;
}

CBasePin* CSource::GetPin(int n)
{
    CAutoLock lock(&m_cStateLock);
    if (n < 0 || n >= m_iPins)
        return nullptr;
    return m_paStreams[n];
}

HRESULT CSource::AddPin(CSourceStream* pStream)
{
    CAutoLock lock(&m_cStateLock);
    auto** streams = new (std::nothrow) CSourceStream*[m_iPins + 1];
    if (!streams)
        return E_OUTOFMEMORY;
    for (int i = 0; i < m_iPins; ++i)
        streams[i] = m_paStreams[i];
    streams[m_iPins] = pStream;
    delete[] m_paStreams;
    m_paStreams = streams;
    ++m_iPins;
    IncrementPinVersion();
    return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* pStream)
{
    CAutoLock lock(&m_cStateLock);
    for (int i = 0; i < m_iPins; ++i) {
        if (m_paStreams[i] != pStream)
            continue;
        for (int j = i + 1; j < m_iPins; ++j)
            m_paStreams[j - 1] = m_paStreams[j];
        --m_iPins;
        if (m_iPins == 0) {
            delete[] m_paStreams;
            m_paStreams = nullptr;
        }
        IncrementPinVersion();
        return S_OK;
    }
    return S_FALSE;
}

int CSource::FindPinNumber(IPin* iPin)
{
    CAutoLock lock(&m_cStateLock);
    for (int i = 0; i < m_iPins; ++i) {
        if (static_cast<IPin*>(m_paStreams[i]) == iPin)
            return i;
    }
    return -1;
}

CSourceStream::CSourceStream(LPCTSTR pObjectName, HRESULT* phr, CSource* pms, LPCWSTR pName)
    : CAMThread(phr),
      CBaseOutputPin(pObjectName, pms, pms->pStateLock(), phr, pName),
      m_pFilter(pms)
{
    const HRESULT hr = m_pFilter->AddPin(this);
    if (FAILED(hr) && phr)
        *phr = hr;
}

CSourceStream::~CSourceStream()
{
    m_pFilter->RemovePin(this);
}

HRESULT CSourceStream::Active()
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (m_pFilter->IsActive())
        return S_FALSE;
    if (!IsConnected())
        return S_OK;
    HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr))
        return hr;
    if (!Create())
        return E_FAIL;
    hr = Init();
    if (FAILED(hr)) {
        Close();  // the thread has ended after refusing to start
        return hr;
    }
    return Pause();
}

HRESULT CSourceStream::Inactive()
{
    CAutoLock lock(m_pFilter->pStateLock());
    if (!IsConnected())
        return S_OK;
    // Decommitting first frees a thread waiting for a buffer.
    HRESULT hr = CBaseOutputPin::Inactive();
    if (FAILED(hr))
        return hr;
    if (ThreadExists()) {
        hr = Stop();
        if (FAILED(hr))
            return hr;
        hr = Exit();
        if (FAILED(hr))
            return hr;
        Close();
    }
    return S_OK;
}

DWORD CSourceStream::ThreadProc()
{
    Command com;
    do {
        com = GetRequest();
        if (com != CMD_INIT)
            Reply(static_cast<DWORD>(E_UNEXPECTED));
    } while (com != CMD_INIT);

    HRESULT hr = OnThreadCreate();
    if (FAILED(hr)) {
        OnThreadDestroy();
        Reply(static_cast<DWORD>(hr));
        return 1;
    }
    Reply(S_OK);

    do {
        com = GetRequest();
        switch (com) {
        case CMD_EXIT:
        case CMD_STOP:
            Reply(S_OK);
            break;
        case CMD_RUN:
        case CMD_PAUSE:
            Reply(S_OK);
            DoBufferProcessingLoop();
            break;
        default:
            Reply(static_cast<DWORD>(E_NOTIMPL));
            break;
        }
    } while (com != CMD_EXIT);

    hr = OnThreadDestroy();
    return FAILED(hr) ? 1 : 0;
}

HRESULT CSourceStream::DoBufferProcessingLoop()
{
    OnThreadStartPlay();
    Command com;
    do {
        while (!CheckRequest(&com)) {
            IMediaSample* pSample = nullptr;
            HRESULT hr = GetDeliveryBuffer(&pSample, nullptr, nullptr, 0);
            if (FAILED(hr)) {
                Sleep(1);
                continue;  // decommitted: a stop request is on its way
            }
            hr = FillBuffer(pSample);
            if (hr == S_OK) {
                hr = Deliver(pSample);
                pSample->Release();
                if (hr != S_OK)
                    return S_OK;  // downstream wants no more: wait for the next request
            } else if (hr == S_FALSE) {
                pSample->Release();
                DeliverEndOfStream();
                return S_OK;
            } else {
                pSample->Release();
                DeliverEndOfStream();
                m_pFilter->NotifyEvent(EC_ERRORABORT, hr, 0);
                return hr;
            }
        }
        // Run and pause keep the loop going; stop is answered by ThreadProc.
        if (com == CMD_RUN || com == CMD_PAUSE)
            Reply(S_OK);
        else if (com != CMD_STOP)
            Reply(static_cast<DWORD>(E_UNEXPECTED));
    } while (com != CMD_STOP);
    return S_FALSE;
}

HRESULT CSourceStream::CheckMediaType(const CMediaType* pMediaType)
{
    CAutoLock lock(m_pFilter->pStateLock());
    CMediaType mt;
    if (FAILED(GetMediaType(&mt)))
        return E_FAIL;
    return mt == *pMediaType ? S_OK : E_FAIL;
}

HRESULT CSourceStream::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition > 0)
        return VFW_S_NO_MORE_ITEMS;
    return GetMediaType(pMediaType);
}

HRESULT CSourceStream::GetMediaType(CMediaType*)
{
    return E_UNEXPECTED;
}
