#include "MediaType.h"

#include <objbase.h>

#include <cstring>

void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat != 0 || mt.pbFormat) {
        CoTaskMemFree(mt.pbFormat);
        mt.cbFormat = 0;
        mt.pbFormat = nullptr;
    }
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource)
{
    if (!pmtTarget || !pmtSource)
        return E_POINTER;
    *pmtTarget = *pmtSource;
    if (pmtSource->cbFormat != 0 && pmtSource->pbFormat) {
        pmtTarget->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(pmtSource->cbFormat));
        if (!pmtTarget->pbFormat) {
            pmtTarget->cbFormat = 0;
            pmtTarget->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(pmtTarget->pbFormat, pmtSource->pbFormat, pmtSource->cbFormat);
    } else {
        pmtTarget->cbFormat = 0;
        pmtTarget->pbFormat = nullptr;
    }
    if (pmtTarget->pUnk)
        pmtTarget->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc)
{
    auto* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!pmt)
        return nullptr;
    if (FAILED(CopyMediaType(pmt, pSrc))) {
        CoTaskMemFree(pmt);
        return nullptr;
    }
    return pmt;
}

CMediaType::CMediaType()
{
    std::memset(static_cast<AM_MEDIA_TYPE*>(this), 0, sizeof(AM_MEDIA_TYPE));
    InitMediaType();
}

CMediaType::CMediaType(const GUID* ptype) : CMediaType()
{
    majortype = *ptype;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr) : CMediaType()
{
    const HRESULT hr = Set(mt);
    if (FAILED(hr) && phr)
        *phr = hr;
}

CMediaType::CMediaType(const CMediaType& mt, HRESULT* phr) : CMediaType(static_cast<const AM_MEDIA_TYPE&>(mt), phr) {}

CMediaType::~CMediaType()
{
    FreeMediaType(*this);
}

CMediaType& CMediaType::operator=(const CMediaType& mt)
{
    Set(mt);
    return *this;
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& mt)
{
    Set(mt);
    return *this;
}

bool CMediaType::operator==(const CMediaType& mt) const
{
    return majortype == mt.majortype && subtype == mt.subtype && formattype == mt.formattype &&
           cbFormat == mt.cbFormat && (cbFormat == 0 || std::memcmp(pbFormat, mt.pbFormat, cbFormat) == 0);
}

HRESULT CMediaType::Set(const CMediaType& mt)
{
    return Set(static_cast<const AM_MEDIA_TYPE&>(mt));
}

HRESULT CMediaType::Set(const AM_MEDIA_TYPE& mt)
{
    if (&mt == this)
        return S_OK;
    FreeMediaType(*this);
    const HRESULT hr = CopyMediaType(this, &mt);
    if (FAILED(hr))
        InitMediaType();
    return hr;
}

void CMediaType::SetSampleSize(ULONG sz)
{
    if (sz == 0) {
        SetVariableSize();
    } else {
        bFixedSizeSamples = TRUE;
        lSampleSize = sz;
    }
}

void CMediaType::SetVariableSize()
{
    bFixedSizeSamples = FALSE;
}

BOOL CMediaType::SetFormat(const BYTE* pFormat, ULONG length)
{
    if (!AllocFormatBuffer(length) && length != 0)
        return FALSE;
    if (length != 0)
        std::memcpy(pbFormat, pFormat, length);
    return TRUE;
}

void CMediaType::ResetFormatBuffer()
{
    CoTaskMemFree(pbFormat);
    pbFormat = nullptr;
    cbFormat = 0;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length)
{
    if (cbFormat == length && pbFormat) {
        std::memset(pbFormat, 0, length);
        return pbFormat;
    }
    ResetFormatBuffer();
    if (length == 0)
        return nullptr;
    auto* buffer = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!buffer)
        return nullptr;
    std::memset(buffer, 0, length);
    pbFormat = buffer;
    cbFormat = length;
    return buffer;
}

BYTE* CMediaType::ReallocFormatBuffer(ULONG length)
{
    if (length == 0) {
        ResetFormatBuffer();
        return nullptr;
    }
    auto* buffer = static_cast<BYTE*>(CoTaskMemRealloc(pbFormat, length));
    if (!buffer)
        return nullptr;
    if (length > cbFormat)
        std::memset(buffer + cbFormat, 0, length - cbFormat);
    pbFormat = buffer;
    cbFormat = length;
    return buffer;
}

void CMediaType::InitMediaType()
{
    FreeMediaType(*this);
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    formattype = GUID_NULL;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
    lSampleSize = 1;
}

BOOL CMediaType::MatchesPartial(const CMediaType* ppartial) const
{
    if (ppartial->majortype != GUID_NULL && majortype != ppartial->majortype)
        return FALSE;
    if (ppartial->subtype != GUID_NULL && subtype != ppartial->subtype)
        return FALSE;
    if (ppartial->formattype != GUID_NULL) {
        if (formattype != ppartial->formattype || cbFormat != ppartial->cbFormat)
            return FALSE;
        if (cbFormat != 0 && std::memcmp(pbFormat, ppartial->pbFormat, cbFormat) != 0)
            return FALSE;
    }
    return TRUE;
}

BOOL CMediaType::IsPartiallySpecified() const
{
    return majortype == GUID_NULL || formattype == GUID_NULL;
}

void CMediaType::Adopt(AM_MEDIA_TYPE* pmt)
{
    FreeMediaType(*this);
    if (!pmt) {
        InitMediaType();
        return;
    }
    *static_cast<AM_MEDIA_TYPE*>(this) = *pmt;
    CoTaskMemFree(pmt);
}
