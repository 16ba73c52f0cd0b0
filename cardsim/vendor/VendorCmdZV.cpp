// VendorCmdZV.dll: the card's vendor command library, with the I2C bus calls. Every call is
// recorded in i2c.log of the card's log folder.
#include <windows.h>

#include <mutex>

#include "I2CBus.h"
#include "RegistryControl.h"
#include "zelvan/ZelvanCard.h"

namespace {

constexpr wchar_t kLogFile[] = L"i2c.log";

std::mutex busLock;
cardsim::I2CRegisters registers;

// The checks every call makes before it touches the bus; empty when the call may go ahead.
std::string Refusal(uint8_t* data, uint32_t* device, uint32_t* reg, uint32_t* one, uint32_t* length, uint32_t* tag)
{
    if (!tag || *tag != zelvan::kI2CTag)
        return "wrong tag";
    if (!device || !reg || !one || !length)
        return "missing argument";
    if (*one != 1)
        return "unsupported mode";
    if (*length > cardsim::kMaxI2CTransfer)
        return "too long";
    if (*length != 0 && !data)
        return "no data";
    return {};
}

int Transfer(cardsim::I2CCall call, uint8_t* data, uint32_t* device, uint32_t* reg, uint32_t* one, uint32_t* length,
             uint32_t* tag)
{
    std::lock_guard<std::mutex> hold(busLock);
    const std::string refusal = Refusal(data, device, reg, one, length, tag);
    if (!refusal.empty()) {
        cardsim::AppendLogLine(kLogFile, cardsim::FormatI2CRejection(call, refusal));
        return 0;
    }
    if (call == cardsim::I2CCall::Write)
        registers.Write(*device, *reg, data, *length);
    else
        registers.Read(*device, *reg, data, *length);
    cardsim::AppendLogLine(kLogFile, cardsim::FormatI2CCall(call, *device, *reg, data, *length));
    return 1;
}

}  // namespace

extern "C" {

__declspec(dllexport) int __stdcall I2CBusWrite(uint8_t* data, uint32_t* device, uint32_t* reg, uint32_t* one,
                                                uint32_t* length, void* /*reserved*/, uint32_t* tag)
{
    return Transfer(cardsim::I2CCall::Write, data, device, reg, one, length, tag);
}

__declspec(dllexport) int __stdcall I2CBusRead(uint8_t* data, uint32_t* device, uint32_t* reg, uint32_t* one,
                                               uint32_t* length, void* /*reserved*/, uint32_t* tag)
{
    return Transfer(cardsim::I2CCall::Read, data, device, reg, one, length, tag);
}

}  // extern "C"
