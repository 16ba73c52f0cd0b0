// The registered "Pelkor AVI Mux" as a COM object and a filter: its pins and types,
// the file sink rules, protect, persistence, settings, and a recording ended by a
// sample without a time stamp.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "IMuxConfig.h"
#include "IMuxTimeShift.h"
#include "MuxGraphSupport.h"
#include "MuxGuids.h"
#include "TestFilters.h"

#include <dvdmedia.h>

namespace {

class MuxFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        ASSERT_EQ(S_OK, BindMuxByMoniker(&mux));
        ASSERT_HRESULT_SUCCEEDED(mux.As(&sink));
        ASSERT_HRESULT_SUCCEEDED(mux.As(&config));
    }

    void TearDown() override
    {
        if (mux)
            mux->Stop();
        graph = MuxGraph{};
        sourceRef.Reset();
        config.Reset();
        sink.Reset();
        mux.Reset();
        CoUninitialize();
    }

    void BuildGraph(LONG width, LONG height, const StreamPlan& video, const StreamPlan& audio)
    {
        source = MuxTestSource::Create(width, height, video, audio);
        sourceRef = source;
        ASSERT_EQ(S_OK, graph.Build(source, mux.Get()));
    }

    ComPtr<IBaseFilter> mux;
    ComPtr<IFileSinkFilter2> sink;
    ComPtr<IMuxConfig> config;
    MuxTestSource* source = nullptr;
    ComPtr<IBaseFilter> sourceRef;
    MuxGraph graph;
};

std::wstring PinName(IPin* pin)
{
    PIN_INFO info{};
    pin->QueryPinInfo(&info);
    if (info.pFilter)
        info.pFilter->Release();
    return info.achName;
}

TEST_F(MuxFilterTest, HasFourPinsAndAnswersItsInterfacesAsOneObject)
{
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, mux->EnumPins(&pins));
    const wchar_t* names[] = {L"Video", L"Audio", L"~Video", L"~Audio"};
    const PIN_DIRECTION directions[] = {PINDIR_INPUT, PINDIR_INPUT, PINDIR_OUTPUT, PINDIR_OUTPUT};
    for (int i = 0; i < 4; ++i) {
        ComPtr<IPin> pin;
        ASSERT_EQ(S_OK, pins->Next(1, &pin, nullptr)) << i;
        EXPECT_EQ(names[i], PinName(pin.Get()));
        PIN_DIRECTION dir;
        pin->QueryDirection(&dir);
        EXPECT_EQ(directions[i], dir);
    }
    ComPtr<IPin> extra;
    EXPECT_EQ(S_FALSE, pins->Next(1, &extra, nullptr)) << "no fifth pin";

    CLSID clsid{};
    ComPtr<IPersistStream> persist;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&persist));
    ASSERT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_EQ(CLSID_PelkorAviMux, clsid);

    ComPtr<IUnknown> identity, viaSeeking, viaTimeShift;
    mux.As(&identity);
    ComPtr<IMediaSeeking> seeking;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&seeking)) << "position pass-through";
    seeking.As(&viaSeeking);
    EXPECT_EQ(identity.Get(), viaSeeking.Get());
    ComPtr<IMediaPosition> position;
    EXPECT_HRESULT_SUCCEEDED(
        mux->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(position.GetAddressOf())));
    ComPtr<IMuxTimeShift> timeShift;
    ASSERT_EQ(S_OK, mux->QueryInterface(IID_IMuxTimeShift, reinterpret_cast<void**>(timeShift.GetAddressOf())));
    timeShift.As(&viaTimeShift);
    EXPECT_EQ(identity.Get(), viaTimeShift.Get());
    ComPtr<IFileSinkFilter> plainSink;
    EXPECT_HRESULT_SUCCEEDED(mux.As(&plainSink));
    EXPECT_EQ(E_POINTER, mux->QueryInterface(IID_IBaseFilter, nullptr));

    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&pages));
    CAUUID list{};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(4u, list.cElems);
    EXPECT_EQ(CLSID_MuxCommonPage, list.pElems[0]);
    EXPECT_EQ(CLSID_MuxAvi1Page, list.pElems[1]);
    EXPECT_EQ(CLSID_MuxStatisticsPage, list.pElems[2]);
    EXPECT_EQ(CLSID_MuxTimeShiftPage, list.pElems[3]);
    CoTaskMemFree(list.pElems);
    EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
}

