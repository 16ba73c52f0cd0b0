// Dialog data exchange: fields to controls, or controls to fields with validation.
// The first failure shows its message, puts the focus on the control and makes
// every later step of the same exchange do nothing.
#pragma once

#include <windows.h>

#include <string>

class FwDataExchange {
public:
    FwDataExchange(HWND dialog, bool saveAndValidate) : dialog_(dialog), saving_(saveAndValidate) {}

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }

    void Text(int id, int& value);
    void Text(int id, double& value);
    void Text(int id, std::wstring& value);
    void Check(int id, int& value);
    // A run of radio buttons from firstId; value is the index of the checked one, -1 for none.
    void Radio(int firstId, int count, int& value);

    // Range checks for the value just exchanged with that control (only when saving);
    // MaxChars also limits the edit when loading.
    void MinMax(int id, int value, int min, int max);
    void MinMax(int id, double value, double min, double max);
    void MaxChars(int id, const std::wstring& value, int max);

    // Shows the message with the exclamation icon and fails on that control.
    void Fail(int id, const std::wstring& message);

private:
    bool Active() const { return !failed_; }

    HWND dialog_;
    bool saving_;
    bool failed_ = false;
};
