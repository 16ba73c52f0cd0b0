#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "ControlValues.h"
#include "LiveInput.h"

namespace cardsim {
namespace {

class MapSource : public ControlSource {
public:
    std::map<std::string, std::string> texts;
    std::map<std::string, uint32_t> numbers;

    std::optional<std::string> Text(const char* name) const override
    {
        auto found = texts.find(name);
        return found == texts.end() ? std::nullopt : std::optional(found->second);
    }
    std::optional<uint32_t> Number(const char* name) const override
    {
        auto found = numbers.find(name);
        return found == numbers.end() ? std::nullopt : std::optional(found->second);
    }
};

TEST(ControlValues, DefaultsAreA1080iInputWithoutFaults)
{
    const ControlValues values = ReadControlValues(MapSource{});
    EXPECT_EQ(InputKind::Hd1080i, values.input);
    for (uint64_t frame = 0; frame < 1000; ++frame) {
        EXPECT_FALSE(values.faults.DropsFrame(frame));
        EXPECT_FALSE(values.faults.Untimed(frame));
        EXPECT_EQ(0, values.faults.JitterOf(frame));
    }
    EXPECT_FALSE(values.faults.noAudio);
    EXPECT_FALSE(values.faults.refuseAudio);
    EXPECT_FALSE(values.faults.changes);
    EXPECT_EQ(0, values.omittedCapabilityRow);
    EXPECT_FALSE(values.keepLateFrames);
}

TEST(ControlValues, EveryValueIsReadAndStrangeOnesFallBack)
{
    MapSource source;
    source.texts = {{"Input", "720P"}, {"ChangeTo", "none"}};
    source.numbers = {
        {"DropEvery", 5},      {"BurstStart", 20}, {"BurstLength", 3},        {"JitterMicroseconds", 500},
        {"UntimedEvery", 7},   {"NoAudio", 1},     {"ChangeAfterFrames", 30}, {"OmitCapability", 4},
        {"KeepLateFrames", 2}, {"RefuseAudio", 1}, {"FailStart", 0x8007001F}, {"AbortOnStop", 0x80004005}};
    const ControlValues values = ReadControlValues(source);
    EXPECT_EQ(InputKind::Hd720p, values.input);
    EXPECT_TRUE(values.faults.noAudio);
    EXPECT_TRUE(values.faults.refuseAudio);
    EXPECT_TRUE(values.faults.changes);
    EXPECT_EQ(InputKind::None, values.faults.changeTo);
    EXPECT_EQ(30u, values.faults.changeAfterFrames);
    EXPECT_EQ(4, values.omittedCapabilityRow);
    EXPECT_EQ(5000u, values.faults.jitter);
    EXPECT_TRUE(values.keepLateFrames);
    EXPECT_EQ(0x8007001Fu, values.faults.startFailure);
    EXPECT_EQ(0x80004005u, values.faults.abortOnStop);

    source.texts = {{"Input", "4K"}, {"ChangeTo", "bogus"}};
    source.numbers = {
        {"OmitCapability", 9}, {"JitterMicroseconds", 0xFFFFFFFF}, {"FailStart", 1}, {"AbortOnStop", 0x1F}};
    const ControlValues strange = ReadControlValues(source);
    EXPECT_EQ(InputKind::Hd1080i, strange.input);
    EXPECT_FALSE(strange.faults.changes);
    EXPECT_EQ(0, strange.omittedCapabilityRow);
    EXPECT_EQ(10000000u, strange.faults.jitter);
    EXPECT_EQ(0u, strange.faults.startFailure) << "not a failure code";
    EXPECT_EQ(0u, strange.faults.abortOnStop);
}

TEST(FaultPlan, DropsBurstsJitterAndUntimedSamples)
{
    FaultPlan plan;
    plan.dropEvery = 5;
    plan.burstStart = 20;
    plan.burstLength = 3;
    std::set<uint64_t> dropped;
    for (uint64_t frame = 0; frame < 30; ++frame) {
        if (plan.DropsFrame(frame))
            dropped.insert(frame);
    }
    EXPECT_EQ((std::set<uint64_t>{4, 9, 14, 19, 20, 21, 22, 24, 29}), dropped);

    plan.jitter = 5000;
    std::set<int64_t> offsets;
    for (uint64_t frame = 0; frame < 200; ++frame) {
        const int64_t offset = plan.JitterOf(frame);
        EXPECT_LE(std::abs(offset), 5000);
        EXPECT_EQ(offset, plan.JitterOf(frame));
        offsets.insert(offset);
    }
    EXPECT_GT(offsets.size(), 100u);

    plan.untimedEvery = 3;
    EXPECT_FALSE(plan.Untimed(0));
    EXPECT_TRUE(plan.Untimed(2));
    EXPECT_TRUE(plan.Untimed(5));
}

TEST(LiveInput, ChangesAfterItsFramesAndStartsOverWithANewInput)
{
    MapSource source;
    source.texts = {{"Input", "480p"}, {"ChangeTo", "1080p"}};
    source.numbers = {{"ChangeAfterFrames", 3}};
    LiveInput input;
    input.Configure(ReadControlValues(source));
    for (int frame = 0; frame < 2; ++frame)
        input.CountFrame();
    EXPECT_EQ(InputKind::Ntsc480p, input.Current());
    input.CountFrame();
    EXPECT_EQ(InputKind::Hd1080p, input.Current());

    // Polling the same values again keeps the change.
    input.Configure(ReadControlValues(source));
    EXPECT_EQ(InputKind::Hd1080p, input.Current());

    source.texts["Input"] = "720p";
    input.Configure(ReadControlValues(source));
    EXPECT_EQ(InputKind::Hd720p, input.Current());
}

}  // namespace
}  // namespace cardsim
