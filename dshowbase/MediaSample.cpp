#include "MediaSample.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <vfwmsgs.h>

#include "Allocator.h"
#include "ComBase.h"
#include "MediaType.h"

CMediaSample::CMediaSample(LPCTSTR pName, CBaseAllocator* pAllocator, HRESULT* phr, LPBYTE pBuffer, LONG length)
    : m_pName(pName),
      m_pBuffer(pBuffer),
      m_cbBuffer(length),
      m_pAllocator(pAllocator)
{
    if (length < 0 && phr && SUCCEEDED(*phr))
        *phr = VFW_E_BUFFER_OVERFLOW;
}

CMediaSample::~CMediaSample()
{
    if (m_pMediaType)
        DeleteMediaType(m_pMediaType);
}

STDMETHODIMP CMediaSample::QueryInterface(REFIID riid, void** ppv)
{
    CheckPointer(ppv, E_POINTER);
    if (riid == IID_IUnknown || riid == IID_IMediaSample || riid == IID_IMediaSample2)
        return GetInterface(static_cast<IMediaSample2*>(this), ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CMediaSample::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_cRef));
}

STDMETHODIMP_(ULONG) CMediaSample::Release()
{
    const LONG count = InterlockedDecrement(&m_cRef);
    if (count == 0) {
        ClearProperties();
        m_pAllocator->ReleaseBuffer(this);
    }
    return static_cast<ULONG>(count);
}

void CMediaSample::ClearProperties()
{
    if (m_pMediaType) {
        DeleteMediaType(m_pMediaType);
        m_pMediaType = nullptr;
    }
    m_dwFlags = 0;
    m_dwTypeSpecificFlags = 0;
    m_dwStreamId = AM_STREAM_MEDIA;
}

HRESULT CMediaSample::SetPointer(BYTE* pBuffer, LONG cBytes)
{
    if (cBytes < 0)
        return VFW_E_BUFFER_OVERFLOW;
    m_pBuffer = pBuffer;
    m_cbBuffer = cBytes;
    m_lActual = cBytes;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetPointer(BYTE** ppBuffer)
{
    CheckPointer(ppBuffer, E_POINTER);
    *ppBuffer = m_pBuffer;
    return S_OK;
}

STDMETHODIMP_(LONG) CMediaSample::GetSize()
{
    return m_cbBuffer;
}

STDMETHODIMP CMediaSample::GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    if (!(m_dwFlags & AM_SAMPLE_TIMEVALID))
        return VFW_E_SAMPLE_TIME_NOT_SET;
    CheckPointer(pTimeStart, E_POINTER);
    CheckPointer(pTimeEnd, E_POINTER);
    *pTimeStart = m_Start;
    if (!(m_dwFlags & AM_SAMPLE_STOPVALID)) {
        *pTimeEnd = m_Start + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *pTimeEnd = m_End;
    return S_OK;
}

STDMETHODIMP CMediaSample::SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd)
{
    if (!pTimeStart) {
        m_dwFlags &= ~(AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID);
        return S_OK;
    }
    m_Start = *pTimeStart;
    m_dwFlags |= AM_SAMPLE_TIMEVALID;
    if (pTimeEnd) {
        m_End = *pTimeEnd;
        m_dwFlags |= AM_SAMPLE_STOPVALID;
    } else {
        m_dwFlags &= ~AM_SAMPLE_STOPVALID;
    }
    return S_OK;
}

