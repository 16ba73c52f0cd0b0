#include "FileNaming.h"

#include <cstdio>

namespace trelvox {

HResult CheckOutputNameLength(size_t characters)
{
    return characters > kMaxOutputNameChars ? HResultFromWin32(kErrorFilenameExcedRange) : kS_OK;
}

std::string SetFileName(const std::string& name, uint32_t index)
{
    char number[16];
    std::snprintf(number, sizeof number, "%03lu.avi", static_cast<unsigned long>(index));
    return name + number;
}

std::string SingleFileName(const std::string& name)
{
    return name + ".avi";
}

std::string VolumeRoot(const std::string& name)
{
    const size_t slash = name.find('\\');
    return slash == std::string::npos ? name : name.substr(0, slash + 1);
}

}  // namespace trelvox
