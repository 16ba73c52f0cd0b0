// The record and preview profiles as their users read and write them: each
// operation opens the file, reads or writes it in a fixed order and closes it.
#pragma once

#include "ProfileFile.h"

#include <functional>
#include <string>
#include <vector>

struct RecordProfile {
    RecordOptions options;  // the defaults when "Record" cannot be read
    FilterEntry mux;
    FilterEntry videoCompressor;
    FilterEntry audioCompressor;
    std::vector<AudioFormatPair> audioFormats;  // empty when "AudioFormatList" cannot be read
};

struct PreviewProfile {
    bool optionsRead = false;
    PreviewOptions options;
    std::vector<FilterEntry> filters;
};

// Record graph build: options, "Mux", "VideoCompressor", "AudioCompressor", audio
// formats. A filter that cannot be read or bound fails the whole read.
HRESULT ReadRecordProfile(const std::wstring& path, RecordProfile& profile, const AudioFormatDescriber& describe = {});
// Record page: replaces the file; the audio format list is stored only when not empty.
// The first failing step ends the write and leaves the old file as it was.
HRESULT WriteRecordProfile(const std::wstring& path, const RecordProfile& profile);
// Information bar: the three friendly names.
HRESULT ReadRecordFilterNames(const std::wstring& path, FilterNames& names);

// Preview page: options and filters with their states loaded at once.
HRESULT ReadPreviewProfile(const std::wstring& path, PreviewProfile& profile);
// Replaces the file as the record profile's writer does.
HRESULT WritePreviewProfile(const std::wstring& path, const PreviewProfile& profile);

// What the preview graph build does between reading the filters and applying their states.
struct PreviewGraphSteps {
    // Whether the preview filters are wanted; options is null when they could not be read.
    std::function<bool(const PreviewOptions* options)> wantsFilters;
    // Builds the graph around the filters; an empty list means none are wanted or readable.
    std::function<HRESULT(std::vector<FilterEntry>& filters)> insertFilters;
};

// Preview graph build: options; when wanted, the filters without their states; the
// graph step; then the stored states applied to the filters in the graph. A missing
// or refused profile reads as default options and no filters, not as an error.
HRESULT ReadPreviewProfileForGraph(const std::wstring& path, const PreviewGraphSteps& steps, PreviewProfile& profile);
