// Records 1920x1080 YUY2 pictures with audio through the core into real files until it is
// killed: `recording_child MODE NAME` (MODE 0 = AVI 1.0 set, 1 = OpenDML). Prints
// "recording" once the files are prepared.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "MuxRecorder.h"
#include "MuxTestSupport.h"
#include "PosixFileSystem.h"

int main(int argc, char** argv)
{
    using namespace trelvox;
    if (argc != 3)
        return 1;
    PosixFileSystem fs;
    test::EventLog events;
    MuxRecorder recorder(fs, events);
    MuxRunSetup setup;
    setup.fileName = argv[2];
    setup.settings.muxMode = static_cast<MuxMode>(std::atoi(argv[1]));
    setup.inputs.video = test::MakeVideo(1920, 1080);
    setup.inputs.audio = test::MakeAudio();
    if (Failed(recorder.Prepare(setup)))
        return 2;
    std::printf("recording\n");
    std::fflush(stdout);
    constexpr int64_t kT = 333667;
    std::vector<uint8_t> picture = test::Yuy2Picture(1920, 1080, 0);
    const std::vector<uint8_t> sound(6400, 0x20);
    for (int64_t i = 0;; ++i) {
        picture[0] = static_cast<uint8_t>(i);
        recorder.ReceiveVideo(test::TimedSample(picture, (i < 30 ? i : i + 2) * kT, i % 10 == 0));
        recorder.ReceiveAudio(test::TimedSample(sound, i * kT, false));
    }
}
