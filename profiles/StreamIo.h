// Whole-buffer reads and writes on the streams of a compound file.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The codec never looks at more of a stream than this.
inline constexpr std::size_t kMaxDecodedStreamBytes = 16 * 1024 * 1024;

// Writes every byte or fails (a short write is STG_E_MEDIUMFULL).
HRESULT WriteAll(IStream* stream, const std::vector<std::uint8_t>& bytes);
// Reads from the start up to the end of the stream or maxBytes, whichever
// comes first; the size in the stream's header is not trusted.
HRESULT ReadFromStart(IStream* stream, std::size_t maxBytes, std::vector<std::uint8_t>& bytes);
HRESULT SeekTo(IStream* stream, std::uint64_t position);
HRESULT CurrentPosition(IStream* stream, std::uint64_t& position);
