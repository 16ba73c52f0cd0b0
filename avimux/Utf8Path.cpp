#include "Utf8Path.h"

#include <windows.h>

namespace trelvox {

namespace {

HResult LastConversionError()
{
    const DWORD error = GetLastError();
    return HResultFromWin32(error == 0 ? ERROR_NO_UNICODE_TRANSLATION : error);
}

}  // namespace

HResult WideFromUtf8(const std::string& utf8, std::wstring* wide)
{
    wide->clear();
    if (utf8.empty())
        return kS_OK;
    const int length = static_cast<int>(utf8.size());
    const int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (chars == 0)
        return LastConversionError();
    wide->resize(static_cast<size_t>(chars));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide->data(), chars) != chars) {
        return LastConversionError();
    }
    return kS_OK;
}

HResult Utf8FromWide(const std::wstring& wide, std::string* utf8)
{
    utf8->clear();
    if (wide.empty())
        return kS_OK;
    const int length = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes == 0)
        return LastConversionError();
    utf8->resize(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, utf8->data(), bytes, nullptr,
                            nullptr) != bytes) {
        return LastConversionError();
    }
    return kS_OK;
}

}  // namespace trelvox
