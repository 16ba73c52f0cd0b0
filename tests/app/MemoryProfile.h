// Profile values in memory, typed like the registry's, for the tests of the settings.
#pragma once

#include "ProfileStore.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

// Typed values like the registry's: an integer read of a string gives the default.
class MemoryProfile : public ProfileStore {
public:
    using Value = std::variant<int, std::wstring>;

    int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const override
    {
        auto found = values.find(section + L"\\" + entry);
        return found != values.end() && std::holds_alternative<int>(found->second) ? std::get<int>(found->second)
                                                                                   : defaultValue;
    }
    std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& defaultValue) const override
    {
        auto found = values.find(section + L"\\" + entry);
        return found != values.end() && std::holds_alternative<std::wstring>(found->second)
                   ? std::get<std::wstring>(found->second)
                   : defaultValue;
    }
    bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) override
    {
        written.push_back(entry);
        values[section + L"\\" + entry] = value;
        return true;
    }
    bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) override
    {
        written.push_back(entry);
        values[section + L"\\" + entry] = value;
        return true;
    }

    bool Flush(const std::wstring& section) override
    {
        flushed.push_back(section);
        return true;
    }

    Value& operator[](const std::wstring& entry) { return values[L"Settings\\" + entry]; }

    std::map<std::wstring, Value> values;
    std::vector<std::wstring> written;
    std::vector<std::wstring> flushed;
};
