#include "PropPageImageCapture.h"

#include "../framework/DialogItems.h"
#include "../framework/Resources.h"
#include "../resources/tavrik/resource.h"
#include "core/ChoiceLists.h"
#include "core/PageRules.h"

namespace {

constexpr int kAspectModes = 4;
constexpr int kCroppingModes = 3;
constexpr int kDirectCropping = 2;
constexpr int kMaxWidth = 1920;
constexpr int kMaxHeight = 1080;
constexpr int kSmallestSide = 16;
constexpr double kMinScale = 1.0;
constexpr double kMaxScale = 1000.0;
constexpr LPARAM kNoItem = -1;

}  // namespace

CPropPageImageCapture::CPropPageImageCapture(MainSettings& settings)
    : FwPropertyPage(IDD_PAGE_IMAGE_CAPTURE),
      settings_(settings)
{
}

bool CPropPageImageCapture::OnInitDialog()
{
    const auto& formats = settingsui::kImageFormatChoices;
    for (size_t i = 0; i < formats.size(); ++i)
        ComboAdd(Handle(), IDC_IMG_FORMAT, formats[i].text, static_cast<LPARAM>(i));
    for (size_t i = 0; i < formats.size(); ++i) {
        if (settings_.imageFileFormat == formats[i].mimeType)
            ComboSelectData(Handle(), IDC_IMG_FORMAT, static_cast<LPARAM>(i));
    }
    const auto& conversions = settingsui::kColorConversionChoices;
    for (size_t i = 0; i < conversions.size(); ++i)
        ComboAdd(Handle(), IDC_IMG_COLOR, conversions[i], static_cast<LPARAM>(i));
    ComboSelectData(Handle(), IDC_IMG_COLOR, settings_.imageColorConversion);
    UpdateData(false);
    EnableControls();
    return true;
}

void CPropPageImageCapture::EnableControls()
{
    EnableItem(Handle(), IDC_IMG_FORMAT, !IsItemChecked(Handle(), IDC_IMG_CLIPBOARD));
    const bool direct = IsItemChecked(Handle(), IDC_IMG_CROP_DIRECT);
    for (int id : {IDC_IMG_CROP_LEFT, IDC_IMG_CROP_TOP, IDC_IMG_CROP_RIGHT, IDC_IMG_CROP_BOTTOM})
        EnableItem(Handle(), id, direct);
    EnableItem(Handle(), IDC_IMG_SCALE, IsItemChecked(Handle(), IDC_IMG_SCALE_ON));
}

bool CPropPageImageCapture::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_IMG_CLIPBOARD:
    case IDC_IMG_SCALE_ON:
    case IDC_IMG_CROP_NONE:
    case IDC_IMG_CROP_NONE + 1:
    case IDC_IMG_CROP_DIRECT:
        EnableControls();
        return true;
    default:
        return false;
    }
}

void CPropPageImageCapture::ExchangeCropping(FwDataExchange& exchange)
{
    CropRect& crop = settings_.imageCroppingRect;
    exchange.Text(IDC_IMG_CROP_LEFT, crop.left);
    exchange.MinMax(IDC_IMG_CROP_LEFT, crop.left, 0, kMaxWidth - kSmallestSide);
    exchange.Text(IDC_IMG_CROP_TOP, crop.top);
    exchange.MinMax(IDC_IMG_CROP_TOP, crop.top, 0, kMaxHeight - kSmallestSide);
    exchange.Text(IDC_IMG_CROP_RIGHT, crop.right);
    exchange.MinMax(IDC_IMG_CROP_RIGHT, crop.right, kSmallestSide, kMaxWidth);
    exchange.Text(IDC_IMG_CROP_BOTTOM, crop.bottom);
    exchange.MinMax(IDC_IMG_CROP_BOTTOM, crop.bottom, kSmallestSide, kMaxHeight);
    if (exchange.Saving() && !exchange.Failed() &&
        settingsui::CropAreaTooSmall(crop.left, crop.top, crop.right, crop.bottom))
        exchange.Fail(IDC_IMG_CROP_LEFT, L"クロッピングの開始座標と終了座標の関係が不正です。\n"
                                         L"16x16以上の領域を指定してください。");
}

void CPropPageImageCapture::DoDataExchange(FwDataExchange& exchange)
{
    exchange.Radio(IDC_IMG_ASPECT_NONE, kAspectModes, settings_.imageAspectMode);
    exchange.Radio(IDC_IMG_CROP_NONE, kCroppingModes, settings_.imageCroppingMode);
    exchange.Check(IDC_IMG_SCALE_ON, settings_.imageScaleMode);
    exchange.Check(IDC_IMG_CLIPBOARD, settings_.imageToClipboard);
    // Values of switched-off options are shown but neither read nor checked.
    if (!exchange.Saving() || settings_.imageCroppingMode == kDirectCropping)
        ExchangeCropping(exchange);
    if (!exchange.Saving() || settings_.imageScaleMode) {
        exchange.Text(IDC_IMG_SCALE, settings_.imageScale);
        exchange.MinMax(IDC_IMG_SCALE, settings_.imageScale, kMinScale, kMaxScale);
    }
    if (!exchange.Saving() || exchange.Failed())
        return;
    const LPARAM format = ComboSelectedData(Handle(), IDC_IMG_FORMAT, kNoItem);
    if (format == kNoItem) {
        exchange.Fail(IDC_IMG_FORMAT, L"保存形式を指定してください。");
        return;
    }
    const LPARAM conversion = ComboSelectedData(Handle(), IDC_IMG_COLOR, kNoItem);
    if (conversion == kNoItem) {
        exchange.Fail(IDC_IMG_COLOR, L"色変換方法を選択してください。");
        return;
    }
    settings_.imageFileFormat = settingsui::kImageFormatChoices[static_cast<size_t>(format)].mimeType;
    settings_.imageColorConversion = static_cast<int>(conversion);
}
