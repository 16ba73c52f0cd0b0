#include "MjpegDialogs.h"

#include <commctrl.h>

#include "dshowbase/ComBase.h"
#include "JpegEncoder.h"
#include "StandinResource.h"

namespace standin {
namespace {

struct QualityDialog {
    int quality;
};

INT_PTR CALLBACK QualityDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* state = reinterpret_cast<QualityDialog*>(lParam);
        SendDlgItemMessageW(dialog, IDC_MJPEG_QUALITY_SPIN, UDM_SETRANGE32, kMinJpegQuality, kMaxJpegQuality);
        SetDlgItemInt(dialog, IDC_MJPEG_QUALITY, static_cast<UINT>(state->quality), FALSE);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            BOOL read = FALSE;
            const UINT value = GetDlgItemInt(dialog, IDC_MJPEG_QUALITY, &read, FALSE);
            if (!read || value < static_cast<UINT>(kMinJpegQuality) || value > static_cast<UINT>(kMaxJpegQuality)) {
                MessageBoxW(dialog, L"Enter a quality from 1 to 100.", L"Motion JPEG Compressor",
                            MB_OK | MB_ICONWARNING);
                SetFocus(GetDlgItem(dialog, IDC_MJPEG_QUALITY));
                return TRUE;
            }
            reinterpret_cast<QualityDialog*>(GetWindowLongPtrW(dialog, DWLP_USER))->quality = static_cast<int>(value);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int ShowQualityDialog(HWND owner, int quality)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    QualityDialog state{quality};
    const INT_PTR result = DialogBoxParamW(CurrentModuleHandle(), MAKEINTRESOURCEW(IDD_MJPEG_CONFIG), owner,
                                           QualityDialogProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? state.quality : 0;
}

void ShowAboutBox(HWND owner)
{
    MessageBoxW(owner,
                L"Stand-in Motion JPEG Compressor\n\nBaseline JPEG, 4:2:2, from YUY2.\n"
                L"A test stand-in for a third-party compressor.",
                L"About", MB_OK | MB_ICONINFORMATION);
}

}  // namespace standin
