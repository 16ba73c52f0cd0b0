// What every other part relies on from the platform: DirectShow's stock filters,
// renderers on the display, structured storage, GDI+ encoders, ACM and Japanese text.
#include <windows.h>
#include <dshow.h>
#include <gdiplus.h>
#include <mmreg.h>
#include <msacm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "PlatformTestIds.h"

namespace {

// Not in every SDK's headers.
const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }

    static HRESULT Create(REFCLSID clsid, REFIID iid = IID_IUnknown)
    {
        IUnknown* object = nullptr;
        HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(&object));
        if (object)
            object->Release();
        return hr;
    }
};

TEST_F(ComApartment, DirectShowStockFiltersCanBeCreated)
{
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_FilterGraph, IID_IGraphBuilder)) << "filter graph manager";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_CaptureGraphBuilder2, IID_ICaptureGraphBuilder2)) << "capture graph builder";
    EXPECT_HRESULT_SUCCEEDED(Create(kClsidSampleGrabber, IID_IBaseFilter)) << "Sample Grabber";
    EXPECT_HRESULT_SUCCEEDED(Create(kClsidNullRenderer, IID_IBaseFilter)) << "Null Renderer";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_FileWriter, IID_IBaseFilter)) << "File Writer";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_AviDest, IID_IBaseFilter)) << "AVI Mux";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_SystemDeviceEnum, IID_ICreateDevEnum)) << "device enumerator";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_FilterMapper2, IID_IFilterMapper2)) << "filter mapper";
}

TEST_F(ComApartment, RenderersCanBeCreatedOnTheDisplay)
{
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_DSoundRender, IID_IBaseFilter)) << "DirectSound renderer";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_VideoRenderer, IID_IBaseFilter)) << "Video Renderer";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_VideoMixingRenderer, IID_IBaseFilter)) << "VMR-7";
    EXPECT_HRESULT_SUCCEEDED(Create(CLSID_VideoMixingRenderer9, IID_IBaseFilter)) << "VMR-9";
}

TEST_F(ComApartment, StructuredStorageMakesACompoundFile)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / L"tavrik-platform-test.stg";
    IStorage* storage = nullptr;
    ASSERT_HRESULT_SUCCEEDED(StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                                STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                                reinterpret_cast<void**>(&storage)));
    IStream* stream = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        storage->CreateStream(L"Probe", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream));
    ULONG written = 0;
    EXPECT_HRESULT_SUCCEEDED(stream->Write("abc", 3, &written));
    EXPECT_EQ(3u, written);
    stream->Release();
    storage->Release();

    EXPECT_EQ(S_OK, StgIsStorageFile(path.c_str()));
    std::filesystem::remove(path);
}

std::set<std::wstring> ImageEncoderMimeTypes()
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok)
        return {};
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return {};
    std::set<std::wstring> types;
    for (UINT i = 0; i < count; ++i)
        types.insert(codecs[i].MimeType);
    return types;
}

TEST(Platform, GdiplusOffersBmpPngAndJpegEncoders)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::Ok, Gdiplus::GdiplusStartup(&token, &input, nullptr));
    const auto types = ImageEncoderMimeTypes();
    Gdiplus::GdiplusShutdown(token);

    EXPECT_TRUE(types.count(L"image/bmp"));
    EXPECT_TRUE(types.count(L"image/png"));
    EXPECT_TRUE(types.count(L"image/jpeg"));
}

TEST(Platform, AcmNamesThePcmFormatTag)
{
    ACMFORMATTAGDETAILSW details{};
    details.cbStruct = sizeof details;
    details.dwFormatTag = WAVE_FORMAT_PCM;
    ASSERT_EQ(MMSYSERR_NOERROR, acmFormatTagDetailsW(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG));
    EXPECT_STREQ(L"PCM", details.szFormatTag);
}

// The UI font of the dialogs; the harness maps it to a Japanese font.
HFONT CreateUiFont()
{
    return CreateFontW(-24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"MS UI Gothic");
}

TEST(Platform, JapaneseResourceTextRendersWithRealGlyphs)
{
    wchar_t text[64] = {};
    const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_JAPANESE_SAMPLE, text, 64);
    ASSERT_EQ(std::wstring(L"プレビュー中 停止中 録画中"), std::wstring(text, length));

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateUiFont();
    HGDIOBJ oldFont = SelectObject(dc, font);

    std::vector<WORD> glyphs(length);
    ASSERT_NE(GDI_ERROR, GetGlyphIndicesW(dc, text, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS));
    EXPECT_EQ(glyphs.end(), std::find(glyphs.begin(), glyphs.end(), 0xFFFF)) << "a character has no glyph";

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 400;
    info.bmiHeader.biHeight = -40;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, bitmap);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 400, 40, WHITENESS);
    TextOutW(dc, 4, 4, text, length);
    GdiFlush();

    const auto* pixels = static_cast<const DWORD*>(bits);
    const auto inked = std::count_if(pixels, pixels + 400 * 40, [](DWORD p) { return (p & 0xFFFFFF) != 0xFFFFFF; });
    EXPECT_GT(inked, 200) << "the text left almost no ink";

    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    DeleteObject(bitmap);
    DeleteObject(font);
    DeleteDC(dc);
}

}  // namespace
