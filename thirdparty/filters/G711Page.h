// The G.711 compressor's property page: shows what it accepts, its input and its output choice.
#pragma once

#include "dshowbase/streams.h"

#include "G711Compressor.h"

namespace standin {

class G711Page : public CBasePropertyPage {
public:
    explicit G711Page(LPUNKNOWN outer);
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN outer, HRESULT* phr);

    HRESULT OnConnect(IUnknown* object) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;

private:
    IG711State* state_ = nullptr;
};

}  // namespace standin
