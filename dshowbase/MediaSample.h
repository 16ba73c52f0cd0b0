// CMediaSample: a buffer handed out by an allocator, with its time stamps and flags.
#pragma once

#include <windows.h>
#include <strmif.h>

class CBaseAllocator;

class CMediaSample : public IMediaSample2 {
public:
    // The sample does not own pBuffer; the allocator does.
    CMediaSample(LPCTSTR pName, CBaseAllocator* pAllocator, HRESULT* phr, LPBYTE pBuffer = nullptr, LONG length = 0);
    virtual ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    // IUnknown. The last Release returns the sample to its allocator.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IMediaSample
    STDMETHODIMP GetPointer(BYTE** ppBuffer) override;
    STDMETHODIMP_(LONG) GetSize() override;
    STDMETHODIMP GetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    STDMETHODIMP SetTime(REFERENCE_TIME* pTimeStart, REFERENCE_TIME* pTimeEnd) override;
    STDMETHODIMP IsSyncPoint() override;
    STDMETHODIMP SetSyncPoint(BOOL bIsSyncPoint) override;
    STDMETHODIMP IsPreroll() override;
    STDMETHODIMP SetPreroll(BOOL bIsPreroll) override;
    STDMETHODIMP_(LONG) GetActualDataLength() override;
    STDMETHODIMP SetActualDataLength(LONG length) override;
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
    STDMETHODIMP IsDiscontinuity() override;
    STDMETHODIMP SetDiscontinuity(BOOL bDiscontinuity) override;
    STDMETHODIMP GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
    STDMETHODIMP SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

    // IMediaSample2
    STDMETHODIMP GetProperties(DWORD cbProperties, BYTE* pbProperties) override;
    STDMETHODIMP SetProperties(DWORD cbProperties, const BYTE* pbProperties) override;

    // Points the sample at another buffer (for allocators that hand out outside memory).
    HRESULT SetPointer(BYTE* pBuffer, LONG cBytes);

protected:
    friend class CBaseAllocator;

    // Private to the allocator: media times and stream id are not AM_SAMPLE_* flags.
    static constexpr DWORD Sample_MediaTimeValid = 0x10000;

    void ClearProperties();

    LPCTSTR m_pName;
    DWORD m_dwFlags = 0;  // AM_SAMPLE_* bits plus Sample_MediaTimeValid
    DWORD m_dwTypeSpecificFlags = 0;
    LPBYTE m_pBuffer;
    LONG m_lActual = 0;
    LONG m_cbBuffer;
    CBaseAllocator* m_pAllocator;
    CMediaSample* m_pNext = nullptr;  // the allocator's free list
    REFERENCE_TIME m_Start = 0;
    REFERENCE_TIME m_End = 0;
    LONGLONG m_MediaStart = 0;
    LONGLONG m_MediaEnd = 0;
    AM_MEDIA_TYPE* m_pMediaType = nullptr;
    DWORD m_dwStreamId = AM_STREAM_MEDIA;
    volatile LONG m_cRef = 0;
};
