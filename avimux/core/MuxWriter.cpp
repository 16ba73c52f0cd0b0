#include "MuxWriter.h"

#include <new>
#include <system_error>

namespace trelvox {

MuxWriter::MuxWriter(MuxEventSink& events, std::atomic<bool>& prepared, ThreadStarter starter)
    : events_(events),
      prepared_(prepared),
      starter_(std::move(starter))
{
    if (!starter_)
        starter_ = [](std::function<void()> run) { return std::thread(std::move(run)); };
}

MuxWriter::~MuxWriter()
{
    Stop();
}

HResult MuxWriter::Start(WriterThreading threading, const WriterConfig& config, BatchSink sink, bool videoEnded,
                         bool audioEnded)
{
    Stop();
    threading_ = threading;
    config_ = config;
    sink_ = std::move(sink);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        video_.clear();
        audio_.clear();
        pending_ = checkComplete_ = exit_ = false;
        videoEnded_ = videoEnded;
        audioEnded_ = audioEnded;
    }
    if (threading_ == WriterThreading::Inline)
        return kS_OK;
    try {
        thread_ = starter_([this] { ThreadMain(); });
    } catch (const std::system_error&) {
        return kE_FAIL;
    } catch (const std::bad_alloc&) {
        return kE_FAIL;
    }
    return thread_.joinable() ? kS_OK : kE_FAIL;
}

void MuxWriter::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        exit_ = true;
    }
    wake_.notify_all();
    room_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    video_.clear();
    audio_.clear();
}

void MuxWriter::QueueVideo(std::vector<RecordPtr> records)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        video_.insert(video_.end(), records.begin(), records.end());
    }
    Kick();
}

void MuxWriter::QueueAudio(std::vector<RecordPtr> records)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        audio_.insert(audio_.end(), records.begin(), records.end());
    }
    Kick();
}

void MuxWriter::WaitForVideoRoom(size_t limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return video_.size() < limit || !prepared_ || exit_; });
}

void MuxWriter::WaitForAudioTaken()
{
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return audio_.empty() || !prepared_ || exit_; });
}

void MuxWriter::ReleaseWaiters()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
    }
    room_.notify_all();
}

void MuxWriter::EndOfStream(StreamKind stream)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        (stream == StreamKind::Video ? videoEnded_ : audioEnded_) = true;
        checkComplete_ = true;
    }
    if (threading_ == WriterThreading::Inline) {
        CheckComplete();
    } else {
        wake_.notify_all();
    }
}

void MuxWriter::CheckComplete()
{
    bool complete;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        complete = checkComplete_ && videoEnded_ && audioEnded_;
        checkComplete_ = false;
    }
    if (complete)
        events_.Notify(kEcComplete, kS_OK, 0);
}

void MuxWriter::Kick()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pending_)
            return;
        pending_ = true;
    }
    if (threading_ == WriterThreading::Inline) {
        std::lock_guard<std::mutex> pass(inlineMutex_);
        Report(RunPasses());
    } else {
        wake_.notify_all();
    }
}

void MuxWriter::ThreadMain()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return pending_ || checkComplete_ || exit_; });
        if (pending_) {
            lock.unlock();
            Report(RunPasses());
            lock.lock();
        } else if (checkComplete_) {
            lock.unlock();
            CheckComplete();
            lock.lock();
        } else {
            return;
        }
    }
}

void MuxWriter::Report(HResult result)
{
    if (result == kS_OK)
        return;
    ReleaseWaiters();
    if (result == kS_FALSE) {
        events_.Notify(kEcFilesFull, 1, 0);
    } else {
        events_.Notify(kEcErrorAbort, result, 0);
    }
}

HResult MuxWriter::RunPasses()
{
    HResult result = kS_OK;
    try {
        for (;;) {
            if (!prepared_)
                break;
            TakenBatch audio, video;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                audio = config_.audioSplit.Take(audio_, SIZE_MAX);
            }
            room_.notify_all();
            if (!audio.records.empty())
                result = sink_(StreamKind::Audio, std::move(audio.records), audio.split);
            if (result != kS_OK)
                break;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                video = config_.videoSplit.Take(video_, config_.maxVideoWrites);
            }
            room_.notify_all();
            if (!video.records.empty())
                result = sink_(StreamKind::Video, std::move(video.records), video.split);
            if (result != kS_OK)
                break;
            std::lock_guard<std::mutex> lock(mutex_);
            if (video_.empty() && audio_.empty()) {
                pending_ = false;
                return kS_OK;
            }
        }
    } catch (const std::bad_alloc&) {
        result = kE_OUTOFMEMORY;
    }
    if (result != kS_OK)
        prepared_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = false;
    return result;
}

}  // namespace trelvox
