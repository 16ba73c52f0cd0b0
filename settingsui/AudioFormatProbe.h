// Asking an audio compressor what it makes of an input format: a temporary graph
// with the null audio source producing that format connected to the compressor.
#pragma once

#include "profiles/core/AudioFormatList.h"
#include "profiles/FilterEntry.h"

#include <cstdint>
#include <vector>

// Clears the list and fills it with the default inputs and, for each, the output the
// compressor offers first (none when anything fails).
void BuildDefaultAudioFormatList(std::vector<AudioFormatPair>& list, const FilterEntry& compressor);

// Every capability of the compressor's output pin for that input that SetFormat
// accepts while connected, as pairs of the input and the capability with its text.
std::vector<AudioFormatPair> ListOutputCandidates(const FilterEntry& compressor,
                                                  const std::vector<std::uint8_t>& input);
