// The enable and check state of every item of Tavrik's main menu, read inside its process
// by the menu probe library, and of its toolbar buttons; and what each state should show.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "TavrikProcess.h"

namespace tavrik_test {

// 'e' enabled, 'c' enabled and checked, 'x' disabled and checked, '-' disabled.
inline char ItemState(bool enabled, bool checked)
{
    return enabled ? (checked ? 'c' : 'e') : (checked ? 'x' : '-');
}

inline std::map<unsigned, char> MenuStates(HWND main)
{
    const std::wstring file = BinFolder() + L"menu-probe.txt";
    DeleteFileW(file.c_str());
    HMODULE probe = LoadLibraryW((BinFolder() + L"tavrik_menu_probe.dll").c_str());
    auto hook =
        probe ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeHook"))) : nullptr;
    HHOOK hooked =
        hook ? SetWindowsHookExW(WH_GETMESSAGE, hook, probe, GetWindowThreadProcessId(main, nullptr)) : nullptr;
    std::map<unsigned, char> states;
    if (hooked && PostMessageW(main, RegisterWindowMessageW(L"TavrikMenuProbe"), 0, 0) &&
        WaitFor([&] { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000)) {
        std::ifstream lines(file.c_str());
        unsigned id = 0, state = 0;
        while (lines >> id >> state)
            states[id] = ItemState(!(state & MFS_DISABLED), state & MFS_CHECKED);
    }
    if (hooked)
        UnhookWindowsHookEx(hooked);
    if (probe)
        FreeLibrary(probe);
    return states;
}

// The toolbar's buttons as the idle update left them.
inline std::map<unsigned, char> ToolbarStates(HWND main)
{
    HWND toolbar = FindWindowExW(Descendant(main, 0xE800), nullptr, TOOLBARCLASSNAMEW, nullptr);
    std::map<unsigned, char> states;
    for (unsigned id : {32783u, 32781u, 32782u, 32784u, 32870u}) {
        const LRESULT state = SendMessageW(toolbar, TB_GETSTATE, id, 0);
        states[id] = state < 0 ? '?' : ItemState(state & TBSTATE_ENABLED, state & TBSTATE_CHECKED);
    }
    return states;
}

// Engine states 0 (no card), 4 (previewing 480i) and 5 (recording with the preview),
// with the first start's settings, in menu order.
inline const std::map<unsigned, std::string>& ExpectedItemStates()
{
    static const std::map<unsigned, std::string> expected = {
        {32783, "ece"}, {32781, "ee-"}, {32782, "--e"}, {32784, "-ee"}, {57665, "eee"}, {32870, "ee-"}, {32795, "xxx"},
        {32796, "-xx"}, {32797, "---"}, {32798, "---"}, {32799, "---"}, {32790, "ccc"}, {32791, "eee"}, {32802, "ccx"},
        {32800, "ee-"}, {32801, "ee-"}, {32792, "eee"}, {59392, "ccc"}, {59393, "ccc"}, {32840, "ccc"}, {32821, "eee"},
        {32822, "eee"}, {32823, "eee"}, {32824, "ccc"}, {32825, "eee"}, {32826, "eee"}, {32811, "eee"}, {32812, "ccc"},
        {32813, "eee"}, {32814, "eee"}, {32815, "eee"}, {32810, "eee"}, {32841, "eee"}, {32842, "eee"}, {32872, "-ee"},
        {32873, "-ee"}, {32874, "-ee"}, {32875, "-ee"}, {32879, "-ee"}, {32880, "-ee"}, {32830, "eee"}, {32832, "---"},
        {32831, "---"}, {57664, "eee"},
    };
    return expected;
}

// Every menu item and toolbar button as the state (index 0, 1 or 2 of the expectations) shows them.
inline void ExpectItemStates(HWND main, int column, const char* stateName)
{
    SCOPED_TRACE(stateName);
    const std::map<unsigned, char> menu = MenuStates(main);
    ASSERT_EQ(ExpectedItemStates().size(), menu.size()) << "menu items read";
    for (const auto& [id, states] : ExpectedItemStates()) {
        const auto found = menu.find(id);
        EXPECT_EQ(states[column], found == menu.end() ? '?' : found->second) << "menu item " << id;
    }
    // The toolbar follows at the next idle update.
    for (const auto& [button, state] : ToolbarStates(main)) {
        const unsigned id = button;
        const char expected = ExpectedItemStates().at(id)[column];
        EXPECT_TRUE(WaitFor([&] { return ToolbarStates(main).at(id) == expected; }, 3000))
            << "button " << id << " shows " << state << ", not " << expected;
    }
}

}  // namespace tavrik_test
