// CTaskMemory: owns one block that a COM call returned in task memory (a string, an
// item list) and frees it with CoTaskMemFree when it goes.
#pragma once

#include <objbase.h>

template <typename T>
class CTaskMemory {
public:
    CTaskMemory() = default;
    explicit CTaskMemory(T* block) : m_block(block) {}
    ~CTaskMemory() { CoTaskMemFree(m_block); }
    CTaskMemory(const CTaskMemory&) = delete;
    CTaskMemory& operator=(const CTaskMemory&) = delete;

    T* Get() const { return m_block; }
    explicit operator bool() const { return m_block != nullptr; }
    // For a call that fills a T**; frees what was held before.
    T** Out()
    {
        CoTaskMemFree(m_block);
        m_block = nullptr;
        return &m_block;
    }

private:
    T* m_block = nullptr;
};
