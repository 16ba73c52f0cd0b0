// Writes one profile of every kind into profile-samples/ (beside the test's
// working folder) for check_profile_bytes.py, which reads them with olefile.
#include "ProfileTestSupport.h"

#include "profiles/CurrentProfiles.h"

namespace {

class ProfileSamples : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { CoUninitialize(); }
    std::wstring File(const wchar_t* name) const { return (folder_ / name).wstring(); }

    std::filesystem::path folder_ = std::filesystem::current_path() / "profile-samples";
};

FilterEntry Filter(const wchar_t* friendlyName, const wchar_t* displayName, const CLSID& clsid)
{
    return {friendlyName, displayName, nullptr, CreateTestFilter(clsid)};
}

TEST_F(ProfileSamples, RecordProfileWithEveryStream)
{
    RecordProfile profile;
    profile.options.noPreviewWhileRecording = 1;
    profile.options.swapAudioChannels = 1;
    profile.options.priorityClass = 128;
    profile.videoCompressor = Filter(L"Test VfW Codec", kVfwTestFilterName, kClsidVfwTestFilter);
    SetBlob(profile.videoCompressor.filter.Get(), kDriverBlob, std::string("DRIVER-STATE\0\1\2", 15));
    SetBlob(profile.videoCompressor.filter.Get(), kPersistedBlob, "never stored");
    profile.audioCompressor = Filter(L"", kPersistTestFilterName, kClsidPersistTestFilter);
    SetBlob(profile.audioCompressor.filter.Get(), kPersistedBlob, "AUDIO-STATE");
    profile.mux = Filter(L"Mux Filter", kPersistTestFilterName, kClsidPersistTestFilter);
    SetBlob(profile.mux.filter.Get(), kPersistedBlob, "MUX");
    profile.audioFormats.resize(2);
    profile.audioFormats[0].input = WaveFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    profile.audioFormats[0].output = WaveFormat(0x55, 2, 48000, 0, Bytes(12, 0xAB));
    profile.audioFormats[1].input = WaveFormat(WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(File(L"record.dat"), profile));
}

TEST_F(ProfileSamples, RecordProfileWithoutCompressors)
{
    RecordProfile profile;
    profile.videoCompressor = {L" 無圧縮", NullVideoDisplayName(), nullptr, nullptr};
    profile.audioCompressor = {L" 無圧縮", NullAudioDisplayName(), nullptr, nullptr};
    profile.mux = Filter(L"Plain Mux", kPlainTestFilterName, kClsidPlainTestFilter);
    ASSERT_HRESULT_SUCCEEDED(WriteRecordProfile(File(L"record-null.dat"), profile));
    // A write that fails at its last stream leaves the file for olefile as it was.
    profile.options.priorityClass = 256;
    profile.mux = {L"Plain Mux", NullAudioDisplayName(), nullptr, nullptr};
    EXPECT_EQ(E_INVALIDARG, WriteRecordProfile(File(L"record-null.dat"), profile));
}

TEST_F(ProfileSamples, VideoCompressorWhoseGetStateFails)
{
    FilterEntry video = Filter(L"Broken Codec", kVfwTestFilterName, kClsidVfwTestFilter);
    SetBlob(video.filter.Get(), kDriverBlob, "size only");
    ASSERT_HRESULT_SUCCEEDED(Control(video.filter.Get())->SetGetStateFails(TRUE));
    ProfileFile file;
    ASSERT_HRESULT_SUCCEEDED(file.Create(File(L"record-getstate.dat")));
    ASSERT_HRESULT_SUCCEEDED(file.WriteFilter(FilterStream::VideoCompressor, video));
    ASSERT_HRESULT_SUCCEEDED(file.Close());
}

TEST_F(ProfileSamples, PreviewProfiles)
{
    PreviewProfile profile;
    profile.options.deinterlaceInterlacedModes = 1;
    profile.options.deinterlaceWhileRecording = 1;
    profile.options.priorityClass = 256;
    profile.filters = {Filter(L"Deinterlace", kPersistTestFilterName, kClsidPersistTestFilter)};
    SetBlob(profile.filters[0].filter.Get(), kPersistedBlob, "BOB");
    ASSERT_HRESULT_SUCCEEDED(WritePreviewProfile(File(L"preview.dat"), profile));

    PreviewProfile none;
    none.filters = {{L" 無圧縮", NullVideoDisplayName(), nullptr, nullptr}};
    ASSERT_HRESULT_SUCCEEDED(WritePreviewProfile(File(L"preview-null.dat"), none));
}

}  // namespace
