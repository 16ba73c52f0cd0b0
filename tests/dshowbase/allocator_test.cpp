// CMemAllocator's commit/decommit and blocking, and CMediaSample's properties.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dshowbase/streams.h"

namespace {

class Allocator : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(0, CBaseObject::ObjectsActive());
        HRESULT hr = S_OK;
        CUnknown* object = CMemAllocator::CreateInstance(nullptr, &hr);
        ASSERT_NE(nullptr, object);
        object->NonDelegatingAddRef();
        ASSERT_EQ(S_OK, object->NonDelegatingQueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&allocator)));
        object->NonDelegatingRelease();
    }

    void TearDown() override
    {
        if (allocator)
            allocator->Release();
        EXPECT_EQ(0, CBaseObject::ObjectsActive()) << "the allocator or a sample outlived its last reference";
    }

    HRESULT SetBuffers(LONG count, LONG size, LONG align = 1, LONG prefix = 0)
    {
        ALLOCATOR_PROPERTIES request{count, size, align, prefix};
        return allocator->SetProperties(&request, &actual);
    }

    IMemAllocator* allocator = nullptr;
    ALLOCATOR_PROPERTIES actual{};
};

TEST_F(Allocator, PropertiesAreRoundedToTheAlignmentAndCheckedAgainstTheState)
{
    EXPECT_EQ(VFW_E_BADALIGN, SetBuffers(2, 100, 0));
    EXPECT_EQ(VFW_E_BADALIGN, SetBuffers(2, 100, 12));
    ASSERT_EQ(S_OK, SetBuffers(3, 100, 16, 8));
    EXPECT_EQ(3, actual.cBuffers);
    EXPECT_EQ(0, (actual.cbBuffer + actual.cbPrefix) % 16);
    EXPECT_GE(actual.cbBuffer, 100);

    ASSERT_EQ(S_OK, allocator->Commit());
    EXPECT_EQ(VFW_E_ALREADY_COMMITTED, SetBuffers(1, 10));
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    EXPECT_EQ(0u, reinterpret_cast<UINT_PTR>(data - 8) % 16) << "prefix plus buffer keep the alignment";
    EXPECT_EQ(actual.cbBuffer, sample->GetSize());
    ASSERT_EQ(S_OK, allocator->Decommit());
    EXPECT_EQ(VFW_E_BUFFERS_OUTSTANDING, SetBuffers(1, 10));
    sample->Release();
    EXPECT_EQ(S_OK, SetBuffers(1, 10));
}

TEST_F(Allocator, GetBufferNeedsACommitAndWaitsForAFreeSample)
{
    ASSERT_EQ(S_OK, SetBuffers(2, 64));
    IMediaSample* first = nullptr;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&first, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* second = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&first, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->GetBuffer(&second, nullptr, nullptr, 0));
    EXPECT_NE(first, second);
    IMediaSample* third = nullptr;
    EXPECT_EQ(VFW_E_TIMEOUT, allocator->GetBuffer(&third, nullptr, nullptr, AM_GBF_NOWAIT));

    // A waiting GetBuffer gets the sample released by another thread.
    std::atomic<IMediaSample*> got{nullptr};
    std::thread waiter([&] {
        IMediaSample* sample = nullptr;
        if (allocator->GetBuffer(&sample, nullptr, nullptr, 0) == S_OK)
            got = sample;
    });
    Sleep(50);
    EXPECT_EQ(nullptr, got.load());
    IMediaSample* const released = first;
    first->Release();
    waiter.join();
    EXPECT_EQ(released, got.load());

    // Decommit wakes a waiter with VFW_E_NOT_COMMITTED.
    std::atomic<HRESULT> waitResult{S_OK};
    std::thread blocked([&] {
        IMediaSample* sample = nullptr;
        waitResult = allocator->GetBuffer(&sample, nullptr, nullptr, 0);
    });
    Sleep(50);
    ASSERT_EQ(S_OK, allocator->Decommit());
    blocked.join();
    EXPECT_EQ(VFW_E_NOT_COMMITTED, waitResult.load());

    got.load()->Release();
    second->Release();
}

