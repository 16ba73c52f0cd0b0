// Windows text is UTF-16 in wchar_t; the portable codec keeps it in char16_t.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline std::wstring ToWide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

inline std::u16string ToUtf16(std::wstring_view text)
{
    std::u16string result(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        result[i] = static_cast<char16_t>(text[i]);
    return result;
}
