// The media types of the card's pins, built from its capabilities.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "StreamCaps.h"

namespace cardsim {

VIDEOINFOHEADER Yuy2VideoInfo(const VideoCapability& cap);
VIDEO_STREAM_CONFIG_CAPS VideoConfigCaps(const VideoCapability& cap);
WAVEFORMATEX PcmFormat(int sampleRate);
AUDIO_STREAM_CONFIG_CAPS AudioConfigCaps(int sampleRate);

// A new task-memory media type, for IAMStreamConfig's callers or CMediaType::Adopt.
AM_MEDIA_TYPE* NewVideoMediaType(const VideoCapability& cap);
AM_MEDIA_TYPE* NewAudioMediaType(int sampleRate);

// The capability a YUY2 picture type describes, when it is one of the card's sizes.
bool ReadVideoType(const AM_MEDIA_TYPE& type, VideoCapability& cap, int omittedRow);
// The sample rate a PCM type describes, when the card offers it.
bool ReadAudioType(const AM_MEDIA_TYPE& type, int& sampleRate);

}  // namespace cardsim
