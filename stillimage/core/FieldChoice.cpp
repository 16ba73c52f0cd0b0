#include "FieldChoice.h"

#include <cstdlib>

namespace stillimage {
namespace {

constexpr int kGroupRows = 4;
constexpr int kSampleStep = 4;

struct Triple {
    int y, u, v;
};

int Distance(const Triple& p, const Triple& q)
{
    return std::abs(p.y - q.y) + std::abs(p.u - q.u) + std::abs(p.v - q.v);
}

// Rows 0 to 3 of a group, of one frame, at one pixel pair.
struct GroupSample {
    Triple row[kGroupRows];
};

GroupSample Sample(const uint8_t* frame, size_t stride, int top, int x)
{
    GroupSample sample{};
    for (int k = 0; k < kGroupRows; ++k) {
        const uint8_t* pair = frame + static_cast<size_t>(top + k) * stride + 2 * static_cast<size_t>(x);
        sample.row[k] = {pair[0], pair[1], pair[3]};
    }
    return sample;
}

// Even rows from `even`, odd rows from `odd`: each even row differs from the odd row
// below it while the rows of one field agree.
bool Combs(const GroupSample& even, const GroupSample& odd)
{
    return Distance(even.row[0], odd.row[1]) >= kCombThreshold && Distance(even.row[2], odd.row[3]) >= kCombThreshold &&
           Distance(even.row[0], even.row[2]) < kCombThreshold && Distance(odd.row[1], odd.row[3]) < kCombThreshold;
}

enum Weave { kAA, kBB, kBA, kAB, kWeaves };

bool FewestOf(const long counts[kWeaves], Weave weave)
{
    for (int other = 0; other < kWeaves; ++other) {
        if (other != weave && counts[weave] >= counts[other])
            return false;
    }
    return true;
}

}  // namespace

std::optional<FieldSources> ChooseFieldSources(const FrameFormat& format, const uint8_t* frameA, const uint8_t* frameB,
                                               size_t bytes)
{
    if (!frameA || !frameB || !IsReadableYuy2(format, bytes))
        return std::nullopt;
    const size_t stride = DibStride(format.bitCount, format.width);
    const int width = format.width;
    const int rows = format.Rows();

    long counts[kWeaves] = {};
    for (int top = 0; top + kGroupRows <= rows; top += kGroupRows) {
        const int first = top % 8 == 0 ? 0 : 2;
        for (int x = first; x < width; x += kSampleStep) {
            const GroupSample a = Sample(frameA, stride, top, x);
            const GroupSample b = Sample(frameB, stride, top, x);
            const bool combs[kWeaves] = {Combs(a, a), Combs(b, b), Combs(b, a), Combs(a, b)};
            if (combs[kAA] && combs[kBB] && combs[kBA] && combs[kAB])
                continue;
            for (int weave = 0; weave < kWeaves; ++weave)
                counts[weave] += combs[weave] ? 1 : 0;
        }
    }

    if (FewestOf(counts, kBA))
        return FieldSources{true, false};
    if (FewestOf(counts, kAB))
        return FieldSources{false, true};
    if (FewestOf(counts, kBB))
        return FieldSources{true, true};
    return FieldSources{false, false};
}

}  // namespace stillimage
