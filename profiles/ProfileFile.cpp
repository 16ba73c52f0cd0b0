#include "ProfileFile.h"

#include "FilterSections.h"
#include "FilterState.h"
#include "OptionBlock.h"
#include "ProfileFormat.h"
#include "ProfileHeader.h"
#include "StreamIo.h"
#include "WideText.h"

#include <cstring>

using Microsoft::WRL::ComPtr;
using profiles::ByteReader;
using profiles::ByteWriter;
using profiles::StoredFilterNames;

namespace {

constexpr wchar_t kCommonStream[] = L"COMMON";
constexpr wchar_t kRecordStream[] = L"Record";
constexpr wchar_t kParamsStream[] = L"PARAMS";
constexpr wchar_t kAudioFormatListStream[] = L"AudioFormatList";
constexpr wchar_t kPreviewFiltersStream[] = L"PreviewFilters";

constexpr DWORD kStreamMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

StoredFilterNames StoredNames(const FilterEntry& entry)
{
    return {ToUtf16(entry.friendlyName), ToUtf16(entry.displayName)};
}

FilterEntry EntryFromNames(const StoredFilterNames& names)
{
    FilterEntry entry;
    entry.friendlyName = ToWide(names.friendlyName);
    entry.displayName = ToWide(names.displayName);
    return entry;
}

bool SameNames(const StoredFilterNames& names, const FilterEntry& entry)
{
    return names.friendlyName == ToUtf16(entry.friendlyName) && names.displayName == ToUtf16(entry.displayName);
}

// Loads the state stored at the reader's position into `filter`, then continues
// decoding where the filter's Load stopped.
HRESULT LoadStateAt(IBaseFilter* filter, IStream* stream, ByteReader& reader)
{
    std::uint64_t end = 0;
    const HRESULT hr = LoadPersistedState(filter, stream, reader.Position(), end);
    if (FAILED(hr))
        return hr;
    if (end > SIZE_MAX)
        return profiles::kInvalidData;
    return reader.SetPosition(static_cast<std::size_t>(end));
}

}  // namespace

const wchar_t* FilterStreamName(FilterStream which)
{
    switch (which) {
    case FilterStream::VideoCompressor:
        return L"VideoCompressor";
    case FilterStream::AudioCompressor:
        return L"AudioCompressor";
    case FilterStream::Mux:
        break;
    }
    return L"Mux";
}

ProfileFile::~ProfileFile()
{
    if (IsOpen())
        Close();
}

