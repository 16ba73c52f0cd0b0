#include "ProcessLoad.h"

void ProcessLoad::RaisePriority(DWORD priorityClass)
{
    if (priorityClass == 0) {
        savedPriorityClass_ = 0;
        return;
    }
    savedPriorityClass_ = GetPriorityClass(GetCurrentProcess());
    SetPriorityClass(GetCurrentProcess(), priorityClass);
}

void ProcessLoad::Release(bool recordGraph)
{
    if (recordGraph && !loadThreadWasRunning_)
        thread_.Stop();
    if (savedPriorityClass_ != 0)
        SetPriorityClass(GetCurrentProcess(), savedPriorityClass_);
    savedPriorityClass_ = 0;
}
