// Entry points of StandinCodecs.dll: the class factory table and self-registration of the
// two compressor categories.
#include <iterator>
#include <string>

#include "dshowbase/streams.h"

#include "G711Compressor.h"
#include "G711Page.h"
#include "MjpegCompressor.h"
#include "StandinGuids.h"

namespace {

using namespace standin;

const AMOVIESETUP_FILTER kG711Setup44k = {&kClsidG711Compressor44k, kG711Compressor44kName, MERIT_DO_NOT_USE, 0,
                                          nullptr};
const AMOVIESETUP_FILTER kG711Setup = {&kClsidG711Compressor, kG711CompressorName, MERIT_DO_NOT_USE, 0, nullptr};
const AMOVIESETUP_FILTER kMjpegSetup = {&kClsidMjpegCompressor, kMjpegCompressorName, MERIT_DO_NOT_USE, 0, nullptr};

const CFactoryTemplate kTemplates[] = {
    {kG711Compressor44kName, &kClsidG711Compressor44k, G711Compressor::CreateFor44100, nullptr, &kG711Setup44k},
    {kG711CompressorName, &kClsidG711Compressor, G711Compressor::CreateForAnyRate, nullptr, &kG711Setup},
    {kMjpegCompressorName, &kClsidMjpegCompressor, MjpegCompressor::CreateInstance, nullptr, &kMjpegSetup},
    {kG711PageName, &kClsidG711Page, G711Page::CreateInstance, nullptr, nullptr},
};

const CLSID& CategoryOf(const CFactoryTemplate& entry)
{
    return entry.IsClassID(kClsidMjpegCompressor) ? CLSID_VideoCompressorCategory : CLSID_AudioCompressorCategory;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(CurrentModuleHandle(), path, MAX_PATH + 1);
    return path;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    return FactoryGetClassObject(kTemplates, std::size(kTemplates), clsid, iid, object);
}

STDAPI DllCanUnloadNow()
{
    return FactoryCanUnloadNow();
}

STDAPI DllRegisterServer()
{
    const std::wstring path = ModulePath();
    for (const CFactoryTemplate& entry : kTemplates) {
        HRESULT hr = RegisterServerClass(*entry.m_ClsID, entry.m_Name, path.c_str());
        if (SUCCEEDED(hr) && entry.m_pAMovieSetup_Filter)
            hr = RegisterFilterSetup(entry.m_pAMovieSetup_Filter, CategoryOf(entry));
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    HRESULT first = S_OK;
    for (const CFactoryTemplate& entry : kTemplates) {
        HRESULT hr = entry.m_pAMovieSetup_Filter ? UnregisterFilterSetup(*entry.m_ClsID, CategoryOf(entry)) : S_OK;
        const HRESULT classHr = UnregisterServerClass(*entry.m_ClsID);
        if (SUCCEEDED(hr))
            hr = classHr;
        if (SUCCEEDED(first) && FAILED(hr))
            first = hr;
    }
    return first;
}
