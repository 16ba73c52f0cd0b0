// The media types of the G.711 compressor: the 16-bit PCM it takes and the mu-law and
// A-law outputs it offers at the input's rate.
#pragma once

#include <windows.h>
#include <mmreg.h>

#include "dshowbase/streams.h"

#include "G711.h"

namespace standin {

// An output choice; channels 0 follows the input.
struct G711Choice {
    Law law = Law::MuLaw;
    int channels = 0;
};

inline bool operator==(const G711Choice& a, const G711Choice& b)
{
    return a.law == b.law && a.channels == b.channels;
}

// The choices offered through the stream capabilities, in order.
inline constexpr G711Choice kG711Offers[] = {{Law::MuLaw, 2}, {Law::MuLaw, 1}, {Law::ALaw, 2}, {Law::ALaw, 1}};
inline constexpr int kG711OfferCount = static_cast<int>(sizeof kG711Offers / sizeof kG711Offers[0]);

// The PCM format of an acceptable input type: 16-bit, 1 or 2 channels; null otherwise.
const WAVEFORMATEX* PcmInputFormat(const CMediaType& type);
// The output type for a choice at a rate (channels 0 needs inputChannels).
HRESULT MakeG711Type(G711Choice choice, int inputChannels, DWORD rate, CMediaType& type);
// The choice a well-formed G.711 type stands for, and its rate; false for anything else.
bool ReadG711Type(const AM_MEDIA_TYPE& type, G711Choice& choice, DWORD& rate);
// "mu-law" or "A-law".
const wchar_t* LawName(Law law);

}  // namespace standin
