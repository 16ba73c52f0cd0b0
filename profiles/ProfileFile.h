// One open profile: a compound file holding the record or the preview
// configuration. Opened, read or written, and closed within one operation.
#pragma once

#include "AudioFormatList.h"
#include "FilterEntry.h"
#include "ProfileOptions.h"

#include <windows.h>
#include <mmreg.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class FilterStream { VideoCompressor, AudioCompressor, Mux };

const wchar_t* FilterStreamName(FilterStream which);

// Friendly names of the three filter streams of a record profile.
struct FilterNames {
    std::wstring videoCompressor;
    std::wstring audioCompressor;
    std::wstring mux;
};

// Gives the display text of a stored format (for the audio format list).
using AudioFormatDescriber = std::function<std::wstring(const WAVEFORMATEX& format)>;

class ProfileFile {
public:
    ProfileFile() = default;
    ~ProfileFile();  // an open file is closed as Close does
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // Opens an existing profile (read-write, share-exclusive, direct) and checks its magic and version.
    HRESULT Open(const std::wstring& path);
    // Replaces any file at path with a new profile.
    HRESULT Create(const std::wstring& path);
    // Commits a created profile and releases it; E_FAIL when nothing is open.
    HRESULT Close();
    bool IsOpen() const { return storage_ != nullptr; }

    // The outputs of the readers change only on success.
    HRESULT WriteRecordOptions(const RecordOptions& options);
    HRESULT ReadRecordOptions(RecordOptions& options, std::uint32_t* storedSize = nullptr);
    HRESULT WritePreviewOptions(const PreviewOptions& options);
    HRESULT ReadPreviewOptions(PreviewOptions& options, std::uint32_t* storedSize = nullptr);

    // Stores the entry's names and the state of entry.filter.
    HRESULT WriteFilter(FilterStream which, const FilterEntry& entry);
    // Binds the stored filter and restores its state; a null entry comes back without a filter.
    HRESULT ReadFilter(FilterStream which, FilterEntry& entry);
    HRESULT ReadFilterNames(FilterNames& names);

    HRESULT WriteAudioFormatList(const std::vector<AudioFormatPair>& pairs);
    HRESULT ReadAudioFormatList(std::vector<AudioFormatPair>& pairs, const AudioFormatDescriber& describe = {});

    HRESULT WritePreviewFilters(const std::vector<FilterEntry>& entries);
    // Binds the stored preview filters; with loadStates their states are loaded at once.
    HRESULT ReadPreviewFilters(bool loadStates, std::vector<FilterEntry>& entries);
    // Loads the stored states into filters already placed in a graph, entry by entry
    // while the stored names match the given list.
    HRESULT ApplyPreviewFilterStates(const std::vector<FilterEntry>& entries);

private:
    HRESULT CreateStream(const wchar_t* name, Microsoft::WRL::ComPtr<IStream>& stream);
    HRESULT OpenStream(const wchar_t* name, Microsoft::WRL::ComPtr<IStream>& stream);
    // Opens the stream and reads its bytes (up to the codec's limit).
    HRESULT ReadStream(const wchar_t* name, Microsoft::WRL::ComPtr<IStream>& stream, std::vector<std::uint8_t>& bytes);
    HRESULT WriteStream(const wchar_t* name, const std::vector<std::uint8_t>& bytes);
    HRESULT WriteOptionBlock(const wchar_t* name, const void* block, std::size_t size, bool prefixed);
    HRESULT ReadOptionBlock(const wchar_t* name, void* block, std::size_t size, bool prefixed,
                            std::uint32_t* storedSize);

    Microsoft::WRL::ComPtr<IStorage> storage_;
    std::wstring path_;
    bool writable_ = false;
};
