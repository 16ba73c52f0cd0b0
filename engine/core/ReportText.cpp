#include "ReportText.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

namespace engine {
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr size_t kTimeTextMax = 260;

// printf into a string, then every "\n" as CR LF.
std::string Line(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return WithCrLf(text);
}

std::string TimeText(const char* format, const std::tm& time)
{
    char buffer[kTimeTextMax + 1] = {};
    const size_t length = std::strftime(buffer, sizeof buffer, format, &time);
    return Line("%s", std::string(buffer, length).c_str());
}

std::string TextOrNa(const std::wstring& text)
{
    return text.empty() ? "N/A" : ToUtf8(text);
}

int64_t Quotient(int64_t value, int64_t divisor)
{
    return divisor == 0 ? 0 : value / divisor;
}

bool AudioIsValid(const RecordingReport& r)
{
    return r.audioSamplesPerSecond != 0 && r.audioBitsPerSample != 0 && r.audioChannels != 0 && r.totalBlocks != 0;
}

std::string FilterLines(const RecordingReport& r)
{
    std::string out;
    out += Line("Video Capture Device:   %s\n", TextOrNa(r.videoCaptureDevice).c_str());
    out += Line("Audio Capture Device:   %s\n", TextOrNa(r.audioCaptureDevice).c_str());
    out += Line("Video Compressor:       %s\n", TextOrNa(r.videoCompressor).c_str());
    out += Line("Audio Compressor:       %s\n", TextOrNa(r.audioCompressor).c_str());
    if (!r.formatDescription.empty())
        out += Line("    Format Description: %s\n", ToUtf8(r.formatDescription).c_str());
    out += Line("Multiplexer:            %s\n", ToUtf8(r.multiplexer).c_str());
    out += Line("Video Preview Renderer: %s\n", TextOrNa(r.videoPreviewRenderer).c_str());
    out += Line("Audio Preview Renderer: %s\n", TextOrNa(r.audioPreviewRenderer).c_str());
    return out;
}

std::string VideoLines(const RecordingReport& r, int64_t videoSpan, int64_t audioSpan)
{
    const auto fourcc = [&](int shift) { return static_cast<char>((r.videoFourcc >> shift) & 0xFF); };
    const int height = r.videoHeight < 0 ? -r.videoHeight : r.videoHeight;
    const double rate = r.videoFrameDuration == 0 ? 0.0 : 10000000.0 / r.videoFrameDuration;
    std::string out = Line("\nVideo Stream Information\n");
    out += Line("Format: %c%c%c%c %dx%d/%2.2ffps (%dx100ns/f)\n", fourcc(0), fourcc(8), fourcc(16), fourcc(24),
                r.videoWidth, height, rate, r.videoFrameDuration);
    out += Line("Start stream time: %14" PRId64 "00ns\n", r.videoFirstStart);
    out += Line("End stream time:   %14" PRId64 "00ns\n", r.videoLastEnd);
    out += Line("Stream duration:   %14" PRId64 "00ns(%" PRId64 "f)\n", videoSpan,
                Quotient(videoSpan, r.videoFrameDuration) + 1);
    out += Line("Start media time:    %14" PRId64 "f\n", r.videoFirstMediaStart);
    out += Line("End media time:      %14" PRId64 "f\n", r.videoLastMediaEnd);
    out += Line("Media duration:      %14" PRId64 "f\n", r.videoLastMediaEnd - r.videoFirstMediaStart);
    out += Line("Total frame:         %14" PRId64 "f\n", r.totalFrames);
    out += Line("Drop frame:          %14" PRId64 "f\n", r.droppedFrames);
    if (AudioIsValid(r)) {
        out += Line("Start offset:      %14" PRId64 "00ns\n", r.videoFirstStart - r.audioFirstStart);
        out += Line("End offset:        %14" PRId64 "00ns\n", r.videoLastEnd - r.audioLastEnd);
        out += Line("Duration Diff:     %14" PRId64 "00ns\n", videoSpan - audioSpan);
    }
    return out;
}

std::string AudioLines(const RecordingReport& r, int64_t videoSpan, int64_t audioSpan)
{
    std::string out = Line("\nAudio Stream Information\n");
    if (!AudioIsValid(r))
        return out + Line("N/A\n");
    out += Line("Format: %dHz %dbit %dch", r.audioSamplesPerSecond, r.audioBitsPerSample, r.audioChannels);
    out += Line("%s", r.audioChannelsSwapped ? " (Channel swaped)\n" : "\n");
    out += Line("Start stream time: %14" PRId64 "00ns\n", r.audioFirstStart);
    out += Line("End stream time:   %14" PRId64 "00ns\n", r.audioLastEnd);
    out += Line("Stream duration:   %14" PRId64 "00ns(%" PRId64 "sample)\n", audioSpan,
                r.audioSamplesPerSecond * audioSpan / kUnitsPerSecond);
    out += Line("Start media time:    %14" PRId64 "sample\n", r.audioFirstMediaStart);
    out += Line("End media time:      %14" PRId64 "sample\n", r.audioLastMediaEnd);
    out += Line("Media duration:      %14" PRId64 "sample\n", r.audioLastMediaEnd - r.audioFirstMediaStart);
    out += Line("Total sample:        %14" PRId64 "sample\n", r.totalSamples);
    out += Line("Total block:         %14" PRId64 "block\n", r.totalBlocks);
    out += Line("Start offset:      %14" PRId64 "00ns\n", r.audioFirstStart - r.videoFirstStart);
    out += Line("End offset:        %14" PRId64 "00ns\n", r.audioLastEnd - r.videoLastEnd);
    out += Line("Duration Diff:     %14" PRId64 "00ns\n", audioSpan - videoSpan);
    return out;
}

}  // namespace

std::string ReportHeaderText(const std::tm& now, const std::wstring& recordingPath)
{
    std::string out = Line("Tavrik Recording Report (%s)\n", kReportVersion);
    out += TimeText("Date: %Y-%m-%d %a\nTime: %H:%M:%S\n\n", now);
    out += Line("Recording file: %s\n", ToUtf8(recordingPath).c_str());
    return out;
}

std::string ReportBodyText(const RecordingReport& r, const std::tm& start, const std::tm& end)
{
    std::string out = TimeText("Start Time: %H:%M:%S\n", start);
    out += TimeText("End Time:   %H:%M:%S\n", end);
    const int64_t seconds = r.endTime - r.startTime;
    out += Line("Duration:   %02d:%02d:%02d\n\n", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 60));
    out += FilterLines(r);
    const int64_t videoSpan = r.videoLastEnd - r.videoFirstStart;
    const int64_t audioSpan = r.audioLastEnd - r.audioFirstStart;
    out += VideoLines(r, videoSpan, audioSpan);
    out += AudioLines(r, videoSpan, audioSpan);
    return out;
}

std::string ReportFailureText(const std::wstring& message)
{
    return Line("\nFail Recording. %s\n", ToUtf8(message).c_str());
}

std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string ToUtf8(const std::wstring& text)
{
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = kReplacement;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace engine
