#include "BenchClock.h"

namespace {

double Seconds(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

}  // namespace

void BenchClock::ProcessTimes(double* user, double* system)
{
    FILETIME created, exited, kernel, userTime;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &userTime);
    *user = Seconds(userTime);
    *system = Seconds(kernel);
}

void BenchClock::Start()
{
    ProcessTimes(&user_, &system_);
    QueryPerformanceCounter(&start_);
}

RunFigures BenchClock::Elapsed() const
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    RunFigures figures;
    figures.wallSeconds = static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
    ProcessTimes(&figures.userSeconds, &figures.systemSeconds);
    figures.userSeconds -= user_;
    figures.systemSeconds -= system_;
    return figures;
}
