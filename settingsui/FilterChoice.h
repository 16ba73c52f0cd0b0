// One filter choice of a settings page: the candidates in the order found, the
// combo box that shows them sorted by name (item data: index in the list), and
// the current entry with its bound filter.
#pragma once

#include "profiles/FilterEntry.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class FilterChoice {
public:
    // nullDisplayName: the null entry put first in the list, or empty for none.
    FilterChoice(int comboId, std::wstring nullDisplayName);

    void Fill(HWND page, std::vector<FilterEntry> found);
    // Selects the null entry in the combo and makes it current.
    void MakeNullCurrent();
    // No current entry; its filter is released.
    void Clear();
    // An entry read from a profile becomes current with its filter.
    void SetCurrent(FilterEntry entry);
    // Selects the item whose entry has the current entry's display name (or none).
    void SelectCurrentInCombo();
    void ClearSelection();
    // The user selected an item: the current entry is released and the selected one bound.
    void OnSelectionChange();

    const FilterEntry* Current() const { return current_ ? &*current_ : nullptr; }
    IBaseFilter* Filter() const { return current_ ? current_->filter.Get() : nullptr; }
    bool NullIsCurrent() const { return current_ && current_->IsNull(); }
    // The page may be left with it: the null entry, or a filter.
    bool Acceptable() const { return NullIsCurrent() || Filter(); }
    HWND Combo() const { return GetDlgItem(page_, comboId_); }

private:
    int comboId_;
    std::wstring nullDisplayName_;
    HWND page_ = nullptr;
    std::vector<FilterEntry> candidates_;
    std::optional<FilterEntry> current_;
};

// Tells the user that the page cannot be left before each of its filters is chosen.
void RefuseIncompleteFilters();

// " 無圧縮": the leading blank sorts it first.
inline constexpr wchar_t kNullEntryName[] = L" 無圧縮";
