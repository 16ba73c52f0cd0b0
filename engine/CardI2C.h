// The card's vendor command library, loaded from the program's folder, and the
// card configuration file written through it to the card's video converter.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

using I2CBusProc = int(__stdcall*)(uint8_t* data, uint32_t* deviceAddress, uint32_t* registerNumber, uint32_t* one,
                                   uint32_t* length, void* reserved, uint32_t* tag);

struct CardI2C {
    int loaded = 0;
    HMODULE module = nullptr;
    I2CBusProc busRead = nullptr;  // looked up, never called
    I2CBusProc busWrite = nullptr;
};

// Loads ".\VendorCmdZV.dll" from the program's folder; true when both entry
// points were found. The current directory is the same afterwards.
bool OpenCardI2C(CardI2C& card);

// Writes the section "Config" of `configFile` (defaults for what is missing) to
// the card for the input format index. 1 after the writes were tried, 0 without a record.
int ApplyCardConfig(CardI2C* card, int format, const std::wstring& configFile);
