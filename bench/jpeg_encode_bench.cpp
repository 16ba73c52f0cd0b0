// Time per frame of the stand-in Motion JPEG encoder at the card's picture sizes.
//   jpeg_encode_bench [frames per size]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "JpegEncoder.h"
#include "MjpegState.h"

namespace {

// The colour-bar-like picture the card sends, with a ramp so every block has detail.
std::vector<uint8_t> Picture(int width, int height)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = &bytes[(static_cast<size_t>(y) * width + x) * 2];
            pixel[0] = static_cast<uint8_t>(16 + (x * 8 / width) * 27 + (y % 16));
            pixel[1] = static_cast<uint8_t>(x % 2 ? 128 + (x * 8 / width) * 12 : 128 - (x * 8 / width) * 12);
        }
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : 30;
    const int sizes[][2] = {{720, 480}, {1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        const std::vector<uint8_t> picture = Picture(size[0], size[1]);
        std::vector<uint8_t> out;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i) {
            out.clear();
            standin::EncodeJpeg({picture.data(), size[0], size[1], size[0] * 2}, standin::kDefaultMjpegQuality, out);
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%dx%d: %.1f ms per frame, %zu bytes\n", size[0], size[1], ms / frames, out.size());
    }
    return 0;
}
