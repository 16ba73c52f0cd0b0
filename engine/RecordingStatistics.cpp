#include "RecordingStatistics.h"

#include "SignalFormat.h"
#include "StreamCounters.h"

void CollectStatistics(CVideoCaptureSampleGrabberCB& videoCallback, CAudioCaptureSampleGrabberCB& audioCallback,
                       int signalFormat, RecordingReport& report)
{
    const engine::StreamCounters video = videoCallback.Counters();
    const engine::SignalFormat& format = engine::SignalFormatRow(signalFormat);
    report.videoFormatIndex = format.index;
    report.videoFourcc = format.fourcc;
    report.videoWidth = format.width;
    report.videoHeight = format.height;
    report.videoFrameDuration = static_cast<int32_t>(format.frameDuration & 0xFFFFFFFF);
    report.videoFirstStart = video.firstStart;
    report.videoLastEnd = video.lastEnd;
    report.videoFirstMediaStart = video.firstMediaStart;
    report.videoLastMediaEnd = video.lastMediaEnd;
    report.totalFrames = video.samples;
    report.droppedFrames =
        engine::DroppedFrames(video.firstStart, video.lastEnd, report.videoFrameDuration, video.samples);

    const CAudioCaptureSampleGrabberCB::Figures audio = audioCallback.Snapshot();
    report.audioFirstStart = audio.counters.firstStart;
    report.audioLastEnd = audio.counters.lastEnd;
    report.audioFirstMediaStart = audio.counters.firstMediaStart;
    report.audioLastMediaEnd = audio.counters.lastMediaEnd;
    report.totalBlocks = audio.counters.samples;
    report.totalSamples = audio.counters.sampleFrames;
    if (audio.format) {
        report.audioSamplesPerSecond = static_cast<int32_t>(audio.format->nSamplesPerSec);
        report.audioBitsPerSample = audio.format->wBitsPerSample;
        report.audioChannels = audio.format->nChannels;
        report.audioChannelsSwapped = audio.channelSwap ? 1 : 0;
    }
}
