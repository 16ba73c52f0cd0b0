#include "AnalogPins.h"

#include <algorithm>

#include "PinCategory.h"

namespace cardsim {

namespace {

HRESULT CheckAnalogType(const GUID& majorType, const CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    return *type->Type() == majorType ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

// The one media type an analog pin offers.
HRESULT AnalogTypeAt(const GUID& majorType, int position, CMediaType* type)
{
    CheckPointer(type, E_POINTER);
    if (position < 0)
        return E_INVALIDARG;
    if (position > 0)
        return VFW_S_NO_MORE_ITEMS;
    type->InitMediaType();
    type->SetType(&majorType);
    type->SetSubtype(majorType == MEDIATYPE_AnalogVideo ? &MEDIASUBTYPE_AnalogVideo_NTSC_M : &MEDIASUBTYPE_NULL);
    type->SetFormatType(&FORMAT_None);
    return S_OK;
}

}  // namespace

AnalogInputPin::AnalogInputPin(const wchar_t* name, CBaseFilter* filter, CCritSec* lock, HRESULT* hr,
                               const GUID& majorType, const GUID* category)
    : CBaseInputPin(name, filter, lock, hr, name),
      majorType_(majorType),
      hasCategory_(category != nullptr)
{
    if (category)
        category_ = *category;
}

STDMETHODIMP AnalogInputPin::NonDelegatingQueryInterface(REFIID iid, void** object)
{
    if (iid == IID_IKsPropertySet && hasCategory_)
        return GetInterface(static_cast<IKsPropertySet*>(this), object);
    return CBaseInputPin::NonDelegatingQueryInterface(iid, object);
}

STDMETHODIMP AnalogInputPin::Set(REFGUID, DWORD, void*, DWORD, void*, DWORD)
{
    return E_NOTIMPL;
}

STDMETHODIMP AnalogInputPin::Get(REFGUID propertySet, DWORD propertyId, void*, DWORD, void* data, DWORD dataBytes,
                                 DWORD* returnedBytes)
{
    return GetPinCategory(category_, propertySet, propertyId, data, dataBytes, returnedBytes);
}

STDMETHODIMP AnalogInputPin::QuerySupported(REFGUID propertySet, DWORD propertyId, DWORD* support)
{
    return QueryPinCategorySupport(propertySet, propertyId, support);
}

HRESULT AnalogInputPin::CheckMediaType(const CMediaType* type)
{
    return CheckAnalogType(majorType_, type);
}

HRESULT AnalogInputPin::GetMediaType(int position, CMediaType* type)
{
    return AnalogTypeAt(majorType_, position, type);
}

AnalogOutputPin::AnalogOutputPin(const wchar_t* name, CBaseFilter* filter, CCritSec* lock, HRESULT* hr,
                                 const GUID& majorType)
    : CBaseOutputPin(name, filter, lock, hr, name),
      majorType_(majorType)
{
}

HRESULT AnalogOutputPin::CheckMediaType(const CMediaType* type)
{
    return CheckAnalogType(majorType_, type);
}

HRESULT AnalogOutputPin::GetMediaType(int position, CMediaType* type)
{
    return AnalogTypeAt(majorType_, position, type);
}

// Nothing travels over an analog connection; the allocator only completes the connection.
HRESULT AnalogOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    CheckPointer(allocator, E_POINTER);
    request->cBuffers = std::max(request->cBuffers, 1L);
    request->cbBuffer = std::max(request->cbBuffer, 1L);
    request->cbAlign = std::max(request->cbAlign, 1L);
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(request, &actual);
}

}  // namespace cardsim
