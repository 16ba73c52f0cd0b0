// A counted COM pointer and the stock filters the tests build graphs with.
#pragma once

#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <utility>

inline const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
inline const CLSID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p, bool addRef = true) : m_p(p)
    {
        if (m_p && addRef)
            m_p->AddRef();
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~Ref() { Reset(); }

    void Reset()
    {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    operator T*() const { return m_p; }
    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

    template <class U>
    Ref<U> As(REFIID iid) const
    {
        Ref<U> result;
        if (m_p)
            m_p->QueryInterface(iid, result.OutVoid());
        return result;
    }

private:
    T* m_p = nullptr;
};

template <class T>
Ref<T> CreateInproc(REFCLSID clsid, REFIID iid)
{
    Ref<T> object;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.OutVoid());
    return object;
}

// The first pin of a filter in the given direction.
inline Ref<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction)
{
    Ref<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out())))
        return {};
    for (;;) {
        Ref<IPin> pin;
        if (pins->Next(1, pin.Out(), nullptr) != S_OK)
            return {};
        PIN_DIRECTION dir;
        if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == direction)
            return pin;
    }
}

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};
