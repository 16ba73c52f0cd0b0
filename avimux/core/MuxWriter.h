// The writer: the pins queue records, a single writer takes them off in batches and
// hands them to the file layout. Runs on its own thread, or inline on the caller's
// thread (used by tests that need one fixed order of writes).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "MuxTypes.h"
#include "SplitRules.h"

namespace trelvox {

enum class WriterThreading { OwnThread, Inline };

struct WriterConfig {
    size_t maxVideoWrites = 1;  // video records per batch
    SplitCounter videoSplit;
    SplitCounter audioSplit;
};

// Starts the writer's thread; may throw std::system_error as std::thread does.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

class MuxWriter {
public:
    // Writes one batch: S_OK, kS_FALSE when no file is left, or a failure.
    using BatchSink = std::function<HResult(StreamKind, std::vector<RecordPtr>, bool split)>;

    MuxWriter(MuxEventSink& events, std::atomic<bool>& prepared, ThreadStarter starter = {});
    ~MuxWriter();

    // E_FAIL when the thread cannot be started.
    HResult Start(WriterThreading threading, const WriterConfig& config, BatchSink sink, bool videoEnded,
                  bool audioEnded);
    // Writes everything still queued (while recording is prepared) and ends the thread.
    void Stop();

    void QueueVideo(std::vector<RecordPtr> records);
    void QueueAudio(std::vector<RecordPtr> records);
    // Holds the video pin back while `limit` or more video records wait.
    void WaitForVideoRoom(size_t limit);
    // Holds the audio pin back until the writer has taken every queued audio record.
    void WaitForAudioTaken();
    // Wakes a waiting video pin, e.g. when recording ended.
    void ReleaseWaiters();

    // The stream ended; EC_COMPLETE goes out once both have, after what is queued is written.
    void EndOfStream(StreamKind stream);

private:
    void Kick();
    void ThreadMain();
    HResult RunPasses();
    void Report(HResult result);
    void CheckComplete();

    MuxEventSink& events_;
    std::atomic<bool>& prepared_;
    WriterThreading threading_ = WriterThreading::Inline;
    WriterConfig config_;
    BatchSink sink_;
    ThreadStarter starter_;

    std::mutex mutex_;  // queues and flags
    std::condition_variable wake_;
    std::condition_variable room_;
    std::deque<RecordPtr> video_, audio_;
    bool pending_ = false;
    bool checkComplete_ = false;
    bool exit_ = false;
    bool videoEnded_ = false, audioEnded_ = false;
    std::mutex inlineMutex_;  // one inline pass at a time
    std::thread thread_;
};

}  // namespace trelvox
