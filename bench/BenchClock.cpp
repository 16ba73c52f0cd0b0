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
    ProcessTimes(&m_user, &m_system);
    QueryPerformanceCounter(&m_start);
}

RunFigures BenchClock::Elapsed() const
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    RunFigures figures;
    figures.wallSeconds =
        static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(frequency.QuadPart);
    ProcessTimes(&figures.userSeconds, &figures.systemSeconds);
    figures.userSeconds -= m_user;
    figures.systemSeconds -= m_system;
    return figures;
}