TEST_F(MuxFilterTest, InputPinsAcceptOnlyTheirOwnTypes)
{
    ComPtr<IPin> video = PinByName(mux.Get(), L"Video");
    ComPtr<IPin> audio = PinByName(mux.Get(), L"Audio");
    ASSERT_TRUE(video && audio);
    const CMediaType yuy2 = MakeYuy2Type(720, 480, kNtscFrame);
    const CMediaType pcm = MakePcmType();
    EXPECT_EQ(S_OK, video->QueryAccept(&yuy2));
    EXPECT_EQ(S_OK, audio->QueryAccept(&pcm));

    CMediaType vih2(&MEDIATYPE_Video);
    vih2.SetFormatType(&FORMAT_VideoInfo2);
    auto* v2 = reinterpret_cast<VIDEOINFOHEADER2*>(vih2.AllocFormatBuffer(sizeof(VIDEOINFOHEADER2)));
    std::memset(v2, 0, sizeof *v2);
    v2->AvgTimePerFrame = kNtscFrame;
    v2->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    v2->bmiHeader.biWidth = 1920;
    v2->bmiHeader.biHeight = 1080;
    EXPECT_EQ(S_OK, video->QueryAccept(&vih2)) << "VideoInfo2, any subtype";

    CMediaType mpeg2(&MEDIATYPE_Video);
    mpeg2.SetSubtype(&MEDIASUBTYPE_MPEG2_VIDEO);
    mpeg2.SetFormatType(&FORMAT_MPEG2Video);
    mpeg2.AllocFormatBuffer(sizeof(MPEG2VIDEOINFO));
    std::memset(mpeg2.Format(), 0, sizeof(MPEG2VIDEOINFO));
    EXPECT_NE(S_OK, video->QueryAccept(&mpeg2));
    EXPECT_NE(S_OK, video->QueryAccept(&pcm));
    EXPECT_NE(S_OK, audio->QueryAccept(&yuy2));

    CMediaType truncated = MakeYuy2Type(720, 480, kNtscFrame);
    truncated.cbFormat = 40;  // cut off before the bitmap header
    EXPECT_NE(S_OK, video->QueryAccept(&truncated));

    // No frame duration: taken all the same, the recording looks upstream and at the samples.
    const CMediaType untimed = MakeYuy2Type(720, 480, 0);
    EXPECT_EQ(S_OK, video->QueryAccept(&untimed));
    CMediaType negative = MakeYuy2Type(720, 480, kNtscFrame);
    reinterpret_cast<VIDEOINFOHEADER*>(negative.Format())->AvgTimePerFrame = -1;
    EXPECT_EQ(S_OK, video->QueryAccept(&negative));

    // A real connection attempt with the MPEG-2 type is refused and leaves the pin free.
    source = MuxTestSource::Create(720, 480, StreamPlan{}, StreamPlan{false});
    sourceRef = source;
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, video->ReceiveConnection(PinByName(source, L"Video").Get(), &mpeg2));
    ComPtr<IPin> peer;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, video->ConnectedTo(&peer));
}

TEST_F(MuxFilterTest, FileNameRules)
{
    LPOLESTR name = nullptr;
    ASSERT_EQ(S_OK, sink->GetCurFile(&name, nullptr));
    EXPECT_EQ(nullptr, name) << "none at construction";
    EXPECT_EQ(E_POINTER, sink->SetFileName(nullptr, nullptr));
    EXPECT_EQ(E_POINTER, sink->GetCurFile(nullptr, nullptr));

    const std::wstring longest = L"C:\\" + std::wstring(249, L'a');
    ASSERT_EQ(252u, longest.size());
    EXPECT_EQ(S_OK, sink->SetFileName(longest.c_str(), nullptr));
    EXPECT_EQ(static_cast<HRESULT>(0x800700CE), sink->SetFileName((longest + L"b").c_str(), nullptr));
    AM_MEDIA_TYPE mt;
    std::memset(&mt, 0xAB, sizeof mt);
    ASSERT_EQ(S_OK, sink->GetCurFile(&name, &mt));
    EXPECT_EQ(longest, name) << "a refused name leaves the old one";
    CoTaskMemFree(name);
    EXPECT_EQ(GUID_NULL, mt.majortype);
    EXPECT_EQ(0u, mt.cbFormat);

    DWORD mode = 7;
    ASSERT_EQ(S_OK, sink->GetMode(&mode));
    EXPECT_EQ(0u, mode);
    EXPECT_EQ(E_INVALIDARG, sink->SetMode(2));
    EXPECT_EQ(S_OK, sink->SetMode(AM_FILE_OVERWRITE));
    ASSERT_EQ(S_OK, sink->GetMode(&mode));
    EXPECT_EQ(static_cast<DWORD>(AM_FILE_OVERWRITE), mode);
}

TEST_F(MuxFilterTest, PauseFailsWithoutANameOrWhenTheFilesCannotBeMade)
{
    EXPECT_EQ(static_cast<HRESULT>(0x8007007B), mux->Pause()) << "no name";
    FILTER_STATE state = State_Running;
    mux->GetState(0, &state);
    EXPECT_EQ(State_Stopped, state);

    const std::wstring missing = RecordingPath(L"no-such-folder\\take");
    ASSERT_EQ(S_OK, sink->SetFileName(missing.c_str(), nullptr));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), mux->Pause());
    EXPECT_FALSE(FileExists(RecordingPath(L"no-such-folder")));

    // The sixth file of the set is blocked by a folder of its name: the set is not
    // made, and none of the five files made before it stays behind.
    const std::wstring blocked = RecordingPath(L"blocked");
    DeleteRecording(blocked);
    ASSERT_TRUE(CreateDirectoryW((blocked + L"005.avi").c_str(), nullptr));
    ASSERT_EQ(S_OK, sink->SetFileName(blocked.c_str(), nullptr));
    const HRESULT hr = mux->Pause();
    RemoveDirectoryW((blocked + L"005.avi").c_str());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(FACILITY_WIN32, HRESULT_FACILITY(hr)) << std::hex << hr;
    for (const wchar_t* file : {L"000.avi", L"001.avi", L"004.avi", L"006.avi"})
        EXPECT_FALSE(FileExists(blocked + file)) << "stray file " << static_cast<const void*>(file);
}