TEST_F(Allocator, ACommittedAllocatorLivesUntilItsSamplesComeBack)
{
    ASSERT_EQ(S_OK, SetBuffers(1, 32));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    allocator->Decommit();
    allocator->Release();
    allocator = nullptr;
    EXPECT_GT(CBaseObject::ObjectsActive(), 0);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    data[31] = 0x5A;  // still valid memory
    sample->Release();
}

TEST_F(Allocator, SampleTimesFlagsAndPropertiesResetOnRelease)
{
    ASSERT_EQ(S_OK, SetBuffers(1, 16));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));

    REFERENCE_TIME start = 0, stop = 0;
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
    REFERENCE_TIME setStart = 1000, setStop = 2000;
    sample->SetTime(&setStart, nullptr);
    EXPECT_EQ(VFW_S_NO_STOP_TIME, sample->GetTime(&start, &stop));
    EXPECT_EQ(1000, start);
    EXPECT_EQ(1001, stop);
    sample->SetTime(&setStart, &setStop);
    EXPECT_EQ(S_OK, sample->GetTime(&start, &stop));
    EXPECT_EQ(2000, stop);

    LONGLONG mediaStart = 0, mediaStop = 0;
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&mediaStart, &mediaStop));
    LONGLONG setMediaStart = 5, setMediaStop = 6;
    sample->SetMediaTime(&setMediaStart, &setMediaStop);
    EXPECT_EQ(S_OK, sample->GetMediaTime(&mediaStart, &mediaStop));
    EXPECT_EQ(6, mediaStop);

    EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, sample->SetActualDataLength(17));
    EXPECT_EQ(S_OK, sample->SetActualDataLength(12));
    sample->SetSyncPoint(TRUE);
    sample->SetPreroll(TRUE);
    sample->SetDiscontinuity(TRUE);
    const CMediaType type(&MEDIATYPE_Audio);
    AM_MEDIA_TYPE* got = nullptr;
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&got));
    sample->SetMediaType(const_cast<CMediaType*>(&type));
    ASSERT_EQ(S_OK, sample->GetMediaType(&got));
    EXPECT_EQ(MEDIATYPE_Audio, got->majortype);
    DeleteMediaType(got);

    IMediaSample2* sample2 = nullptr;
    ASSERT_EQ(S_OK, sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2)));
    AM_SAMPLE2_PROPERTIES props{};
    ASSERT_EQ(S_OK, sample2->GetProperties(sizeof props, reinterpret_cast<BYTE*>(&props)));
    EXPECT_EQ(sizeof props, props.cbData);
    EXPECT_EQ(12, props.lActual);
    EXPECT_EQ(1000, props.tStart);
    const DWORD expected = AM_SAMPLE_SPLICEPOINT | AM_SAMPLE_PREROLL | AM_SAMPLE_DATADISCONTINUITY |
                           AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID | AM_SAMPLE_TYPECHANGED;
    EXPECT_EQ(expected, props.dwSampleFlags);
    EXPECT_EQ(16, props.cbBuffer);

    // Properties written back change the sample; the buffer cannot be swapped.
    props.dwSampleFlags = AM_SAMPLE_TIMEVALID;
    props.tStart = 42;
    props.lActual = 3;
    props.pMediaType = nullptr;
    EXPECT_EQ(S_OK, sample2->SetProperties(sizeof props, reinterpret_cast<const BYTE*>(&props)));
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    EXPECT_EQ(3, sample->GetActualDataLength());
    EXPECT_EQ(VFW_S_NO_STOP_TIME, sample->GetTime(&start, &stop));
    EXPECT_EQ(42, start);
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&got));
    props.pbBuffer = reinterpret_cast<BYTE*>(&props);
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof props, reinterpret_cast<const BYTE*>(&props)));
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(8, reinterpret_cast<const BYTE*>(&props)));
    sample2->Release();

    sample->SetSyncPoint(TRUE);
    sample->Release();
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint()) << "flags do not survive a trip through the allocator";
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&mediaStart, &mediaStop));
    sample->Release();
    allocator->Decommit();
}

}  // namespace
