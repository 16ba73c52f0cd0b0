#include "CardPages.h"

#include <cstdarg>
#include <cwchar>
#include <new>
#include <string>

#include "CardPageIds.h"

namespace cardsim {
namespace {

std::wstring Line(const wchar_t* format, ...)
{
    wchar_t text[160];
    va_list args;
    va_start(args, format);
    vswprintf(text, std::size(text), format, args);
    va_end(args);
    return std::wstring(text) + L"\r\n";
}

std::wstring DescribeDecoder(IUnknown* object)
{
    IAMAnalogVideoDecoder* decoder = nullptr;
    if (FAILED(object->QueryInterface(IID_IAMAnalogVideoDecoder, reinterpret_cast<void**>(&decoder))))
        return {};
    long locked = 0, lines = 0;
    decoder->get_HorizontalLocked(&locked);
    decoder->get_NumberOfLines(&lines);
    decoder->Release();
    return Line(L"Horizontal lock: %ld", locked) + Line(L"Lines: %ld", lines);
}

std::wstring DescribeCrossbar(IUnknown* object)
{
    IAMCrossbar* crossbar = nullptr;
    if (FAILED(object->QueryInterface(IID_IAMCrossbar, reinterpret_cast<void**>(&crossbar))))
        return {};
    long outputs = 0, inputs = 0;
    crossbar->get_PinCounts(&outputs, &inputs);
    std::wstring text = Line(L"Inputs: %ld, outputs: %ld", inputs, outputs);
    for (long output = 0; output < outputs; ++output) {
        long input = -1;
        crossbar->get_IsRoutedTo(output, &input);
        text += Line(L"Output %ld from input %ld", output, input);
    }
    crossbar->Release();
    return text;
}

std::wstring DescribeStreamFormat(IUnknown* object)
{
    IAMStreamConfig* config = nullptr;
    if (FAILED(object->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&config))))
        return {};
    AM_MEDIA_TYPE* returned = nullptr;
    std::wstring text;
    if (SUCCEEDED(config->GetFormat(&returned)) && returned) {
        CMediaType type;
        type.Adopt(returned);
        if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
            const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
            text = Line(L"%ld x %ld", info->bmiHeader.biWidth, info->bmiHeader.biHeight) +
                   Line(L"Frame duration: %lld x 100 ns", static_cast<long long>(info->AvgTimePerFrame));
        }
    }
    config->Release();
    return text;
}

using Describe = std::wstring (*)(IUnknown*);

class CardPage : public CBasePropertyPage {
public:
    CardPage(LPUNKNOWN outer, int titleId, Describe describe)
        : CBasePropertyPage(L"Zelvan card page", outer, IDD_CARD_PAGE, titleId),
          describe_(describe)
    {
    }
    ~CardPage() override { OnDisconnect(); }

    HRESULT OnConnect(IUnknown* object) override
    {
        OnDisconnect();
        object_ = object;
        object_->AddRef();
        return S_OK;
    }
    HRESULT OnDisconnect() override
    {
        if (object_)
            object_->Release();
        object_ = nullptr;
        return S_OK;
    }
    HRESULT OnActivate() override
    {
        SetDlgItemTextW(m_hwnd, IDC_CARD_PAGE_TEXT, object_ ? describe_(object_).c_str() : L"");
        return S_OK;
    }

private:
    Describe describe_;
    IUnknown* object_ = nullptr;
};

CUnknown* Create(LPUNKNOWN outer, HRESULT* hr, int titleId, Describe describe)
{
    CUnknown* page = new (std::nothrow) CardPage(outer, titleId, describe);
    if (hr)
        *hr = page ? S_OK : E_OUTOFMEMORY;
    return page;
}

}  // namespace

HRESULT OnePage(const CLSID& page, CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = page;
    return S_OK;
}

CUnknown* WINAPI CreateDecoderPage(LPUNKNOWN outer, HRESULT* hr)
{
    return Create(outer, hr, IDS_DECODER_PAGE_TITLE, DescribeDecoder);
}

CUnknown* WINAPI CreateCrossbarPage(LPUNKNOWN outer, HRESULT* hr)
{
    return Create(outer, hr, IDS_CROSSBAR_PAGE_TITLE, DescribeCrossbar);
}

CUnknown* WINAPI CreateStreamFormatPage(LPUNKNOWN outer, HRESULT* hr)
{
    return Create(outer, hr, IDS_STREAM_FORMAT_PAGE_TITLE, DescribeStreamFormat);
}

}  // namespace cardsim
