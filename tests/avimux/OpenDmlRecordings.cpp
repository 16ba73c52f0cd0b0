#include "OpenDmlRecordings.h"

#include <vector>

#include "Avi2Writer.h"
#include "MuxRecorder.h"
#include "MuxTestSupport.h"

namespace trelvox::test {
namespace {

constexpr int64_t kT = 333667;

MuxRunSetup OpenDmlSetup(const std::string& name, VideoFormat video)
{
    MuxRunSetup setup;
    setup.fileName = name;
    setup.settings.muxMode = MuxMode::OpenDml;
    setup.inputs.video = std::move(video);
    return setup;
}

}  // namespace

HResult WriteBeyondFourGib(MuxFileSystem& fs, const std::string& path)
{
    using P = BeyondFourGib;
    Avi2Layout layout;
    layout.sectorSize = 512;
    layout.inputs.video = MakeVideo(P::kWidth, P::kHeight);
    layout.inputs.audio = MakeAudio();
    layout.run = {kT, 512, P::kPictureBytes, P::kAudioBytes, 0};
    Avi2Writer writer;
    HResult hr = writer.Create(fs, path, CreateMode::CreateAlways, layout);
    if (Failed(hr))
        return hr;
    const std::vector<uint8_t> picture(P::kPictureBytes, 0), sound(P::kAudioBytes, 0);
    const RecordPtr key = MakeSampleRecord(picture.data(), P::kPictureBytes, true, Sector512Buffers());
    const RecordPtr delta = MakeSampleRecord(picture.data(), P::kPictureBytes, false, Sector512Buffers());
    const RecordPtr sync = MakeSampleRecord(sound.data(), P::kAudioBytes, true, Sector512Buffers());
    const RecordPtr plain = MakeSampleRecord(sound.data(), P::kAudioBytes, false, Sector512Buffers());
    int buffer = 0;
    for (int i = 0; i < P::kPictures && Succeeded(hr); ++i) {
        if (i == P::kGapAfter + 1)
            hr = writer.Write(StreamKind::Video, {MakeNullRun(P::kGapFrames)});
        if (Succeeded(hr))
            hr = writer.Write(StreamKind::Video, {P::IsKeyPicture(i) ? key : delta});
        for (int k = 0; k < P::kAudioPerPicture && Succeeded(hr); ++k, ++buffer) {
            hr = writer.Write(StreamKind::Audio, {P::IsSyncAudio(buffer) ? sync : plain});
        }
    }
    if (Succeeded(hr))
        hr = writer.Finish(layout.inputs, layout.run, 0, 0);
    writer.Close();
    return hr;
}

void RecordPastTheSuperIndex(MuxFileSystem& fs, MuxEventSink& events, const std::string& name)
{
    MuxRecorder recorder(fs, events, WriterThreading::Inline);
    if (Failed(recorder.Prepare(OpenDmlSetup(name, MakeVideo(32, 16)))))
        return;
    const std::vector<uint8_t> picture(1024, 0x40);
    for (int64_t frame : {0u, 1u, 2u, 3 + kSuperIndexGap, 4 + kSuperIndexGap}) {
        recorder.ReceiveVideo(TimedSample(picture, frame * kT));
    }
    recorder.Stop();
}

}  // namespace trelvox::test
