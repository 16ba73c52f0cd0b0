#include "PlainWriteBench.h"

namespace {

constexpr DWORD kChunkBytes = 4 << 20;  // a multiple of any sector size

HRESULT LastError()
{
    return HRESULT_FROM_WIN32(GetLastError());
}

HRESULT WriteChunks(HANDLE file, const BYTE* chunk, ULONGLONG bytes, PlainWriteStyle style)
{
    for (ULONGLONG written = 0; written < bytes; written += kChunkBytes) {
        DWORD done = 0;
        if (!WriteFile(file, chunk, kChunkBytes, &done, nullptr))
            return LastError();
        if (done != kChunkBytes)
            return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    }
    if (style == PlainWriteStyle::Buffered && !FlushFileBuffers(file))
        return LastError();
    return S_OK;
}

}  // namespace

HRESULT WritePlainFile(const std::wstring& path, ULONGLONG bytes, PlainWriteStyle style, RunFigures* figures)
{
    // Page-aligned, as unbuffered writes need.
    auto* chunk = static_cast<BYTE*>(VirtualAlloc(nullptr, kChunkBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!chunk)
        return E_OUTOFMEMORY;
    for (DWORD i = 0; i < kChunkBytes; ++i)
        chunk[i] = static_cast<BYTE>(i % 2 ? 128 : 90);

    BenchClock clock;
    clock.Start();
    const DWORD flags = style == PlainWriteStyle::Unbuffered ? FILE_FLAG_NO_BUFFERING : 0;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    HRESULT hr = file == INVALID_HANDLE_VALUE ? LastError() : WriteChunks(file, chunk, bytes, style);
    if (file != INVALID_HANDLE_VALUE && !CloseHandle(file) && SUCCEEDED(hr))
        hr = LastError();
    *figures = clock.Elapsed();
    VirtualFree(chunk, 0, MEM_RELEASE);
    return hr;
}
