// CPersistStream: IPersistStream for filters, with a dirty flag and a version
// number written ahead of the object's own data.
#pragma once

#include <windows.h>
#include <objidl.h>

class CPersistStream : public IPersistStream {
public:
    CPersistStream(IUnknown* punk, HRESULT* phr);
    virtual ~CPersistStream() = default;

    // IPersistStream (GetClassID comes from the object).
    STDMETHODIMP IsDirty() override { return mPS_fDirty ? S_OK : S_FALSE; }
    // Reads the version (mPS_dwFileVersion) and then ReadFromStream.
    STDMETHODIMP Load(LPSTREAM pStm) override;
    // Writes GetSoftwareVersion() and then WriteToStream.
    STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pcbSize) override;

    HRESULT SetDirty(BOOL fDirty)
    {
        mPS_fDirty = fDirty;
        return S_OK;
    }

    virtual DWORD GetSoftwareVersion() { return 0; }
    virtual HRESULT WriteToStream(IStream*) { return S_OK; }
    virtual HRESULT ReadFromStream(IStream*) { return S_OK; }
    // The most bytes WriteToStream writes.
    virtual int SizeMax() { return 0; }

protected:
    DWORD mPS_dwFileVersion = 0;  // the version of the data last loaded
    BOOL mPS_fDirty = FALSE;
};

// An integer as UTF-16 text of 11 digits (a minus sign leading negative values)
// and a blank: 24 bytes.
HRESULT WriteInt(IStream* pIStream, int n);
// Reads what WriteInt wrote; hr fails for a short stream or text that is no number.
int ReadInt(IStream* pIStream, HRESULT& hr);
