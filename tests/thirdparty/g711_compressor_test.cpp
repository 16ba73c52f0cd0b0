// The stand-in G.711 compressors under Wine: the inputs they take, the outputs offered
// through IAMStreamConfig, their persisted choice, and a recording through one.
#include <gtest/gtest.h>

#include <string>

#include "MuxGraphSupport.h"
#include "CardCaptureGraph.h"
#include "CardRecording.h"
#include "CardTestSupport.h"
#include "StandinGraph.h"

#include <msacm.h>

namespace {

class G711CompressorTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }

    static void ExpectFormat(IAMStreamConfig* config, WORD tag, WORD channels, DWORD rate)
    {
        AM_MEDIA_TYPE* type = nullptr;
        ASSERT_EQ(S_OK, config->GetFormat(&type));
        const WAVEFORMATEX& format = WaveFormat(type);
        EXPECT_EQ(tag, format.wFormatTag);
        EXPECT_EQ(channels, format.nChannels);
        EXPECT_EQ(rate, format.nSamplesPerSec);
        EXPECT_EQ(8, format.wBitsPerSample);
        EXPECT_EQ(channels, format.nBlockAlign);
        EXPECT_EQ(rate * channels, format.nAvgBytesPerSec);
        DeleteType(type);
    }
};

TEST_F(G711CompressorTest, The44100VariantRefusesOtherRatesTheOtherTakesThem)
{
    for (const DWORD rate : {48000u, 32000u}) {
        ProbeGraph refused;
        EXPECT_HRESULT_FAILED(refused.Connect(CreateFilter(kClsidG711Compressor44k).Get(), rate, 2)) << rate;
        ProbeGraph taken;
        EXPECT_EQ(S_OK, taken.Connect(CreateFilter(kClsidG711Compressor).Get(), rate, 2)) << rate;
    }
    for (const WORD channels : {WORD{1}, WORD{2}}) {
        ProbeGraph graph;
        EXPECT_EQ(S_OK, graph.Connect(CreateFilter(kClsidG711Compressor44k).Get(), 44100, channels));
    }
    ProbeGraph threeChannels;
    EXPECT_HRESULT_FAILED(threeChannels.Connect(CreateFilter(kClsidG711Compressor).Get(), 44100, 3));
}

TEST_F(G711CompressorTest, The44100VariantCannotBeConnectedToTheCardAt48000)
{
    ResetCard();
    CaptureGraph card;
    ASSERT_TRUE(card.control);
    ComPtr<IBaseFilter> only44k = CreateFilter(kClsidG711Compressor44k), anyRate = CreateFilter(kClsidG711Compressor);
    ASSERT_EQ(S_OK, card.Add(only44k.Get(), L"44100 only"));
    ASSERT_EQ(S_OK, card.Add(anyRate.Get(), L"any rate"));
    // Fixed, or the connection would find the 44100 Hz type the pin also offers.
    ASSERT_EQ(S_OK, SelectAudioRate(card.capture.Get(), 48000));
    ComPtr<IPin> audio = PinNamed(card.capture.Get(), L"Audio Capture");
    EXPECT_HRESULT_FAILED(card.graph->ConnectDirect(audio.Get(), FirstPin(only44k.Get(), PINDIR_INPUT).Get(), nullptr));
    EXPECT_EQ(S_OK, card.graph->ConnectDirect(audio.Get(), FirstPin(anyRate.Get(), PINDIR_INPUT).Get(), nullptr));
}

