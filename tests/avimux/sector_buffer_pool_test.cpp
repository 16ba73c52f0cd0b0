// Reuse, bound and thread safety of the sample buffer pool.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "SectorBufferPool.h"

namespace trelvox {
namespace {

bool Aligned(const AlignedBuffer& b, uintptr_t alignment)
{
    return reinterpret_cast<uintptr_t>(b.data()) % alignment == 0;
}

TEST(SectorBufferPool, GivesADroppedBufferToTheNextSampleThatFits)
{
    auto pool = SectorBufferPool::Create(4096, 4);
    uint8_t* first;
    {
        AlignedBuffer a = pool->Take(8192);
        ASSERT_TRUE(a);
        EXPECT_TRUE(Aligned(a, 4096));
        EXPECT_EQ(a.size(), 8192u);
        first = a.data();
        std::memset(a.data(), 0x5A, a.size());
    }
    EXPECT_EQ(pool->IdleCount(), 1u);

    {
        AlignedBuffer same = pool->Take(4608);  // smaller, but more than half of it
        EXPECT_EQ(same.data(), first);
        EXPECT_EQ(same.size(), 4608u);
        EXPECT_EQ(same.capacity(), 8192u);
        EXPECT_EQ(same.data()[4607], 0x5A);  // content is not cleared
        EXPECT_EQ(pool->IdleCount(), 0u);
    }

    // Too large for it, or so small that it would waste more than half: fresh memory.
    AlignedBuffer larger = pool->Take(8704);
    EXPECT_NE(larger.data(), first);
    EXPECT_TRUE(Aligned(larger, 4096));
    AlignedBuffer small = pool->Take(3584);
    EXPECT_NE(small.data(), first);
    EXPECT_EQ(pool->IdleCount(), 1u);
}

TEST(SectorBufferPool, PrefersTheSmallestIdleBufferThatFits)
{
    auto pool = SectorBufferPool::Create(512, 4);
    uint8_t* smaller;
    {
        AlignedBuffer big = pool->Take(2048);
        AlignedBuffer mid = pool->Take(1536);
        smaller = mid.data();
    }
    AlignedBuffer b = pool->Take(1024);
    EXPECT_EQ(b.data(), smaller);
}

TEST(SectorBufferPool, KeepsNoMoreThanItsBoundIdle)
{
    auto pool = SectorBufferPool::Create(512, 3);
    {
        std::vector<AlignedBuffer> taken;
        for (int i = 0; i < 6; ++i)
            taken.push_back(pool->Take(1024));
    }
    EXPECT_EQ(pool->IdleCount(), 3u);
    std::vector<AlignedBuffer> again;
    for (int i = 0; i < 4; ++i)
        again.push_back(pool->Take(1024));
    EXPECT_EQ(pool->IdleCount(), 0u);
}

TEST(SectorBufferPool, MovedAndReassignedBuffersGoBackOnce)
{
    auto pool = SectorBufferPool::Create(512, 8);
    AlignedBuffer a = pool->Take(512);
    AlignedBuffer b = pool->Take(512);
    AlignedBuffer c = std::move(a);
    EXPECT_FALSE(a);
    b = std::move(c);  // b's own memory goes back here
    EXPECT_EQ(pool->IdleCount(), 1u);
    b = AlignedBuffer();
    EXPECT_EQ(pool->IdleCount(), 2u);
}

TEST(SectorBufferPool, ABufferMayOutliveThePool)
{
    auto pool = SectorBufferPool::Create(512, 2);
    AlignedBuffer kept = pool->Take(4096);
    pool.reset();
    std::memset(kept.data(), 1, kept.size());  // still ours; freed when dropped
}

// A backlog leaves the pool with more buffers than the steady stream after it needs: they
// go within two windows of takes (the first holds the backlog), but for one spare.
// Buffers a stream keeps cycling stay.
TEST(SectorBufferPool, FreesWhatAWindowOfTakesDidNotNeed)
{
    constexpr uint32_t kWindow = SectorBufferPool::kTrimWindowTakes;
    auto pool = SectorBufferPool::Create(512, 42);
    {
        std::vector<AlignedBuffer> backlog;
        for (int i = 0; i < 10; ++i)
            backlog.push_back(pool->Take(4096));
    }
    ASSERT_EQ(pool->IdleCount(), 10u);
    for (uint32_t i = 0; i < 2 * kWindow; ++i)
        pool->Take(4096);              // one at a time, back at once
    EXPECT_EQ(pool->IdleCount(), 2u);  // the one in use and the spare

    // Three in flight at every take: none of them is freed, window after window.
    std::deque<AlignedBuffer> inFlight;
    std::set<uint8_t*> used;
    for (uint32_t i = 0; i < 3 * kWindow; ++i) {
        inFlight.push_back(pool->Take(4096));
        used.insert(inFlight.back().data());
        if (inFlight.size() == 3)
            inFlight.pop_front();
    }
    inFlight.clear();
    EXPECT_EQ(used.size(), 3u);
    EXPECT_EQ(pool->IdleCount(), 3u);
}

// A pin thread takes and fills, a writer thread checks and drops, with a bounded queue
// between them as in a recording: every buffer arrives intact and the memory is reused.
TEST(SectorBufferPool, PinAndWriterThreadsShareIt)
{
    constexpr size_t kQueueLimit = 6;
    constexpr int kSamples = 3000;
    auto pool = SectorBufferPool::Create(512, kQueueLimit + 2);
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<int, AlignedBuffer>> queue;
    std::set<uint8_t*> seen;
    int bad = 0;

    std::thread writer([&] {
        for (int received = 0; received < kSamples; ++received) {
            std::pair<int, AlignedBuffer> item;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return !queue.empty(); });
                item = std::move(queue.front());
                queue.pop_front();
            }
            changed.notify_all();
            const uint8_t mark = static_cast<uint8_t>(item.first);
            const AlignedBuffer& b = item.second;
            if (b.data()[0] != mark || b.data()[b.size() - 1] != mark)
                ++bad;
        }
    });
    for (int i = 0; i < kSamples; ++i) {
        AlignedBuffer b = pool->Take(4096);
        ASSERT_TRUE(b);
        std::memset(b.data(), static_cast<uint8_t>(i), b.size());
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return queue.size() < kQueueLimit; });
        seen.insert(b.data());
        queue.emplace_back(i, std::move(b));
        changed.notify_all();
    }
    writer.join();
    EXPECT_EQ(bad, 0);
    // Whatever the interleaving, no more buffers exist at once than the queue, the one
    // being filled and the one being checked. Memory is reused: new buffers are made only
    // to replace what a trim freed, at most one such set in each window of takes.
    const size_t windows = kSamples / SectorBufferPool::kTrimWindowTakes + 1;
    EXPECT_LE(seen.size(), (kQueueLimit + 2) * windows);
    EXPECT_LE(pool->IdleCount(), kQueueLimit + 2);
}

}  // namespace
}  // namespace trelvox
