// Renderer interfaces our SDK headers lack: the Overlay Mixer's input pin
// configuration and the DirectSound renderer's focus window.
#pragma once

#include <windows.h>
#include <unknwn.h>

enum AmAspectRatioMode { AM_ARMODE_STRETCHED = 0 };

MIDL_INTERFACE("593CDDE1-0759-11d1-9E69-00C04FD7C15B")
IMixerPinConfig : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE SetRelativePosition(DWORD left, DWORD top, DWORD right, DWORD bottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRelativePosition(DWORD * left, DWORD * top, DWORD * right, DWORD * bottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZOrder(DWORD zOrder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetZOrder(DWORD * zOrder) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorKey(void* colorKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorKey(void* colorKey, DWORD* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBlendingParameter(DWORD blending) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBlendingParameter(DWORD * blending) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(AmAspectRatioMode mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(AmAspectRatioMode * mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStreamTransparent(BOOL transparent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStreamTransparent(BOOL * transparent) = 0;
};
__CRT_UUID_DECL(IMixerPinConfig, 0x593CDDE1, 0x0759, 0x11d1, 0x9E, 0x69, 0x00, 0xC0, 0x4F, 0xD7, 0xC1, 0x5B)

MIDL_INTERFACE("546F4260-D53E-11cf-B3F0-00AA003761C5")
IAMDirectSound : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetDirectSoundInterface(IUnknown * *directSound) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPrimaryBufferInterface(IUnknown * *buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSecondaryBufferInterface(IUnknown * *buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseDirectSoundInterface(IUnknown * directSound) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleasePrimaryBufferInterface(IUnknown * buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseSecondaryBufferInterface(IUnknown * buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFocusWindow(HWND window, BOOL mixing) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusWindow(HWND * window, BOOL * mixing) = 0;
};
__CRT_UUID_DECL(IAMDirectSound, 0x546F4260, 0xD53E, 0x11cf, 0xB3, 0xF0, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5)
