// The card's I2C bus as the vendor command library sees it: device registers that keep what
// was written, and the log lines that record each call.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace cardsim {

constexpr uint32_t kMaxI2CTransfer = 256;

class I2CRegisters {
public:
    void Write(uint32_t device, uint32_t reg, const uint8_t* data, uint32_t length);
    // Unwritten registers read as 0.
    void Read(uint32_t device, uint32_t reg, uint8_t* data, uint32_t length) const;

private:
    std::map<std::pair<uint32_t, uint32_t>, uint8_t> bytes_;
};

enum class I2CCall { Write, Read };

// "write device=98 register=05 length=2 data=61 00" (hexadecimal, two digits a byte).
std::string FormatI2CCall(I2CCall call, uint32_t device, uint32_t reg, const uint8_t* data, uint32_t length);
// "rejected write: <reason>"
std::string FormatI2CRejection(I2CCall call, const std::string& reason);

}  // namespace cardsim
