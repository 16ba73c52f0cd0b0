// Profile values in the registry: each section is a sub-key of
// HKEY_CURRENT_USER\<root>, integers are REG_DWORD and strings REG_SZ.
#pragma once

#include "ProfileStore.h"

#include <string>

class RegistryProfile : public ProfileStore {
public:
    explicit RegistryProfile(std::wstring root) : root_(std::move(root)) {}

    const std::wstring& Root() const { return root_; }

    int GetInt(const std::wstring& section, const std::wstring& entry, int defaultValue) const override;
    std::wstring GetString(const std::wstring& section, const std::wstring& entry,
                           const std::wstring& defaultValue) const override;
    bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) override;
    bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) override;
    bool Flush(const std::wstring& section) override;

private:
    std::wstring KeyPath(const std::wstring& section) const { return root_ + L"\\" + section; }

    std::wstring root_;
};
