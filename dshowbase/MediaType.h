// CMediaType: an AM_MEDIA_TYPE that owns a deep copy of its format block, and the
// helpers for media types held in task memory.
#pragma once

#include <windows.h>
#include <strmif.h>

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* majortype);
    CMediaType(const AM_MEDIA_TYPE& mt, HRESULT* phr = nullptr);
    CMediaType(const CMediaType& mt, HRESULT* phr = nullptr);
    ~CMediaType();

    CMediaType& operator=(const CMediaType& mt);
    CMediaType& operator=(const AM_MEDIA_TYPE& mt);

    // Same major type, subtype and format type, and identical format blocks.
    bool operator==(const CMediaType& mt) const;
    bool operator!=(const CMediaType& mt) const { return !(*this == mt); }

    // Deep copy; E_OUTOFMEMORY leaves this type empty.
    HRESULT Set(const CMediaType& mt);
    HRESULT Set(const AM_MEDIA_TYPE& mt);

    BOOL IsValid() const { return majortype != GUID_NULL; }

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* ptype) { majortype = *ptype; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* ptype) { subtype = *ptype; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* pformattype) { formattype = *pformattype; }

    BOOL IsFixedSize() const { return bFixedSizeSamples; }
    BOOL IsTemporalCompressed() const { return bTemporalCompression; }
    ULONG GetSampleSize() const { return IsFixedSize() ? lSampleSize : 0; }
    void SetSampleSize(ULONG sz);
    void SetVariableSize();
    void SetTemporalCompression(BOOL bCompressed) { bTemporalCompression = bCompressed; }

    BYTE* Format() const { return pbFormat; }
    ULONG FormatLength() const { return cbFormat; }
    // Replaces the format block with a copy of the given bytes.
    BOOL SetFormat(const BYTE* pFormat, ULONG length);
    // Drops the format block and the format type.
    void ResetFormatBuffer();
    // A zeroed format block of the given size (the old one is freed); null on failure.
    BYTE* AllocFormatBuffer(ULONG length);
    // Resizes the format block keeping its leading bytes; null on failure.
    BYTE* ReallocFormatBuffer(ULONG length);

    // Takes over a type allocated in task memory (IAMStreamConfig::GetFormat,
    // GetStreamCaps, IEnumMediaTypes::Next): its format block and pUnk move here,
    // the structure itself is freed. The type held before is freed first.
    void Adopt(AM_MEDIA_TYPE* pmt);

    // Back to a fixed-size, sample size 1 type with nothing set.
    void InitMediaType();

    // GUID_NULL fields of this (partial) type match anything.
    BOOL MatchesPartial(const CMediaType* ppartial) const;
    BOOL IsPartiallySpecified() const;
};

// Frees the format block and the pUnk reference of a type; the structure itself stays.
void WINAPI FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a type allocated in task memory (CreateMediaType, IEnumMediaTypes::Next).
void WINAPI DeleteMediaType(AM_MEDIA_TYPE* pmt);
// Deep copy into existing storage.
HRESULT WINAPI CopyMediaType(AM_MEDIA_TYPE* pmtTarget, const AM_MEDIA_TYPE* pmtSource);
// Deep copy into task memory; null when out of memory.
AM_MEDIA_TYPE* WINAPI CreateMediaType(const AM_MEDIA_TYPE* pSrc);
