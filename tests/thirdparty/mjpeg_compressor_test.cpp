// The stand-in Motion JPEG compressor under Wine: what it takes, its driver state and
// persisted quality, and a recording through it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "MuxGraphSupport.h"
#include "CardRecording.h"
#include "StandinGraph.h"

#include <vfw.h>

namespace {

constexpr int kStateBytes = 12;
constexpr size_t kQualityOffset = 8;

AM_MEDIA_TYPE* NewVideoType(const GUID& subtype, DWORD fourcc, WORD bits, LONG width, LONG height)
{
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    *type = {};
    type->majortype = MEDIATYPE_Video;
    type->subtype = subtype;
    type->formattype = FORMAT_VideoInfo;
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    auto* info = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    *info = {};
    info->AvgTimePerFrame = 333667;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = bits;
    info->bmiHeader.biCompression = fourcc;
    info->bmiHeader.biSizeImage = static_cast<DWORD>(width * (height < 0 ? -height : height) * bits / 8);
    type->pbFormat = reinterpret_cast<BYTE*>(info);
    return type;
}

// The headers declare no uuidof for this interface: asked for by its IID.
HRESULT Dialogs(IBaseFilter* filter, ComPtr<IAMVfwCompressDialogs>& dialogs)
{
    return filter->QueryInterface(IID_IAMVfwCompressDialogs,
                                  reinterpret_cast<void**>(dialogs.ReleaseAndGetAddressOf()));
}

// Plays the user of the configuration dialog from another thread: types the quality and
// presses the button.
class QualityDialogUser {
public:
    QualityDialogUser(const wchar_t* text, int button) : text_(text), button_(button)
    {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~QualityDialogUser()
    {
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
    }
    bool found = false;

private:
    static constexpr int kQualityEdit = 1001;  // the dialog's quality box

    static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !GetDlgItem(window, kQualityEdit))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    static DWORD WINAPI Run(void* self)
    {
        auto* user = static_cast<QualityDialogUser*>(self);
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog; ++i) {
            Sleep(50);
            EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
        }
        if (!dialog)
            return 1;
        user->found = true;
        SetDlgItemTextW(dialog, kQualityEdit, user->text_);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(user->button_, BN_CLICKED), 0);
        return 0;
    }

    const wchar_t* text_;
    int button_;
    HANDLE thread_;
};

class MjpegCompressorTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        filter = CreateFilter(kClsidMjpegCompressor);
        ASSERT_TRUE(filter) << "StandinCodecs.dll is not registered";
        ASSERT_EQ(S_OK, Dialogs(filter.Get(), dialogs));
    }
    void TearDown() override
    {
        dialogs.Reset();
        filter.Reset();
        CoUninitialize();
    }

    std::array<BYTE, kStateBytes> State(IAMVfwCompressDialogs* from)
    {
        std::array<BYTE, kStateBytes> state{};
        int size = kStateBytes;
        EXPECT_EQ(S_OK, from->GetState(state.data(), &size));
        EXPECT_EQ(kStateBytes, size);
        return state;
    }

    ComPtr<IBaseFilter> filter;
    ComPtr<IAMVfwCompressDialogs> dialogs;
};

TEST_F(MjpegCompressorTest, TakesOnlyYuy2WithAnEvenWidth)
{
    ComPtr<IPin> input = FirstPin(filter.Get(), PINDIR_INPUT);
    AM_MEDIA_TYPE* yuy2 = NewVideoType(MEDIASUBTYPE_YUY2, MAKEFOURCC('Y', 'U', 'Y', '2'), 16, 720, 480);
    AM_MEDIA_TYPE* oddWidth = NewVideoType(MEDIASUBTYPE_YUY2, MAKEFOURCC('Y', 'U', 'Y', '2'), 16, 721, 480);
    AM_MEDIA_TYPE* rgb = NewVideoType(MEDIASUBTYPE_RGB24, BI_RGB, 24, 720, 480);
    AM_MEDIA_TYPE* uyvy = NewVideoType(MEDIASUBTYPE_UYVY, MAKEFOURCC('U', 'Y', 'V', 'Y'), 16, 720, 480);
    EXPECT_EQ(S_OK, input->QueryAccept(yuy2));
    for (AM_MEDIA_TYPE* refused : {oddWidth, rgb, uyvy})
        EXPECT_NE(S_OK, input->QueryAccept(refused));
    for (AM_MEDIA_TYPE* type : {yuy2, oddWidth, rgb, uyvy})
        DeleteType(type);
}

