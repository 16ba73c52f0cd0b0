#include "StreamIo.h"

#include <algorithm>

HRESULT WriteAll(IStream* stream, const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty())
        return S_OK;
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr))
        return hr;
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadFromStart(IStream* stream, std::size_t maxBytes, std::vector<std::uint8_t>& bytes)
{
    HRESULT hr = SeekTo(stream, 0);
    if (FAILED(hr))
        return hr;
    STATSTG stat{};
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        return hr;
    const std::size_t wanted = static_cast<std::size_t>(std::min<ULONGLONG>(stat.cbSize.QuadPart, maxBytes));
    std::vector<std::uint8_t> read(wanted);
    std::size_t filled = 0;
    while (filled < wanted) {
        ULONG got = 0;
        hr = stream->Read(read.data() + filled, static_cast<ULONG>(wanted - filled), &got);
        if (FAILED(hr))
            return hr;
        if (got == 0)
            break;
        filled += got;
    }
    read.resize(filled);
    bytes = std::move(read);
    return S_OK;
}

HRESULT SeekTo(IStream* stream, std::uint64_t position)
{
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(position);
    return stream->Seek(move, STREAM_SEEK_SET, nullptr);
}

HRESULT CurrentPosition(IStream* stream, std::uint64_t& position)
{
    LARGE_INTEGER zero{};
    ULARGE_INTEGER now{};
    HRESULT hr = stream->Seek(zero, STREAM_SEEK_CUR, &now);
    if (SUCCEEDED(hr))
        position = now.QuadPart;
    return hr;
}
