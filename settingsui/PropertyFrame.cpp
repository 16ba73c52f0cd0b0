#include "PropertyFrame.h"

#include "dshowbase/TaskMemory.h"

#include <olectl.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

constexpr UINT kFrameOffset = 30;

}  // namespace

bool HasPropertyPages(IBaseFilter* filter)
{
    ComPtr<ISpecifyPropertyPages> pages;
    return filter && SUCCEEDED(filter->QueryInterface(IID_PPV_ARGS(&pages)));
}

void ShowPropertyFrame(HWND owner, IBaseFilter* filter)
{
    ComPtr<ISpecifyPropertyPages> specify;
    if (!filter || FAILED(filter->QueryInterface(IID_PPV_ARGS(&specify))))
        return;
    CAUUID pages{};
    if (FAILED(specify->GetPages(&pages)))
        return;
    const CTaskMemory<GUID> pageIds(pages.pElems);
    IUnknown* object = filter;
    OleCreatePropertyFrame(owner, kFrameOffset, kFrameOffset, nullptr, 1, &object, pages.cElems, pageIds.Get(), 0, 0,
                           nullptr);
}
