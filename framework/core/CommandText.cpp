#include "CommandText.h"

std::wstring CommandPrompt(const std::wstring& text)
{
    return text.substr(0, text.find(L'\n'));
}

std::wstring CommandTooltip(const std::wstring& text)
{
    const size_t newline = text.find(L'\n');
    return newline == std::wstring::npos ? std::wstring() : text.substr(newline + 1);
}
