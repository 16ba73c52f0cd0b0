// IMuxTimeShift: playback of what is being recorded through the "~Video" and "~Audio" pins.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "MuxGuids.h"

struct IMuxTimeShift : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Play(DWORD ratePercent) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Seek(DWORD seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPosition(DWORD* current, DWORD* total) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IMuxTimeShift, 0xbfec7e68, 0x8939, 0x44c2, 0x94, 0xed, 0x24, 0xff, 0xf1, 0xbc, 0xc2, 0xb5)
#endif
