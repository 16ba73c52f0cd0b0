// Class ids and names of the simulated card's filters.
#pragma once

#include <windows.h>

namespace cardsim {

// {796E9498-2445-40E6-BEA3-A65F78AB3BD9}
inline constexpr CLSID kClsidCaptureFilter = {
    0x796E9498, 0x2445, 0x40E6, {0xBE, 0xA3, 0xA6, 0x5F, 0x78, 0xAB, 0x3B, 0xD9}};
// {F0C5FDC9-D592-463A-A302-4769B17A4047}
inline constexpr CLSID kClsidCrossbar = {0xF0C5FDC9, 0xD592, 0x463A, {0xA3, 0x02, 0x47, 0x69, 0xB1, 0x7A, 0x40, 0x47}};

inline constexpr wchar_t kCaptureFilterName[] = L"Zelvan BDA Analog Capture Secondary";
inline constexpr wchar_t kCaptureDescription[] = L"Zelvan BDA Analog Capture Secondary";
inline constexpr wchar_t kCrossbarName[] = L"Zelvan BDA Analog Crossbar";

// Pin names, in pin order.
inline constexpr wchar_t kAnalogVideoInName[] = L"Analog Video In";
inline constexpr wchar_t kVideoCaptureName[] = L"Video Capture";
inline constexpr wchar_t kVideoPreviewName[] = L"Video Preview";
inline constexpr wchar_t kAudioPreviewName[] = L"Audio Preview";
inline constexpr wchar_t kAudioCaptureName[] = L"Audio Capture";

}  // namespace cardsim

namespace cardsim {

inline constexpr wchar_t kCrossbarVideoOutName[] = L"Video Decoder Out";
inline constexpr wchar_t kCrossbarAudioOutName[] = L"Audio Decoder Out";

}  // namespace cardsim