TEST_F(G711CompressorTest, OffersFourFormatsAtTheInputRate)
{
    ProbeGraph graph;
    ASSERT_EQ(S_OK, graph.Connect(CreateFilter(kClsidG711Compressor).Get(), 32000, 1));
    ComPtr<IAMStreamConfig> config = graph.OutputConfig();
    ASSERT_TRUE(config);
    int count = 0, size = 0;
    ASSERT_EQ(S_OK, config->GetNumberOfCapabilities(&count, &size));
    ASSERT_EQ(4, count);
    EXPECT_EQ(static_cast<int>(sizeof(AUDIO_STREAM_CONFIG_CAPS)), size);
    const struct {
        WORD tag, channels;
    } offers[] = {{WAVE_FORMAT_MULAW, 2}, {WAVE_FORMAT_MULAW, 1}, {WAVE_FORMAT_ALAW, 2}, {WAVE_FORMAT_ALAW, 1}};
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        AUDIO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(S_OK, config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)));
        EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Audio, type->majortype));
        EXPECT_TRUE(IsEqualGUID(FORMAT_WaveFormatEx, type->formattype));
        EXPECT_EQ(offers[i].tag, WaveFormat(type).wFormatTag);
        EXPECT_EQ(offers[i].tag, type->subtype.Data1);
        EXPECT_EQ(offers[i].channels, WaveFormat(type).nChannels);
        EXPECT_EQ(32000u, WaveFormat(type).nSamplesPerSec);
        EXPECT_EQ(32000u, caps.MaximumSampleFrequency);
        DeleteType(type);
    }
    AM_MEDIA_TYPE* none = nullptr;
    AUDIO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(S_FALSE, config->GetStreamCaps(4, &none, reinterpret_cast<BYTE*>(&caps)));
    // Without a choice: mu-law with the input's channels.
    ExpectFormat(config.Get(), WAVE_FORMAT_MULAW, 1, 32000);
}

TEST_F(G711CompressorTest, SetFormatChoosesAnOfferAndNullBringsTheDefaultBack)
{
    ProbeGraph graph;
    ASSERT_EQ(S_OK, graph.Connect(CreateFilter(kClsidG711Compressor44k).Get(), 44100, 2));
    ComPtr<IAMStreamConfig> config = graph.OutputConfig();
    AM_MEDIA_TYPE* aLawMono = NewG711Type(WAVE_FORMAT_ALAW, 44100, 1);
    AM_MEDIA_TYPE* otherRate = NewG711Type(WAVE_FORMAT_ALAW, 48000, 1);
    AM_MEDIA_TYPE* pcm = NewPcmType(44100, 2);
    EXPECT_EQ(S_OK, config->SetFormat(aLawMono));
    ExpectFormat(config.Get(), WAVE_FORMAT_ALAW, 1, 44100);
    EXPECT_HRESULT_FAILED(config->SetFormat(otherRate));
    EXPECT_HRESULT_FAILED(config->SetFormat(pcm));
    ExpectFormat(config.Get(), WAVE_FORMAT_ALAW, 1, 44100);  // a refused type changes nothing
    EXPECT_EQ(S_OK, config->SetFormat(nullptr));
    ExpectFormat(config.Get(), WAVE_FORMAT_MULAW, 2, 44100);
    for (AM_MEDIA_TYPE* type : {aLawMono, otherRate, pcm})
        DeleteType(type);
}

TEST_F(G711CompressorTest, PersistStreamKeepsTheChoiceAndRefusesDamage)
{
    ComPtr<IBaseFilter> chosen = CreateFilter(kClsidG711Compressor44k);
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(S_OK, chosen.As(&persist));
    ComPtr<IStream> saved = MemoryStream();
    {
        ProbeGraph graph;
        ASSERT_EQ(S_OK, graph.Connect(chosen.Get(), 44100, 2));
        AM_MEDIA_TYPE* aLawMono = NewG711Type(WAVE_FORMAT_ALAW, 44100, 1);
        ASSERT_EQ(S_OK, graph.OutputConfig()->SetFormat(aLawMono));
        DeleteType(aLawMono);
    }
    ULARGE_INTEGER most{};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&most));
    ASSERT_EQ(S_OK, persist->Save(saved.Get(), TRUE));
    STATSTG stat{};
    saved->Stat(&stat, STATFLAG_NONAME);
    EXPECT_LE(stat.cbSize.QuadPart, most.QuadPart);
    CLSID clsid{};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(kClsidG711Compressor44k, clsid));

    ComPtr<IBaseFilter> loaded = CreateFilter(kClsidG711Compressor44k);
    ComPtr<IPersistStream> loader;
    ASSERT_EQ(S_OK, loaded.As(&loader));
    Rewind(saved.Get());
    ASSERT_EQ(S_OK, loader->Load(saved.Get()));
    ProbeGraph graph;
    ASSERT_EQ(S_OK, graph.Connect(loaded.Get(), 44100, 2));
    ExpectFormat(graph.OutputConfig().Get(), WAVE_FORMAT_ALAW, 1, 44100);

    // A state from something else, and one cut short: refused, the default stays.
    ComPtr<IBaseFilter> fresh = CreateFilter(kClsidG711Compressor44k);
    ComPtr<IPersistStream> freshPersist;
    ASSERT_EQ(S_OK, fresh.As(&freshPersist));
    for (const std::string& bytes : {std::string(72, 'x'), std::string(10, '0')}) {
        ComPtr<IStream> damaged = MemoryStream();
        damaged->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        Rewind(damaged.Get());
        EXPECT_HRESULT_FAILED(freshPersist->Load(damaged.Get()));
    }
    ProbeGraph freshGraph;
    ASSERT_EQ(S_OK, freshGraph.Connect(fresh.Get(), 44100, 2));
    ExpectFormat(freshGraph.OutputConfig().Get(), WAVE_FORMAT_MULAW, 2, 44100);
}

