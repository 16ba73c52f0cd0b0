// A recording from the simulated card through the stand-in compressors into Trelvox.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <string>

// 480i from the card with its audio at 44100 Hz, for `ms`, through the given compressors
// (null: that stream goes uncompressed) into the "Pelkor AVI Mux" writing `base`. Before
// the compressor's output is connected, `audioOutput` (when not null) is set with
// IAMStreamConfig::SetFormat, as the record graph does with the audio format list.
HRESULT RecordCard(const std::wstring& base, IBaseFilter* video, IBaseFilter* audio, const AM_MEDIA_TYPE* audioOutput,
                   DWORD ms);
