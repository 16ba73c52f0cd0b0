// The graphs another process lists in the running object table, found by the name graph
// viewers look for ("FilterGraph %08x pid %08x").
#pragma once

#include <windows.h>
#include <dshow.h>
#include <wrl/client.h>

#include <regex>
#include <string>
#include <vector>

namespace tavrik_test {

inline std::vector<Microsoft::WRL::ComPtr<IMoniker>> GraphMonikersOf(DWORD process)
{
    using Microsoft::WRL::ComPtr;
    std::vector<ComPtr<IMoniker>> found;
    ComPtr<IRunningObjectTable> table;
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IBindCtx> context;
    if (FAILED(GetRunningObjectTable(0, &table)) || FAILED(table->EnumRunning(&monikers)) ||
        FAILED(CreateBindCtx(0, &context)))
        return found;
    const std::wregex pattern(L"!FilterGraph [0-9a-f]{8} pid ([0-9a-f]{8})");
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        LPOLESTR name = nullptr;
        if (FAILED(moniker->GetDisplayName(context.Get(), nullptr, &name)))
            continue;
        std::wcmatch match;
        if (std::regex_match(name, match, pattern) && std::stoul(match[1].str(), nullptr, 16) == process)
            found.push_back(moniker);
        CoTaskMemFree(name);
    }
    return found;
}

// The names of the filters in the process's one registered graph; empty when it has none
// or the graph cannot be reached from here.
inline std::vector<std::wstring> FiltersOfRunningGraph(DWORD process)
{
    using Microsoft::WRL::ComPtr;
    std::vector<std::wstring> names;
    const auto monikers = GraphMonikersOf(process);
    ComPtr<IRunningObjectTable> table;
    ComPtr<IUnknown> object;
    ComPtr<IFilterGraph> graph;
    ComPtr<IEnumFilters> filters;
    if (monikers.size() != 1 || FAILED(GetRunningObjectTable(0, &table)) ||
        FAILED(table->GetObject(monikers[0].Get(), &object)) || FAILED(object.As(&graph)) ||
        FAILED(graph->EnumFilters(&filters)))
        return names;
    ComPtr<IBaseFilter> filter;
    ULONG fetched = 0;  // not optional once the call crosses to the other process
    while (filters->Next(1, filter.ReleaseAndGetAddressOf(), &fetched) == S_OK) {
        FILTER_INFO info{};
        if (SUCCEEDED(filter->QueryFilterInfo(&info))) {
            names.push_back(info.achName);
            if (info.pGraph)
                info.pGraph->Release();
        }
    }
    return names;
}

}  // namespace tavrik_test
