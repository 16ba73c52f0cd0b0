// CAMThread's request/reply protocol, CAMEvent and CCritSec.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "dshowbase/streams.h"

namespace {

enum : DWORD { kExit = 0, kEcho = 1, kPeek = 2 };

// Answers kEcho with the parameter plus 1000 (taken from the request after the
// reply is known), kPeek by looking at the request with CheckRequest before replying.
class EchoThread : public CAMThread {
public:
    std::atomic<bool> peekSawRequest{false};
    std::atomic<DWORD> peekParam{0};

protected:
    DWORD ThreadProc() override
    {
        for (;;) {
            const DWORD request = GetRequest();
            switch (request) {
            case kExit:
                Reply(S_OK);
                return 0;
            case kPeek: {
                DWORD seen = 0;
                peekSawRequest = CheckRequest(&seen) != FALSE;
                peekParam = seen;
                Reply(7);
                break;
            }
            default:
                Reply(request + 1000);
                break;
            }
        }
    }
};

TEST(CAMThread, CallWorkerWaitsForTheReplyOfTheRunningThread)
{
    EchoThread worker;
    EXPECT_EQ(static_cast<DWORD>(E_FAIL), worker.CallWorker(5)) << "no thread yet";
    ASSERT_TRUE(worker.Create());
    EXPECT_FALSE(worker.Create()) << "a second thread while the first runs";
    EXPECT_TRUE(worker.ThreadExists());

    EXPECT_EQ(1005u, worker.CallWorker(5));
    EXPECT_EQ(1006u, worker.CallWorker(6));

    // The request stays posted until Reply: CheckRequest sees it and its parameter.
    EXPECT_EQ(7u, worker.CallWorker(kPeek));
    EXPECT_TRUE(worker.peekSawRequest);
    EXPECT_EQ(static_cast<DWORD>(kPeek), worker.peekParam.load());

    EXPECT_EQ(static_cast<DWORD>(S_OK), worker.CallWorker(kExit));
    worker.Close();
    EXPECT_FALSE(worker.ThreadExists());
    EXPECT_TRUE(worker.Create()) << "a new thread after Close";
    EXPECT_EQ(1009u, worker.CallWorker(9));
    worker.CallWorker(kExit);
    worker.Close();
}

TEST(CAMThread, ConcurrentCallersEachGetTheirOwnReply)
{
    EchoThread worker;
    ASSERT_TRUE(worker.Create());
    std::atomic<int> mismatches{0};
    std::vector<std::thread> callers;
    for (DWORD c = 0; c < 4; ++c) {
        callers.emplace_back([&, c] {
            for (DWORD i = 0; i < 200; ++i) {
                const DWORD param = 10 + c * 1000 + i;
                if (worker.CallWorker(param) != param + 1000)
                    ++mismatches;
            }
        });
    }
    for (auto& caller : callers)
        caller.join();
    worker.CallWorker(kExit);
    worker.Close();
    EXPECT_EQ(0, mismatches.load());
}

// Ends on its first request, answering it or not.
class QuittingThread : public CAMThread {
public:
    explicit QuittingThread(bool answer) : m_answer(answer) {}

protected:
    DWORD ThreadProc() override
    {
        GetRequest();
        if (m_answer)
            Reply(S_OK);
        return 0;
    }

private:
    bool m_answer;
};

TEST(CAMThread, CallingAThreadThatHasEndedFailsInsteadOfHanging)
{
    QuittingThread answering(true);
    ASSERT_TRUE(answering.Create());
    EXPECT_EQ(static_cast<DWORD>(S_OK), answering.CallWorker(1));
    EXPECT_EQ(static_cast<DWORD>(E_FAIL), answering.CallWorker(2));
    answering.Close();

    QuittingThread silent(false);
    ASSERT_TRUE(silent.Create());
    EXPECT_EQ(static_cast<DWORD>(E_FAIL), silent.CallWorker(1));
    silent.Close();
}

// A worker that polls with CheckRequest while it works, as a streaming loop does.
class PollingThread : public CAMThread {
public:
    std::atomic<int> rounds{0};

protected:
    DWORD ThreadProc() override
    {
        GetRequest();
        Reply(S_OK);  // started
        DWORD request = 0;
        while (!CheckRequest(&request))
            ++rounds, Sleep(1);
        Reply(static_cast<DWORD>(rounds > 0 ? S_OK : E_FAIL));
        return 0;
    }
};

TEST(CAMThread, CheckRequestDoesNotBlockAndSeesTheNextRequest)
{
    PollingThread worker;
    ASSERT_TRUE(worker.Create());
    EXPECT_EQ(static_cast<DWORD>(S_OK), worker.CallWorker(1));
    while (worker.rounds < 3)
        Sleep(1);
    EXPECT_EQ(static_cast<DWORD>(S_OK), worker.CallWorker(2));
    worker.Close();
}

TEST(CAMEvent, AutoAndManualReset)
{
    CAMEvent automatic;
    EXPECT_FALSE(automatic.Check());
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Check()) << "an auto-reset event is consumed by the wait";

    CAMEvent manual(TRUE);
    manual.Set();
    EXPECT_TRUE(manual.Check());
    EXPECT_TRUE(manual.Check()) << "a manual-reset event stays set";
    manual.Reset();
    EXPECT_FALSE(manual.Wait(10));
}

TEST(CCritSec, AutoLockExcludesOtherThreadsAndNests)
{
    CCritSec lock;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                CAutoLock outer(&lock);
                CAutoLock inner(&lock);  // the same thread may take it again
                const long before = counter;
                counter = before + 1;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(40000, counter);
}

}  // namespace
