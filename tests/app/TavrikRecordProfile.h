// The record profile the real Tavrik.exe reads, written by a test.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "IMuxConfig.h"
#include "MuxGraphSupport.h"
#include "avimux/core/MuxMode.h"
#include "profiles/CurrentProfiles.h"

namespace tavrik_test {

// Tavrik's data folder, made when missing, with the trailing backslash.
inline std::wstring DataFolder()
{
    wchar_t localAppData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData);
    const std::wstring folder = std::wstring(localAppData) + L"\\Tavrik\\Data\\";
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return folder;
}

inline std::wstring RecordProfilePath()
{
    return DataFolder() + L"CurrentRecord.dat";
}

inline std::wstring PreviewProfilePath()
{
    return DataFolder() + L"CurrentPreview.dat";
}

// Trelvox (or a multiplexer that is not installed) with the options, without compressors
// unless a video compressor's display name is given.
inline void WriteRecordProfile(const wchar_t* muxName, DWORD maxFiles = 0, DWORD maxFileSizeMb = 0,
                               const RecordOptions& options = {}, const wchar_t* videoCompressor = nullptr,
                               trelvox::MuxMode muxMode = trelvox::MuxMode::Avi1FileSet)
{
    RecordProfile profile;
    profile.options = options;
    profile.videoCompressor = {L"無圧縮", NullVideoDisplayName(), nullptr, nullptr};
    if (videoCompressor)
        profile.videoCompressor = {L"Compressor", videoCompressor, nullptr, nullptr};
    profile.audioCompressor = {L"PCM", NullAudioDisplayName(), nullptr, nullptr};
    profile.mux = {L"Pelkor AVI Mux", muxName, nullptr, nullptr};
    if (wcscmp(muxName, kMuxMonikerName) == 0) {
        ASSERT_EQ(S_OK, BindMuxByMoniker(&profile.mux.filter));
        ComPtr<IMuxConfig> config;
        ASSERT_HRESULT_SUCCEEDED(profile.mux.filter.As(&config));
        if (maxFiles) {
            ASSERT_EQ(S_OK, config->SetMaxFiles(maxFiles));
        }
        if (maxFileSizeMb) {
            ASSERT_EQ(S_OK, config->SetMaxFileSize(maxFileSizeMb));
        }
        ASSERT_EQ(S_OK, config->SetMuxMode(static_cast<DWORD>(muxMode)));
    }
    ASSERT_HRESULT_SUCCEEDED(::WriteRecordProfile(RecordProfilePath(), profile));
}

}  // namespace tavrik_test
