// CRefTime: a reference time (100 ns units) with millisecond helpers.
#pragma once

#include <windows.h>
#include <strmif.h>

const LONGLONG MILLISECONDS = 1000;
const LONGLONG UNITS = 10000000;

class CRefTime {
public:
    REFERENCE_TIME m_time = 0;

    CRefTime() = default;
    CRefTime(LONG msecs) : m_time(msecs * (UNITS / MILLISECONDS)) {}
    CRefTime(REFERENCE_TIME rt) : m_time(rt) {}

    operator REFERENCE_TIME() const { return m_time; }
    CRefTime& operator=(REFERENCE_TIME rt)
    {
        m_time = rt;
        return *this;
    }
    CRefTime& operator+=(const CRefTime& rt)
    {
        m_time += rt.m_time;
        return *this;
    }
    CRefTime& operator-=(const CRefTime& rt)
    {
        m_time -= rt.m_time;
        return *this;
    }
    LONG Millisecs() const { return static_cast<LONG>(m_time / (UNITS / MILLISECONDS)); }
    LONGLONG GetUnits() const { return m_time; }
};
