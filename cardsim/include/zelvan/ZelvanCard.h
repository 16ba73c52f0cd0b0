// Facts of the Zelvan card's driver and vendor software that a program using the card needs:
// device name, crossbar moniker, and the call shape of VendorCmdZV.dll.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define ZELVAN_STDCALL __stdcall
#else
#define ZELVAN_STDCALL
#endif

namespace zelvan {

inline constexpr wchar_t kCaptureDeviceName[] = L"Zelvan BDA Analog Capture Secondary";

// Display name of the card's crossbar in the crossbar category (AM_KSCATEGORY_CROSSBAR).
inline constexpr wchar_t kCrossbarMoniker[] =
    L"@device:sw:{A799A801-A46D-11D0-A18C-00A02401DCD4}\\{F0C5FDC9-D592-463A-A302-4769B17A4047}";

// The seventh argument of I2CBusRead and I2CBusWrite points at this value.
inline constexpr uint32_t kI2CTag = 0x5A564931;

// I2CBusWrite(data, device address, register, 1, length, null, tag) writes length bytes;
// I2CBusRead has the same shape and fills data. Both return 1 on success, 0 on failure.
using I2CBusProc = int(ZELVAN_STDCALL*)(uint8_t* data, uint32_t* deviceAddress, uint32_t* registerNumber, uint32_t* one,
                                        uint32_t* length, void* reserved, uint32_t* tag);

inline constexpr char kI2CBusReadName[] = "I2CBusRead";
inline constexpr char kI2CBusWriteName[] = "I2CBusWrite";

}  // namespace zelvan
