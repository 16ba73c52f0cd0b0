// Which crossbar input the audio input index selects.
#pragma once

#include <vector>

namespace engine {

// Walks the crossbar inputs in order, counting audio inputs (physical types
// 0x1000 to 0x1009) seen so far; the input at which the count equals `index`
// is the one to route. Returns its position, or -1 when the inputs run out.
int AudioInputPosition(const std::vector<long>& inputPhysicalTypes, int index);

}  // namespace engine
