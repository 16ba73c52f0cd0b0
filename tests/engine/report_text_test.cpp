#include "ReportText.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

std::tm LocalTime(int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_wday = 3;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// A 1080i recording of 300 frames with 16-bit stereo audio at 48 kHz.
RecordingReport Recording()
{
    RecordingReport r;
    r.videoCaptureDevice = L"Zelvan BDA Analog Capture Secondary";
    r.audioCaptureDevice = L"Zelvan BDA Analog Capture Secondary";
    r.audioCompressor = L"PCM";
    r.multiplexer = L"Pelkor AVI Mux";
    r.videoPreviewRenderer = L"Video Mixing Renderer 7";
    r.audioPreviewRenderer = L"DirectSound Renderer";
    r.videoFourcc = 'Y' | 'U' << 8 | 'Y' << 16 | '2' << 24;
    r.videoWidth = 1920;
    r.videoHeight = -1080;
    r.videoFrameDuration = 333667;
    r.videoFirstStart = 0;
    r.videoLastEnd = 100433767;
    r.videoFirstMediaStart = 0;
    r.videoLastMediaEnd = 301;
    r.totalFrames = 300;
    r.droppedFrames = 1;
    r.audioSamplesPerSecond = 48000;
    r.audioBitsPerSample = 16;
    r.audioChannels = 2;
    r.audioFirstStart = 100000;
    r.audioLastEnd = 100100000;
    r.audioFirstMediaStart = 0;
    r.audioLastMediaEnd = 480000;
    r.totalSamples = 480000;
    r.totalBlocks = 500;
    r.startTime = 1000000;
    r.endTime = 1000000 + 3600 + 2 * 60 + 3;
    return r;
}

TEST(ReportText, HeaderNamesTheVersionTheDateAndTheRecordingAsGiven)
{
    EXPECT_EQ("Tavrik Recording Report (" TAVRIK_VERSION_LINE ")\r\n"
              "Date: 2026-12-09 Wed\r\nTime: 01:02:03\r\n\r\n"
              "Recording file: D:\\Video\\rec.avi\r\n",
              ReportHeaderText(LocalTime(1, 2, 3), L"D:\\Video\\rec.avi"));
}

TEST(ReportText, BodyOfARecordingWithBothStreams)
{
    const std::string expected = "Start Time: 10:00:00\r\n"
                                 "End Time:   11:02:03\r\n"
                                 "Duration:   01:02:03\r\n\r\n"
                                 "Video Capture Device:   Zelvan BDA Analog Capture Secondary\r\n"
                                 "Audio Capture Device:   Zelvan BDA Analog Capture Secondary\r\n"
                                 "Video Compressor:       N/A\r\n"
                                 "Audio Compressor:       PCM\r\n"
                                 "Multiplexer:            Pelkor AVI Mux\r\n"
                                 "Video Preview Renderer: Video Mixing Renderer 7\r\n"
                                 "Audio Preview Renderer: DirectSound Renderer\r\n"
                                 "\r\nVideo Stream Information\r\n"
                                 "Format: YUY2 1920x1080/29.97fps (333667x100ns/f)\r\n"
                                 "Start stream time:              000ns\r\n"
                                 "End stream time:        10043376700ns\r\n"
                                 "Stream duration:        10043376700ns(302f)\r\n"
                                 "Start media time:                 0f\r\n"
                                 "End media time:                 301f\r\n"
                                 "Media duration:                 301f\r\n"
                                 "Total frame:                    300f\r\n"
                                 "Drop frame:                       1f\r\n"
                                 "Start offset:             -10000000ns\r\n"
                                 "End offset:                33376700ns\r\n"
                                 "Duration Diff:             43376700ns\r\n"
                                 "\r\nAudio Stream Information\r\n"
                                 "Format: 48000Hz 16bit 2ch\r\n"
                                 "Start stream time:         10000000ns\r\n"
                                 "End stream time:        10010000000ns\r\n"
                                 "Stream duration:        10000000000ns(480000sample)\r\n"
                                 "Start media time:                 0sample\r\n"
                                 "End media time:              480000sample\r\n"
                                 "Media duration:              480000sample\r\n"
                                 "Total sample:                480000sample\r\n"
                                 "Total block:                    500block\r\n"
                                 "Start offset:              10000000ns\r\n"
                                 "End offset:               -33376700ns\r\n"
                                 "Duration Diff:            -43376700ns\r\n";
    EXPECT_EQ(expected, ReportBodyText(Recording(), LocalTime(10, 0, 0), LocalTime(11, 2, 3)));
}

TEST(ReportText, WithoutAudioBlocksTheAudioIsNaAndTheVideoHasNoOffsets)
{
    RecordingReport r = Recording();
    r.totalBlocks = 0;
    const std::string body = ReportBodyText(r, LocalTime(0, 0, 0), LocalTime(0, 0, 0));
    EXPECT_EQ(std::string::npos, body.find("offset"));
    EXPECT_EQ(std::string::npos, body.find("Duration Diff"));
    const std::string tail = "Drop frame:                       1f\r\n\r\nAudio Stream Information\r\nN/A\r\n";
    ASSERT_GE(body.size(), tail.size());
    EXPECT_EQ(tail, body.substr(body.size() - tail.size()));

    // Any missing format figure makes the audio invalid as well.
    r = Recording();
    r.audioChannels = 0;
    EXPECT_NE(std::string::npos, ReportBodyText(r, {}, {}).find("Information\r\nN/A\r\n"));
}

TEST(ReportText, EmptyTextsReadNaButTheMultiplexerLineStaysAndTheFormatLineGoes)
{
    RecordingReport r = Recording();
    r.audioCompressor.clear();
    r.videoPreviewRenderer.clear();
    r.audioPreviewRenderer.clear();
    r.multiplexer.clear();
    const std::string body = ReportBodyText(r, {}, {});
    EXPECT_NE(std::string::npos, body.find("Audio Compressor:       N/A\r\n"));
    EXPECT_NE(std::string::npos, body.find("Multiplexer:            \r\n"));
    EXPECT_NE(std::string::npos, body.find("Video Preview Renderer: N/A\r\nAudio Preview Renderer: N/A\r\n"));
    EXPECT_EQ(std::string::npos, body.find("Format Description"));

    r.formatDescription = L"IMA ADPCM 48.000 kHz, 4 Bit, Stereo";
    EXPECT_NE(std::string::npos, ReportBodyText(r, {}, {}).find("Audio Compressor:       N/A\r\n"
                                                                "    Format Description: IMA ADPCM 48.000 kHz, 4 Bit, "
                                                                "Stereo\r\nMultiplexer:"));
}

TEST(ReportText, SwappedChannelsLongDurationsAndWideValues)
{
    RecordingReport r = Recording();
    r.audioChannelsSwapped = 1;
    r.startTime = 0;
    r.endTime = 100 * 3600 + 59;
    r.totalFrames = 123456789012345LL;
    const std::string body = ReportBodyText(r, {}, {});
    EXPECT_NE(std::string::npos, body.find("Format: 48000Hz 16bit 2ch (Channel swaped)\r\n"));
    EXPECT_NE(std::string::npos, body.find("Duration:   100:00:59\r\n\r\n")) << "hours are not wrapped at 24";
    EXPECT_NE(std::string::npos, body.find("Total frame:         123456789012345f\r\n")) << "wider than the column";
}

TEST(ReportText, NonAsciiTextsAreUtf8)
{
    EXPECT_EQ("\r\nFail Recording. \xE3\x82\xAD\xE3\x83\xA3\xE3\x83\x97\xE3\x83\x81\xE3\x83\xA3\xE3\x83\xBC"
              "(80004005)\r\n",
              ReportFailureText(L"キャプチャー(80004005)"));
    EXPECT_EQ("\xC3\xA9\xF0\x9F\x8E\xA5", ToUtf8(std::wstring(L"é") + std::wstring(L"\U0001F3A5")));
    // A lone surrogate unit (possible on Windows) is replaced, never passed through.
    std::wstring lone;
    lone += static_cast<wchar_t>(0xD800);
    lone += L'a';
    EXPECT_EQ("\xEF\xBF\xBD"
              "a",
              ToUtf8(lone));
}

}  // namespace
}  // namespace engine
