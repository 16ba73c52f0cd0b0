// What a built graph asks of the process while it runs: a raised priority class,
// and for a recording the load thread; the tear-down undoes both.
#pragma once

#include "LoadThread.h"

#include <windows.h>

class ProcessLoad {
public:
    // A build's priority class; 0 leaves the process priority as it is.
    void RaisePriority(DWORD priorityClass);
    // Before a record build: whether the load thread already runs, so the tear-down leaves it.
    void NoteLoadThreadBeforeRecording() { loadThreadWasRunning_ = thread_.IsRunning(); }
    // At the tear-down: stops a load thread the record graph started, restores the priority class.
    void Release(bool recordGraph);
    // The class to restore, 0 when there is nothing to restore.
    DWORD SavedPriorityClass() const { return savedPriorityClass_; }

    // The main window's command, the stored setting and the record option share one thread.
    bool StartLoadThread() { return thread_.Start(); }
    void StopLoadThread() { thread_.Stop(); }
    bool LoadThreadRunning() const { return thread_.IsRunning(); }

private:
    LoadThread thread_;
    bool loadThreadWasRunning_ = false;
    DWORD savedPriorityClass_ = NORMAL_PRIORITY_CLASS;
};
