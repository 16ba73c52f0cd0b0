// CEnumPins and CEnumMediaTypes: enumerators over a filter's pins and a pin's
// preferred media types. A change of the pin or type version puts an open
// enumerator out of sync until Reset.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "ComBase.h"

class CBaseFilter;
class CBasePin;

class CEnumPins : public CUnknown, public IEnumPins {
public:
    // pEnumPins, when given, is copied (Clone).
    CEnumPins(CBaseFilter* pFilter, const CEnumPins* pEnumPins);
    ~CEnumPins() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    STDMETHODIMP Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cPins) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumPins** ppEnum) override;

private:
    bool OutOfSync() const;

    int m_Position = 0;
    int m_PinCount;
    CBaseFilter* m_pFilter;
    LONG m_Version;
};

class CEnumMediaTypes : public CUnknown, public IEnumMediaTypes {
public:
    CEnumMediaTypes(CBasePin* pPin, const CEnumMediaTypes* pEnumMediaTypes);
    ~CEnumMediaTypes() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // Types come in task memory; free them with DeleteMediaType.
    STDMETHODIMP Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes, ULONG* pcFetched) override;
    STDMETHODIMP Skip(ULONG cMediaTypes) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** ppEnum) override;

private:
    bool OutOfSync() const;

    ULONG m_Position = 0;
    CBasePin* m_pPin;
    LONG m_Version;
};
