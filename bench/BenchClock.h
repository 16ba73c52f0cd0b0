// Wall time and this process's CPU time (user and kernel) over a measured run.
#pragma once

#include <windows.h>

struct RunFigures {
    double wallSeconds = 0;
    double userSeconds = 0;
    double systemSeconds = 0;
};

class BenchClock {
public:
    void Start();
    RunFigures Elapsed() const;

private:
    static void ProcessTimes(double* user, double* system);

    LARGE_INTEGER start_{};
    double user_ = 0;
    double system_ = 0;
};
