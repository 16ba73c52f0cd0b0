// The core names files in UTF-8; the Win32 file functions take UTF-16.
#pragma once

#include <string>

#include "MuxTypes.h"

namespace trelvox {

// Bytes that are not UTF-8, or a lone surrogate, give ERROR_NO_UNICODE_TRANSLATION.
HResult WideFromUtf8(const std::string& utf8, std::wstring* wide);
HResult Utf8FromWide(const std::wstring& wide, std::string* utf8);

}  // namespace trelvox
