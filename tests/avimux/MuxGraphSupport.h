// Graphs around the registered "Pelkor AVI Mux" for the tests and the recording child.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <string>

#include "MuxTestSource.h"

using Microsoft::WRL::ComPtr;

inline constexpr wchar_t kMuxMonikerName[] =
    L"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\{D08CC138-30DF-4FCD-9B0E-D565343B6EF7}";

// The filter as the application binds it: MkParseDisplayName and BindToObject.
HRESULT BindMuxByMoniker(IBaseFilter** filter);
// A pin of a filter by its name.
ComPtr<IPin> PinByName(IBaseFilter* filter, const wchar_t* name);
// "録画 ✓ Ärger 😀": characters outside code page 932, one outside the BMP.
inline constexpr wchar_t kNameOutsideCodePage[] = L"\u9332\u753b \u2713 \u00c4rger \U0001F600";

// "<test dir>\recordings\<name>" as a full Windows path; the folder is made.
std::wstring RecordingPath(const wchar_t* name);
// base + "%03d.avi".
std::wstring NumberedFile(const std::wstring& base, int index);
// Deletes name000.avi ... name039.avi and name.avi.
void DeleteRecording(const std::wstring& base);
bool FileExists(const std::wstring& path);
// -1 when the file cannot be read.
LONGLONG FileSize(const std::wstring& path);
// A program in the folder of the running test program.
std::wstring ProgramBeside(const wchar_t* name);
// Waits until the file's size has stood still for a second: under Wine a terminated
// process may still finish a write in progress.
void WaitUntilSettled(const std::wstring& file);
// Runs trelvox_record_child.exe (beside this program) with `arguments` until `file` holds
// `bytes`, the child ends or `timeoutMs` has passed, then terminates it with no chance to
// finish its files. False when the child had ended by itself.
bool RecordInChildAndTerminate(const std::wstring& arguments, const std::wstring& file, LONGLONG bytes,
                               DWORD timeoutMs);

// A Sample Grabber callback its owner keeps alive; the subclass takes the samples.
class GrabberCallback : public ISampleGrabberCB {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_ISampleGrabberCB) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
};

// A filter graph holding a test source and the multiplexer, connected pin to pin.
class MuxGraph {
public:
    // An empty graph whose EC_COMPLETE reaches the queue as its sender sent it.
    HRESULT Create();
    // Create, then the source's "Video" and "Audio" pins to the mux's pins of those names.
    HRESULT Build(IBaseFilter* source, IBaseFilter* mux);
    // Drops what earlier runs left in the event queue.
    void DrainEvents();
    // Waits for the event; param1 receives its first parameter. False after the timeout.
    bool WaitForEvent(long code, DWORD timeoutMs, LONG_PTR* param1 = nullptr);

    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;
};
