// CPersistStream's version header, dirty flag and the WriteInt/ReadInt text format.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dshowbase/streams.h"

namespace {

// Saves one integer after the version header.
class Settings : public CPersistStream {
public:
    Settings() : CPersistStream(nullptr, nullptr) {}

    int value = 0;

    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetClassID(CLSID* pClsid) override
    {
        *pClsid = CLSID_NULL;
        return S_OK;
    }

    DWORD GetSoftwareVersion() override { return 3; }
    HRESULT WriteToStream(IStream* stream) override { return WriteInt(stream, value); }
    HRESULT ReadFromStream(IStream* stream) override
    {
        HRESULT hr = S_OK;
        value = ReadInt(stream, hr);
        return hr;
    }
    int SizeMax() override { return 24; }
    DWORD LoadedVersion() const { return mPS_dwFileVersion; }
};

IStream* MemoryStream()
{
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    return stream;
}

void Rewind(IStream* stream)
{
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

std::wstring StreamText(IStream* stream)
{
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::wstring text(static_cast<size_t>(stat.cbSize.QuadPart / sizeof(WCHAR)), L'\0');
    Rewind(stream);
    ULONG read = 0;
    stream->Read(text.data(), static_cast<ULONG>(text.size() * sizeof(WCHAR)), &read);
    return text;
}

TEST(CPersistStream, SavesTheVersionAheadOfTheDataAndLoadsBoth)
{
    Settings saved;
    saved.value = -42;
    saved.SetDirty(TRUE);
    ULARGE_INTEGER size{};
    ASSERT_EQ(S_OK, saved.GetSizeMax(&size));
    EXPECT_EQ(48u, size.QuadPart);

    IStream* stream = MemoryStream();
    ASSERT_NE(nullptr, stream);
    ASSERT_EQ(S_OK, saved.Save(stream, FALSE));
    EXPECT_EQ(S_OK, saved.IsDirty()) << "kept dirty when asked to";
    ASSERT_EQ(S_OK, saved.Save(stream, TRUE));
    EXPECT_EQ(S_FALSE, saved.IsDirty());
    EXPECT_EQ(std::wstring(L"00000000003 -0000000042 00000000003 -0000000042 "), StreamText(stream));

    Rewind(stream);
    Settings loaded;
    ASSERT_EQ(S_OK, loaded.Load(stream));
    EXPECT_EQ(3u, loaded.LoadedVersion());
    EXPECT_EQ(-42, loaded.value);
    stream->Release();
}

TEST(CPersistStream, ReadIntRefusesShortAndDamagedText)
{
    IStream* stream = MemoryStream();
    for (int n : {0, 2147483647, -2147483647 - 1})
        ASSERT_EQ(S_OK, WriteInt(stream, n));
    const wchar_t damaged[] = L"0000000x001 ";
    stream->Write(damaged, 24, nullptr);
    stream->Write(L"12", 4, nullptr);
    Rewind(stream);

    HRESULT hr = E_FAIL;
    EXPECT_EQ(0, ReadInt(stream, hr));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(2147483647, ReadInt(stream, hr));
    EXPECT_EQ(-2147483647 - 1, ReadInt(stream, hr));
    EXPECT_EQ(S_OK, hr);
    ReadInt(stream, hr);
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, hr) << "a letter among the digits";
    ReadInt(stream, hr);
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, hr) << "the stream ends early";
    stream->Release();

    Settings settings;
    IStream* empty = MemoryStream();
    EXPECT_HRESULT_FAILED(settings.Load(empty));
    empty->Release();
}

}  // namespace