// The record page describes an output through the ACM; every offer must be one it knows.
TEST_F(G711CompressorTest, TheAcmDescribesEveryOffer)
{
    ProbeGraph graph;
    ASSERT_EQ(S_OK, graph.Connect(CreateFilter(kClsidG711Compressor44k).Get(), 44100, 2));
    ComPtr<IAMStreamConfig> config = graph.OutputConfig();
    for (int i = 0; i < 4; ++i) {
        AM_MEDIA_TYPE* type = nullptr;
        AUDIO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(S_OK, config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)));
        auto* format = reinterpret_cast<WAVEFORMATEX*>(type->pbFormat);
        ACMFORMATTAGDETAILSW tag{};
        tag.cbStruct = sizeof tag;
        tag.dwFormatTag = format->wFormatTag;
        EXPECT_EQ(MMSYSERR_NOERROR, acmFormatTagDetailsW(nullptr, &tag, ACM_FORMATTAGDETAILSF_FORMATTAG)) << i;
        ACMFORMATDETAILSW details{};
        details.cbStruct = sizeof details;
        details.dwFormatTag = format->wFormatTag;
        details.pwfx = format;
        details.cbwfx = type->cbFormat;
        EXPECT_EQ(MMSYSERR_NOERROR, acmFormatDetailsW(nullptr, &details, ACM_FORMATDETAILSF_FORMAT)) << i;
        EXPECT_NE(L'\0', tag.szFormatTag[0]);
        EXPECT_NE(L'\0', details.szFormat[0]);
        DeleteType(type);
    }
}

TEST_F(G711CompressorTest, OffersOnePropertyPage)
{
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(S_OK, CreateFilter(kClsidG711Compressor44k).As(&pages));
    CAUUID ids{};
    ASSERT_EQ(S_OK, pages->GetPages(&ids));
    ASSERT_EQ(1u, ids.cElems);
    ComPtr<IPropertyPage> page;
    EXPECT_EQ(S_OK, CoCreateInstance(ids.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)));
    CoTaskMemFree(ids.pElems);
    PROPPAGEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(S_OK, page->GetPageInfo(&info));
    EXPECT_STREQ(L"G.711", info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
}

// The host check (check_standin_recordings.py) reads the note: A-law, one channel, 44100 Hz.
TEST_F(G711CompressorTest, RecordsTheChosenFormatThroughTrelvox)
{
    const std::wstring base = RecordingPath(L"standin_alaw_");
    AM_MEDIA_TYPE* aLawMono = NewG711Type(WAVE_FORMAT_ALAW, 44100, 1);
    const HRESULT hr = RecordCard(base, CreateFilter(kClsidMjpegCompressor).Get(),
                                  CreateFilter(kClsidG711Compressor44k).Get(), aLawMono, 3000);
    DeleteType(aLawMono);
    ASSERT_EQ(S_OK, hr);
    ASSERT_TRUE(FileExists(NumberedFile(base, 0)));
    WriteRecordingNote(NumberedFile(base, 0), "mjpeg 720 480 pcm_alaw 1 44100");
}

}  // namespace
