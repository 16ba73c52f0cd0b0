// CMediaType's deep copies and equality, and the task-memory helpers.
#include <gtest/gtest.h>

#include <cstring>

#include <windows.h>
#include <mmreg.h>

#include "TestFilters.h"

namespace {

// Counts its references, to see copies take and free them.
class CountedUnknown : public IUnknown {
public:
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown)
            return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

WAVEFORMATEX Pcm(DWORD rate)
{
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = 2;
    wfx.nSamplesPerSec = rate;
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = 4;
    wfx.nAvgBytesPerSec = rate * 4;
    return wfx;
}

CMediaType AudioType(DWORD rate)
{
    CMediaType mt(&MEDIATYPE_Audio);
    mt.SetSubtype(&MEDIASUBTYPE_PCM);
    mt.SetFormatType(&FORMAT_WaveFormatEx);
    const WAVEFORMATEX wfx = Pcm(rate);
    EXPECT_TRUE(mt.SetFormat(reinterpret_cast<const BYTE*>(&wfx), sizeof wfx));
    return mt;
}

TEST(CMediaType, CopiesOwnTheirFormatBlock)
{
    CMediaType original = AudioType(48000);
    CMediaType copy(original);
    CMediaType assigned;
    assigned = original;

    EXPECT_EQ(original, copy);
    EXPECT_EQ(original, assigned);
    EXPECT_NE(original.Format(), copy.Format());
    EXPECT_NE(original.Format(), assigned.Format());

    reinterpret_cast<WAVEFORMATEX*>(original.Format())->nSamplesPerSec = 44100;
    EXPECT_EQ(48000u, reinterpret_cast<WAVEFORMATEX*>(copy.Format())->nSamplesPerSec);
    EXPECT_NE(original, copy);

    const CMediaType& same = copy;
    copy = same;  // self-assignment keeps the block
    ASSERT_NE(nullptr, copy.Format());
    EXPECT_EQ(48000u, reinterpret_cast<WAVEFORMATEX*>(copy.Format())->nSamplesPerSec);
}

TEST(CMediaType, EqualityComparesTypesAndFormatBytes)
{
    const CMediaType a = AudioType(48000);
    EXPECT_EQ(a, AudioType(48000));
    EXPECT_NE(a, AudioType(44100)) << "only a format byte differs";

    CMediaType otherSubtype = AudioType(48000);
    otherSubtype.SetSubtype(&MEDIASUBTYPE_IEEE_FLOAT);
    EXPECT_NE(a, otherSubtype);

    CMediaType shorter = AudioType(48000);
    shorter.ReallocFormatBuffer(sizeof(WAVEFORMATEX) - 2);
    EXPECT_NE(a, shorter) << "a different format size";

    CMediaType otherFormatType = AudioType(48000);
    otherFormatType.SetFormatType(&FORMAT_None);
    EXPECT_NE(a, otherFormatType);

    // Sample size and flags are not part of equality.
    CMediaType variable = AudioType(48000);
    variable.SetVariableSize();
    EXPECT_EQ(a, variable);
}

TEST(CMediaType, PartialTypesMatchOnTheFieldsTheyGive)
{
    const CMediaType video = MakeVideoType(MEDIASUBTYPE_RGB24, 32, 16, 400000);
    CMediaType partial(&MEDIATYPE_Video);
    EXPECT_TRUE(partial.IsPartiallySpecified());
    EXPECT_FALSE(video.IsPartiallySpecified());
    EXPECT_TRUE(video.MatchesPartial(&partial));
    partial.SetSubtype(&MEDIASUBTYPE_RGB32);
    EXPECT_FALSE(video.MatchesPartial(&partial));
    const CMediaType anyVideo(&MEDIATYPE_Video);
    EXPECT_FALSE(AudioType(8000).MatchesPartial(&anyVideo));
}

TEST(MediaTypeHelpers, TaskMemoryCopiesAndTheUnknownReference)
{
    CountedUnknown unknown;
    CMediaType source = AudioType(32000);
    source.pUnk = &unknown;
    unknown.AddRef();  // the reference source holds

    AM_MEDIA_TYPE* created = CreateMediaType(&source);
    ASSERT_NE(nullptr, created);
    EXPECT_EQ(3, unknown.refs);
    EXPECT_NE(source.pbFormat, created->pbFormat);
    EXPECT_EQ(0, std::memcmp(source.pbFormat, created->pbFormat, source.cbFormat));

    AM_MEDIA_TYPE copied{};
    ASSERT_EQ(S_OK, CopyMediaType(&copied, created));
    EXPECT_EQ(4, unknown.refs);
    FreeMediaType(copied);
    EXPECT_EQ(nullptr, copied.pbFormat);
    EXPECT_EQ(0u, copied.cbFormat);
    EXPECT_EQ(nullptr, copied.pUnk);
    EXPECT_EQ(3, unknown.refs);

    DeleteMediaType(created);
    EXPECT_EQ(2, unknown.refs);
    DeleteMediaType(nullptr);  // allowed

    const CMediaType wrapped(source);
    EXPECT_EQ(3, unknown.refs);
    EXPECT_EQ(source, wrapped);
    source.InitMediaType();
    EXPECT_EQ(2, unknown.refs);
    EXPECT_FALSE(source.IsValid());
    EXPECT_EQ(nullptr, source.Format());
}

}  // namespace

namespace {

// A type from IAMStreamConfig::GetFormat is taken over, not copied, and freed once.
TEST(CMediaType, AdoptTakesOverATaskMemoryType)
{
    CountedUnknown unknown;
    CMediaType source = AudioType(48000);
    source.pUnk = &unknown;
    unknown.AddRef();
    AM_MEDIA_TYPE* created = CreateMediaType(&source);
    ASSERT_NE(nullptr, created);
    const BYTE* block = created->pbFormat;
    EXPECT_EQ(3, unknown.refs);
    {
        CMediaType owner = AudioType(8000);  // what it held before is freed
        owner.Adopt(created);
        EXPECT_EQ(block, owner.pbFormat) << "the block moved, no copy";
        EXPECT_EQ(source, owner);
        EXPECT_EQ(3, unknown.refs);
        owner.Adopt(nullptr);
        EXPECT_FALSE(owner.IsValid());
        EXPECT_EQ(2, unknown.refs);
    }
    EXPECT_EQ(2, unknown.refs);
}

}  // namespace
