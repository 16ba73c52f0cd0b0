// CSimSrcOutputPin: the null source's one pin, named "Output". It takes part in type
// negotiation and allocator set-up only; nothing is ever delivered.
#pragma once

#include "dshowbase/streams.h"

class CSimSrcFilter;

class CSimSrcOutputPin : public CBaseOutputPin {
public:
    CSimSrcOutputPin(CSimSrcFilter* pFilter, CCritSec* pLock, HRESULT* phr);

    // S_OK for a type equal to one of the filter's (format bytes included), else E_FAIL.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    // The allocator's properties stay as they are.
    HRESULT DecideBufferSize(IMemAllocator* pAlloc, ALLOCATOR_PROPERTIES* pprop) override;

private:
    CSimSrcFilter* simSrc_;
};
