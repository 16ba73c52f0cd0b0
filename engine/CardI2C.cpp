#include "CardI2C.h"

#include "CardConfigWrites.h"

namespace {

constexpr wchar_t kVendorLibrary[] = L".\\VendorCmdZV.dll";
constexpr wchar_t kConfigSection[] = L"Config";
constexpr DWORD kCurrentDirectoryChars = 520;
// The vendor library's fixed tag for the last argument of its bus calls, and its
// transfer mode argument.
constexpr uint32_t kBusCallTag = 0x5A564931;
constexpr uint32_t kBusTransferMode = 1;

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

// Sets the current directory for its lifetime and puts the former one back.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::wstring& folder)
    {
        wchar_t former[kCurrentDirectoryChars] = {};
        const DWORD length = GetCurrentDirectoryW(kCurrentDirectoryChars, former);
        if (length > 0 && length < kCurrentDirectoryChars)
            former_.assign(former, length);
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectoryScope()
    {
        if (!former_.empty())
            SetCurrentDirectoryW(former_.c_str());
    }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::wstring former_;
};

I2CBusProc EntryPoint(HMODULE module, const char* name)
{
    return reinterpret_cast<I2CBusProc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

engine::CardConfig ReadCardConfig(const std::wstring& file)
{
    engine::CardConfig config;
    const auto read = [&](const wchar_t* key, int32_t& value) {
        value = static_cast<int32_t>(GetPrivateProfileIntW(kConfigSection, key, value, file.c_str()));
    };
    read(L"iRGain", config.redGain);
    read(L"iGGain", config.greenGain);
    read(L"iBGain", config.blueGain);
    read(L"iROffset", config.redOffset);
    read(L"iGOffset", config.greenOffset);
    read(L"iBOffset", config.blueOffset);
    read(L"bAutoGain", config.autoGain);
    read(L"bAutoOffset", config.autoOffset);
    return config;
}

}  // namespace

bool OpenCardI2C(CardI2C& card)
{
    const CurrentDirectoryScope programFolder(ProgramFolder());
    if (!card.module) {
        // A missing library is no error of the program's: no system dialog either.
        const UINT formerMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        card.module = LoadLibraryW(kVendorLibrary);
        SetErrorMode(formerMode);
        if (!card.module) {
            card.loaded = 1;
            return false;
        }
    }
    card.busRead = EntryPoint(card.module, "I2CBusRead");
    card.busWrite = EntryPoint(card.module, "I2CBusWrite");
    card.loaded = 1;
    return card.busRead && card.busWrite;
}

int ApplyCardConfig(CardI2C* card, int format, const std::wstring& configFile)
{
    if (!card)
        return 0;
    const engine::CardConfig config = ReadCardConfig(configFile);
    for (engine::CardRegisterWrite write : engine::CardConfigWrites(config, format)) {
        if (!card->busWrite)
            continue;
        uint32_t device = engine::kCardConverterAddress;
        uint32_t mode = kBusTransferMode;
        uint32_t tag = kBusCallTag;
        card->busWrite(write.data.data(), &device, &write.registerNumber, &mode, &write.length, nullptr, &tag);
    }
    return 1;
}