TEST_F(MuxFilterTest, ProtectAfterEveryStopKeepsTheNextRunFromWriting)
{
    const std::wstring base = RecordingPath(L"protect");
    DeleteRecording(base);
    ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
    BOOL protect = TRUE;
    ASSERT_EQ(S_OK, config->GetProtect(&protect));
    EXPECT_FALSE(protect);

    ASSERT_EQ(S_OK, mux->Pause());
    EXPECT_EQ(VFW_E_FILTER_ACTIVE, sink->SetFileName(base.c_str(), nullptr)) << "while prepared";
    EXPECT_TRUE(FileExists(base + L"039.avi")) << "the whole set is made at preparation";
    ASSERT_EQ(S_OK, mux->Stop());
    EXPECT_TRUE(FileExists(base + L"000.avi"));
    EXPECT_FALSE(FileExists(base + L"001.avi")) << "unused files are deleted";
    ASSERT_EQ(S_OK, config->GetProtect(&protect));
    EXPECT_TRUE(protect);

    // Protected: Pause, Run and Stop touch no file, and the name may change meanwhile.
    DeleteRecording(base);
    ASSERT_EQ(S_OK, mux->Pause());
    EXPECT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
    ASSERT_HRESULT_SUCCEEDED(mux->Run(0));
    ASSERT_EQ(S_OK, mux->Stop());
    EXPECT_FALSE(FileExists(base + L"000.avi"));

    ASSERT_EQ(S_OK, config->SetProtect(FALSE));
    ASSERT_EQ(S_OK, mux->Pause());
    ASSERT_EQ(S_OK, mux->Stop());
    EXPECT_TRUE(FileExists(base + L"000.avi")) << "recording again once protect is cleared";
    DeleteRecording(base);
}

TEST_F(MuxFilterTest, SavesExactly180BytesAndLoadsThemBounded)
{
    ComPtr<IPersistStream> persist;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&persist));
    ULARGE_INTEGER size{};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(180u, size.QuadPart);
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ASSERT_EQ(S_OK, config->SetMaxFiles(7));
    ASSERT_EQ(S_OK, config->SetDropThreshold(0.25));
    EXPECT_EQ(S_OK, persist->IsDirty());

    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    ASSERT_EQ(180u, stat.cbSize.QuadPart);
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream.Get(), &memory);
    auto* bytes = static_cast<BYTE*>(GlobalLock(memory));
    EXPECT_EQ(0, std::memcmp(bytes, L"00000000000 ", 24));
    DWORD maxFiles = 0;
    std::memcpy(&maxFiles, bytes + 24, 4);
    EXPECT_EQ(7u, maxFiles);
    std::memset(bytes + 24, 0, 4);  // max files 0: loaded as 1
    GlobalUnlock(memory);

    ComPtr<IBaseFilter> other;
    ASSERT_EQ(S_OK, BindMuxByMoniker(&other));
    ComPtr<IPersistStream> otherPersist;
    ComPtr<IMuxConfig> otherConfig;
    other.As(&otherPersist);
    other.As(&otherConfig);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, otherPersist->Load(stream.Get()));
    ASSERT_EQ(S_OK, otherConfig->GetMaxFiles(&maxFiles));
    EXPECT_EQ(1u, maxFiles);
    double threshold = 0;
    ASSERT_EQ(S_OK, otherConfig->GetDropThreshold(&threshold));
    EXPECT_EQ(0.25, threshold);

    // A stream cut short is refused and changes nothing.
    ComPtr<IStream> shortStream;
    CreateStreamOnHGlobal(nullptr, TRUE, &shortStream);
    shortStream->Write(L"00000000000 ", 24, nullptr);
    shortStream->Write(bytes, 100, nullptr);
    shortStream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_HRESULT_FAILED(otherPersist->Load(shortStream.Get()));
    ASSERT_EQ(S_OK, otherConfig->GetDropThreshold(&threshold));
    EXPECT_EQ(0.25, threshold);
}

TEST_F(MuxFilterTest, SettersClampAndRestoreDefaultsKeepsFileModeAndProtect)
{
    DWORD value = 0, second = 0;
    ASSERT_EQ(S_OK, config->SetMaxFileSize(5));
    ASSERT_EQ(S_OK, config->GetMaxFileSize(&value));
    EXPECT_EQ(10u, value);
    ASSERT_EQ(S_OK, config->SetMaxFileSize(4000));
    ASSERT_EQ(S_OK, config->GetMaxFileSize(&value));
    EXPECT_EQ(2048u, value);
    ASSERT_EQ(S_OK, config->SetMaxFiles(0));
    ASSERT_EQ(S_OK, config->GetMaxFiles(&value));
    EXPECT_EQ(1u, value);
    ASSERT_EQ(S_OK, config->SetBufferCounts(0, 9));
    ASSERT_EQ(S_OK, config->GetBufferCounts(&value, &second));
    EXPECT_EQ(1u, value);
    EXPECT_EQ(9u, second);
    double threshold = 1;
    ASSERT_EQ(S_OK, config->SetDropThreshold(-1.0));
    ASSERT_EQ(S_OK, config->GetDropThreshold(&threshold));
    EXPECT_EQ(0.0, threshold);
    LONGLONG duration = 0;
    BOOL enabled = FALSE;
    ASSERT_EQ(S_OK, config->SetFrameDurationOverride(-5, TRUE));
    ASSERT_EQ(S_OK, config->GetFrameDurationOverride(&duration, &enabled));
    EXPECT_EQ(1, duration);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(E_POINTER, config->GetBufferCounts(&value, nullptr));
    EXPECT_EQ(E_POINTER, config->GetCounts(&value, &value, &value, nullptr));
    EXPECT_EQ(E_POINTER, (config->CheckPointer)(nullptr));
    EXPECT_EQ(S_OK, (config->CheckPointer)(&value));

    ASSERT_EQ(S_OK, sink->SetMode(AM_FILE_OVERWRITE));
    ASSERT_EQ(S_OK, config->SetProtect(TRUE));
    ASSERT_EQ(S_OK, config->SetMuxMode(1));
    ASSERT_EQ(S_OK, config->RestoreDefaults());
    ASSERT_EQ(S_OK, config->GetMaxFileSize(&value));
    EXPECT_EQ(2048u, value);
    ASSERT_EQ(S_OK, config->GetMuxMode(&value));
    EXPECT_EQ(0u, value);
    ASSERT_EQ(S_OK, config->GetFrameDurationOverride(&duration, &enabled));
    EXPECT_EQ(333667, duration);
    EXPECT_FALSE(enabled);
    ASSERT_EQ(S_OK, sink->GetMode(&value));
    EXPECT_EQ(static_cast<DWORD>(AM_FILE_OVERWRITE), value);
    ASSERT_EQ(S_OK, config->GetProtect(&enabled));
    EXPECT_TRUE(enabled);
}

