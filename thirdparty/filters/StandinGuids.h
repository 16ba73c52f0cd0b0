// Classes and names of the stand-in compressors.
#pragma once

#include <windows.h>

namespace standin {

// {00A4625C-1ED3-4388-A7C5-ACEF718F466E}
inline constexpr CLSID kClsidG711Compressor44k = {
    0x00A4625C, 0x1ED3, 0x4388, {0xA7, 0xC5, 0xAC, 0xEF, 0x71, 0x8F, 0x46, 0x6E}};
// {54D05EDC-DA62-4993-BDBA-ACF061206563}
inline constexpr CLSID kClsidG711Compressor = {
    0x54D05EDC, 0xDA62, 0x4993, {0xBD, 0xBA, 0xAC, 0xF0, 0x61, 0x20, 0x65, 0x63}};
// {D0753715-C2EF-4D00-8623-5088AF196DD4}
inline constexpr CLSID kClsidMjpegCompressor = {
    0xD0753715, 0xC2EF, 0x4D00, {0x86, 0x23, 0x50, 0x88, 0xAF, 0x19, 0x6D, 0xD4}};
// {69567583-5777-4546-8700-CF2CF4F65FCB}
inline constexpr CLSID kClsidG711Page = {0x69567583, 0x5777, 0x4546, {0x87, 0x00, 0xCF, 0x2C, 0xF4, 0xF6, 0x5F, 0xCB}};

inline constexpr wchar_t kG711Compressor44kName[] = L"Stand-in G.711 Audio Compressor (44100 Hz)";
inline constexpr wchar_t kG711CompressorName[] = L"Stand-in G.711 Audio Compressor";
inline constexpr wchar_t kMjpegCompressorName[] = L"Stand-in Motion JPEG Compressor";
inline constexpr wchar_t kG711PageName[] = L"Stand-in G.711 Settings Page";

}  // namespace standin
