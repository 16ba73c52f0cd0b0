// CSource and CSourceStream: a source filter whose output pins push samples from a
// thread of their own while the filter is paused or running.
#pragma once

#include "BaseFilter.h"
#include "OutputPin.h"
#include "Threads.h"

class CSourceStream;

class CSource : public CBaseFilter {
public:
    CSource(LPCTSTR pName, LPUNKNOWN lpunk, CLSID clsid, HRESULT* phr);
    // Deletes the pins that are still attached.
    ~CSource() override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;

    // Pins attach themselves on construction and detach on destruction.
    HRESULT AddPin(CSourceStream* pStream);
    HRESULT RemovePin(CSourceStream* pStream);
    // -1 when the pin is not ours.
    int FindPinNumber(IPin* iPin);

    CCritSec* pStateLock() { return &m_cStateLock; }

protected:
    int m_iPins = 0;
    CSourceStream** m_paStreams = nullptr;
    CCritSec m_cStateLock;
};

class CSourceStream : public CAMThread, public CBaseOutputPin {
public:
    CSourceStream(LPCTSTR pObjectName, HRESULT* phr, CSource* pms, LPCWSTR pName);
    ~CSourceStream() override;

protected:
    // Fills a sample: S_OK delivers it, S_FALSE ends the stream, an error aborts it.
    virtual HRESULT FillBuffer(IMediaSample* pSample) = 0;
    // On the streaming thread: when it starts, ends, and before each run of the loop.
    virtual HRESULT OnThreadCreate() { return S_OK; }
    virtual HRESULT OnThreadDestroy() { return S_OK; }
    virtual HRESULT OnThreadStartPlay() { return S_OK; }

    // Starts the thread and sends it to work (Active); stops and ends it (Inactive).
    HRESULT Active() override;
    HRESULT Inactive() override;

    enum Command : DWORD { CMD_INIT, CMD_PAUSE, CMD_RUN, CMD_STOP, CMD_EXIT };
    HRESULT Init() { return static_cast<HRESULT>(CallWorker(CMD_INIT)); }
    HRESULT Exit() { return static_cast<HRESULT>(CallWorker(CMD_EXIT)); }
    HRESULT Run() { return static_cast<HRESULT>(CallWorker(CMD_RUN)); }
    HRESULT Pause() { return static_cast<HRESULT>(CallWorker(CMD_PAUSE)); }
    HRESULT Stop() { return static_cast<HRESULT>(CallWorker(CMD_STOP)); }
    using CBaseOutputPin::Run;
    Command GetRequest() { return static_cast<Command>(CAMThread::GetRequest()); }
    BOOL CheckRequest(Command* pCom) { return CAMThread::CheckRequest(reinterpret_cast<DWORD*>(pCom)); }

    DWORD ThreadProc() override;
    // Gets, fills and delivers samples until a request arrives or the stream ends.
    virtual HRESULT DoBufferProcessingLoop();

    // The single-type form: one preferred type, accepted exactly.
    HRESULT CheckMediaType(const CMediaType* pMediaType) override;
    HRESULT GetMediaType(int iPosition, CMediaType* pMediaType) override;
    virtual HRESULT GetMediaType(CMediaType* pMediaType);

    CSource* m_pFilter;
};
