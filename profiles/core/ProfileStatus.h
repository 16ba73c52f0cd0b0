// Result codes of the portable profile codec. They are HRESULT values, so the
// Windows layer hands them on unchanged.
#pragma once

#include <cstdint>

namespace profiles {

using Status = std::int32_t;

inline constexpr Status kOk = 0;
inline constexpr Status kFail = static_cast<Status>(0x80004005u);         // E_FAIL
inline constexpr Status kInvalidArg = static_cast<Status>(0x80070057u);   // E_INVALIDARG
inline constexpr Status kInvalidData = static_cast<Status>(0x8007000Du);  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA)

constexpr bool Failed(Status status)
{
    return status < 0;
}

}  // namespace profiles
