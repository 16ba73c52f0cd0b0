#include "SimSrcOutputPin.h"

#include "SimSrcFilter.h"

CSimSrcOutputPin::CSimSrcOutputPin(CSimSrcFilter* pFilter, CCritSec* pLock, HRESULT* phr)
    : CBaseOutputPin(L"Null source output", pFilter, pLock, phr, L"Output"),
      simSrc_(pFilter)
{
}

HRESULT CSimSrcOutputPin::CheckMediaType(const CMediaType* pmt)
{
    CheckPointer(pmt, E_POINTER);
    CAutoLock lock(m_pLock);
    for (int i = 0; i < simSrc_->MediaTypeCount(); ++i) {
        if (*pmt == simSrc_->MediaTypeAt(i))
            return S_OK;
    }
    return E_FAIL;
}

HRESULT CSimSrcOutputPin::GetMediaType(int iPosition, CMediaType* pMediaType)
{
    CAutoLock lock(m_pLock);
    if (iPosition < 0)
        return E_INVALIDARG;
    if (iPosition >= simSrc_->MediaTypeCount())
        return VFW_S_NO_MORE_ITEMS;
    if (!pMediaType)
        return E_UNEXPECTED;
    return pMediaType->Set(simSrc_->MediaTypeAt(iPosition));
}

HRESULT CSimSrcOutputPin::DecideBufferSize(IMemAllocator*, ALLOCATOR_PROPERTIES*)
{
    return S_OK;
}
