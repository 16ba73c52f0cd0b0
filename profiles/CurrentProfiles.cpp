#include "CurrentProfiles.h"

HRESULT ReadRecordProfile(const std::wstring& path, RecordProfile& profile, const AudioFormatDescriber& describe)
{
    ProfileFile file;
    HRESULT hr = file.Open(path);
    if (FAILED(hr))
        return hr;
    RecordProfile read;
    if (FAILED(file.ReadRecordOptions(read.options)))
        read.options = RecordOptions{};
    hr = file.ReadFilter(FilterStream::Mux, read.mux);
    if (SUCCEEDED(hr))
        hr = file.ReadFilter(FilterStream::VideoCompressor, read.videoCompressor);
    if (SUCCEEDED(hr))
        hr = file.ReadFilter(FilterStream::AudioCompressor, read.audioCompressor);
    if (FAILED(hr))
        return hr;
    if (FAILED(file.ReadAudioFormatList(read.audioFormats, describe)))
        read.audioFormats.clear();
    hr = file.Close();
    if (SUCCEEDED(hr))
        profile = std::move(read);
    return hr;
}

HRESULT WriteRecordProfile(const std::wstring& path, const RecordProfile& profile)
{
    ProfileFile file;
    HRESULT hr = file.Create(path);
    if (SUCCEEDED(hr))
        hr = file.WriteRecordOptions(profile.options);
    if (SUCCEEDED(hr))
        hr = file.WriteFilter(FilterStream::VideoCompressor, profile.videoCompressor);
    if (SUCCEEDED(hr))
        hr = file.WriteFilter(FilterStream::AudioCompressor, profile.audioCompressor);
    if (SUCCEEDED(hr) && !profile.audioFormats.empty())
        hr = file.WriteAudioFormatList(profile.audioFormats);
    if (SUCCEEDED(hr))
        hr = file.WriteFilter(FilterStream::Mux, profile.mux);
    if (SUCCEEDED(hr))
        hr = file.Close();
    return hr;
}

HRESULT ReadRecordFilterNames(const std::wstring& path, FilterNames& names)
{
    ProfileFile file;
    HRESULT hr = file.Open(path);
    if (SUCCEEDED(hr))
        hr = file.ReadFilterNames(names);
    return hr;
}

HRESULT ReadPreviewProfile(const std::wstring& path, PreviewProfile& profile)
{
    ProfileFile file;
    HRESULT hr = file.Open(path);
    if (FAILED(hr))
        return hr;
    PreviewProfile read;
    read.optionsRead = SUCCEEDED(file.ReadPreviewOptions(read.options));
    if (!read.optionsRead)
        read.options = PreviewOptions{};
    hr = file.ReadPreviewFilters(true, read.filters);
    if (SUCCEEDED(hr))
        profile = std::move(read);
    return hr;
}

HRESULT WritePreviewProfile(const std::wstring& path, const PreviewProfile& profile)
{
    ProfileFile file;
    HRESULT hr = file.Create(path);
    if (SUCCEEDED(hr))
        hr = file.WritePreviewOptions(profile.options);
    if (SUCCEEDED(hr))
        hr = file.WritePreviewFilters(profile.filters);
    if (SUCCEEDED(hr))
        hr = file.Close();
    return hr;
}

HRESULT ReadPreviewProfileForGraph(const std::wstring& path, const PreviewGraphSteps& steps, PreviewProfile& profile)
{
    ProfileFile file;
    const bool opened = SUCCEEDED(file.Open(path));
    PreviewProfile read;
    read.optionsRead = opened && SUCCEEDED(file.ReadPreviewOptions(read.options));
    if (!read.optionsRead)
        read.options = PreviewOptions{};
    const bool wanted = steps.wantsFilters && steps.wantsFilters(read.optionsRead ? &read.options : nullptr);
    // A list whose first filter cannot be bound counts as no list.
    if (opened && wanted &&
        (FAILED(file.ReadPreviewFilters(false, read.filters)) || read.filters.empty() || !read.filters.front().filter))
        read.filters.clear();
    HRESULT hr = steps.insertFilters ? steps.insertFilters(read.filters) : S_OK;
    if (SUCCEEDED(hr) && !read.filters.empty())
        hr = file.ApplyPreviewFilterStates(read.filters);
    profile = std::move(read);
    return hr;
}
