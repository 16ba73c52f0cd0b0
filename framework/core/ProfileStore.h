// Named integer and string values in sections, each read with a default.
// The application's registry key is one; tests use a map.
#pragma once

#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // A missing value, or one of another type, gives the default.
    virtual int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const = 0;
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                                   const std::wstring& defaultValue) const = 0;

    // Returns false when the value could not be written.
    virtual bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) = 0;
    virtual bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) = 0;
    // Makes the section's values last through a power cut; false when that failed.
    // A store that keeps nothing on disk has nothing to flush.
    virtual bool Flush(const std::wstring&) { return true; }
};