// The 156-byte settings block as Save writes it (which also clears the dirty flag).
std::vector<BYTE> SavedBlock(IBaseFilter* filter)
{
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> stream;
    if (FAILED(filter->QueryInterface(IID_PPV_ARGS(&persist))) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || persist->Save(stream.Get(), TRUE) != S_OK)
        return {};
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream.Get(), &memory);
    const auto* bytes = static_cast<const BYTE*>(GlobalLock(memory));
    std::vector<BYTE> block(bytes + 24, bytes + 180);
    GlobalUnlock(memory);
    return block;
}

uint64_t Field(const std::vector<BYTE>& block, size_t offset, size_t bytes)
{
    uint64_t value = 0;
    if (offset + bytes <= block.size())
        std::memcpy(&value, &block[offset], bytes);
    return value;
}

uint64_t Bits(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return bits;
}

// Every setter stores its clamped value in its own field of the persisted block, marks
// the settings dirty, and its getter gives the value back.
TEST_F(MuxFilterTest, EverySetterStoresItsClampedFieldAndMarksDirty)
{
    ComPtr<IPersistStream> persist;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&persist));
    DWORD a = 0, b = 0;
    double real = 0;
    LONGLONG time = 0;
    BOOL flag = FALSE, other = FALSE;
    struct Stored {
        size_t offset, bytes;
        uint64_t value;
    };
    struct Case {
        const char* call;
        std::function<HRESULT()> set;
        std::vector<Stored> stored;
        std::function<bool()> readBack;
    };
    const Case cases[] = {
        {"SetMaxFiles(0)",
         [&] { return config->SetMaxFiles(0); },
         {{0, 4, 1}},
         [&] { return config->GetMaxFiles(&a) == S_OK && a == 1; }},
        {"SetMaxFileSize(5)",
         [&] { return config->SetMaxFileSize(5); },
         {{4, 4, 9u << 20}},
         [&] { return config->GetMaxFileSize(&a) == S_OK && a == 10; }},
        {"SetMaxFileSize(11)",
         [&] { return config->SetMaxFileSize(11); },
         {{4, 4, 10u << 20}},
         [&] { return config->GetMaxFileSize(&a) == S_OK && a == 11; }},
        {"SetMaxFileSize(4000)",
         [&] { return config->SetMaxFileSize(4000); },
         {{4, 4, 0x7FF00000}},
         [&] { return config->GetMaxFileSize(&a) == S_OK && a == 2048; }},
        {"SetMaxFileSize(0)",
         [&] { return config->SetMaxFileSize(0); },
         {{4, 4, 9u << 20}},
         [&] { return config->GetMaxFileSize(&a) == S_OK && a == 10; }},
        {"SetMaxFileSize(2048)",
         [&] { return config->SetMaxFileSize(2048); },
         {{4, 4, 0x7FF00000}},
         [&] { return config->GetMaxFileSize(&a) == S_OK && a == 2048; }},
        {"SetBufferCounts(0, 0)",
         [&] { return config->SetBufferCounts(0, 0); },
         {{8, 4, 1}, {12, 4, 1}},
         [&] { return config->GetBufferCounts(&a, &b) == S_OK && a == 1 && b == 1; }},
        {"SetSplitCounts(0, 0)",
         [&] { return config->SetSplitCounts(0, 0); },
         {{16, 4, 1}, {20, 4, 1}},
         [&] { return config->GetSplitCounts(&a, &b) == S_OK && a == 1 && b == 1; }},
        {"SetSplitCounts(300, 20)",
         [&] { return config->SetSplitCounts(300, 20); },
         {{16, 4, 300}, {20, 4, 20}},
         [&] { return config->GetSplitCounts(&a, &b) == S_OK && a == 300 && b == 20; }},
        {"SetDropThreshold(-0.1)",
         [&] { return config->SetDropThreshold(-0.1); },
         {{24, 8, Bits(0.0)}},
         [&] { return config->GetDropThreshold(&real) == S_OK && real == 0.0; }},
        {"SetDropThreshold(0.75)",
         [&] { return config->SetDropThreshold(0.75); },
         {{24, 8, Bits(0.75)}},
         [&] { return config->GetDropThreshold(&real) == S_OK && real == 0.75; }},
        {"SetWriteCounts(0, 0)",
         [&] { return config->SetWriteCounts(0, 0); },
         {{32, 4, 1}, {36, 4, 1}},
         [&] { return config->GetWriteCounts(&a, &b) == S_OK && a == 1 && b == 1; }},
        {"SetDriftPrevention(TRUE)",
         [&] { return config->SetDriftPrevention(TRUE); },
         {{40, 4, 1}},
         [&] { return config->GetDriftPrevention(&flag) == S_OK && flag; }},
        {"SetDriftThreshold(-3)",
         [&] { return config->SetDriftThreshold(-3); },
         {{44, 8, Bits(0.0)}},
         [&] { return config->GetDriftThreshold(&real) == S_OK && real == 0.0; }},
        {"SetDriftThreshold(NaN), as a loaded NaN",
         [&] { return config->SetDriftThreshold(std::numeric_limits<double>::quiet_NaN()); },
         {{44, 8, Bits(0.0)}},
         [&] { return config->GetDriftThreshold(&real) == S_OK && real == 0.0; }},
        {"SetDriftSensitivity(0)",
         [&] { return config->SetDriftSensitivity(0); },
         {{52, 4, 1}},
         [&] { return config->GetDriftSensitivity(&a) == S_OK && a == 1; }},
        {"SetDriftStartTime(-1)",
         [&] { return config->SetDriftStartTime(-1); },
         {{56, 8, 0}},
         [&] { return config->GetDriftStartTime(&time) == S_OK && time == 0; }},
        {"SetDriftStartTime(12345678901)",
         [&] { return config->SetDriftStartTime(12345678901); },
         {{56, 8, 12345678901}},
         [&] { return config->GetDriftStartTime(&time) == S_OK && time == 12345678901; }},
        {"SetMuxMode(1)",
         [&] { return config->SetMuxMode(1); },
         {{64, 4, 1}},
         [&] { return config->GetMuxMode(&a) == S_OK && a == 1; }},
        {"SetSplitMode(2)",
         [&] { return config->SetSplitMode(2); },
         {{68, 4, 2}},
         [&] { return config->GetSplitMode(&a) == S_OK && a == 2; }},
        {"SetDelayProcessing(3, 2)",
         [&] { return config->SetDelayProcessing(3, 2); },
         {{72, 4, 3}, {76, 4, 2}},
         [&] { return config->GetDelayProcessing(&a, &b) == S_OK && a == 3 && b == 2; }},
        {"SetTimeProperty(2, 0)",
         [&] { return config->SetTimeProperty(2, 0); },
         {{80, 4, 2}, {84, 4, 0}},
         [&] { return config->GetTimeProperty(&a, &b) == S_OK && a == 2 && b == 0; }},
        {"SetFirstFrameNotDropped(FALSE)",
         [&] { return config->SetFirstFrameNotDropped(FALSE); },
         {{88, 4, 0}},
         [&] { return config->GetFirstFrameNotDropped(&flag) == S_OK && !flag; }},
        {"SetForcedAudioSync(TRUE)",
         [&] { return config->SetForcedAudioSync(TRUE); },
         {{92, 4, 1}},
         [&] { return config->GetForcedAudioSync(&flag) == S_OK && flag; }},
        {"SetZeroFillJunk(FALSE)",
         [&] { return config->SetZeroFillJunk(FALSE); },
         {{96, 4, 0}},
         [&] { return config->GetZeroFillJunk(&flag) == S_OK && !flag; }},
        {"SetMeasureRates(1, 1)",
         [&] { return config->SetMeasureRates(1, 1); },
         {{100, 4, 1}, {104, 4, 1}},
         [&] { return config->GetMeasureRates(&a, &b) == S_OK && a == 1 && b == 1; }},
        {"SetRateMaster(2)",
         [&] { return config->SetRateMaster(2); },
         {{108, 4, 2}},
         [&] { return config->GetRateMaster(&a) == S_OK && a == 2; }},
        {"SetDiscardNegativeStart(1, 0)",
         [&] { return config->SetDiscardNegativeStart(1, 0); },
         {{112, 4, 1}, {116, 4, 0}},
         [&] { return config->GetDiscardNegativeStart(&a, &b) == S_OK && a == 1 && b == 0; }},
        {"SetFrameDurationOverride(0, TRUE)",
         [&] { return config->SetFrameDurationOverride(0, TRUE); },
         {{120, 8, 1}, {132, 4, 1}},
         [&] { return config->GetFrameDurationOverride(&time, &flag) == S_OK && time == 1 && flag; }},
        {"SetAudioRateOverride(0, TRUE)",
         [&] { return config->SetAudioRateOverride(0, TRUE); },
         {{128, 4, 1}, {136, 4, 1}},
         [&] { return config->GetAudioRateOverride(&a, &flag) == S_OK && a == 1 && flag; }},
        {"SetAudioRateOverride(44100, FALSE)",
         [&] { return config->SetAudioRateOverride(44100, FALSE); },
         {{128, 4, 44100}, {136, 4, 0}},
         [&] { return config->GetAudioRateOverride(&a, &flag) == S_OK && a == 44100 && !flag; }},
        {"SetTimeShiftTypeOverrides(TRUE, FALSE)",
         [&] { return config->SetTimeShiftTypeOverrides(TRUE, FALSE); },
         {{144, 4, 1}, {148, 4, 0}},
         [&] { return config->GetTimeShiftTypeOverrides(&flag, &other) == S_OK && flag && !other; }},
        {"SetFourccOverride(MJPG)",
         [&] { return config->SetFourccOverride(0x47504A4D); },
         {{152, 4, 0x47504A4D}},
         [&] { return config->GetFourccOverride(&a) == S_OK && a == 0x47504A4D; }},
        {"SetProtect(TRUE)",
         [&] { return config->SetProtect(TRUE); },
         {},
         [&] { return config->GetProtect(&flag) == S_OK && flag; }},
    };
    const std::vector<BYTE> defaults = SavedBlock(mux.Get());
    ASSERT_EQ(156u, defaults.size());
    for (const Case& c : cases) {
        EXPECT_EQ(S_FALSE, persist->IsDirty()) << c.call;
        ASSERT_EQ(S_OK, c.set()) << c.call;
        EXPECT_EQ(S_OK, persist->IsDirty()) << c.call;
        EXPECT_TRUE(c.readBack()) << c.call;
        const std::vector<BYTE> block = SavedBlock(mux.Get());
        for (const Stored& field : c.stored)
            EXPECT_EQ(field.value, Field(block, field.offset, field.bytes)) << c.call << " at " << field.offset;
    }

    // RestoreDefaults: every field back to a new filter's, except the file mode; protect stays.
    ASSERT_EQ(S_OK, sink->SetMode(AM_FILE_OVERWRITE));
    EXPECT_EQ(S_OK, persist->IsDirty()) << "SetMode";
    SavedBlock(mux.Get());
    ASSERT_EQ(S_OK, config->RestoreDefaults());
    EXPECT_EQ(S_OK, persist->IsDirty());
    std::vector<BYTE> restored = SavedBlock(mux.Get());
    EXPECT_EQ(1u, Field(restored, 140, 4)) << "file mode";
    std::memcpy(&restored[140], &defaults[140], 4);
    EXPECT_EQ(defaults, restored);
    ASSERT_EQ(S_OK, config->GetProtect(&flag));
    EXPECT_TRUE(flag);
}

