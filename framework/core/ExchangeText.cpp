#include "ExchangeText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace fw {
namespace {

std::wstring_view Trimmed(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

bool ParseInteger(std::wstring_view text, int& value)
{
    const std::wstring trimmed(Trimmed(text));
    if (trimmed.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long parsed = std::wcstoll(trimmed.c_str(), &end, 10);
    if (errno != 0 || *end != L'\0' || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseNumber(std::wstring_view text, double& value)
{
    const std::wstring trimmed(Trimmed(text));
    if (trimmed.empty())
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const double parsed = std::wcstod(trimmed.c_str(), &end);
    // Only plain decimal text: no "inf", "nan" or hexadecimal forms.
    for (wchar_t c : trimmed) {
        if (!std::iswdigit(c) && c != L'.' && c != L'-' && c != L'+' && c != L'e' && c != L'E')
            return false;
    }
    if (errno != 0 || *end != L'\0')
        return false;
    value = parsed;
    return true;
}

std::wstring FormatNumber(double value)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%.15g", value);
    if (std::wcstod(text, nullptr) != value)
        std::swprintf(text, 64, L"%.17g", value);
    return text;
}

std::wstring IntegerExpectedMessage()
{
    return L"整数を入力してください。";
}

std::wstring NumberExpectedMessage()
{
    return L"数値を入力してください。";
}

std::wstring IntegerRangeMessage(int min, int max)
{
    return std::to_wstring(min) + L" から " + std::to_wstring(max) + L" までの整数を入力してください。";
}

std::wstring NumberRangeMessage(double min, double max)
{
    return FormatNumber(min) + L" から " + FormatNumber(max) + L" までの数値を入力してください。";
}

std::wstring TooManyCharactersMessage(int max)
{
    return std::to_wstring(max) + L" 文字以内で入力してください。";
}

}  // namespace fw
