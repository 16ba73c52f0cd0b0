#include "FrameFormat.h"

namespace stillimage {

bool IsReadableYuy2(const FrameFormat& format, size_t bufferBytes)
{
    if (!format.IsYuy2() || format.width <= 0)
        return false;
    const size_t stride = DibStride(format.bitCount, format.width);
    // Pixel pairs are read whole: an odd width still reads its last pair's four bytes.
    const size_t pairBytes = (static_cast<size_t>(format.width) + 1) / 2 * 4;
    return stride >= pairBytes && stride * static_cast<size_t>(format.Rows()) <= bufferBytes;
}

}  // namespace stillimage