// Getters refuse a null pointer, any of the pointers of a getter with several.
TEST_F(MuxFilterTest, GettersRefuseEveryNullPointer)
{
    DWORD d = 0;
    double r = 0;
    LONGLONG t = 0;
    BOOL f = FALSE;
    IMuxConfig* c = config.Get();
    const std::function<HRESULT()> calls[] = {
        [&] { return c->GetMaxFiles(nullptr); },
        [&] { return c->GetMaxFileSize(nullptr); },
        [&] { return c->GetBufferCounts(nullptr, &d); },
        [&] { return c->GetBufferCounts(&d, nullptr); },
        [&] { return c->GetSplitCounts(nullptr, &d); },
        [&] { return c->GetSplitCounts(&d, nullptr); },
        [&] { return c->GetDropThreshold(nullptr); },
        [&] { return c->GetWriteCounts(nullptr, &d); },
        [&] { return c->GetWriteCounts(&d, nullptr); },
        [&] { return c->GetDriftPrevention(nullptr); },
        [&] { return c->GetDriftThreshold(nullptr); },
        [&] { return c->GetDriftSensitivity(nullptr); },
        [&] { return c->GetDriftStartTime(nullptr); },
        [&] { return c->GetMuxMode(nullptr); },
        [&] { return c->GetSplitMode(nullptr); },
        [&] { return c->GetDelayProcessing(nullptr, &d); },
        [&] { return c->GetDelayProcessing(&d, nullptr); },
        [&] { return c->GetTimeProperty(nullptr, &d); },
        [&] { return c->GetTimeProperty(&d, nullptr); },
        [&] { return c->GetFirstFrameNotDropped(nullptr); },
        [&] { return c->GetForcedAudioSync(nullptr); },
        [&] { return c->GetZeroFillJunk(nullptr); },
        [&] { return c->GetRateMaster(nullptr); },
        [&] { return c->GetMeasureRates(nullptr, &d); },
        [&] { return c->GetMeasureRates(&d, nullptr); },
        [&] { return c->GetDiscardNegativeStart(nullptr, &d); },
        [&] { return c->GetDiscardNegativeStart(&d, nullptr); },
        [&] { return c->GetAudioRateOverride(nullptr, &f); },
        [&] { return c->GetAudioRateOverride(&d, nullptr); },
        [&] { return c->GetFrameDurationOverride(nullptr, &f); },
        [&] { return c->GetFrameDurationOverride(&t, nullptr); },
        [&] { return c->GetTimeShiftTypeOverrides(nullptr, &f); },
        [&] { return c->GetTimeShiftTypeOverrides(&f, nullptr); },
        [&] { return c->GetFourccOverride(nullptr); },
        [&] { return c->GetDriftCounts(nullptr, &d); },
        [&] { return c->GetDriftCounts(&d, nullptr); },
        [&] { return c->GetCounts(nullptr, &d, &d, &d); },
        [&] { return c->GetCounts(&d, nullptr, &d, &d); },
        [&] { return c->GetCounts(&d, &d, nullptr, &d); },
        [&] { return c->GetCounts(&d, &d, &d, nullptr); },
        [&] { return c->GetRates(nullptr, &r); },
        [&] { return c->GetRates(&r, nullptr); },
        [&] { return c->GetProtect(nullptr); },
        [&] { return (c->CheckPointer)(nullptr); },
    };
    for (size_t i = 0; i < std::size(calls); ++i)
        EXPECT_EQ(E_POINTER, calls[i]()) << "call " << i;
    EXPECT_EQ(S_OK, (c->CheckPointer)(&d));
}