STDMETHODIMP CMediaSample::IsSyncPoint()
{
    return (m_dwFlags & AM_SAMPLE_SPLICEPOINT) ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetSyncPoint(BOOL bIsSyncPoint)
{
    if (bIsSyncPoint)
        m_dwFlags |= AM_SAMPLE_SPLICEPOINT;
    else
        m_dwFlags &= ~AM_SAMPLE_SPLICEPOINT;
    return S_OK;
}

STDMETHODIMP CMediaSample::IsPreroll()
{
    return (m_dwFlags & AM_SAMPLE_PREROLL) ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetPreroll(BOOL bIsPreroll)
{
    if (bIsPreroll)
        m_dwFlags |= AM_SAMPLE_PREROLL;
    else
        m_dwFlags &= ~AM_SAMPLE_PREROLL;
    return S_OK;
}

STDMETHODIMP_(LONG) CMediaSample::GetActualDataLength()
{
    return m_lActual;
}

STDMETHODIMP CMediaSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > m_cbBuffer)
        return VFW_E_BUFFER_OVERFLOW;
    m_lActual = length;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetMediaType(AM_MEDIA_TYPE** ppMediaType)
{
    CheckPointer(ppMediaType, E_POINTER);
    *ppMediaType = nullptr;
    if (!(m_dwFlags & AM_SAMPLE_TYPECHANGED))
        return S_FALSE;
    *ppMediaType = CreateMediaType(m_pMediaType);
    return *ppMediaType ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CMediaSample::SetMediaType(AM_MEDIA_TYPE* pMediaType)
{
    if (m_pMediaType) {
        DeleteMediaType(m_pMediaType);
        m_pMediaType = nullptr;
    }
    if (!pMediaType) {
        m_dwFlags &= ~AM_SAMPLE_TYPECHANGED;
        return S_OK;
    }
    m_pMediaType = CreateMediaType(pMediaType);
    if (!m_pMediaType) {
        m_dwFlags &= ~AM_SAMPLE_TYPECHANGED;
        return E_OUTOFMEMORY;
    }
    m_dwFlags |= AM_SAMPLE_TYPECHANGED;
    return S_OK;
}

STDMETHODIMP CMediaSample::IsDiscontinuity()
{
    return (m_dwFlags & AM_SAMPLE_DATADISCONTINUITY) ? S_OK : S_FALSE;
}

STDMETHODIMP CMediaSample::SetDiscontinuity(BOOL bDiscontinuity)
{
    if (bDiscontinuity)
        m_dwFlags |= AM_SAMPLE_DATADISCONTINUITY;
    else
        m_dwFlags &= ~AM_SAMPLE_DATADISCONTINUITY;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    CheckPointer(pTimeStart, E_POINTER);
    CheckPointer(pTimeEnd, E_POINTER);
    if (!(m_dwFlags & Sample_MediaTimeValid))
        return VFW_E_MEDIA_TIME_NOT_SET;
    *pTimeStart = m_MediaStart;
    *pTimeEnd = m_MediaEnd;
    return S_OK;
}

STDMETHODIMP CMediaSample::SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd)
{
    if (!pTimeStart) {
        if (pTimeEnd)
            return E_POINTER;
        m_dwFlags &= ~Sample_MediaTimeValid;
        return S_OK;
    }
    CheckPointer(pTimeEnd, E_POINTER);
    if (*pTimeEnd < *pTimeStart)
        return E_INVALIDARG;
    m_MediaStart = *pTimeStart;
    m_MediaEnd = *pTimeEnd;
    m_dwFlags |= Sample_MediaTimeValid;
    return S_OK;
}

STDMETHODIMP CMediaSample::GetProperties(DWORD cbProperties, BYTE* pbProperties)
{
    if (cbProperties == 0)
        return S_OK;
    CheckPointer(pbProperties, E_POINTER);
    AM_SAMPLE2_PROPERTIES props{};
    props.cbData = std::min<DWORD>(cbProperties, sizeof props);
    props.dwTypeSpecificFlags = m_dwTypeSpecificFlags;
    props.dwSampleFlags = m_dwFlags & ~Sample_MediaTimeValid;
    props.lActual = m_lActual;
    props.tStart = m_Start;
    props.tStop = m_End;
    props.dwStreamId = m_dwStreamId;
    props.pMediaType = (m_dwFlags & AM_SAMPLE_TYPECHANGED) ? m_pMediaType : nullptr;
    props.pbBuffer = m_pBuffer;
    props.cbBuffer = m_cbBuffer;
    std::memcpy(pbProperties, &props, props.cbData);
    return S_OK;
}

STDMETHODIMP CMediaSample::SetProperties(DWORD cbProperties, const BYTE* pbProperties)
{
    // Everything up to the buffer fields must be given; the buffer itself cannot change.
    if (cbProperties < offsetof(AM_SAMPLE2_PROPERTIES, pbBuffer) || cbProperties > sizeof(AM_SAMPLE2_PROPERTIES))
        return E_INVALIDARG;
    CheckPointer(pbProperties, E_POINTER);
    AM_SAMPLE2_PROPERTIES props{};
    std::memcpy(&props, pbProperties, cbProperties);
    if (props.cbData != cbProperties)
        return E_INVALIDARG;
    if (cbProperties > offsetof(AM_SAMPLE2_PROPERTIES, pbBuffer) && props.pbBuffer && props.pbBuffer != m_pBuffer)
        return E_INVALIDARG;
    if (cbProperties > offsetof(AM_SAMPLE2_PROPERTIES, cbBuffer) && props.cbBuffer != 0 && props.cbBuffer != m_cbBuffer)
        return E_INVALIDARG;
    if (props.lActual < 0 || props.lActual > m_cbBuffer)
        return VFW_E_BUFFER_OVERFLOW;

    if (props.dwSampleFlags & AM_SAMPLE_TYPECHANGED) {
        const HRESULT hr = SetMediaType(props.pMediaType);
        if (FAILED(hr))
            return hr;
    } else {
        SetMediaType(nullptr);
    }
    const DWORD keep = m_dwFlags & (Sample_MediaTimeValid | AM_SAMPLE_TYPECHANGED);
    m_dwFlags = (props.dwSampleFlags & ~(Sample_MediaTimeValid | AM_SAMPLE_TYPECHANGED)) | keep;
    m_dwTypeSpecificFlags = props.dwTypeSpecificFlags;
    m_lActual = props.lActual;
    m_Start = props.tStart;
    m_End = props.tStop;
    m_dwStreamId = props.dwStreamId;
    return S_OK;
}
