// The figures a recording's report prints, taken from the capture callbacks.
#pragma once

#include "AudioCaptureSampleGrabberCB.h"
#include "RecordingReport.h"
#include "VideoCaptureSampleGrabberCB.h"

// Video times and frames with the dropped frames at the format's frame
// duration, the format's row, and the audio times, blocks, samples and format.
void CollectStatistics(CVideoCaptureSampleGrabberCB& video, CAudioCaptureSampleGrabberCB& audio, int signalFormat,
                       RecordingReport& report);
