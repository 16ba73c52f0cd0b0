// The card's control values in HKCU\Software\ZelvanSim, and its log folder.
#pragma once

#include <windows.h>

#include <string>

#include "ControlValues.h"

namespace cardsim {

inline constexpr wchar_t kControlKey[] = L"Software\\ZelvanSim";

class RegistryControlSource : public ControlSource {
public:
    std::optional<std::string> Text(const char* name) const override;
    std::optional<uint32_t> Number(const char* name) const override;
};

// Reads the values afresh; missing key or values give the defaults.
ControlValues ReadRegistryControl();

// "LogFolder" when set, else %TEMP%\ZelvanSim; created when missing.
std::wstring LogFolder();

// Appends one line (UTF-8, CRLF) to a file of the log folder; a failure loses only the line.
void AppendLogLine(const wchar_t* fileName, const std::string& line);

std::string Utf8(const std::wstring& text);

}  // namespace cardsim
