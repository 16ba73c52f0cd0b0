#include "GdiPlusSession.h"

#include <windows.h>
#include <gdiplus.h>

namespace {

ULONG_PTR gdiPlusToken = 0;
ULONG_PTR hookToken = 0;
Gdiplus::NotificationUnhookProc unhook = nullptr;

}  // namespace

void StartGdiPlus()
{
    if (gdiPlusToken)
        return;
    Gdiplus::GdiplusStartupInput input(nullptr, TRUE, FALSE);
    Gdiplus::GdiplusStartupOutput output{};
    if (Gdiplus::GdiplusStartup(&gdiPlusToken, &input, &output) != Gdiplus::Ok) {
        gdiPlusToken = 0;
        return;
    }
    if (output.NotificationHook && output.NotificationHook(&hookToken) == Gdiplus::Ok)
        unhook = output.NotificationUnhook;
}

void ShutdownGdiPlus()
{
    if (!gdiPlusToken)
        return;
    if (unhook)
        unhook(hookToken);
    Gdiplus::GdiplusShutdown(gdiPlusToken);
    gdiPlusToken = 0;
    hookToken = 0;
    unhook = nullptr;
}
