// The test filters that profile tests bind by display name: one class with no
// state, one with IPersistStream, one that also has IAMVfwCompressDialogs.
// ITestFilterControl lets a test set and inspect the state they keep.
#pragma once

#include <windows.h>
#include <unknwn.h>

// {6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4E01} .. 03
inline constexpr CLSID kClsidPlainTestFilter = {
    0x6C1E2B10, 0x5A4D, 0x4C1B, {0x9E, 0x3F, 0x7A, 0x1D, 0x2C, 0x3B, 0x4E, 0x01}};
inline constexpr CLSID kClsidPersistTestFilter = {
    0x6C1E2B10, 0x5A4D, 0x4C1B, {0x9E, 0x3F, 0x7A, 0x1D, 0x2C, 0x3B, 0x4E, 0x02}};
inline constexpr CLSID kClsidVfwTestFilter = {
    0x6C1E2B10, 0x5A4D, 0x4C1B, {0x9E, 0x3F, 0x7A, 0x1D, 0x2C, 0x3B, 0x4E, 0x03}};
// The private filter category the three are registered in.
inline constexpr GUID kTestFilterCategory = {
    0x6C1E2B10, 0x5A4D, 0x4C1B, {0x9E, 0x3F, 0x7A, 0x1D, 0x2C, 0x3B, 0x4E, 0xCA}};
inline constexpr IID kIidTestFilterControl = {
    0x6C1E2B10, 0x5A4D, 0x4C1B, {0x9E, 0x3F, 0x7A, 0x1D, 0x2C, 0x3B, 0x4E, 0xC0}};

// Display names, as the device enumerator would give them.
#define TEST_FILTER_MONIKER(last)                                                                                      \
    L"@device:sw:{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4ECA}\\{6C1E2B10-5A4D-4C1B-9E3F-7A1D2C3B4E" last L"}"
inline constexpr wchar_t kPlainTestFilterName[] = TEST_FILTER_MONIKER(L"01");
inline constexpr wchar_t kPersistTestFilterName[] = TEST_FILTER_MONIKER(L"02");
inline constexpr wchar_t kVfwTestFilterName[] = TEST_FILTER_MONIKER(L"03");
#undef TEST_FILTER_MONIKER

// What IPersistStream::Load returns for data that is not a saved state.
inline constexpr HRESULT kDamagedTestState = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0201);

enum TestFilterBlob : DWORD { kPersistedBlob = 0, kDriverBlob = 1 };

struct ITestFilterControl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetBlob(DWORD which, const BYTE* data, DWORD size) = 0;
    // size: capacity in, length out.
    virtual HRESULT STDMETHODCALLTYPE GetBlob(DWORD which, BYTE* data, DWORD* size) = 0;
    // Makes GetState fail after ICM_GETSTATE has reported the size.
    virtual HRESULT STDMETHODCALLTYPE SetGetStateFails(BOOL fails) = 0;
    // How often Load and SetState were called.
    virtual HRESULT STDMETHODCALLTYPE GetCalls(DWORD* loads, DWORD* setStates) = 0;
};
