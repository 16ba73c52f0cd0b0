#include "PersistStream.h"

#include <vfwmsgs.h>

#include <climits>

namespace {

constexpr ULONG kIntChars = 12;  // 11 digits and a blank

}  // namespace

CPersistStream::CPersistStream(IUnknown*, HRESULT*) {}

STDMETHODIMP CPersistStream::Load(LPSTREAM pStm)
{
    if (!pStm)
        return E_POINTER;
    HRESULT hr = S_OK;
    const int version = ReadInt(pStm, hr);
    if (FAILED(hr))
        return hr;
    mPS_dwFileVersion = static_cast<DWORD>(version);
    return ReadFromStream(pStm);
}

STDMETHODIMP CPersistStream::Save(LPSTREAM pStm, BOOL fClearDirty)
{
    if (!pStm)
        return E_POINTER;
    HRESULT hr = WriteInt(pStm, static_cast<int>(GetSoftwareVersion()));
    if (FAILED(hr))
        return hr;
    hr = WriteToStream(pStm);
    if (FAILED(hr))
        return hr;
    if (fClearDirty)
        mPS_fDirty = FALSE;
    return hr;
}

STDMETHODIMP CPersistStream::GetSizeMax(ULARGE_INTEGER* pcbSize)
{
    if (!pcbSize)
        return E_POINTER;
    pcbSize->QuadPart = kIntChars * sizeof(WCHAR) + static_cast<ULONGLONG>(SizeMax());
    return S_OK;
}

HRESULT WriteInt(IStream* pIStream, int n)
{
    WCHAR text[kIntChars];
    // Digits from the right, zero-filled; a negative value keeps its sign in front.
    long long magnitude = n < 0 ? -static_cast<long long>(n) : n;
    for (int i = static_cast<int>(kIntChars) - 2; i >= 0; --i) {
        text[i] = static_cast<WCHAR>(L'0' + magnitude % 10);
        magnitude /= 10;
    }
    if (n < 0)
        text[0] = L'-';
    text[kIntChars - 1] = L' ';
    ULONG written = 0;
    const HRESULT hr = pIStream->Write(text, sizeof text, &written);
    if (FAILED(hr))
        return hr;
    return written == sizeof text ? S_OK : STG_E_MEDIUMFULL;
}

int ReadInt(IStream* pIStream, HRESULT& hr)
{
    WCHAR text[kIntChars];
    ULONG read = 0;
    hr = pIStream->Read(text, sizeof text, &read);
    if (FAILED(hr))
        return 0;
    if (read != sizeof text || text[kIntChars - 1] != L' ') {
        hr = VFW_E_INVALID_FILE_FORMAT;
        return 0;
    }
    ULONG i = 0;
    const bool negative = text[0] == L'-';
    if (negative)
        ++i;
    long long value = 0;
    for (; i < kIntChars - 1; ++i) {
        if (text[i] < L'0' || text[i] > L'9') {
            hr = VFW_E_INVALID_FILE_FORMAT;
            return 0;
        }
        value = value * 10 + (text[i] - L'0');
    }
    if (negative)
        value = -value;
    if (value < INT_MIN || value > INT_MAX) {
        hr = VFW_E_INVALID_FILE_FORMAT;
        return 0;
    }
    hr = S_OK;
    return static_cast<int>(value);
}
