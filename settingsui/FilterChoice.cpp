#include "FilterChoice.h"

#include "../framework/Resources.h"
#include "engine/DeviceLists.h"

FilterChoice::FilterChoice(int comboId, std::wstring nullDisplayName)
    : comboId_(comboId),
      nullDisplayName_(std::move(nullDisplayName))
{
}

void FilterChoice::Fill(HWND page, std::vector<FilterEntry> found)
{
    page_ = page;
    candidates_.clear();
    if (!nullDisplayName_.empty())
        candidates_.push_back({kNullEntryName, nullDisplayName_, nullptr, nullptr});
    for (FilterEntry& entry : found)
        candidates_.push_back(std::move(entry));
    SendMessageW(Combo(), CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < candidates_.size(); ++i) {
        const auto item =
            SendMessageW(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(candidates_[i].friendlyName.c_str()));
        if (item >= 0)
            SendMessageW(Combo(), CB_SETITEMDATA, item, static_cast<LPARAM>(i));
    }
}

void FilterChoice::MakeNullCurrent()
{
    if (nullDisplayName_.empty())
        return;
    current_ = candidates_.front();
    SelectCurrentInCombo();
}

void FilterChoice::Clear()
{
    current_.reset();
}

void FilterChoice::SetCurrent(FilterEntry entry)
{
    current_ = std::move(entry);
}

void FilterChoice::SelectCurrentInCombo()
{
    ClearSelection();
    if (!current_)
        return;
    const auto count = static_cast<int>(SendMessageW(Combo(), CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        const auto index = static_cast<size_t>(SendMessageW(Combo(), CB_GETITEMDATA, item, 0));
        if (index < candidates_.size() && candidates_[index].displayName == current_->displayName) {
            SendMessageW(Combo(), CB_SETCURSEL, item, 0);
            return;
        }
    }
}

void FilterChoice::ClearSelection()
{
    SendMessageW(Combo(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void FilterChoice::OnSelectionChange()
{
    current_.reset();
    const LRESULT item = SendMessageW(Combo(), CB_GETCURSEL, 0, 0);
    if (item == CB_ERR)
        return;
    const auto index = static_cast<size_t>(SendMessageW(Combo(), CB_GETITEMDATA, item, 0));
    if (index >= candidates_.size())
        return;
    FilterEntry entry = candidates_[index];
    entry.filter.Reset();
    const HRESULT hr = BindFilterEntry(entry, entry.filter.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr) || entry.IsNull())
        current_ = std::move(entry);
}

void RefuseIncompleteFilters()
{
    FwMessageBox(L"全てのフィルタを選択してください。", MB_ICONHAND);
}
