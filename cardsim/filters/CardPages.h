// The property pages the card's driver offers: the video decoder (capture filter),
// the crossbar and the stream format (video pins). Each shows what its object
// reports; none changes anything.
#pragma once

#include "dshowbase/streams.h"

namespace cardsim {

// {3B1E5A40-7C0D-4E8B-9A51-2F6C0D8E4A11}
inline constexpr CLSID kClsidDecoderPage = {
    0x3B1E5A40, 0x7C0D, 0x4E8B, {0x9A, 0x51, 0x2F, 0x6C, 0x0D, 0x8E, 0x4A, 0x11}};
// {3B1E5A41-7C0D-4E8B-9A51-2F6C0D8E4A11}
inline constexpr CLSID kClsidCrossbarPage = {
    0x3B1E5A41, 0x7C0D, 0x4E8B, {0x9A, 0x51, 0x2F, 0x6C, 0x0D, 0x8E, 0x4A, 0x11}};
// {3B1E5A42-7C0D-4E8B-9A51-2F6C0D8E4A11}
inline constexpr CLSID kClsidStreamFormatPage = {
    0x3B1E5A42, 0x7C0D, 0x4E8B, {0x9A, 0x51, 0x2F, 0x6C, 0x0D, 0x8E, 0x4A, 0x11}};

inline constexpr wchar_t kDecoderPageName[] = L"Zelvan Video Decoder Page";
inline constexpr wchar_t kCrossbarPageName[] = L"Zelvan Crossbar Page";
inline constexpr wchar_t kStreamFormatPageName[] = L"Zelvan Stream Format Page";

// The one page an object offers, as ISpecifyPropertyPages::GetPages hands it out.
HRESULT OnePage(const CLSID& page, CAUUID* pages);

CUnknown* WINAPI CreateDecoderPage(LPUNKNOWN outer, HRESULT* hr);
CUnknown* WINAPI CreateCrossbarPage(LPUNKNOWN outer, HRESULT* hr);
CUnknown* WINAPI CreateStreamFormatPage(LPUNKNOWN outer, HRESULT* hr);

}  // namespace cardsim
