// The stream and media times of a sample, 0 where the sample has none.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <cstdint>

struct SampleTimes {
    int64_t start = 0;
    int64_t end = 0;
    int64_t mediaStart = 0;
    int64_t mediaEnd = 0;
};

inline SampleTimes ReadSampleTimes(IMediaSample* sample)
{
    REFERENCE_TIME start = 0, end = 0;
    LONGLONG mediaStart = 0, mediaEnd = 0;
    sample->GetTime(&start, &end);
    sample->GetMediaTime(&mediaStart, &mediaEnd);
    return {start, end, mediaStart, mediaEnd};
}
