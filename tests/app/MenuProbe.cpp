// Loaded into Tavrik by a message hook: on the probe message it opens each pop-up of
// the main menu as the system does (WM_INITMENUPOPUP) and writes every item's id and
// state to "menu-probe.txt" beside this library.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring ProbeFile()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ProbeFile), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring file = path;
    return file.substr(0, file.find_last_of(L'\\') + 1) + L"menu-probe.txt";
}

void WriteMenuStates(HWND main)
{
    std::string lines;
    HMENU bar = GetMenu(main);
    for (int popup = 0; popup < GetMenuItemCount(bar); ++popup) {
        HMENU menu = GetSubMenu(bar, popup);
        SendMessageW(main, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(popup, FALSE));
        for (int item = 0; item < GetMenuItemCount(menu); ++item) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
            if (GetMenuItemInfoW(menu, static_cast<UINT>(item), TRUE, &info) && !(info.fType & MFT_SEPARATOR))
                lines += std::to_string(info.wID) + ' ' + std::to_string(info.fState) + '\n';
        }
    }
    // Written whole under another name first, so the reader never sees half of it.
    const std::wstring file = ProbeFile();
    if (FILE* out = _wfopen((file + L".part").c_str(), L"wb")) {
        fwrite(lines.data(), 1, lines.size(), out);
        fclose(out);
        MoveFileExW((file + L".part").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM removing, LPARAM param)
{
    static const UINT probeMessage = RegisterWindowMessageW(L"TavrikMenuProbe");
    const auto* message = reinterpret_cast<const MSG*>(param);
    if (code == HC_ACTION && removing == PM_REMOVE && message->message == probeMessage)
        WriteMenuStates(message->hwnd);
    return CallNextHookEx(nullptr, code, removing, param);
}
