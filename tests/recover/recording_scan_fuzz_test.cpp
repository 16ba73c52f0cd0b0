// The scan and rebuild under random damage to real recordings (run with the sanitizers
// in the host build): no crash, no hang, the input never changed, nothing written but
// the output, and an output only when it is a sound file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "DiskFile.h"
#include "AviCheck.h"
#include "InterruptedRecordings.h"
#include "PosixFileSystem.h"
#include "RecoverCommand.h"

namespace trelvox {
namespace {

namespace fs = std::filesystem;

// Flipped bytes, overwritten words (often where sizes are), zeroed runs and a cut;
// half of the damage falls into the header.
std::vector<uint8_t> Damage(std::vector<uint8_t> b, std::mt19937& random)
{
    auto offset = [&](bool header) {
        const size_t limit = header ? std::min<size_t>(b.size(), 70000) : b.size();
        return std::uniform_int_distribution<size_t>(0, limit - 1)(random);
    };
    const int kinds = std::uniform_int_distribution<int>(1, 6)(random);
    for (int k = 0; k < kinds && !b.empty(); ++k) {
        const bool header = random() % 2 == 0;
        switch (random() % 4) {
        case 0:
            b[offset(header)] ^= static_cast<uint8_t>(1 + random() % 255);
            break;
        case 1: {
            const size_t at = offset(header) & ~size_t{3};
            const uint32_t word = random() % 2 ? static_cast<uint32_t>(random()) : 0xFFFFFFF0u + random() % 16;
            for (int i = 0; i < 4 && at + i < b.size(); ++i)
                b[at + i] = static_cast<uint8_t>(word >> (8 * i));
            break;
        }
        case 2: {
            const size_t at = offset(header), length = std::min<size_t>(b.size() - at, random() % 70000);
            std::fill(b.begin() + static_cast<ptrdiff_t>(at), b.begin() + static_cast<ptrdiff_t>(at + length), 0);
            break;
        }
        default:
            b.resize(offset(false));
        }
    }
    return b;
}

TEST(RecordingScanFuzz, RandomDamageNeverCrashesHangsOrWritesOutsideItsOutput)
{
    MemoryFileSystem memory;
    const std::vector<std::vector<uint8_t>> originals = {test::InterruptedAvi1(memory), test::InterruptedOpenDml()};
    // In the build tree: /tmp is shared by every clone, whose runs would clash.
    const fs::path dir = fs::current_path() / "recover_fuzz";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path input = dir / "in.avi", output = dir / "out.avi";
    PosixFileSystem posix;
    std::mt19937 random(20261209);
    int repaired = 0, refused = 0;
    constexpr int kRuns = 200;
    for (int run = 0; run < kRuns && !::testing::Test::HasFailure(); ++run) {
        const std::vector<uint8_t> damaged = Damage(originals[run % 2], random);
        {
            std::ofstream out(input, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
        }
        std::ostringstream out, err;
        const auto start = std::chrono::steady_clock::now();
        const int code = recover::RunRecover({"--out", output.string(), input.string()}, posix, out, err);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string where = "run " + std::to_string(run) + ": " + err.str();
        EXPECT_LT(seconds, 20.0) << where;
        EXPECT_EQ(test::ReadFileBytes(input), damaged) << where << "the input is never changed";
        for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
            EXPECT_TRUE(e.path() == input || (e.path() == output && code == recover::kExitOk)) << where << e.path();
        }
        if (code == recover::kExitOk && fs::exists(output)) {
            const test::AviCheck check = test::CheckAvi(test::BytesOf(test::ReadFileBytes(output)));
            EXPECT_TRUE(check.problems.empty()) << where << check.Problems();
            ++repaired;
        } else {
            EXPECT_FALSE(err.str().empty()) << where << "a refusal says why";
            ++refused;
        }
        fs::remove(output);
    }
    std::printf("%d damaged recordings: %d repaired, %d refused or finished\n", kRuns, repaired, refused);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace trelvox