TEST_F(MuxFilterTest, ASampleWithoutTimeStampEndsTheRecording)
{
    StreamPlan video;
    video.count = 20;
    video.unstampedFrom = 5;
    BuildGraph(320, 240, video, StreamPlan{false});
    const std::wstring base = RecordingPath(L"unstamped");
    DeleteRecording(base);
    ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));

    graph.DrainEvents();
    ASSERT_HRESULT_SUCCEEDED(graph.control->Run());
    LONG_PTR failure = 0;
    ASSERT_TRUE(graph.WaitForEvent(EC_ERRORABORT, 10000, &failure));
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, static_cast<HRESULT>(failure));
    // The event is sent inside Receive, before the source sees the refusal.
    for (int waited = 0; source->Video()->FirstRefusal() == S_OK && waited < 5000; waited += 10)
        Sleep(10);
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, source->Video()->FirstRefusal());
    DWORD frames = 0, buffers = 0, dropped = 0, blocks = 0;
    ASSERT_EQ(S_OK, config->GetCounts(&frames, &buffers, &dropped, &blocks));
    EXPECT_EQ(5u, frames) << "only the stamped samples were queued";
    EXPECT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr)) << "the ended recording is no longer prepared";
    ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
    EXPECT_TRUE(FileExists(base + L"000.avi"));
}

