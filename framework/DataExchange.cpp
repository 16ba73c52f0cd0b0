#include "DataExchange.h"

#include "DialogItems.h"
#include "ExchangeText.h"
#include "Resources.h"

void FwDataExchange::Text(int id, int& value)
{
    if (!Active())
        return;
    if (!saving_) {
        SetDlgItemTextW(dialog_, id, std::to_wstring(value).c_str());
        return;
    }
    int parsed = 0;
    if (fw::ParseInteger(ItemText(dialog_, id), parsed))
        value = parsed;
    else
        Fail(id, fw::IntegerExpectedMessage());
}

void FwDataExchange::Text(int id, double& value)
{
    if (!Active())
        return;
    if (!saving_) {
        SetDlgItemTextW(dialog_, id, fw::FormatNumber(value).c_str());
        return;
    }
    double parsed = 0.0;
    if (fw::ParseNumber(ItemText(dialog_, id), parsed))
        value = parsed;
    else
        Fail(id, fw::NumberExpectedMessage());
}

void FwDataExchange::Text(int id, std::wstring& value)
{
    if (!Active())
        return;
    if (saving_)
        value = ItemText(dialog_, id);
    else
        SetDlgItemTextW(dialog_, id, value.c_str());
}

void FwDataExchange::Check(int id, int& value)
{
    if (!Active())
        return;
    if (saving_)
        value = IsItemChecked(dialog_, id) ? 1 : 0;
    else
        CheckItem(dialog_, id, value != 0);
}

void FwDataExchange::Radio(int firstId, int count, int& value)
{
    if (!Active())
        return;
    if (saving_) {
        value = -1;
        for (int i = 0; i < count; ++i) {
            if (IsItemChecked(dialog_, firstId + i))
                value = i;
        }
        return;
    }
    for (int i = 0; i < count; ++i)
        CheckItem(dialog_, firstId + i, i == value);
}

void FwDataExchange::MinMax(int id, int value, int min, int max)
{
    if (Active() && saving_ && (value < min || value > max))
        Fail(id, fw::IntegerRangeMessage(min, max));
}

void FwDataExchange::MinMax(int id, double value, double min, double max)
{
    if (Active() && saving_ && !(value >= min && value <= max))
        Fail(id, fw::NumberRangeMessage(min, max));
}

void FwDataExchange::MaxChars(int id, const std::wstring& value, int max)
{
    if (Active() && !saving_)
        SendDlgItemMessageW(dialog_, id, EM_LIMITTEXT, static_cast<WPARAM>(max), 0);
    if (Active() && saving_ && value.size() > static_cast<size_t>(max))
        Fail(id, fw::TooManyCharactersMessage(max));
}

void FwDataExchange::Fail(int id, const std::wstring& message)
{
    failed_ = true;
    FwMessageBox(message, MB_ICONEXCLAMATION);
    HWND control = GetDlgItem(dialog_, id);
    if (control) {
        SetFocus(control);
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}
