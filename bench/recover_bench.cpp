// trelvox-recover's speed on a 4 GiB OpenDML recording that was never stopped, beside a
// plain sequential read of the same file in the same run. Host program:
//   recover_bench [--dir FOLDER] [--gib G] [--repeat N]
// The file's pages are dropped from the cache (posix_fadvise) before every pass.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Avi2Writer.h"
#include "PosixFileSystem.h"
#include "RecoverCommand.h"
#include "SampleRecord.h"

namespace {

using namespace trelvox;
namespace fs = std::filesystem;

constexpr int kWidth = 1920, kHeight = 1080;
constexpr uint32_t kPictureBytes = kWidth * kHeight * 2;
constexpr uint32_t kAudioBytes = 6400;  // 1/30 s of 48 kHz stereo
constexpr int64_t kT = 333667;

std::vector<uint8_t> Format(uint32_t bytes)
{
    return std::vector<uint8_t>(bytes, 0);
}

MuxInputs Inputs()
{
    MuxInputs inputs;
    VideoFormat v;
    v.frameDuration = kT;
    v.bitmapInfoHeader = Format(40);
    uint8_t* b = v.bitmapInfoHeader.data();
    const uint32_t fields[] = {40, kWidth, kHeight};
    std::memcpy(b, fields, sizeof fields);
    b[12] = 1, b[14] = 16;
    std::memcpy(b + 16, "YUY2", 4);
    inputs.video = v;
    AudioFormat a;
    a.waveFormat = {1, 0, 2, 0, 0x80, 0xBB, 0, 0, 0, 0xEE, 2, 0, 4, 0, 16, 0, 0, 0};
    inputs.audio = a;
    return inputs;
}

// Frames and audio written through the OpenDML writer, the file then closed unfinished.
bool WriteInterrupted(const std::string& path, uint64_t bytes, int* frames)
{
    PosixFileSystem posix;
    Avi2Layout layout;
    layout.sectorSize = 512;
    layout.inputs = Inputs();
    layout.run = {kT, 512, kPictureBytes, kAudioBytes, 0};
    Avi2Writer writer;
    if (Failed(writer.Create(posix, path, CreateMode::CreateAlways, layout)))
        return false;
    auto pool = SectorBufferPool::Create(512, 4);
    std::vector<uint8_t> picture(kPictureBytes), sound(kAudioBytes, 0x10);
    for (uint32_t i = 0; i < kPictureBytes; ++i)
        picture[i] = static_cast<uint8_t>(i * 7);
    *frames = 0;
    for (uint64_t written = 0; written < bytes; written += kPictureBytes + kAudioBytes, ++*frames) {
        picture[0] = static_cast<uint8_t>(*frames);
        if (Failed(writer.Write(StreamKind::Video, {MakeSampleRecord(picture.data(), kPictureBytes, true, *pool)})) ||
            Failed(writer.Write(StreamKind::Audio, {MakeSampleRecord(sound.data(), kAudioBytes, true, *pool)}))) {
            return false;
        }
    }
    writer.Close();
    return true;
}

void DropFromCache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PlainRead(const std::string& path)
{
    DropFromCache(path);
    const auto start = std::chrono::steady_clock::now();
    FILE* f = std::fopen(path.c_str(), "rb");
    std::vector<char> block(8u << 20);
    while (f && std::fread(block.data(), 1, block.size(), f) == block.size()) {
    }
    if (f)
        std::fclose(f);
    return Seconds(start);
}

double Recover(const std::string& path, const std::string& out)
{
    DropFromCache(path);
    PosixFileSystem posix;
    std::ostringstream report, errors;
    const auto start = std::chrono::steady_clock::now();
    const int code = recover::RunRecover({"--out", out, path}, posix, report, errors);
    const double seconds = Seconds(start);
    if (code != recover::kExitOk)
        std::fprintf(stderr, "recover failed: %s\n", errors.str().c_str());
    fs::remove(out);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = "bench-out";
    double gib = 4;
    int repeat = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--dir")
            dir = argv[i + 1];
        if (option == "--gib")
            gib = std::stod(argv[i + 1]);
        if (option == "--repeat")
            repeat = std::stoi(argv[i + 1]);
    }
    fs::create_directories(dir);
    const std::string input = (fs::path(dir) / "interrupted.avi").string();
    const std::string output = (fs::path(dir) / "recovered.avi").string();
    int frames = 0;
    if (!WriteInterrupted(input, static_cast<uint64_t>(gib * (1ull << 30)), &frames)) {
        std::fprintf(stderr, "cannot write %s\n", input.c_str());
        fs::remove(input);
        return 1;
    }
    const double mb = static_cast<double>(fs::file_size(input)) / 1e6;
    std::printf("interrupted recording: %.0f MB, %d frames of 1920x1080 YUY2 with audio\n", mb, frames);
    for (int run = 0; run < repeat; ++run) {
        const double read = PlainRead(input);
        const double recover = Recover(input, output);
        std::printf("run %d: plain read %.1f s (%.0f MB/s), trelvox-recover %.1f s (%.0f MB/s), ratio %.2f\n", run + 1,
                    read, mb / read, recover, mb / recover, recover / read);
    }
    fs::remove(input);
    return 0;
}
