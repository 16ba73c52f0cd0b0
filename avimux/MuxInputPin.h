// "Video" and "Audio": input pins that hand every sample to the recording.
#pragma once

#include "dshowbase/streams.h"
#include "MediaFormats.h"
#include "MuxTypes.h"

class MuxBaseFilter;

class MuxInputPin : public CBaseInputPin {
public:
    MuxInputPin(MuxBaseFilter* filter, CCritSec* lock, HRESULT* phr, trelvox::StreamKind stream);

    // Video: MEDIATYPE_Video with VideoInfo or VideoInfo2, with or without a frame
    // duration; audio: MEDIATYPE_Audio with WaveFormatEx; the format block must be
    // readable. Else VFW_E_TYPE_NOT_ACCEPTED.
    HRESULT CheckMediaType(const CMediaType* pmt) override;
    // Disconnects the matching "~" output pin first.
    HRESULT BreakConnect() override;

    STDMETHODIMP Receive(IMediaSample* pSample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }

    // The connected format for the recording; false when not connected. A video type
    // without a frame duration takes the upstream filter's input's, else keeps 0.
    bool ConnectedVideoFormat(trelvox::VideoFormat* format) const;
    bool ConnectedAudioFormat(trelvox::AudioFormat* format) const;

private:
    MuxBaseFilter* const mux_;
    const trelvox::StreamKind stream_;
};