// A video type without a frame duration, from a source with no upstream input and
// samples without time stamps: nothing can time the stream. The first sample is refused
// with VFW_E_SAMPLE_TIME_NOT_SET and, nothing having been written, no file stays.
TEST_F(MuxFilterTest, AnUntimedTypeWithNothingToTimeItIsRefusedAtTheFirstSample)
{
    StreamPlan video;
    video.count = 20;
    video.untimedType = true;
    video.unstampedFrom = 0;
    BuildGraph(320, 240, video, StreamPlan{false});
    const std::wstring base = RecordingPath(L"untimed_refused_");
    DeleteRecording(base);
    ASSERT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
    ASSERT_EQ(S_OK, config->SetTimeProperty(0, 1)) << "time stamps are not asked for";

    graph.DrainEvents();
    ASSERT_HRESULT_SUCCEEDED(graph.control->Run());
    LONG_PTR failure = 0;
    ASSERT_TRUE(graph.WaitForEvent(EC_ERRORABORT, 10000, &failure));
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, static_cast<HRESULT>(failure));
    for (int waited = 0; source->Video()->FirstRefusal() == S_OK && waited < 5000; waited += 10)
        Sleep(10);
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, source->Video()->FirstRefusal());
    EXPECT_EQ(0, source->Video()->Delivered());
    EXPECT_TRUE(FileExists(base + L"000.avi")) << "made at preparation";
    ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
    for (int i = 0; i < 40; ++i)
        EXPECT_FALSE(FileExists(NumberedFile(base, i))) << i;
}

struct RunStatistics {
    DWORD videoFrames = 0, audioBuffers = 0, dropped = 0, audioBlocks = 0, inserted = 0, deleted = 0;
    double frameRate = 0, frequency = 0;
};

RunStatistics ReadStatistics(IMuxConfig* config)
{
    RunStatistics s;
    EXPECT_EQ(S_OK, config->GetCounts(&s.videoFrames, &s.audioBuffers, &s.dropped, &s.audioBlocks));
    EXPECT_EQ(S_OK, config->GetDriftCounts(&s.inserted, &s.deleted));
    EXPECT_EQ(S_OK, config->GetRates(&s.frameRate, &s.frequency));
    return s;
}

bool operator==(const RunStatistics& a, const RunStatistics& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A source whose audio time stamps run at `audioStampScale` times its data, recorded
// with drift prevention on: 90 pictures and 90 buffers of 1,600 samples.
class MuxDriftTest : public MuxFilterTest {
protected:
    RunStatistics RecordDrifting(double audioStampScale)
    {
        StreamPlan video, audio;
        video.count = 90;
        video.pacedByAudio = true;  // the drift is measured against the audio so far
        audio.count = 90;
        audio.stampScale = audioStampScale;
        BuildGraph(64, 48, video, audio);
        base = RecordingPath(L"drift");
        DeleteRecording(base);
        EXPECT_EQ(S_OK, sink->SetFileName(base.c_str(), nullptr));
        EXPECT_EQ(S_OK, config->SetDriftPrevention(TRUE));
        EXPECT_EQ(S_OK, config->SetDriftSensitivity(5));
        graph.DrainEvents();
        EXPECT_HRESULT_SUCCEEDED(graph.control->Run());
        EXPECT_TRUE(graph.WaitForEvent(EC_COMPLETE, 20000));
        const RunStatistics s = ReadStatistics(config.Get());
        EXPECT_HRESULT_SUCCEEDED(graph.control->Stop());
        return s;
    }

    std::wstring base;
};

// Audio data longer than its stamps say: video falls behind and null frames are inserted,
// one per six pictures at most; the figures stay until the next preparation.
TEST_F(MuxDriftTest, SlowAudioClockInsertsFramesAndTheFiguresLastUntilTheNextPreparation)
{
    const RunStatistics s = RecordDrifting(0.5);
    EXPECT_GT(s.inserted, 0u);
    EXPECT_LE(s.inserted, 15u);
    EXPECT_EQ(0u, s.deleted);
    EXPECT_EQ(90u + s.inserted, s.videoFrames) << "inserted null frames are video frames";
    EXPECT_EQ(0u, s.dropped) << "inserted frames are not dropped ones";
    EXPECT_EQ(90u, s.audioBuffers);
    EXPECT_EQ(90u * 1600u, s.audioBlocks);
    EXPECT_NEAR(1e7 / kNtscFrame, s.frameRate, 1e-6);
    EXPECT_NEAR(96000.0, s.frequency, 0.5) << "the data takes twice the stamped time";

    EXPECT_EQ(s, ReadStatistics(config.Get())) << "after Stop";
    BOOL protect = FALSE;
    ASSERT_EQ(S_OK, config->GetProtect(&protect));
    ASSERT_TRUE(protect);
    ASSERT_HRESULT_SUCCEEDED(graph.control->Pause());
    EXPECT_EQ(s, ReadStatistics(config.Get())) << "a protected Pause prepares nothing";
    ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());

    // Unconnected, so that no sample counts again once the next run is prepared.
    for (const wchar_t* name : {L"Video", L"Audio"}) {
        graph.graph->Disconnect(PinByName(source, name).Get());
        graph.graph->Disconnect(PinByName(mux.Get(), name).Get());
    }
    ASSERT_EQ(S_OK, config->SetProtect(FALSE));
    ASSERT_HRESULT_SUCCEEDED(graph.control->Pause());
    EXPECT_EQ(RunStatistics{}, ReadStatistics(config.Get())) << "the next preparation resets them";
    ASSERT_HRESULT_SUCCEEDED(graph.control->Stop());
    DeleteRecording(base);
}

