#include "PropertyFrame.h"

#include "TaskMemory.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kFrameOffset = 30;

}  // namespace

bool HasPropertyPages(IUnknown* object)
{
    ComPtr<ISpecifyPropertyPages> pages;
    return object && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&pages)));
}

HRESULT ShowPropertyFrame(IUnknown* object, HWND owner)
{
    if (!object)
        return E_POINTER;
    ComPtr<ISpecifyPropertyPages> specify;
    HRESULT hr = object->QueryInterface(IID_PPV_ARGS(&specify));
    if (FAILED(hr))
        return hr;
    CAUUID pages{};
    hr = specify->GetPages(&pages);
    if (FAILED(hr))
        return hr;
    const CTaskMemory<GUID> pageIds(pages.pElems);
    return OleCreatePropertyFrame(owner, kFrameOffset, kFrameOffset, nullptr, 1, &object, pages.cElems, pageIds.Get(),
                                  0, 0, nullptr);
}