HRESULT ProfileFile::Open(const std::wstring& path)
{
    if (IsOpen() || path.empty())
        return E_FAIL;
    ComPtr<IStorage> storage;
    HRESULT hr = StgOpenStorageEx(path.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DIRECT, STGFMT_STORAGE, 0,
                                  nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(storage.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    ComPtr<IStream> common;
    hr = storage->OpenStream(kCommonStream, nullptr, kStreamMode, 0, &common);
    if (FAILED(hr))
        return hr;
    std::vector<std::uint8_t> bytes;
    hr = ReadFromStart(common.Get(), kMaxDecodedStreamBytes, bytes);
    if (FAILED(hr))
        return hr;
    hr = profiles::CheckProfileHeader(bytes);
    if (FAILED(hr))
        return hr;
    storage_ = std::move(storage);
    path_ = path;
    writable_ = false;
    return S_OK;
}

HRESULT ProfileFile::Create(const std::wstring& path)
{
    if (IsOpen() || path.empty())
        return E_FAIL;
    ComPtr<IStorage> storage;
    HRESULT hr =
        StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0,
                           nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(storage.GetAddressOf()));
    if (FAILED(hr))
        return hr;
    ComPtr<IStream> common;
    hr = storage->CreateStream(kCommonStream, STGM_CREATE | kStreamMode, 0, 0, &common);
    if (SUCCEEDED(hr))
        hr = WriteAll(common.Get(), profiles::EncodeProfileHeader());
    if (SUCCEEDED(hr))
        hr = common->Commit(STGC_DEFAULT);
    if (FAILED(hr))
        return hr;
    storage_ = std::move(storage);
    path_ = path;
    writable_ = true;
    return S_OK;
}

HRESULT ProfileFile::Close()
{
    if (!IsOpen())
        return E_FAIL;
    const HRESULT hr = writable_ ? storage_->Commit(STGC_DEFAULT) : S_OK;
    storage_.Reset();
    writable_ = false;
    return hr;
}

HRESULT ProfileFile::CreateStream(const wchar_t* name, ComPtr<IStream>& stream)
{
    if (!IsOpen())
        return E_FAIL;
    return storage_->CreateStream(name, STGM_CREATE | kStreamMode, 0, 0, &stream);
}

HRESULT ProfileFile::OpenStream(const wchar_t* name, ComPtr<IStream>& stream)
{
    if (!IsOpen())
        return E_FAIL;
    return storage_->OpenStream(name, nullptr, kStreamMode, 0, &stream);
}

HRESULT ProfileFile::ReadStream(const wchar_t* name, ComPtr<IStream>& stream, std::vector<std::uint8_t>& bytes)
{
    HRESULT hr = OpenStream(name, stream);
    if (FAILED(hr))
        return hr;
    return ReadFromStart(stream.Get(), kMaxDecodedStreamBytes, bytes);
}

HRESULT ProfileFile::WriteStream(const wchar_t* name, const std::vector<std::uint8_t>& bytes)
{
    ComPtr<IStream> stream;
    HRESULT hr = CreateStream(name, stream);
    if (FAILED(hr))
        return hr;
    hr = WriteAll(stream.Get(), bytes);
    if (FAILED(hr))
        return hr;
    return stream->Commit(STGC_DEFAULT);
}

HRESULT ProfileFile::WriteOptionBlock(const wchar_t* name, const void* block, std::size_t size, bool prefixed)
{
    if (!IsOpen())
        return E_FAIL;
    std::vector<std::uint8_t> bytes;
    const auto* first = static_cast<const std::uint8_t*>(block);
    HRESULT hr = profiles::EncodeOptionBlock(
        std::span(first, size), prefixed ? profiles::BlockVersion::Prefixed : profiles::BlockVersion::None, bytes);
    if (FAILED(hr))
        return hr;
    return WriteStream(name, bytes);
}

HRESULT ProfileFile::ReadOptionBlock(const wchar_t* name, void* block, std::size_t size, bool prefixed,
                                     std::uint32_t* storedSize)
{
    ComPtr<IStream> stream;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadStream(name, stream, bytes);
    if (FAILED(hr))
        return hr;
    std::vector<std::uint8_t> read;
    std::uint32_t stored = 0;
    hr = profiles::DecodeOptionBlock(bytes, prefixed ? profiles::BlockVersion::Prefixed : profiles::BlockVersion::None,
                                     size, read, stored);
    if (FAILED(hr))
        return hr;
    std::memcpy(block, read.data(), size);
    if (storedSize)
        *storedSize = stored;
    return S_OK;
}

HRESULT ProfileFile::WriteRecordOptions(const RecordOptions& options)
{
    return WriteOptionBlock(kRecordStream, &options, options.cbSize == sizeof options ? sizeof options : 0, true);
}

HRESULT ProfileFile::ReadRecordOptions(RecordOptions& options, std::uint32_t* storedSize)
{
    return ReadOptionBlock(kRecordStream, &options, sizeof options, true, storedSize);
}

HRESULT ProfileFile::WritePreviewOptions(const PreviewOptions& options)
{
    return WriteOptionBlock(kParamsStream, &options, options.cbSize == sizeof options ? sizeof options : 0, false);
}

HRESULT ProfileFile::ReadPreviewOptions(PreviewOptions& options, std::uint32_t* storedSize)
{
    return ReadOptionBlock(kParamsStream, &options, sizeof options, false, storedSize);
}

HRESULT ProfileFile::WriteFilter(FilterStream which, const FilterEntry& entry)
{
    const bool isVideo = which == FilterStream::VideoCompressor;
    const bool isNull = entry.IsNull();
    // A multiplexer is always a real filter.
    if (which == FilterStream::Mux && isNull)
        return E_INVALIDARG;
    ComPtr<IStream> stream;
    HRESULT hr = CreateStream(FilterStreamName(which), stream);
    if (FAILED(hr))
        return hr;
    ByteWriter writer;
    profiles::EncodeFilterHeader(writer, StoredNames(entry));
    IBaseFilter* filter = isNull ? nullptr : entry.filter.Get();
    std::vector<std::uint8_t> driverState;
    const bool hasDriverState = isVideo && GetDriverState(filter, driverState);
    if (hasDriverState)
        profiles::EncodeDriverState(writer, driverState);
    else if (isVideo)
        profiles::EncodeNoDriverState(writer);
    // A compressor with driver state keeps no persisted state.
    const bool persists = !hasDriverState && HasPersistStream(filter);
    profiles::EncodePersistMarker(writer, persists);
    hr = WriteAll(stream.Get(), writer.Bytes());
    if (SUCCEEDED(hr) && persists)
        hr = SavePersistedState(filter, stream.Get());
    if (FAILED(hr))
        return hr;
    return stream->Commit(STGC_DEFAULT);
}

HRESULT ProfileFile::ReadFilter(FilterStream which, FilterEntry& entry)
{
    ComPtr<IStream> stream;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadStream(FilterStreamName(which), stream, bytes);
    if (FAILED(hr))
        return hr;
    ByteReader reader(bytes);
    StoredFilterNames names;
    hr = profiles::DecodeFilterHeader(reader, names);
    if (FAILED(hr))
        return hr;
    FilterEntry read = EntryFromNames(names);
    if (read.IsNull()) {
        if (which == FilterStream::Mux)
            return E_FAIL;
        entry = std::move(read);
        return S_OK;
    }
    hr = BindFilterByDisplayName(read.displayName, &read.filter);
    if (FAILED(hr))
        return hr;
    if (which == FilterStream::VideoCompressor) {
        bool present = false;
        std::vector<std::uint8_t> driverState;
        hr = profiles::DecodeDriverState(reader, present, driverState);
        if (SUCCEEDED(hr))
            hr = SetDriverState(read.filter.Get(), driverState);
        if (FAILED(hr))
            return hr;
    }
    bool persisted = false;
    hr = profiles::DecodePersistMarker(reader, persisted);
    if (FAILED(hr))
        return hr;
    if (persisted && HasPersistStream(read.filter.Get())) {
        std::uint64_t end = 0;
        hr = LoadPersistedState(read.filter.Get(), stream.Get(), reader.Position(), end);
        if (FAILED(hr))
            return hr;
    }
    entry = std::move(read);
    return S_OK;
}

HRESULT ProfileFile::ReadFilterNames(FilterNames& names)
{
    FilterNames read;
    const std::pair<FilterStream, std::wstring*> targets[] = {
        {FilterStream::VideoCompressor, &read.videoCompressor},
        {FilterStream::AudioCompressor, &read.audioCompressor},
        {FilterStream::Mux, &read.mux},
    };
    for (const auto& [which, name] : targets) {
        ComPtr<IStream> stream;
        std::vector<std::uint8_t> bytes;
        HRESULT hr = ReadStream(FilterStreamName(which), stream, bytes);
        if (FAILED(hr))
            return hr;
        ByteReader reader(bytes);
        std::uint32_t version = 0;
        std::u16string friendlyName;
        hr = reader.ReadU32(version);
        if (SUCCEEDED(hr) && version != profiles::kStreamVersion)
            hr = E_FAIL;
        if (SUCCEEDED(hr))
            hr = reader.ReadString(friendlyName);
        if (FAILED(hr))
            return hr;
        *name = ToWide(friendlyName);
    }
    names = std::move(read);
    return S_OK;
}

HRESULT ProfileFile::WriteAudioFormatList(const std::vector<AudioFormatPair>& pairs)
{
    if (!IsOpen())
        return E_FAIL;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = profiles::EncodeAudioFormatList(pairs, bytes);
    if (FAILED(hr))
        return hr;
    return WriteStream(kAudioFormatListStream, bytes);
}

HRESULT ProfileFile::ReadAudioFormatList(std::vector<AudioFormatPair>& pairs, const AudioFormatDescriber& describe)
{
    ComPtr<IStream> stream;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadStream(kAudioFormatListStream, stream, bytes);
    if (FAILED(hr))
        return hr;
    std::vector<AudioFormatPair> read;
    hr = profiles::DecodeAudioFormatList(bytes, read);
    if (FAILED(hr))
        return hr;
    if (describe) {
        // Every present format holds at least a whole WAVEFORMATEX.
        for (AudioFormatPair& pair : read) {
            if (!pair.input.empty())
                pair.inputText = describe(*reinterpret_cast<const WAVEFORMATEX*>(pair.input.data()));
            if (!pair.output.empty())
                pair.outputText = describe(*reinterpret_cast<const WAVEFORMATEX*>(pair.output.data()));
        }
    }
    pairs = std::move(read);
    return S_OK;
}

HRESULT ProfileFile::WritePreviewFilters(const std::vector<FilterEntry>& entries)
{
    ComPtr<IStream> stream;
    HRESULT hr = CreateStream(kPreviewFiltersStream, stream);
    if (FAILED(hr))
        return hr;
    ByteWriter writer;
    profiles::EncodeFilterListHeader(writer, static_cast<std::uint32_t>(entries.size()));
    for (const FilterEntry& entry : entries) {
        profiles::EncodeFilterNames(writer, StoredNames(entry));
        IBaseFilter* filter = entry.IsNull() ? nullptr : entry.filter.Get();
        const bool persists = HasPersistStream(filter);
        profiles::EncodePersistMarker(writer, persists);
        if (!persists)
            continue;
        // The filter writes its data straight after what was gathered so far.
        hr = WriteAll(stream.Get(), writer.Take());
        if (SUCCEEDED(hr))
            hr = SavePersistedState(filter, stream.Get());
        if (FAILED(hr))
            return hr;
    }
    hr = WriteAll(stream.Get(), writer.Bytes());
    if (FAILED(hr))
        return hr;
    return stream->Commit(STGC_DEFAULT);
}

HRESULT ProfileFile::ReadPreviewFilters(bool loadStates, std::vector<FilterEntry>& entries)
{
    ComPtr<IStream> stream;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadStream(kPreviewFiltersStream, stream, bytes);
    if (FAILED(hr))
        return hr;
    ByteReader reader(bytes);
    std::uint32_t count = 0;
    hr = profiles::DecodeFilterListHeader(reader, count);
    if (FAILED(hr))
        return hr;
    std::vector<FilterEntry> read;
    for (std::uint32_t i = 0; i < count; ++i) {
        StoredFilterNames names;
        hr = profiles::DecodeFilterNames(reader, names);
        if (FAILED(hr))
            return hr;
        FilterEntry entry = EntryFromNames(names);
        if (!entry.IsNull()) {
            hr = BindFilterByDisplayName(entry.displayName, &entry.filter);
            if (FAILED(hr))
                return hr;
        }
        bool persisted = false;
        hr = profiles::DecodePersistMarker(reader, persisted);
        if (FAILED(hr))
            return hr;
        const bool loads = persisted && loadStates && HasPersistStream(entry.filter.Get());
        if (loads) {
            hr = LoadStateAt(entry.filter.Get(), stream.Get(), reader);
            if (FAILED(hr))
                return hr;
        }
        read.push_back(std::move(entry));
        // State data that is not loaded carries no length: nothing after it can be found.
        if (persisted && !loads)
            break;
    }
    entries = std::move(read);
    return S_OK;
}

HRESULT ProfileFile::ApplyPreviewFilterStates(const std::vector<FilterEntry>& entries)
{
    ComPtr<IStream> stream;
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadStream(kPreviewFiltersStream, stream, bytes);
    if (FAILED(hr))
        return hr;
    ByteReader reader(bytes);
    std::uint32_t count = 0;
    hr = profiles::DecodeFilterListHeader(reader, count);
    if (FAILED(hr))
        return hr;
    for (std::size_t i = 0; i < count && i < entries.size(); ++i) {
        StoredFilterNames names;
        hr = profiles::DecodeFilterNames(reader, names);
        if (FAILED(hr))
            return hr;
        if (!SameNames(names, entries[i]))
            return S_OK;
        bool persisted = false;
        hr = profiles::DecodePersistMarker(reader, persisted);
        if (FAILED(hr))
            return hr;
        if (!persisted)
            continue;
        IBaseFilter* filter = entries[i].IsNull() ? nullptr : entries[i].filter.Get();
        if (!HasPersistStream(filter))
            return S_OK;
        hr = LoadStateAt(filter, stream.Get(), reader);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}
