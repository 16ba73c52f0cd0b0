// The card's vendor software as a program meets it: the command library loaded from the
// program's folder, and the companion programs in the card's installation folder.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "SimControl.h"
#include "zelvan/ZelvanCard.h"

namespace {

const std::filesystem::path kInstallFolder = L"C:\\Program Files\\Zelvan";

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class VendorLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        logFolder_ = control_.FreshLogFolder(L"zelvan-vendor-test");
        module_ = LoadLibraryW(L".\\VendorCmdZV.dll");
        ASSERT_NE(nullptr, module_);
        write_ = reinterpret_cast<zelvan::I2CBusProc>(
            reinterpret_cast<void*>(GetProcAddress(module_, zelvan::kI2CBusWriteName)));
        read_ = reinterpret_cast<zelvan::I2CBusProc>(
            reinterpret_cast<void*>(GetProcAddress(module_, zelvan::kI2CBusReadName)));
        ASSERT_NE(nullptr, write_);
        ASSERT_NE(nullptr, read_);
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    int Write(uint32_t reg, std::vector<uint8_t> bytes, uint32_t tag = zelvan::kI2CTag)
    {
        uint32_t device = 0x98, one = 1, length = static_cast<uint32_t>(bytes.size());
        return write_(bytes.data(), &device, &reg, &one, &length, nullptr, &tag);
    }

    SimControl control_;
    std::filesystem::path logFolder_;
    HMODULE module_ = nullptr;
    zelvan::I2CBusProc write_ = nullptr;
    zelvan::I2CBusProc read_ = nullptr;
};

TEST_F(VendorLibrary, LogsEveryWriteByteForByteAndReadsItBack)
{
    // A card configuration at its defaults for a 1080i input.
    EXPECT_EQ(1, Write(0x05, {0x61, 0x00}));
    EXPECT_EQ(1, Write(0x0B, {0x04, 0x00}));
    EXPECT_EQ(1, Write(0x1B, {0x1B}));
    EXPECT_EQ(1, Write(0x3C, {0x00}));

    uint8_t data[2] = {};
    uint32_t device = 0x98, reg = 0x05, one = 1, length = 2, tag = zelvan::kI2CTag;
    EXPECT_EQ(1, read_(data, &device, &reg, &one, &length, nullptr, &tag));
    EXPECT_EQ(0x61, data[0]);
    EXPECT_EQ(0x00, data[1]);

    EXPECT_EQ((std::vector<std::string>{
                  "write device=98 register=05 length=2 data=61 00",
                  "write device=98 register=0B length=2 data=04 00",
                  "write device=98 register=1B length=1 data=1B",
                  "write device=98 register=3C length=1 data=00",
                  "read device=98 register=05 length=2 data=61 00",
              }),
              Lines(logFolder_ / "i2c.log"));
}

TEST_F(VendorLibrary, RefusesCallsWithoutTheTagOrWithBadArguments)
{
    EXPECT_EQ(0, Write(0x05, {0x61, 0x00}, 0x12345678));
    uint32_t device = 0x98, reg = 0x05, one = 1, length = 4096, tag = zelvan::kI2CTag;
    uint8_t data[4] = {};
    EXPECT_EQ(0, write_(data, &device, &reg, &one, &length, nullptr, &tag));
    EXPECT_EQ(0, write_(data, &device, &reg, &one, &length, nullptr, nullptr));
    length = 2;
    EXPECT_EQ(0, write_(nullptr, &device, &reg, &one, &length, nullptr, &tag));

    EXPECT_EQ((std::vector<std::string>{"rejected write: wrong tag", "rejected write: too long",
                                        "rejected write: wrong tag", "rejected write: no data"}),
              Lines(logFolder_ / "i2c.log"));
}

TEST(CardInstallation, HoldsTheVendorSoftware)
{
    for (const wchar_t* file : {L"VendorCmdZV.dll", L"ZV_SetUtil.exe", L"ZV_I2CUtil.exe"})
        EXPECT_TRUE(std::filesystem::exists(kInstallFolder / file)) << file;
}

// Started the way the application starts them: the folder, a doubled backslash and the name.
TEST(CompanionPrograms, RecordTheirStartAndShowAWindow)
{
    SimControl control;
    const std::filesystem::path logFolder = control.FreshLogFolder(L"zelvan-utility-test");
    for (const wchar_t* program : {L"ZV_SetUtil.exe", L"ZV_I2CUtil.exe"}) {
        const std::wstring path = kInstallFolder.wstring() + L"\\\\" + program;
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpFile = path.c_str();
        info.lpDirectory = kInstallFolder.c_str();
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(ShellExecuteExW(&info)) << GetLastError();
        ASSERT_NE(nullptr, info.hProcess);

        HWND window = nullptr;
        for (int wait = 0; wait < 200 && !window; ++wait) {
            Sleep(50);
            window = FindWindowW(L"ZelvanSimUtility", nullptr);
        }
        ASSERT_NE(nullptr, window) << program;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 10000));
        CloseHandle(info.hProcess);
    }
    const std::vector<std::string> lines = Lines(logFolder / "utilities.log");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("ZV_SetUtil.exe started in C:\\Program Files\\Zelvan with \"\"", lines[0]);
    EXPECT_EQ("ZV_I2CUtil.exe started in C:\\Program Files\\Zelvan with \"\"", lines[1]);
}

}  // namespace
