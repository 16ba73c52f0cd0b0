#include "InterruptedRecordings.h"

#include "Avi2Writer.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"

namespace trelvox::test {
namespace {

constexpr int64_t kT = 333667;

}  // namespace

// An AVI 1.0 recording left as the writer had it when the process ended.
std::vector<uint8_t> InterruptedAvi1(MemoryFileSystem& memory)
{
    EventLog events;
    {
        MuxRecorder recorder(memory, events, WriterThreading::Inline);
        MuxRunSetup setup;
        setup.fileName = "rec";
        setup.settings.maxFiles = 3;
        setup.inputs.video = MakeVideo(64, 32);
        setup.inputs.audio = MakeAudio();
        if (Failed(recorder.Prepare(setup)))
            return {};
        const std::vector<uint8_t> sound(6400, 0x22);
        for (int i = 0; i < 20; ++i) {
            const std::vector<uint8_t> picture = Yuy2Picture(64, 32, i);
            recorder.ReceiveVideo(TimedSample(picture, (i < 10 ? i : i + 3) * kT, i % 4 == 0));  // a gap
            recorder.ReceiveAudio(TimedSample(sound, i * kT, false));
        }
    }  // destroyed without Stop
    return memory.Bytes("rec000.avi");
}

// An OpenDML recording with RIFFs of 1 MiB and a second standard index, never finished.
std::vector<uint8_t> InterruptedOpenDml()
{
    MemoryFileSystem memory;
    Avi2Layout layout;
    layout.sectorSize = 512;
    layout.inputs.video = MakeVideo(160, 120);
    layout.inputs.audio = MakeAudio();
    layout.run = {kT, 512, 0, 0, 0};
    layout.segmentBytes = 1u << 20;
    Avi2Writer writer;
    if (Failed(writer.Create(memory, "rec.avi", CreateMode::CreateAlways, layout)))
        return {};
    const std::vector<uint8_t> sound(6400, 0x22);
    for (int i = 0; i < 40; ++i) {
        const std::vector<uint8_t> picture = Yuy2Picture(160, 120, i);
        writer.Write(StreamKind::Video, {MakeSampleRecord(picture.data(), 38400, i % 5 == 0, Sector512Buffers())});
        if (i == 20)
            writer.Write(StreamKind::Video, {MakeNullRun(4100)});  // a second standard index
        writer.Write(StreamKind::Audio, {MakeSampleRecord(sound.data(), 6400, false, Sector512Buffers())});
    }
    writer.Close();
    return memory.Bytes("rec.avi");
}

}  // namespace trelvox::test
