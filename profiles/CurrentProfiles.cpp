#include "CurrentProfiles.h"

namespace {

constexpr wchar_t kStagedSuffix[] = L".new";

// Writes the new profile beside the old one and moves it into place only when whole,
// so a failure at any step leaves the old file as it was.
HRESULT ReplaceProfile(const std::wstring& path, const std::function<HRESULT(ProfileFile&)>& write)
{
    if (path.empty())
        return E_FAIL;
    const std::wstring staged = path + kStagedSuffix;
    HRESULT hr = S_OK;
    {
        ProfileFile file;
        hr = file.Create(staged);
        if (SUCCEEDED(hr))
            hr = write(file);
        if (SUCCEEDED(hr))
            hr = file.Close();
    }
    if (SUCCEEDED(hr) && !MoveFileExW(staged.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr))
        DeleteFileW(staged.c_str());
    return hr;
}

}  // namespace

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
    return ReplaceProfile(path, [&](ProfileFile& file) {
        HRESULT hr = file.WriteRecordOptions(profile.options);
        if (SUCCEEDED(hr))
            hr = file.WriteFilter(FilterStream::VideoCompressor, profile.videoCompressor);
        if (SUCCEEDED(hr))
            hr = file.WriteFilter(FilterStream::AudioCompressor, profile.audioCompressor);
        if (SUCCEEDED(hr) && !profile.audioFormats.empty())
            hr = file.WriteAudioFormatList(profile.audioFormats);
        if (SUCCEEDED(hr))
            hr = file.WriteFilter(FilterStream::Mux, profile.mux);
        return hr;
    });
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
    return ReplaceProfile(path, [&](ProfileFile& file) {
        const HRESULT hr = file.WritePreviewOptions(profile.options);
        return SUCCEEDED(hr) ? file.WritePreviewFilters(profile.filters) : hr;
    });
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