// Audio stamps running ahead of its data: pictures are deleted instead.
TEST_F(MuxDriftTest, FastAudioClockDeletesFrames)
{
    const RunStatistics s = RecordDrifting(2.0);
    EXPECT_GT(s.deleted, 0u);
    EXPECT_EQ(0u, s.inserted);
    EXPECT_EQ(90u - s.deleted, s.videoFrames);
    EXPECT_EQ(90u, s.audioBuffers);
    EXPECT_NEAR(24000.0, s.frequency, 0.5);
    DeleteRecording(base);
}

TEST_F(MuxFilterTest, DisconnectingAnInputDisconnectsItsPlaybackPin)
{
    BuildGraph(320, 240, StreamPlan{}, StreamPlan{false});
    HRESULT hr = S_OK;
    auto* renderer = new TestSink(nullptr, &hr);
    ComPtr<IBaseFilter> rendererRef = renderer;
    ASSERT_EQ(S_OK, graph.graph->AddFilter(renderer, L"Sink"));
    ComPtr<IPin> playback = PinByName(mux.Get(), L"~Video");
    ASSERT_EQ(S_OK, graph.graph->ConnectDirect(playback.Get(), renderer->InputPin(), nullptr));
    AM_MEDIA_TYPE mt{};
    ASSERT_EQ(S_OK, playback->ConnectionMediaType(&mt));
    EXPECT_EQ(MEDIASUBTYPE_YUY2, mt.subtype) << "the type of the video input";
    FreeMediaType(mt);
    ComPtr<IPin> nothing;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, PinByName(mux.Get(), L"~Audio")->ConnectedTo(&nothing));

    // With both overrides on, the playback type carries the override frame duration.
    ASSERT_EQ(S_OK, config->SetFrameDurationOverride(400000, TRUE));
    ASSERT_EQ(S_OK, config->SetTimeShiftTypeOverrides(TRUE, FALSE));
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, playback->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* offered = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &offered, nullptr));
    EXPECT_EQ(400000, reinterpret_cast<VIDEOINFOHEADER*>(offered->pbFormat)->AvgTimePerFrame);
    DeleteMediaType(offered);
    EXPECT_EQ(S_FALSE, types->Next(1, &offered, nullptr)) << "one type only";

    ASSERT_EQ(S_OK, PinByName(mux.Get(), L"Video")->Disconnect());
    EXPECT_EQ(VFW_E_NOT_CONNECTED, playback->ConnectedTo(&nothing));
    EXPECT_FALSE(renderer->InputPin()->IsConnected());
    graph.graph->RemoveFilter(renderer);
}

// An outer object that aggregates the filter; it answers IUnknown itself.
class Outer : public IUnknown {
public:
    IUnknown* inner = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IUnknown*>(this);
            return S_OK;
        }
        return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

TEST_F(MuxFilterTest, TimeShiftOutsideAGraphKeepsItsPositionsAndReportsNoTime)
{
    ComPtr<IMuxTimeShift> timeShift;
    ASSERT_HRESULT_SUCCEEDED(mux.As(&timeShift));
    DWORD current = 9, total = 9;
    EXPECT_EQ(E_POINTER, timeShift->GetPosition(nullptr, &total));
    EXPECT_EQ(E_POINTER, timeShift->GetPosition(&current, nullptr));
    // No clock: the stream time counts as 0, so nothing lies beyond it.
    EXPECT_EQ(S_OK, timeShift->Seek(5));
    EXPECT_EQ(S_OK, timeShift->GetPosition(&current, &total));
    EXPECT_EQ(0u, current);
    EXPECT_EQ(0u, total);
    // Without a connected pin or a running thread every step still succeeds.
    EXPECT_EQ(S_OK, timeShift->Play(200));
    EXPECT_EQ(S_OK, timeShift->Pause());
    EXPECT_EQ(S_OK, timeShift->Play(0));
    EXPECT_EQ(S_OK, timeShift->Stop());
    EXPECT_EQ(S_OK, timeShift->GetPosition(&current, &total));
    EXPECT_LE(current, total);
}

TEST(MuxAggregation, AnAggregatedFilterGivesTheOuterIdentity)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    Outer outer;
    ComPtr<IBaseFilter> refused;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_PelkorAviMux, &outer, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                              reinterpret_cast<void**>(refused.GetAddressOf())));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_PelkorAviMux, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&outer.inner)));
    IMuxConfig* config = nullptr;
    ASSERT_EQ(S_OK, outer.QueryInterface(IID_IMuxConfig, reinterpret_cast<void**>(&config)));
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, config->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(S_OK, config->QueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    IPin* pin = nullptr;
    ASSERT_EQ(S_OK, filter->FindPin(L"Audio", &pin));
    pin->Release();
    filter->Release();
    config->Release();
    EXPECT_EQ(0u, outer.inner->Release()) << "the inner object goes with its last reference";
    CoUninitialize();
}

}  // namespace
