// CMediaPosition: IMediaPosition's IDispatch part, from the platform's type library.
// CPosPassThru: IMediaSeeking and IMediaPosition of a filter answered by the filter
// upstream of one of its input pins.
#pragma once

#include <windows.h>
#include <strmif.h>
#include <control.h>

#include "ComBase.h"

class CMediaPosition : public IMediaPosition, public CUnknown {
public:
    CMediaPosition(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr = nullptr);
    ~CMediaPosition() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT itinfo, LCID lcid, ITypeInfo** pptinfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgdispid) override;
    STDMETHODIMP Invoke(DISPID dispidMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pdispparams,
                        VARIANT* pvarResult, EXCEPINFO* pexcepinfo, UINT* puArgErr) override;

private:
    HRESULT LoadTypeInfo();

    ITypeInfo* m_pTypeInfo = nullptr;
};

class CPosPassThru : public IMediaSeeking, public CMediaPosition {
public:
    // pPin is our input pin; it is not counted (it lives as long as its filter).
    CPosPassThru(LPCTSTR pName, LPUNKNOWN pUnk, HRESULT* phr, IPin* pPin);

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IMediaSeeking, passed to the upstream pin.
    STDMETHODIMP GetCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* pCapabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* pFormat) override;
    STDMETHODIMP QueryPreferredFormat(GUID* pFormat) override;
    STDMETHODIMP GetTimeFormat(GUID* pFormat) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP SetTimeFormat(const GUID* pFormat) override;
    STDMETHODIMP GetDuration(LONGLONG* pDuration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* pStop) override;
    // Our own media time when GetMediaTime gives one, else upstream's.
    STDMETHODIMP GetCurrentPosition(LONGLONG* pCurrent) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* pTarget, const GUID* pTargetFormat, LONGLONG Source,
                                   const GUID* pSourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* pCurrent, DWORD dwCurrentFlags, LONGLONG* pStop, DWORD dwStopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* pCurrent, LONGLONG* pStop) override;
    STDMETHODIMP GetAvailable(LONGLONG* pEarliest, LONGLONG* pLatest) override;
    STDMETHODIMP SetRate(double dRate) override;
    STDMETHODIMP GetRate(double* pdRate) override;
    STDMETHODIMP GetPreroll(LONGLONG* pllPreroll) override;

    // IMediaPosition, passed to the upstream pin.
    STDMETHODIMP get_Duration(REFTIME* plength) override;
    STDMETHODIMP put_CurrentPosition(REFTIME llTime) override;
    STDMETHODIMP get_CurrentPosition(REFTIME* pllTime) override;
    STDMETHODIMP get_StopTime(REFTIME* pllTime) override;
    STDMETHODIMP put_StopTime(REFTIME llTime) override;
    STDMETHODIMP get_PrerollTime(REFTIME* pllTime) override;
    STDMETHODIMP put_PrerollTime(REFTIME llTime) override;
    STDMETHODIMP put_Rate(double dRate) override;
    STDMETHODIMP get_Rate(double* pdRate) override;
    STDMETHODIMP CanSeekForward(LONG* pCanSeekForward) override;
    STDMETHODIMP CanSeekBackward(LONG* pCanSeekBackward) override;

    // The media time of the sample being rendered; E_FAIL when there is none.
    virtual HRESULT GetMediaTime(LONGLONG* pStartTime, LONGLONG* pEndTime);
    // Changes the pin whose upstream is asked (null: none).
    HRESULT SetPin(IPin* pPin);

protected:
    // The upstream pin's interfaces, counted; E_NOTIMPL when it has none.
    HRESULT GetPeer(IMediaPosition** ppMP);
    HRESULT GetPeerSeeking(IMediaSeeking** ppMS);

private:
    IPin* m_pPin;
};