TEST_F(MjpegCompressorTest, DriverStateCarriesTheQuality)
{
    EXPECT_EQ(S_OK, dialogs->ShowDialog(VfwCompressDialog_QueryConfig, nullptr));
    EXPECT_EQ(S_OK, dialogs->ShowDialog(VfwCompressDialog_QueryAbout, nullptr));
    EXPECT_EQ(kStateBytes, dialogs->SendDriverMessage(ICM_GETSTATE, 0, 0));
    int size = 0;
    ASSERT_EQ(S_OK, dialogs->GetState(nullptr, &size));
    EXPECT_EQ(kStateBytes, size);
    BYTE small[4] = {};
    size = sizeof small;
    EXPECT_HRESULT_FAILED(dialogs->GetState(small, &size));

    std::array<BYTE, kStateBytes> state = State(dialogs.Get());
    EXPECT_EQ(0, std::memcmp(state.data(), "SMJP", 4));
    EXPECT_EQ(75, state[kQualityOffset]);  // the default
    state[kQualityOffset] = 40;
    ASSERT_EQ(S_OK, dialogs->SetState(state.data(), kStateBytes));
    EXPECT_EQ(state, State(dialogs.Get()));

    // Another instance takes the state as it was read.
    ComPtr<IAMVfwCompressDialogs> other;
    ASSERT_EQ(S_OK, Dialogs(CreateFilter(kClsidMjpegCompressor).Get(), other));
    ASSERT_EQ(S_OK, other->SetState(state.data(), kStateBytes));
    EXPECT_EQ(40, State(other.Get())[kQualityOffset]);

    // Damaged states leave the quality alone.
    std::array<BYTE, kStateBytes> damaged = state;
    damaged[0] = 'X';
    EXPECT_HRESULT_FAILED(dialogs->SetState(damaged.data(), kStateBytes));
    damaged = state;
    damaged[kQualityOffset] = 101;
    EXPECT_HRESULT_FAILED(dialogs->SetState(damaged.data(), kStateBytes));
    EXPECT_HRESULT_FAILED(dialogs->SetState(state.data(), kStateBytes - 1));
    EXPECT_EQ(40, State(dialogs.Get())[kQualityOffset]);
}

TEST_F(MjpegCompressorTest, TheConfigurationDialogChangesTheQualityOnOkOnly)
{
    {
        QualityDialogUser user(L"55", IDOK);
        EXPECT_EQ(S_OK, dialogs->ShowDialog(VfwCompressDialog_Config, nullptr));
        EXPECT_TRUE(user.found);
    }
    EXPECT_EQ(55, State(dialogs.Get())[kQualityOffset]);
    {
        QualityDialogUser user(L"20", IDCANCEL);
        EXPECT_EQ(S_OK, dialogs->ShowDialog(VfwCompressDialog_Config, nullptr));
    }
    EXPECT_EQ(55, State(dialogs.Get())[kQualityOffset]);
}

TEST_F(MjpegCompressorTest, PersistStreamKeepsTheQuality)
{
    std::array<BYTE, kStateBytes> state = State(dialogs.Get());
    state[kQualityOffset] = 33;
    ASSERT_EQ(S_OK, dialogs->SetState(state.data(), kStateBytes));
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, filter.As(&persist));
    EXPECT_EQ(S_OK, persist->IsDirty());
    ComPtr<IStream> saved = MemoryStream();
    ASSERT_EQ(S_OK, persist->Save(saved.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ComPtr<IBaseFilter> loaded = CreateFilter(kClsidMjpegCompressor);
    ComPtr<IPersistStream> loader;
    ASSERT_EQ(S_OK, loaded.As(&loader));
    Rewind(saved.Get());
    ASSERT_EQ(S_OK, loader->Load(saved.Get()));
    ComPtr<IAMVfwCompressDialogs> loadedDialogs;
    ASSERT_EQ(S_OK, Dialogs(loaded.Get(), loadedDialogs));
    EXPECT_EQ(33, State(loadedDialogs.Get())[kQualityOffset]);

    ComPtr<IStream> damaged = MemoryStream();
    damaged->Write("not a quality", 13, nullptr);
    Rewind(damaged.Get());
    EXPECT_HRESULT_FAILED(loader->Load(damaged.Get()));
    EXPECT_EQ(33, State(loadedDialogs.Get())[kQualityOffset]);
}

// The host check (check_standin_recordings.py) reads the note: MJPEG and mu-law stereo at 44100 Hz.
TEST_F(MjpegCompressorTest, RecordsTheCardThroughTrelvox)
{
    const std::wstring base = RecordingPath(L"standin_mjpeg_");
    ASSERT_EQ(S_OK, RecordCard(base, filter.Get(), CreateFilter(kClsidG711Compressor44k).Get(), nullptr, 3000));
    ASSERT_TRUE(FileExists(NumberedFile(base, 0)));
    WriteRecordingNote(NumberedFile(base, 0), "mjpeg 720 480 pcm_mulaw 2 44100");
}

}  // namespace
